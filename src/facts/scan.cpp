#include "facts/scan.hpp"

#include "board/attacks.hpp"
#include "error/error.hpp"

namespace vorn::facts {

Scan Scan::of(const Position& p) {
  const board::Board& b = p.board;
  Scan s{};
  s.occupancy = b.occupied();
  for (const Colour c : kColours) {
    s.occupied[c] = b.colour(c);
    for (const Role r : kRoles) {
      const SquareSet units = b.pieces(r, c);
      s.units[c][index(r)] = units;
      SquareSet by;
      for (const Square sq : units) {
        const SquareSet a = board::attacks_of(r, sq, c, s.occupancy);
        s.attacks_from[index(sq)] = a;
        by |= a;
      }
      s.attacks_by[c][index(r)] = by;
      s.attacked[c] |= by;
    }
    const SquareSet king = s.units[c][index(Role::King)];
    if (!king) panic("No king was found.");
    s.king_square[c] = king.first();
    s.may_castle[c] = b.castling().any(c);
  }
  s.side_to_move = b.side_to_move();
  return s;
}

}  // namespace vorn::facts
