// Board geometry the facts share: distances, ranks counted from a side's
// own back rank, the squares ahead of a pawn, and the files around a king.
#pragma once

#include <algorithm>
#include <array>
#include <cstdlib>

#include "core/types.hpp"
#include "error/error.hpp"

namespace vorn::facts {

// Chebyshev distance: the larger of the file and the rank difference.
inline int distance(Square a, Square b) {
  return std::max(std::abs(index(file_of(a)) - index(file_of(b))),
                  std::abs(index(rank_of(a)) - index(rank_of(b))));
}

// 0 on `c`'s own back rank .. 7 on its last.
inline int relative_rank_of(Colour c, Square s) { return index(relative_rank(c, rank_of(s))); }

// Every square whose rank, counted from `c`'s back rank, is above `rank`'s.
inline SquareSet ahead_of(Colour c, Rank rank) {
  const int r = int(rank);
  if (c == Colour::White) return r == 7 ? SquareSet{} : SquareSet{~std::uint64_t{0} << (8 * (r + 1))};
  return r == 0 ? SquareSet{} : SquareSet{~std::uint64_t{0} >> (8 * (8 - r))};
}

// The files beside `f`: one of them for file a or h.
inline SquareSet adjacent_files(File f) {
  SquareSet out;
  if (int(f) > 0) out |= SquareSet::file(File(int(f) - 1));
  if (int(f) < 7) out |= SquareSet::file(File(int(f) + 1));
  return out;
}

// The square one step forward for `c`; a pawn on its last rank has none.
inline Square stop_square(Colour c, Square s) {
  if (relative_rank_of(c, s) == 7) panic("a relative rank is 1 to 8");
  return shift(s, c == Colour::White ? 8 : -8);
}

// Where a pawn of `c` on file `f` promotes.
inline Square promotion_square(Colour c, File f) {
  return square_at(f, Rank(c == Colour::White ? 7 : 0));
}

// The king's file clamped to b..g with its two neighbours, queenside first.
inline std::array<File, 3> shield_files(Square king) {
  const int centre = std::clamp(index(file_of(king)), 1, 6);
  return {File(centre - 1), File(centre), File(centre + 1)};
}

}  // namespace vorn::facts
