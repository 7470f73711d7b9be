// The value types facts are declared in, named as their catalogue type texts
// name them, so each field reads the same in the record and in the catalogue.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/types.hpp"

namespace vorn::facts {

using u8 = std::uint8_t;
using u16 = std::uint16_t;
using u32 = std::uint32_t;
using i32 = std::int32_t;
using f32 = float;
template <class T>
using Option = std::optional<T>;
// Three values around a king, queenside first.
template <class T>
using Three = std::array<T, 3>;

// Eight values, one per file (file a first) or per rank (counted from a
// side's own back rank, rank 1 first).
template <class T, class Index>
struct Eight {
  std::array<T, 8> values{};

  constexpr T& operator[](Index at) { return values[std::size_t(at)]; }
  constexpr const T& operator[](Index at) const { return values[std::size_t(at)]; }
  constexpr bool operator==(const Eight&) const = default;
};

template <class T>
using PerFile = Eight<T, File>;
template <class T>
using PerRank = Eight<T, Rank>;

}  // namespace vorn::facts
