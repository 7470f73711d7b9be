// Counters of the facts stop at their top instead of wrapping.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace vorn::facts {

// `n` held to the range of the unsigned counter type T.
template <class T>
constexpr T capped(std::int64_t n) {
  return T(std::clamp<std::int64_t>(n, 0, std::numeric_limits<T>::max()));
}
// Adds `n` to a counter, stopping at its top.
template <class T>
constexpr void bump(T& counter, std::int64_t n = 1) {
  counter = capped<T>(std::int64_t{counter} + n);
}

}  // namespace vorn::facts
