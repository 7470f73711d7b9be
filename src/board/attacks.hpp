// Attack tables: leapers are constexpr, sliders come from magic tables filled
// once when the library loads. `between` and `line` answer geometry questions.
// The lookups are inline, tables and all, because move generation calls them
// for every unit of every position.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "board/rays.hpp"
#include "core/types.hpp"

namespace vorn::board {

namespace tables {

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

inline constexpr auto kKnight = per_square([](Square s) {
  return leaper(s, {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}});
});
inline constexpr auto kKing = per_square([](Square s) {
  return leaper(s, {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}});
});
inline constexpr std::array<std::array<SquareSet, 64>, 2> kPawn{
    per_square([](Square s) { return leaper(s, {{-1, 1}, {1, 1}}); }),
    per_square([](Square s) { return leaper(s, {{-1, -1}, {1, -1}}); }),
};

// Slider reach on an empty board: the squares from which a slider could
// attack this one were nothing in between.
inline constexpr auto kRookRays = per_square([](Square s) { return rays::walk(true, s, SquareSet{}); });
inline constexpr auto kBishopRays = per_square([](Square s) { return rays::walk(false, s, SquareSet{}); });

struct Magic {
  std::uint64_t mask;
  std::uint64_t multiplier;
  std::uint32_t offset;
  std::uint8_t shift;

  std::size_t slot(SquareSet occupied) const {
    return offset + (((occupied.bits & mask) * multiplier) >> shift);
  }
};

// Slider attacks for every occupancy, plus the between/line geometry.
struct Sliders {
  std::array<Magic, 64> rook, bishop;
  std::array<SquareSet, 102400> rook_attacks;
  std::array<SquareSet, 5248> bishop_attacks;
  std::array<std::array<SquareSet, 64>, 64> between, line;

  Sliders();
};

extern const Sliders kSliders;

}  // namespace tables

inline SquareSet knight_attacks(Square s) { return tables::kKnight[index(s)]; }
inline SquareSet king_attacks(Square s) { return tables::kKing[index(s)]; }
inline SquareSet pawn_attacks(Colour c, Square s) { return tables::kPawn[index(c)][index(s)]; }
inline SquareSet rook_rays(Square s) { return tables::kRookRays[index(s)]; }
inline SquareSet bishop_rays(Square s) { return tables::kBishopRays[index(s)]; }
inline SquareSet bishop_attacks(Square s, SquareSet occupied) {
  const auto& t = tables::kSliders;
  return t.bishop_attacks[t.bishop[index(s)].slot(occupied)];
}
inline SquareSet rook_attacks(Square s, SquareSet occupied) {
  const auto& t = tables::kSliders;
  return t.rook_attacks[t.rook[index(s)].slot(occupied)];
}
inline SquareSet queen_attacks(Square s, SquareSet occupied) {
  return bishop_attacks(s, occupied) | rook_attacks(s, occupied);
}
// Squares strictly between two squares on a common line; empty otherwise.
inline SquareSet between(Square a, Square b) { return tables::kSliders.between[index(a)][index(b)]; }
// The whole rank, file or diagonal through both squares; empty when none.
inline SquareSet line(Square a, Square b) { return tables::kSliders.line[index(a)][index(b)]; }

// The attack set a unit of `role` and `colour` would have on `s` (the colour
// matters only for pawns). Inline: reading a move's text asks it once a move.
inline SquareSet attacks_of(Role role, Square s, Colour colour, SquareSet occupied) {
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
// The units among `sets` (one colour's units, by role) that attack `s`. The
// sets are not masked by `occupied`.
SquareSet attackers(Square s, Colour colour, const std::array<SquareSet, 6>& sets,
                    SquareSet occupied);

}  // namespace vorn::board
