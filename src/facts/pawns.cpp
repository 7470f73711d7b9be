#include "facts/pawns.hpp"

#include <algorithm>

#include "board/attacks.hpp"
#include "facts/geometry.hpp"
#include "facts/worth.hpp"

namespace vorn::facts {

namespace {

int forward(Colour c) { return c == Colour::White ? 1 : -1; }

// Every square on the ranks `c` still has to reach from `s`'s rank, and that rank itself.
SquareSet level_or_ahead(Colour c, Square s) {
  return ahead_of(c, rank_of(s)) | SquareSet::rank(rank_of(s));
}

struct Side {
  Colour us;
  SquareSet own, enemy;
};

void structure(PawnFacts& f, const Scan& scan, const Side& side) {
  const auto [us, own, enemy] = side;
  for (const Square s : own) {
    ++f.count_by_file[us][file_of(s)];
    ++f.count_by_rank[us][relative_rank(us, rank_of(s))];
  }
  for (const Square s : own) {
    const File file = file_of(s);
    const SquareSet adjacent = adjacent_files(file);
    const SquareSet own_file = SquareSet::file(file);
    if ((own & own_file).more_than_one()) f.doubled[us] = f.doubled[us].with(s);
    if (!(own & adjacent)) f.isolated[us] = f.isolated[us].with(s);
    const SquareSet enemy_ahead = enemy & ahead_of(us, rank_of(s));
    if (!(enemy_ahead & (own_file | adjacent))) {
      f.passed[us] = f.passed[us].with(s);
    } else {
      const SquareSet support = own & adjacent & ~ahead_of(us, rank_of(s));
      if (!(enemy_ahead & own_file) && support.size() >= (enemy_ahead & adjacent).size())
        f.candidates[us] = f.candidates[us].with(s);
      if (!support && scan.attacks_by[!us][index(Role::Pawn)].contains(stop_square(us, s)))
        f.backward[us] = f.backward[us].with(s);
    }
    if (board::pawn_attacks(us, s) & enemy) bump(f.levers[us]);
  }
  f.defended[us] = own & scan.attacks_by[us][index(Role::Pawn)];
  for (int file = 0; file < 8; ++file)
    if (f.count_by_file[us][File(file)] && (file == 0 || !f.count_by_file[us][File(file - 1)]))
      bump(f.islands[us]);
}

// The passer with the highest rank counted from `us`'s side, the lowest file among equals.
Square lead_passer(Colour us, SquareSet passed) {
  Square lead = passed.first();
  for (const Square s : passed)
    if (relative_rank_of(us, s) > relative_rank_of(us, lead)) lead = s;
  return lead;
}

void passers(PawnFacts& f, const Scan& scan, Colour us) {
  const SquareSet passed = f.passed[us];
  if (!passed) return;
  const Colour them = !us;
  const int tempo = scan.side_to_move == us ? 0 : 1;
  const Square enemy_king = scan.king_square[them];
  const Square lead = lead_passer(us, passed);
  f.passer_lead_rank[us] = std::uint8_t(relative_rank_of(us, lead) + 1);
  f.passer_protected[us] = capped<std::uint8_t>((passed & f.defended[us]).size());
  for (const Square s : passed)
    if (passed & adjacent_files(file_of(s))) f.passers_connected[us] = true;
  if (!scan.pieces(them)) {
    for (const Square s : passed) {
      const int reach = std::max(distance(enemy_king, promotion_square(us, file_of(s))) - tempo, 0);
      if (reach > 7 - relative_rank_of(us, s)) {
        f.passer_unstoppable[us] = true;
        break;
      }
    }
  }
}

void files(PawnFacts& f) {
  for (int file = 0; file < 8; ++file) {
    const bool white = f.count_by_file.white[File(file)], black = f.count_by_file.black[File(file)];
    if (!white && !black) f.open_files = f.open_files.with(File(file));
    if (white && !black) f.semi_open_files.black = f.semi_open_files.black.with(File(file));
    if (black && !white) f.semi_open_files.white = f.semi_open_files.white.with(File(file));
  }
}

void chains(PawnFacts& f, const Scan& scan, const Side& side) {
  const auto [us, own, enemy] = side;
  for (const Square s : own) {
    for (const int step : {-1, 1}) {
      const std::uint8_t run = chain_run(own, s, step, us);
      f.chain_max_length[us] = std::max(f.chain_max_length[us], run);
      if (run < 2) continue;
      const auto behind = offset(s, -step, -forward(us));
      if ((!behind || !own.contains(*behind)) && scan.attacked[!us].contains(s))
        f.chain_base_attacked[us] = true;
    }
  }
}

void majorities(PawnFacts& f, const Side& side) {
  const auto [us, own, enemy] = side;
  const SquareSet queenside{0x0F0F0F0F0F0F0F0FULL};
  f.queenside_majority[us] = (own & queenside).size() > (enemy & queenside).size();
  f.kingside_majority[us] = (own & ~queenside).size() > (enemy & ~queenside).size();
}

void holes(PawnFacts& f, const Scan& scan, const Side& side) {
  const auto [us, own, enemy] = side;
  for (int r = 2; r <= 5; ++r) {
    const Rank rank = relative_rank(us, Rank(r));
    for (int file = 0; file < 8; ++file) {
      const Square s = square_at(File(file), rank);
      if (!(own & adjacent_files(File(file)) & ~level_or_ahead(us, s)))
        f.holes[us] = f.holes[us].with(s);
    }
  }
  const SquareSet minors = scan.of_role(!us, Role::Knight) | scan.of_role(!us, Role::Bishop);
  f.holes_occupied[us] = capped<std::uint8_t>((minors & f.holes[us]).size());
}

void passer_paths(PawnFacts& f, const Scan& scan, const Side& side) {
  const auto [us, own, enemy] = side;
  for (const Square s : own)
    if (scan.occupancy.contains(stop_square(us, s))) bump(f.fixed_pawns[us]);
  const SquareSet passed = f.passed[us];
  if (!passed) return;
  for (const Square s : passed) {
    if (scan.occupied[!us].contains(stop_square(us, s))) bump(f.blocked_passers[us]);
    if (!(scan.occupancy & SquareSet::file(file_of(s)) & ahead_of(us, rank_of(s))))
      bump(f.passer_free_path[us]);
  }
  const Square lead = lead_passer(us, passed);
  const int pushes = 7 - relative_rank_of(us, lead);
  const Square promotion = promotion_square(us, file_of(lead));
  const int enemy_distance = distance(scan.king_square[!us], promotion);
  const int tempo = scan.side_to_move == us ? 0 : 1;
  f.passer_distance[us] = std::uint8_t(pushes);
  f.passer_own_king_distance[us] = capped<std::uint8_t>(distance(scan.king_square[us], promotion));
  f.passer_enemy_king_distance[us] = capped<std::uint8_t>(enemy_distance);
  f.passer_in_square[us] = std::max(enemy_distance - tempo, 0) <= pushes;
}

void semi_open_use(PawnFacts& f, const Scan& scan, Colour us) {
  for (const File file : shield_files(scan.king_square[!us]))
    if (f.semi_open_files[us].contains(file)) bump(f.half_open_at_enemy_king[us]);
  for (const Square s : f.backward[us])
    if (f.semi_open_files[!us].contains(file_of(s))) bump(f.backward_on_semi_open[us]);
}

}  // namespace

std::uint8_t chain_run(SquareSet pawns, Square start, int file_step, Colour c) {
  std::uint8_t run = 1;
  for (auto s = offset(start, file_step, forward(c)); s && pawns.contains(*s);
       s = offset(*s, file_step, forward(c)))
    ++run;
  return run;
}

PawnFacts pawn_facts(const Scan& scan) {
  PawnFacts f{};
  const auto side_of = [&](Colour us) {
    return Side{us, scan.of_role(us, Role::Pawn), scan.of_role(!us, Role::Pawn)};
  };
  for (const Colour us : kColours) {
    f.pawns[us] = scan.of_role(us, Role::Pawn);
    structure(f, scan, side_of(us));
    passers(f, scan, us);
  }
  files(f);
  for (const Square s : scan.of_role(Colour::White, Role::Pawn))
    if (scan.of_role(Colour::Black, Role::Pawn).contains(stop_square(Colour::White, s)))
      bump(f.rams);
  for (const Colour us : kColours) {
    const Side side = side_of(us);
    chains(f, scan, side);
    majorities(f, side);
    holes(f, scan, side);
    passer_paths(f, scan, side);
    semi_open_use(f, scan, us);
  }
  return f;
}

}  // namespace vorn::facts
