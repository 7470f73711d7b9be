// The pawn structure of a position, read from its scan alone.
#pragma once

#include <cstdint>

#include "facts/record.hpp"
#include "facts/scan.hpp"

namespace vorn::facts {

PawnFacts pawn_facts(const Scan& scan);
// The length of the diagonal run of `pawns` from `start` forward for `c`,
// one file by `file_step` per rank; `start` counts as 1 untested.
std::uint8_t chain_run(SquareSet pawns, Square start, int file_step, Colour c);

}  // namespace vorn::facts
