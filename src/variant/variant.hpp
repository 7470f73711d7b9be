// The one interface every rule-dependent operation goes through, and its two
// shared, stateless instances.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/enum_list.hpp"
#include "error/error.hpp"
#include "moves/moves.hpp"
#include "position/position.hpp"

namespace vorn {

// How a position ends the game by itself, with the game's termination it
// is (game/game.hpp).
#define VORN_OUTCOMES(X)                          \
  X(WhiteMates, Checkmate) /* Black to move and mated */ \
  X(BlackMates, Checkmate)                        \
  X(Stalemate, Stalemate)                         \
  X(InsufficientMaterial, InsufficientMaterial)   \
  X(SeventyFiveMoves, SeventyFiveMoves)
VORN_ENUM(Outcome, VORN_OUTCOMES)

class Variant {
 public:
  virtual ~Variant() = default;
  virtual std::string_view name() const = 0;
  virtual Position start_position(std::uint64_t number) const = 0;
  virtual void legal_moves(const Position& p, MoveList& out) const = 0;
  // The legal moves of the unit on `origin`, in the same order; reading move
  // text needs no others.
  virtual void legal_moves_from(const Position& p, Square origin, MoveList& out) const = 0;
  // The legal list's entry with `m`'s origin, destination and promotion,
  // carrying the generator's flags; none when `m` is not legal.
  std::optional<Move> legal_move(const Position& p, Move m) const {
    const Move found = legal_entry(p, m);
    if (found.absent()) return std::nullopt;
    return found;
  }
  // The same answer as one word, Move::none() when `m` is not legal.
  virtual Move legal_entry(const Position& p, Move m) const = 0;
  // Plays `m`, a legal move, on `p` itself, so that a position kept in a
  // container or an object is made where it lives instead of copied there.
  virtual void play_on(Position& p, Move m) const = 0;
  Position play(const Position& p, Move m) const {
    Position next = p;
    play_on(next, m);
    return next;
  }
  virtual std::optional<Outcome> outcome(const Position& p) const = 0;
  virtual std::span<const Role> promotion_roles() const = 0;
  virtual std::expected<void, PositionError> validate(const Position& p) const = 0;
  virtual std::string move_to_uci(const Position& p, Move m, CastlingStyle style) const = 0;
  // The readers return the legal list's own entry, flags and all.
  virtual std::expected<Move, MoveParseError> move_from_uci(const Position& p,
                                                            std::string_view text) const = 0;
  virtual std::string move_to_san(const Position& p, Move m) const = 0;
  // The move written to `out`, for callers that read a move at a time: a
  // move returned beside a flag reaches the caller in byte pieces that it has
  // to put together again through memory.
  virtual std::optional<MoveParseError> read_san(const Position& p, std::string_view text,
                                                 Move& out) const = 0;
  std::expected<Move, MoveParseError> move_from_san(const Position& p, std::string_view text) const {
    Move move;
    if (const auto error = read_san(p, text, move)) return std::unexpected(*error);
    return move;
  }
};

// The shared instances; they live for the whole process.
const Variant& classic();
const Variant& chess960();
// "chess" or "chess960", byte for byte.
const Variant* variant_named(std::string_view name);

}  // namespace vorn
