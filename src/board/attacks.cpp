#include "board/attacks.hpp"

#include <cstdint>

#include "error/error.hpp"
#include "board/rays.hpp"

namespace vorn::board {

namespace tables {

namespace {

#include "board/magics.inc"

SquareSet ray_through(Square s, rays::Step d) {
  SquareSet out;
  for (auto t = offset(s, d.file, d.rank); t; t = offset(*t, d.file, d.rank)) out = out.with(*t);
  return out;
}

void fill(bool rook_lines, const std::array<std::uint64_t, 64>& multipliers,
          std::array<Magic, 64>& magics, SquareSet* table) {
  std::uint32_t offset = 0;
  for (const Square s : kSquares) {
    const SquareSet mask = rays::relevant(rook_lines, s);
    Magic& m = magics[index(s)];
    m = {mask.bits, multipliers[index(s)], offset, std::uint8_t(64 - mask.size())};
    std::uint64_t sub = 0;
    do {
      const SquareSet attacks = rays::walk(rook_lines, s, SquareSet{sub});
      SquareSet& entry = table[m.slot(SquareSet{sub})];
      if (entry && entry != attacks) panic("magic multipliers map occupancies apart");
      entry = attacks;
      sub = (sub - mask.bits) & mask.bits;
    } while (sub);
    offset += std::uint32_t{1} << mask.size();
  }
}

}  // namespace

Sliders::Sliders() {
  fill(true, kRookMagics, rook, rook_attacks.data());
  fill(false, kBishopMagics, bishop, bishop_attacks.data());
  for (const Square a : kSquares) {
    for (const bool rook_lines : {true, false}) {
      for (const rays::Step d : rays::steps(rook_lines)) {
        const SquareSet ahead = ray_through(a, d);
        const SquareSet full = (ahead | ray_through(a, {-d.file, -d.rank})).with(a);
        for (const Square b : ahead) {
          between[index(a)][index(b)] = ahead & ray_through(b, {-d.file, -d.rank});
          line[index(a)][index(b)] = full;
        }
      }
    }
  }
}

// Filled when the library loads, before any caller can ask.
const Sliders kSliders{};

}  // namespace tables

SquareSet attackers(Square s, Colour colour, const std::array<SquareSet, 6>& sets,
                    SquareSet occupied) {
  const SquareSet diagonal = sets[index(Role::Bishop)] | sets[index(Role::Queen)];
  const SquareSet straight = sets[index(Role::Rook)] | sets[index(Role::Queen)];
  return (pawn_attacks(!colour, s) & sets[index(Role::Pawn)]) |
         (knight_attacks(s) & sets[index(Role::Knight)]) |
         (king_attacks(s) & sets[index(Role::King)]) | (bishop_attacks(s, occupied) & diagonal) |
         (rook_attacks(s, occupied) & straight);
}

}  // namespace vorn::board
