// The board hash's random keys: a fixed table made at compile time, so a
// board hashes to the same number in every process.
#pragma once

#include <array>
#include <cstdint>

namespace vorn::board::keys {

struct Table {
  std::array<std::array<std::array<std::uint64_t, 64>, 6>, 2> units{};  // [colour][role][square]
  std::array<std::array<std::array<std::uint64_t, 8>, 2>, 2> castling{};  // [colour][wing][rook file]
  std::array<std::uint64_t, 8> en_passant{};
  std::uint64_t black_to_move = 0;
};

constexpr Table make() {
  std::uint64_t state = 0x5EED0F0B0A4D5EEDULL;
  auto next = [&state] {  // splitmix64
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  };
  Table t;
  for (auto& colour : t.units)
    for (auto& role : colour)
      for (auto& key : role) key = next();
  for (auto& colour : t.castling)
    for (auto& wing : colour)
      for (auto& key : wing) key = next();
  for (auto& key : t.en_passant) key = next();
  t.black_to_move = next();
  return t;
}

inline constexpr Table kTable = make();

}  // namespace vorn::board::keys
