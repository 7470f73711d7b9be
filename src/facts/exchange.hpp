// Static exchange evaluation: the swap on one square with every unit
// joining in from least to most valuable, sliders behind included.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "facts/record.hpp"
#include "moves/moves.hpp"
#include "position/position.hpp"

namespace vorn::facts::exchange {

// Pawn 1, knight 3, bishop 3, rook 5, queen 9; the king is never won.
inline constexpr std::array<std::int32_t, 6> kValues{1, 3, 3, 5, 9, 0};
constexpr std::int32_t value(Role r) { return kValues[index(r)]; }
// What promoting to `r` adds over the pawn.
constexpr std::int32_t promotion_gain(Role r) { return value(r) - value(Role::Pawn); }

// Each side's units by role.
struct Placement {
  ByColour<std::array<SquareSet, 6>> units;

  static Placement of(const Position& p);
};

// The best `side` can make by capturing on `square`, where a unit worth
// `gain` stands, among the units of `occupancy`; the opponent answers only
// swaps that win for it. None when `side` cannot take.
std::optional<std::int32_t> forced_swap(const Placement& placement, Square square, Colour side,
                                        std::int32_t gain, SquareSet occupancy);
// The swap against the unit on `square`, opened by the side that does not
// own it; none for an empty square, a king, or when nothing can take.
std::optional<std::int32_t> signed_see(const Position& p, Square square);
// The exchange one move of `p` starts: what it takes (with any promotion
// gain) less the opponent's best winning reply on its destination.
std::int32_t see_capture(const Position& p, Move m);

// Fills `side`'s half of `group` from the captures among `moves` and returns
// the best evaluation it stored; counts add to what the group holds.
std::int32_t exchange_facts(const Position& p, const MoveList& moves, Colour side,
                            ExchangeFacts& group);

}  // namespace vorn::facts::exchange
