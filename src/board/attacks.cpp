#include "board/attacks.hpp"

#include <cstdint>

#include "error/error.hpp"
#include "board/rays.hpp"

namespace vorn::board {

namespace {

#include "board/magics.inc"

constexpr SquareSet leaper(Square s, std::initializer_list<std::pair<int, int>> deltas) {
  SquareSet out;
  for (const auto& [df, dr] : deltas)
    if (const auto to = offset(s, df, dr)) out = out.with(*to);
  return out;
}

template <class F>
constexpr std::array<SquareSet, 64> per_square(F f) {
  std::array<SquareSet, 64> out{};
  for (const Square s : kSquares) out[index(s)] = f(s);
  return out;
}

constexpr auto kKnight = per_square([](Square s) {
  return leaper(s, {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}});
});
constexpr auto kKing = per_square([](Square s) {
  return leaper(s, {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}});
});
constexpr std::array<std::array<SquareSet, 64>, 2> kPawn{
    per_square([](Square s) { return leaper(s, {{-1, 1}, {1, 1}}); }),
    per_square([](Square s) { return leaper(s, {{-1, -1}, {1, -1}}); }),
};

struct Magic {
  std::uint64_t mask;
  std::uint64_t multiplier;
  std::uint32_t offset;
  std::uint8_t shift;

  std::size_t slot(SquareSet occupied) const {
    return offset + (((occupied.bits & mask) * multiplier) >> shift);
  }
};

// Slider attacks for every occupancy, plus the between/line geometry; filled
// once when the library loads.
struct Tables {
  std::array<Magic, 64> rook, bishop;
  std::array<SquareSet, 102400> rook_attacks;
  std::array<SquareSet, 5248> bishop_attacks;
  std::array<std::array<SquareSet, 64>, 64> between, line;

  Tables() {
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

  static SquareSet ray_through(Square s, rays::Step d) {
    SquareSet out;
    for (auto t = offset(s, d.file, d.rank); t; t = offset(*t, d.file, d.rank)) out = out.with(*t);
    return out;
  }

  static void fill(bool rook_lines, const std::array<std::uint64_t, 64>& multipliers,
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
};

const Tables tables{};

}  // namespace

SquareSet knight_attacks(Square s) { return kKnight[index(s)]; }
SquareSet king_attacks(Square s) { return kKing[index(s)]; }
SquareSet pawn_attacks(Colour c, Square s) { return kPawn[index(c)][index(s)]; }
SquareSet bishop_attacks(Square s, SquareSet occupied) {
  return tables.bishop_attacks[tables.bishop[index(s)].slot(occupied)];
}
SquareSet rook_attacks(Square s, SquareSet occupied) {
  return tables.rook_attacks[tables.rook[index(s)].slot(occupied)];
}
SquareSet queen_attacks(Square s, SquareSet occupied) {
  return bishop_attacks(s, occupied) | rook_attacks(s, occupied);
}
SquareSet between(Square a, Square b) { return tables.between[index(a)][index(b)]; }
SquareSet line(Square a, Square b) { return tables.line[index(a)][index(b)]; }

SquareSet attacks_of(Role role, Square s, Colour colour, SquareSet occupied) {
  switch (role) {
    case Role::Pawn: return pawn_attacks(colour, s);
    case Role::Knight: return knight_attacks(s);
    case Role::Bishop: return bishop_attacks(s, occupied);
    case Role::Rook: return rook_attacks(s, occupied);
    case Role::Queen: return queen_attacks(s, occupied);
    case Role::King: return king_attacks(s);
  }
  return {};
}

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
