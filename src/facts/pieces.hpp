// What each side attacks and what of its own stands attacked, its pieces'
// placement, and attack-based mobility, read from the scan.
#pragma once

#include "facts/record.hpp"
#include "facts/scan.hpp"

namespace vorn::facts {

AttackFacts attack_facts(const Scan& scan);
PieceFacts piece_facts(const Scan& scan, const PawnFacts& pawns);
MobilityFacts mobility_facts(const Scan& scan);

// The enemy units attacking `s` with `occupancy`, masked by it.
SquareSet enemy_attackers(const Scan& scan, Square s, Colour enemy, SquareSet occupancy);

}  // namespace vorn::facts
