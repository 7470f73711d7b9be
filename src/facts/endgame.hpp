// How central the kings are, how the pawn race runs, the opposition, key
// squares, the wrong bishop and the drawn material configurations.
#pragma once

#include "facts/record.hpp"
#include "facts/scan.hpp"

namespace vorn::facts {

EndgameFacts endgame_facts(const Scan& scan, const PawnFacts& pawns, const PieceFacts& pieces);

}  // namespace vorn::facts
