// How the summaries write a square set.
#pragma once

#include <string>

#include "core/types.hpp"

namespace vorn::facts {

// Square names in ascending order joined by spaces; an em dash when empty.
std::string listed(SquareSet squares);

}  // namespace vorn::facts
