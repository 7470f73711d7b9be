// The board: units by role and colour, side to move, castling rights as rook
// files, the en-passant file, and what follows from them (checkers, pinned
// units, Zobrist hash). Built only through `Board::build`, which validates.
#pragma once

#include <array>
#include <cstdint>
#include <expected>
#include <optional>

#include "core/enum_list.hpp"
#include "core/types.hpp"
#include "moves/moves.hpp"

namespace vorn::board {

// The two castlings, by the names explanations and Python give them.
#define VORN_WINGS(X) X(Short, "short") X(Long, "long")
VORN_NAMED_ENUM(Wing, VORN_WINGS)
// Where castling puts king and rook, by wing: files g and f, or c and d.
constexpr File castled_king_file(Wing w) { return w == Wing::Short ? File::G : File::C; }
constexpr File castled_rook_file(Wing w) { return w == Wing::Short ? File::F : File::D; }

// Four optional rook files: White short, White long, Black short, Black long.
struct CastlingRights {
  ByColour<std::array<std::optional<File>, 2>> rooks;

  std::optional<File> get(Colour c, Wing w) const { return rooks[c][int(w)]; }
  void set(Colour c, Wing w, std::optional<File> f) { rooks[c][int(w)] = f; }
  bool any(Colour c) const { return rooks[c][0] || rooks[c][1]; }
  bool any() const { return any(Colour::White) || any(Colour::Black); }
  bool operator==(const CastlingRights&) const = default;
};

// Units as the builder receives them.
struct Placement {
  std::array<SquareSet, 6> roles{};
  ByColour<SquareSet> colours{};
};

// Which validation refused a board, in the order the builder checks them.
enum class BuildError : std::uint8_t { InvalidBoard, InvalidCastlingRights, InvalidEnPassant };

class Board {
 public:
  static std::expected<Board, BuildError> build(const Placement& placement, Colour side_to_move,
                                                const CastlingRights& rights,
                                                std::optional<File> en_passant);

  SquareSet pieces(Role r) const { return roles_[index(r)]; }
  SquareSet colour(Colour c) const { return colours_[c]; }
  SquareSet pieces(Role r, Colour c) const { return roles_[index(r)] & colours_[c]; }
  SquareSet occupied() const { return colours_.white | colours_.black; }
  const std::array<SquareSet, 6>& roles() const { return roles_; }
  std::array<SquareSet, 6> units_of(Colour c) const;
  std::optional<Role> role_on(Square s) const;
  std::optional<Colour> colour_on(Square s) const;
  Square king(Colour c) const;
  // The units of `by` attacking `s`, sliders seeing through nothing but `occupied`.
  SquareSet attackers(Square s, Colour by, SquareSet occupied) const;

  Colour side_to_move() const { return side_; }
  const CastlingRights& castling() const { return rights_; }
  std::optional<File> en_passant() const { return ep_file_; }
  // The square behind a pawn that just made a double step.
  std::optional<Square> en_passant_target() const;
  SquareSet checkers() const { return checkers_; }
  SquareSet pinned() const { return pinned_; }
  std::uint64_t hash() const { return hash_; }
  // The hash's en-passant component for `file`, so it can be taken out again.
  static std::uint64_t en_passant_hash(File file);

  // The move legal generation would list with these origin, destination and
  // promotion (castling as the king taking its own rook), with its flags;
  // Move::none() when it lists no such move. Costs the same whatever the
  // position.
  Move legal_entry(Move m) const;
  bool is_legal(Move m) const { return !legal_entry(m).absent(); }
  // Every legal move, appended in generation order (see movegen.hpp).
  void legal_moves(MoveList& out) const;
  // The legal moves of the unit on `origin` only.
  void legal_moves_from(Square origin, MoveList& out) const;
  // The number of legal moves, without listing them.
  std::size_t count_legal() const;
  // Whether any legal move exists, without counting them.
  bool has_legal_move() const;
  // Applies a legal move; anything else is a broken invariant.
  void play(Move m);
  // The side to move passes; none when it is in check.
  std::optional<Board> null_move() const;

  bool operator==(const Board& o) const;

 private:
  void update_derived();  // checkers, pinned
  void toggle_unit(Square s, Role r, Colour c);
  // Takes away one castling right, and its part of the hash.
  void drop_castling(Colour c, Wing w);

  std::array<SquareSet, 6> roles_{};
  ByColour<SquareSet> colours_{};
  SquareSet checkers_{};
  SquareSet pinned_{};
  std::uint64_t hash_ = 0;
  CastlingRights rights_{};
  std::optional<File> ep_file_{};
  Colour side_ = Colour::White;
};

}  // namespace vorn::board
