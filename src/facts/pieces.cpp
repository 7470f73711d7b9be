#include "facts/pieces.hpp"

#include <algorithm>

#include "board/attacks.hpp"
#include "facts/geometry.hpp"
#include "facts/worth.hpp"

namespace vorn::facts {

namespace {

std::int32_t value_sum(const Scan& scan, Colour c, SquareSet squares) {
  std::int32_t sum = 0;
  for (const Role r : kRoles) sum += value(r) * (scan.of_role(c, r) & squares).size();
  return sum;
}

// The lowest safety value among `attackers`, or more than any unit's when empty.
std::int32_t cheapest(const Scan& scan, Colour c, SquareSet attackers) {
  for (const Role r : kRoles)
    if (scan.of_role(c, r) & attackers) return safety_value(r);
  return safety_value(Role::King) + 1;
}

// Units of `us` standing alone between their king and an enemy slider on its line.
SquareSet absolutely_pinned(const Scan& scan, Colour us) {
  const Colour them = !us;
  const Square king = scan.king_square[us];
  const SquareSet queens = scan.of_role(them, Role::Queen);
  const SquareSet snipers =
      (board::bishop_attacks(king, {}) & (scan.of_role(them, Role::Bishop) | queens)) |
      (board::rook_attacks(king, {}) & (scan.of_role(them, Role::Rook) | queens));
  SquareSet pinned;
  for (const Square s : snipers) {
    const SquareSet between = board::between(king, s) & scan.occupancy;
    if (between && !between.more_than_one() && (between & scan.occupied[us])) pinned |= between;
  }
  return pinned;
}

// The enemy unit a slider on `from` would newly reach on its line through
// `front` once `front` were gone; none when the next unit is its own.
std::optional<Square> behind(const Scan& scan, Role role, Square from, Square front, Colour us) {
  const SquareSet seen = board::attacks_of(role, from, us, scan.occupancy.without(front));
  const SquareSet beyond =
      (seen - board::attacks_of(role, from, us, scan.occupancy)) & board::line(from, front);
  const SquareSet enemy = beyond & scan.occupied[!us];
  if (!enemy) return std::nullopt;
  return enemy.first();
}

std::uint8_t skewer_candidates(const Scan& scan, Colour us) {
  const Colour them = !us;
  std::uint8_t count = 0;
  for (const Role role : kSliderRoles)
    for (const Square from : scan.of_role(us, role))
      for (const Square front : scan.attacks_from[index(from)] & scan.occupied[them]) {
        const auto back = behind(scan, role, from, front, us);
        if (!back) continue;
        const Role front_role = *role_among(scan.units[them], front);
        const Role back_role = *role_among(scan.units[them], *back);
        if (safety_value(front_role) >= safety_value(back_role)) bump(count);
      }
  return count;
}

// Whether a unit of `role` moving from `from` to `to` lands where it is not simply lost.
bool safe_destination(const Scan& scan, Colour us, Role role, Square from, Square to) {
  const Colour them = !us;
  const SquareSet enemy_pawns = scan.of_role(them, Role::Pawn).without(to);
  if (board::pawn_attacks(us, to) & enemy_pawns) return false;
  const SquareSet occupancy = scan.occupancy.without(from).with(to);
  const SquareSet attackers = enemy_attackers(scan, to, them, occupancy);
  if (!attackers) return true;
  const auto any_of = [&](std::initializer_list<Role> roles) {
    for (const Role r : roles)
      if (attackers & scan.of_role(them, r)) return true;
    return false;
  };
  if ((role == Role::Rook || role == Role::Queen) && any_of({Role::Knight, Role::Bishop}))
    return false;
  if (role == Role::Queen && any_of({Role::Rook})) return false;
  return bool(enemy_attackers(scan, to, us, occupancy));
}

}  // namespace

SquareSet enemy_attackers(const Scan& scan, Square s, Colour enemy, SquareSet occupancy) {
  return board::attackers(s, enemy, scan.units[enemy], occupancy) & occupancy;
}

AttackFacts attack_facts(const Scan& scan) {
  AttackFacts f{};
  for (const Colour us : kColours) {
    const Colour them = !us;
    f.controlled[us] = scan.attacked[us];
    f.by_pawns[us] = scan.attacks_by[us][index(Role::Pawn)];
    f.by_knights[us] = scan.attacks_by[us][index(Role::Knight)];
    f.by_bishops[us] = scan.attacks_by[us][index(Role::Bishop)];
    f.by_rooks[us] = scan.attacks_by[us][index(Role::Rook)];
    f.by_queens[us] = scan.attacks_by[us][index(Role::Queen)];
    f.by_kings[us] = scan.attacks_by[us][index(Role::King)];
    const SquareSet units = scan.occupied[us] - scan.of_role(us, Role::King);
    f.attacked[us] = units & scan.attacked[them];
    f.defended[us] = scan.occupied[us] & scan.attacked[us];
    f.hanging[us] = f.attacked[us] - f.defended[us];
    SquareSet en_prise = f.hanging[us];
    for (const Square s : f.attacked[us] & f.defended[us]) {
      const SquareSet attackers = enemy_attackers(scan, s, them, scan.occupancy);
      if (cheapest(scan, them, attackers) < safety_value(*role_among(scan.units[us], s)))
        en_prise = en_prise.with(s);
    }
    f.en_prise[us] = en_prise;
    f.pinned[us] = absolutely_pinned(scan, us);
    f.attacked_value[us] = value_sum(scan, us, f.attacked[us]);
    f.hanging_value[us] = value_sum(scan, us, f.hanging[us]);
    f.en_prise_value[us] = value_sum(scan, us, en_prise);
    for (const Square s : en_prise)
      f.en_prise_max_value[us] =
          std::max(f.en_prise_max_value[us], value(*role_among(scan.units[us], s)));
    f.pinned_value[us] = value_sum(scan, us, f.pinned[us]);
    f.skewer_candidates[us] = skewer_candidates(scan, us);
  }
  return f;
}

namespace {

void bishops(PieceFacts& f, const Scan& scan, Colour us) {
  const SquareSet bishops = scan.of_role(us, Role::Bishop);
  const SquareSet light = SquareSet::light();
  f.bishops_light[us] = capped<std::uint8_t>((bishops & light).size());
  f.bishops_dark[us] = capped<std::uint8_t>((bishops - light).size());
  f.bishop_pair[us] = f.bishops_light[us] && f.bishops_dark[us];
  f.knight_pair[us] = scan.of_role(us, Role::Knight).more_than_one();
  SquareSet colours;
  if (bishops & light) colours |= light;
  if (bishops - light) colours |= ~light;
  const SquareSet pawns = scan.of_role(us, Role::Pawn) & colours;
  f.pawns_on_bishop_colour[us] = capped<std::uint8_t>(pawns.size());
  for (const Square s : pawns)
    if (scan.occupancy.contains(stop_square(us, s))) bump(f.fixed_pawns_on_bishop_colour[us]);
}

void rooks(PieceFacts& f, const Scan& scan, const PawnFacts& pawns, Colour us) {
  const Colour them = !us;
  const SquareSet rooks = scan.of_role(us, Role::Rook);
  for (const Square a : rooks)
    for (const Square b : rooks) {
      if (index(a) >= index(b) || (board::between(a, b) & scan.occupancy)) continue;
      if (rank_of(a) == rank_of(b)) f.rooks_connected_rank[us] = true;
      if (file_of(a) == file_of(b)) f.rooks_connected_file[us] = true;
    }
  const SquareSet seventh = SquareSet::rank(relative_rank(us, Rank(6)));
  for (const Square s : rooks) {
    const File file = file_of(s);
    const SquareSet on_file = SquareSet::file(file);
    if (pawns.open_files.contains(file)) bump(f.rooks_on_open_file[us]);
    if (pawns.semi_open_files[us].contains(file)) bump(f.rooks_on_semi_open_file[us]);
    if (seventh.contains(s)) bump(f.rooks_on_seventh_rank[us]);
    if (pawns.passed[us] & on_file & ahead_of(us, rank_of(s))) bump(f.rook_behind_own_passer[us]);
    // Behind an enemy passer as that pawn's side sees it: the passer stands ahead of the rook.
    if (pawns.passed[them] & on_file & ahead_of(them, rank_of(s)))
      bump(f.rook_behind_enemy_passer[us]);
  }
  const Square enemy_king = scan.king_square[them];
  f.rook_on_seventh_with_king_on_eighth[us] =
      f.rooks_on_seventh_rank[us] > 0 && relative_rank_of(us, enemy_king) == 7;
  if (!scan.may_castle[us]) {
    const int king_file = index(file_of(scan.king_square[us]));
    for (const Square s : rooks) {
      const int file = index(file_of(s));
      const bool beyond = king_file >= 4 ? file > king_file : file < king_file;
      if (beyond && (scan.attacks_from[index(s)] - scan.occupancy).size() < 3)
        f.trapped_rook[us] = true;
    }
  }
}

void outposts(PieceFacts& f, const Scan& scan, Colour us) {
  const SquareSet enemy_pawns = scan.of_role(!us, Role::Pawn);
  SquareSet outposts;
  for (int r = 3; r <= 5; ++r)
    for (const Square s : SquareSet::rank(relative_rank(us, Rank(r))) &
                              scan.attacks_by[us][index(Role::Pawn)]) {
      const SquareSet can_reach = adjacent_files(file_of(s)) &
                                  (ahead_of(us, rank_of(s)) | SquareSet::rank(rank_of(s)));
      if (!(enemy_pawns & can_reach)) outposts = outposts.with(s);
    }
  f.outposts[us] = outposts;
  const SquareSet minors = scan.of_role(us, Role::Knight) | scan.of_role(us, Role::Bishop);
  f.minors_on_outpost[us] = capped<std::uint8_t>((minors & outposts).size());
  f.outpost_squares_free[us] = capped<std::uint8_t>((outposts - scan.occupancy).size());
}

void development(PieceFacts& f, const Scan& scan, Colour us) {
  const SquareSet knights = scan.of_role(us, Role::Knight);
  const SquareSet rim = SquareSet::file(File(0)) | SquareSet::file(File(7)) |
                        SquareSet::rank(Rank(0)) | SquareSet::rank(Rank(7));
  f.knights_on_rim[us] = capped<std::uint8_t>((knights & rim).size());
  const Rank back = back_rank(us);
  SquareSet homes;
  for (const int file : {1, 2, 5, 6}) homes = homes.with(square_at(File(file), back));
  const SquareSet minors = knights | scan.of_role(us, Role::Bishop);
  f.minors_undeveloped[us] = capped<std::uint8_t>((minors & homes).size());
  f.queen_developed[us] = bool(scan.of_role(us, Role::Queen).without(square_at(File(3), back)));
}

void trapped(PieceFacts& f, const Scan& scan, Colour us) {
  std::int64_t sum = 0;
  for (const Role role : kPieceRoles)
    for (const Square from : scan.of_role(us, role)) {
      bool safe = false;
      for (const Square to : scan.attacks_from[index(from)] - scan.occupied[us])
        if (safe_destination(scan, us, role, from, to)) {
          safe = true;
          break;
        }
      if (safe) continue;
      bump(f.trapped_pieces[us]);
      sum += value(role);
    }
  f.trapped_value[us] = capped<std::uint8_t>(sum);
}

}  // namespace

PieceFacts piece_facts(const Scan& scan, const PawnFacts& pawns) {
  PieceFacts f{};
  for (const Colour us : kColours) {
    bishops(f, scan, us);
    rooks(f, scan, pawns, us);
    outposts(f, scan, us);
    development(f, scan, us);
    trapped(f, scan, us);
  }
  const SquareSet white = scan.of_role(Colour::White, Role::Bishop);
  const SquareSet black = scan.of_role(Colour::Black, Role::Bishop);
  f.opposite_coloured_bishops = white.size() == 1 && black.size() == 1 &&
                                bool(white & SquareSet::light()) != bool(black & SquareSet::light());
  return f;
}

MobilityFacts mobility_facts(const Scan& scan) {
  MobilityFacts f{};
  const SquareSet centre = SquareSet::of(square_at(File(3), Rank(3))).with(square_at(File(4), Rank(3)))
                               .with(square_at(File(3), Rank(4))).with(square_at(File(4), Rank(4)));
  SquareSet extended;
  for (int file = 2; file <= 5; ++file)
    for (int rank = 2; rank <= 5; ++rank) extended = extended.with(square_at(File(file), Rank(rank)));
  for (const Colour us : kColours) {
    const SquareSet free = ~scan.occupied[us];
    const SquareSet safe = free - scan.attacks_by[!us][index(Role::Pawn)];
    const auto count = [&](Role r, SquareSet within) {
      return capped<std::uint16_t>((scan.attacks_by[us][index(r)] & within).size());
    };
    f.pawns[us] = count(Role::Pawn, free);
    f.knights[us] = count(Role::Knight, free);
    f.bishops[us] = count(Role::Bishop, free);
    f.rooks[us] = count(Role::Rook, free);
    f.queens[us] = count(Role::Queen, free);
    f.safe_pawns[us] = count(Role::Pawn, safe);
    f.safe_knights[us] = count(Role::Knight, safe);
    f.safe_bishops[us] = count(Role::Bishop, safe);
    f.safe_rooks[us] = count(Role::Rook, safe);
    f.safe_queens[us] = count(Role::Queen, safe);
    f.total[us] = capped<std::uint16_t>(f.pawns[us] + f.knights[us] + f.bishops[us] + f.rooks[us] +
                                        f.queens[us]);
    const SquareSet enemy_half{us == Colour::White ? 0xFFFFFFFF00000000ULL : 0x00000000FFFFFFFFULL};
    f.space[us] = capped<std::uint16_t>((scan.attacked[us] & enemy_half).size());
    f.centre_control[us] = capped<std::uint8_t>((scan.attacked[us] & centre).size());
    f.extended_centre_control[us] = capped<std::uint8_t>((scan.attacked[us] & extended).size());
    for (const Role r : kPieceRoles)
      for (const Square s : scan.of_role(us, r))
        if (!(scan.attacks_from[index(s)] & free)) bump(f.immobile_pieces[us]);
  }
  return f;
}

}  // namespace vorn::facts
