// The facts of one legal move, built from what the tactics pass found.
#pragma once

#include "facts/tactics.hpp"

namespace vorn::facts {

MoveFacts move_facts(const TacticsInput& in, const PlayedMove& played);

}  // namespace vorn::facts
