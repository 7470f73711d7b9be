// What the plies before a position say about how it was reached.
#pragma once

#include <cstddef>
#include <span>

#include "facts/record.hpp"
#include "moves/moves.hpp"
#include "position/position.hpp"

namespace vorn::facts {

// `positions` run from the start to the current one, move j leading from
// position j to j + 1; the repetition fields are left false.
HistoryFacts from_history(std::span<const Position> positions, std::span<const Move> moves);

}  // namespace vorn::facts
