// The square sets every fact of a position is read from, worked out once:
// where each side's units stand and what each unit attacks.
#pragma once

#include <array>

#include "core/types.hpp"
#include "position/position.hpp"

namespace vorn::facts {

struct Scan {
  // The attack set of the unit on each square; empty for an empty square.
  std::array<SquareSet, 64> attacks_from;
  ByColour<std::array<SquareSet, 6>> units;
  ByColour<std::array<SquareSet, 6>> attacks_by;
  ByColour<SquareSet> occupied;
  ByColour<SquareSet> attacked;
  SquareSet occupancy;
  ByColour<Square> king_square;
  ByColour<bool> may_castle;
  Colour side_to_move = Colour::White;

  static Scan of(const Position& p);

  SquareSet of_role(Colour c, Role r) const { return units[c][index(r)]; }
  // Bishops, rooks and queens.
  SquareSet sliders(Colour c) const {
    return units[c][index(Role::Bishop)] | units[c][index(Role::Rook)] |
           units[c][index(Role::Queen)];
  }
  // Knights, bishops, rooks and queens.
  SquareSet pieces(Colour c) const { return sliders(c) | units[c][index(Role::Knight)]; }
};

}  // namespace vorn::facts
