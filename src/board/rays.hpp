// Slider geometry walked square by square. It fills the magic tables once,
// makes the empty-board reach tables at compile time and serves as the
// oracle they are tested against; never used on a hot path.
#pragma once

#include <array>

#include "core/types.hpp"

namespace vorn::board::rays {

struct Step { int file, rank; };
inline constexpr std::array<Step, 4> kRookSteps{{{1, 0}, {-1, 0}, {0, 1}, {0, -1}}};
inline constexpr std::array<Step, 4> kBishopSteps{{{1, 1}, {1, -1}, {-1, 1}, {-1, -1}}};

constexpr const std::array<Step, 4>& steps(bool rook) { return rook ? kRookSteps : kBishopSteps; }

// Every square along the lines up to and including the first occupied one.
constexpr SquareSet walk(bool rook, Square s, SquareSet occupied) {
  SquareSet out;
  for (const Step d : steps(rook)) {
    for (auto t = offset(s, d.file, d.rank); t; t = offset(*t, d.file, d.rank)) {
      out = out.with(*t);
      if (occupied.contains(*t)) break;
    }
  }
  return out;
}

// The squares whose occupancy can change the attacks: the lines without their last square.
constexpr SquareSet relevant(bool rook, Square s) {
  SquareSet out;
  for (const Step d : steps(rook)) {
    for (auto t = offset(s, d.file, d.rank); t && offset(*t, d.file, d.rank);
         t = offset(*t, d.file, d.rank))
      out = out.with(*t);
  }
  return out;
}

}  // namespace vorn::board::rays
