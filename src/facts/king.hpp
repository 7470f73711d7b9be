// King safety: where each king stands, its pawn shelter and the enemy storm,
// the pressure on and the cover of its ring, and the lines open to it.
#pragma once

#include "facts/record.hpp"
#include "facts/scan.hpp"

namespace vorn::facts {

KingFacts king_facts(const Scan& scan);

}  // namespace vorn::facts
