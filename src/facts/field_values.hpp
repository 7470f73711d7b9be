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

// Eight values, file a first.
template <class T>
struct PerFile {
  std::array<T, 8> values{};

  constexpr T& operator[](File f) { return values[std::size_t(f)]; }
  constexpr const T& operator[](File f) const { return values[std::size_t(f)]; }
  constexpr bool operator==(const PerFile&) const = default;
};

// Eight values, counted from a side's own back rank.
template <class T>
struct PerRank {
  std::array<T, 8> values{};

  constexpr T& operator[](Rank r) { return values[std::size_t(r)]; }
  constexpr const T& operator[](Rank r) const { return values[std::size_t(r)]; }
  constexpr bool operator==(const PerRank&) const = default;
};

}  // namespace vorn::facts
