// What units are worth for the questions the facts ask, and the counters
// that stop at their top instead of wrapping.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "core/types.hpp"
#include "facts/counters.hpp"
#include "facts/exchange.hpp"

namespace vorn::facts {

using exchange::value;
// For comparing an attacker with its target: the king outweighs everything.
inline constexpr std::array<std::int32_t, 6> kSafetyValues{1, 3, 3, 5, 9, 100};
constexpr std::int32_t safety_value(Role r) { return kSafetyValues[index(r)]; }
// A forked king counts like a queen.
inline constexpr std::array<std::int32_t, 6> kForkValues{1, 3, 3, 5, 9, 9};
constexpr std::int32_t fork_value(Role r) { return kForkValues[index(r)]; }
// Pressure on a king's ring: knight and bishop 1, rook 2, queen 4.
inline constexpr std::array<std::uint8_t, 6> kRingWeights{0, 1, 1, 2, 4, 0};

inline constexpr std::array<Role, 4> kPieceRoles{Role::Knight, Role::Bishop, Role::Rook,
                                                 Role::Queen};
inline constexpr std::array<Role, 3> kSliderRoles{Role::Bishop, Role::Rook, Role::Queen};

// The role standing on `s` among one side's role sets; none when empty.
inline std::optional<Role> role_among(const std::array<SquareSet, 6>& units, Square s) {
  for (const Role r : kRoles)
    if (units[index(r)].contains(s)) return r;
  return std::nullopt;
}

}  // namespace vorn::facts
