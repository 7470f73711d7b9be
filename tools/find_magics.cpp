// Finds the magic multipliers of src/board/magics.inc: for each square a
// number that maps every relevant occupancy to a slot holding its attacks.
// Build: g++ -std=c++23 -O2 -I src tools/find_magics.cpp -o /tmp/find_magics
#include <cstdint>
#include <cstdio>
#include <vector>

#include "board/rays.hpp"

using namespace vorn;

namespace {
std::uint64_t state = 0x9E3779B97F4A7C15ULL;
std::uint64_t next() {  // xorshift64*: fixed seed, so the output is reproducible
  state ^= state >> 12;
  state ^= state << 25;
  state ^= state >> 27;
  return state * 2685821657736338717ULL;
}

std::uint64_t find(bool rook, Square s) {
  const SquareSet mask = board::rays::relevant(rook, s);
  const int bits = mask.size();
  std::vector<std::uint64_t> occupancies, attacks;
  std::uint64_t sub = 0;
  do {
    occupancies.push_back(sub);
    attacks.push_back(board::rays::walk(rook, s, SquareSet{sub}).bits);
    sub = (sub - mask.bits) & mask.bits;
  } while (sub);
  std::vector<std::uint64_t> used(std::size_t{1} << bits);
  std::vector<int> epoch(used.size(), 0);
  for (int attempt = 1;; ++attempt) {
    const std::uint64_t magic = next() & next() & next();
    if (std::popcount((mask.bits * magic) >> 56) < 6) continue;
    bool ok = true;
    for (std::size_t i = 0; ok && i < occupancies.size(); ++i) {
      const std::size_t slot = (occupancies[i] * magic) >> (64 - bits);
      if (epoch[slot] != attempt) {
        epoch[slot] = attempt;
        used[slot] = attacks[i];
      } else if (used[slot] != attacks[i]) {
        ok = false;
      }
    }
    if (ok) return magic;
  }
}
}  // namespace

int main() {
  for (const bool rook : {true, false}) {
    std::printf("inline constexpr std::array<std::uint64_t, 64> k%sMagics{\n", rook ? "Rook" : "Bishop");
    for (const Square s : kSquares)
      std::printf("    0x%016llXULL,%s", (unsigned long long)find(rook, s), index(s) % 4 == 3 ? "\n" : "");
    std::printf("};\n");
  }
}
