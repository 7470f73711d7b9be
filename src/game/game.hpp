// A game under one variant: every position from the start with its
// repetition key and the moves played; the draw claims available now and the
// explanations of every draw condition of its current position are worked
// out when asked. Games copied from one another share that history until one
// of them plays or takes back a move, so a copy costs the same at any length.
#pragma once

#include <array>
#include <cstdint>
#include <expected>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/enum_list.hpp"
#include "error/error.hpp"
#include "explain/records.hpp"
#include "moves/moves.hpp"
#include "position/position.hpp"
#include "variant/variant.hpp"

namespace vorn {

// A draw a player may claim now, one code per claimable draw, in the order
// of explain::ClaimableDraw's alternatives and names.
enum class DrawClaim : std::uint8_t { VORN_CLAIMABLE_DRAWS(VORN_COLUMN_3) };

// How a game has ended by itself. Fivefold repetition needs the history; the
// rest come from the position's own outcome, the mating side dropped.
#define VORN_TERMINATIONS(X)                          \
  X(Checkmate, "checkmate")                           \
  X(Stalemate, "stalemate")                           \
  X(InsufficientMaterial, "insufficient_material")    \
  X(SeventyFiveMoves, "seventy_five_moves")           \
  X(FivefoldRepetition, "fivefold_repetition")
VORN_NAMED_ENUM(Termination, VORN_TERMINATIONS)

constexpr Termination termination(Outcome o) {
  using enum Termination;
  constexpr std::array<Termination, kOutcomeCount> kTerminations{VORN_OUTCOMES(VORN_COLUMN_2)};
  return kTerminations[std::size_t(o)];
}

// The first move text of a replay that does not name a legal move.
struct ReplayError {
  std::size_t index = 0;
  MoveParseError kind = MoveParseError::Malformed;
};

class Game {
 public:
  static Game seeded(const Variant& variant, const Position& start);
  // A FEN the variant refuses is FenError::IllegalPosition.
  static std::expected<Game, FenError> from_fen(const Variant& variant, std::string_view fen);
  static std::expected<Game, PositionError> from_position(const Variant& variant,
                                                          const Position& start);

  const Variant& variant() const { return *variant_; }
  const std::vector<Position>& positions() const { return history_->positions; }
  const std::vector<std::uint64_t>& keys() const { return history_->keys; }
  const std::vector<Move>& moves() const { return history_->moves; }
  // Fifty moves before threefold when both hold; none once mated.
  std::vector<DrawClaim> claims() const;
  const Position& start() const;
  const Position& current() const;
  std::size_t ply() const { return history_->moves.size(); }
  CastlingStyle castling_output() const { return castling_output_; }
  void set_castling_output(CastlingStyle style) { castling_output_ = style; }

  // Stores the legal list's own entry, so the generator's flags, whatever
  // flags `m` carries. An illegal move changes nothing.
  std::expected<void, IllegalMove> play(Move m);
  std::expected<void, MoveParseError> play_uci(std::string_view text);
  std::expected<void, MoveParseError> play_san(std::string_view text);
  // Plays UCI texts in order, stopping at the first that names no legal
  // move; the game then stands where that text was read.
  std::expected<void, ReplayError> replay_uci(std::span<const std::string> texts);
  // Takes back the last move and returns it; Move::none() at the start.
  Move undo();

  std::optional<Termination> outcome() const;
  // How many of the keys equal the current one, the current one included;
  // only those since the last capture or pawn move can.
  std::uint32_t repetitions() const;
  explain::Repetition repetition_status() const;
  explain::FiftyMove fifty_move_status() const;
  explain::DrawStatus draw_status() const;
  // The claims `m` would make available; empty when `m` is not legal.
  std::vector<explain::ClaimableDraw> claims_after(Move m) const;

 private:
  Game(const Variant& variant, const Position& start);
  // Appends a move taken from the current position's legal list.
  void push(Move legal);
  std::expected<void, MoveParseError> play_read(std::expected<Move, MoveParseError> read);
  struct Line;
  Line line() const;
  explain::Repetition repetition_status(const Line& l) const;
  explain::FiftyMove fifty_move_status(const Line& l) const;
  // The claims the two statuses make available, threefold first.
  static void claimable(const explain::Repetition& repetition, const explain::FiftyMove& fifty,
                        std::vector<explain::ClaimableDraw>& out);

  struct History {
    std::vector<Position> positions;
    std::vector<std::uint64_t> keys;
    std::vector<Move> moves;
  };
  // The history, first made this game's own when another game shares it.
  History& own_history();
  // Kept out of line, so that the check above stays small enough to inline.
  [[gnu::noinline]] void unshare();

  std::shared_ptr<History> history_;
  const Variant* variant_;
  CastlingStyle castling_output_ = CastlingStyle::KingToRook;
};

}  // namespace vorn
