#include "facts/king.hpp"

#include <tuple>

#include "board/attacks.hpp"
#include "board/rays.hpp"
#include "facts/geometry.hpp"
#include "facts/worth.hpp"

namespace vorn::facts {

namespace {

// Ranks from the king to the nearest pawn of `pawns` ahead of it on `file`, seen from `us`.
std::optional<std::uint8_t> nearest_ahead(Colour us, Square king, SquareSet pawns, File file) {
  const SquareSet ahead = pawns & SquareSet::file(file) & ahead_of(us, rank_of(king));
  if (!ahead) return std::nullopt;
  int nearest = 8;
  for (const Square s : ahead) nearest = std::min(nearest, relative_rank_of(us, s));
  return std::uint8_t(nearest - relative_rank_of(us, king));
}

void shelter(KingFacts& f, const Scan& scan, Colour us) {
  const Square king = scan.king_square[us];
  const SquareSet own = scan.of_role(us, Role::Pawn), enemy = scan.of_role(!us, Role::Pawn);
  f.shield_files[us] = shield_files(king);
  for (int i = 0; i < 3; ++i) {
    const SquareSet file = SquareSet::file(f.shield_files[us][i]);
    f.shield_file_open[us][i] = !((own | enemy) & file);
    f.shield_file_semi_open_for_enemy[us][i] = (own & file) && !(enemy & file);
    f.shield[us][i] = nearest_ahead(us, king, own, f.shield_files[us][i]);
    f.storm[us][i] = nearest_ahead(us, king, enemy, f.shield_files[us][i]);
  }
}

// How many of `side`'s knights, bishops, rooks and queens attack `ring`, and their weight.
std::pair<std::uint8_t, std::uint8_t> ring_pressure(const Scan& scan, Colour side, SquareSet ring) {
  std::uint8_t count = 0, weight = 0;
  for (const Role r : kPieceRoles)
    for (const Square s : scan.of_role(side, r))
      if (scan.attacks_from[index(s)] & ring) {
        bump(count);
        bump(weight, kRingWeights[index(r)]);
      }
  return {count, weight};
}

void ring(KingFacts& f, const Scan& scan, Colour us) {
  const Colour them = !us;
  const Square king = scan.king_square[us];
  const SquareSet ring = board::king_attacks(king);
  SquareSet cover;
  for (const Role r : {Role::Pawn, Role::Knight, Role::Bishop, Role::Rook, Role::Queen})
    cover |= scan.attacks_by[us][index(r)];
  f.ring[us] = ring;
  std::tie(f.ring_attackers[us], f.ring_attack_weight[us]) = ring_pressure(scan, them, ring);
  std::tie(f.ring_defenders[us], f.ring_defence_weight[us]) = ring_pressure(scan, us, ring);
  f.ring_defended[us] = capped<std::uint8_t>((ring & cover).size());
  f.ring_holes[us] = capped<std::uint8_t>((ring & scan.attacked[them] & ~cover).size());
  f.escape_squares[us] = capped<std::uint8_t>((ring & ~scan.occupied[us] & ~scan.attacked[them]).size());
  if (relative_rank_of(us, king) == 0) {
    const SquareSet front = ring & ahead_of(us, rank_of(king));
    f.back_rank_risk[us] = front.is_subset(scan.occupied[us]);
    f.luft[us] = bool(front & ~scan.occupancy & ~scan.attacked[them]);
  }
}

// Whether the ray from `from` in direction `d` holds a square and every square of it is empty.
bool open_to_edge(Square from, board::rays::Step d, SquareSet occupancy) {
  auto s = offset(from, d.file, d.rank);
  if (!s) return false;
  for (; s; s = offset(*s, d.file, d.rank))
    if (occupancy.contains(*s)) return false;
  return true;
}

void distances(KingFacts& f, const Scan& scan, Colour us) {
  const Square king = scan.king_square[us];
  const SquareSet enemy = scan.pieces(!us);
  int sum = 0;
  for (const Square s : enemy) sum += distance(king, s);
  f.tropism[us] = enemy ? float(sum) / float(enemy.size()) : 0.0f;
  f.virtual_mobility[us] = capped<std::uint8_t>(board::queen_attacks(king, scan.occupancy).size());
  for (const bool rook_lines : {true, false})
    for (const board::rays::Step d : board::rays::steps(rook_lines))
      if (open_to_edge(king, d, scan.occupancy)) bump(f.open_rays[us]);
}

}  // namespace

KingFacts king_facts(const Scan& scan) {
  KingFacts f{};
  const Square white = scan.king_square.white, black = scan.king_square.black;
  f.distance = std::uint8_t(distance(white, black));
  f.opposite_side_castling = (index(file_of(white)) < 4) != (index(file_of(black)) < 4);
  for (const Colour us : kColours) {
    const Square king = scan.king_square[us];
    const int file = index(file_of(king));
    f.square[us] = king;
    f.on_home_square[us] = king == square_at(File(4), back_rank(us));
    f.castled_queenside[us] = file <= 2;
    f.castled_kingside[us] = file >= 5;
    if (!scan.may_castle[us]) {
      if (file >= 6) f.castled_side[us] = CastledSide::Short;
      if (file <= 2) f.castled_side[us] = CastledSide::Long;
    }
    shelter(f, scan, us);
    ring(f, scan, us);
    distances(f, scan, us);
  }
  return f;
}

}  // namespace vorn::facts
