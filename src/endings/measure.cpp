#include "endings/measure.hpp"

#include <algorithm>
#include <cstdlib>

#include "board/attacks.hpp"

namespace vorn::endings {
namespace {

constexpr std::array<std::uint32_t, 6> kRoleValue{1, 3, 3, 5, 9, 0};
constexpr std::array<Role, 4> kPieceRoles{Role::Knight, Role::Bishop, Role::Rook, Role::Queen};

Counts counts_of(const board::Board& b, Colour c) {
  Counts out{};
  for (Role r : kRoles) out[index(r)] = std::uint8_t(b.pieces(r, c).size());
  return out;
}

std::uint32_t value_of(const Counts& counts) {
  std::uint32_t sum = 0;
  for (Role r : kRoles) sum += counts[index(r)] * kRoleValue[index(r)];
  return sum;
}

Colour stronger_of(const ByColour<std::uint32_t>& value, const ByColour<Counts>& counts) {
  if (value.white != value.black) return value.white > value.black ? Colour::White : Colour::Black;
  for (Role r : kRoleOrder) {
    const int w = counts.white[index(r)], b = counts.black[index(r)];
    if (w != b) return w > b ? Colour::White : Colour::Black;
  }
  return Colour::White;
}

int king_distance(Square a, Square b) {
  return std::max(std::abs(index(file_of(a)) - index(file_of(b))),
                  std::abs(index(rank_of(a)) - index(rank_of(b))));
}

// Whether `king` stands on `pawn`'s file, further up the board as `c` sees it.
bool in_front(Square king, Square pawn, Colour c) {
  return file_of(king) == file_of(pawn) &&
         relative_rank(c, rank_of(king)) > relative_rank(c, rank_of(pawn));
}

PawnRace pawn_race(const board::Board& b, Square pawn) {
  const Colour us = *b.colour_on(pawn);
  const Colour them = !us;
  const Rank r = relative_rank(us, rank_of(pawn));
  const Square promotion = square_at(file_of(pawn), relative_rank(us, Rank::Eighth));
  const std::uint32_t steps = r == Rank::Second ? 5 : 7 - index(r);  // the double step saves a move
  const int distance = king_distance(b.king(them), promotion);
  const std::uint32_t tempo = b.side_to_move() == them ? 1 : 0;
  return {
      .pawn = pawn,
      .colour = us,
      .promotion = promotion,
      .rook_pawn = file_of(pawn) == File::A || file_of(pawn) == File::H,
      .steps = steps,
      .defender_inside_square = int(steps + tempo) >= distance,
      .attacker_in_front = in_front(b.king(us), pawn, us),
      .defender_in_front = in_front(b.king(them), pawn, us),
      .defender_holds_the_corner = distance < 2,
  };
}

bool light(Square s) { return SquareSet::light().contains(s); }

Bishops bishops_of(const board::Board& b, const std::optional<PawnRace>& race) {
  const SquareSet all = b.pieces(Role::Bishop);
  const SquareSet white = b.pieces(Role::Bishop, Colour::White);
  const SquareSet black = b.pieces(Role::Bishop, Colour::Black);
  const auto wrong_for = [&](const PawnRace& p) {
    const SquareSet own = b.pieces(Role::Bishop, p.colour);
    const SquareSet covering = light(p.promotion) ? SquareSet::light() : ~SquareSet::light();
    return p.rook_pawn && !own.empty() && (own & covering).empty();
  };
  return {
      .opposite_colours = white.size() == 1 && black.size() == 1 &&
                          light(white.first()) != light(black.first()),
      .same_colour = all.on_one_square_colour(),
      .wrong_bishop = race && wrong_for(*race),
  };
}

bool opposition(const board::Board& b) {
  const SquareSet gap = board::between(b.king(Colour::White), b.king(Colour::Black));
  return gap.size() == 1 && (gap & b.occupied()).empty();
}

// One side's letters, king first: "K", "KQ", "KRP".
std::string side_text(const Counts& counts) {
  std::string out(counts[index(Role::King)], 'K');
  for (Role r : kRoleOrder) out.append(counts[index(r)], role_fen_letter(r, Colour::White));
  return out;
}

}  // namespace

unsigned Signature::pieces(Colour c) const {
  unsigned n = 0;
  for (Role r : kPieceRoles) n += count(c, r);
  return n;
}

unsigned Signature::pawns() const {
  return count(Colour::White, Role::Pawn) + count(Colour::Black, Role::Pawn);
}

Signature signature_of(const board::Board& b) {
  const ByColour<Counts> counts{counts_of(b, Colour::White), counts_of(b, Colour::Black)};
  const ByColour<std::uint32_t> value = counts.map(value_of);
  const Colour stronger = stronger_of(value, counts);
  return {
      .text = side_text(counts[stronger]) + "v" + side_text(counts[!stronger]),
      .value = value,
      .counts = counts,
      .stronger = stronger,
  };
}

Evidence evidence_of(const board::Board& b) {
  const SquareSet pawns = b.pieces(Role::Pawn);
  std::optional<PawnRace> race;
  if (pawns.size() == 1) race = pawn_race(b, pawns.first());
  std::optional<Bishops> bishops;
  if (!b.pieces(Role::Bishop).empty()) bishops = bishops_of(b, race);
  return {.pawn = race, .bishops = bishops, .opposition = opposition(b)};
}

}  // namespace vorn::endings
