// Attack tables: leapers are constexpr, sliders come from magic tables filled
// once when the library loads. `between` and `line` answer geometry questions.
#pragma once

#include <array>

#include "core/types.hpp"

namespace vorn::board {

SquareSet knight_attacks(Square s);
SquareSet king_attacks(Square s);
SquareSet pawn_attacks(Colour c, Square s);
SquareSet bishop_attacks(Square s, SquareSet occupied);
SquareSet rook_attacks(Square s, SquareSet occupied);
SquareSet queen_attacks(Square s, SquareSet occupied);
// Squares strictly between two squares on a common line; empty otherwise.
SquareSet between(Square a, Square b);
// The whole rank, file or diagonal through both squares; empty when none.
SquareSet line(Square a, Square b);

// The attack set a unit of `role` and `colour` would have on `s` (the colour
// matters only for pawns).
SquareSet attacks_of(Role role, Square s, Colour colour, SquareSet occupied);
// The units among `sets` (one colour's units, by role) that attack `s`. The
// sets are not masked by `occupied`.
SquareSet attackers(Square s, Colour colour, const std::array<SquareSet, 6>& sets,
                    SquareSet occupied);

}  // namespace vorn::board
