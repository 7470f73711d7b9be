#include "facts/move_facts.hpp"

#include <algorithm>

#include "board/attacks.hpp"
#include "facts/exchange.hpp"
#include "facts/geometry.hpp"
#include "facts/pawns.hpp"
#include "facts/worth.hpp"

namespace vorn::facts {

namespace {

// `side`'s knights, bishops, rooks and queens whose attacks meet the ring of `king`.
std::int32_t ring_attackers(const Scan& scan, Colour side, Square king) {
  const SquareSet ring = board::king_attacks(king);
  std::int32_t n = 0;
  for (const Square s : scan.pieces(side))
    if (scan.attacks_from[index(s)] & ring) ++n;
  return n;
}

// `c`'s units other than the king that the other side attacks and its own does not.
SquareSet hanging(const Scan& scan, Colour c) {
  return (scan.occupied[c] - scan.of_role(c, Role::King)) & (scan.attacked[!c] - scan.attacked[c]);
}

// The most `side` wins by taking one unit it attacks in the child; at least 0.
std::int32_t threat_created(const Position& child, const Scan& scan, Colour side) {
  const auto placement = exchange::Placement::of(child);
  const Colour them = !side;
  std::int32_t best = 0;
  for (const Square s : (scan.occupied[them] - scan.of_role(them, Role::King)) & scan.attacked[side]) {
    const Role r = *role_among(scan.units[them], s);
    best = std::max(best, exchange::forced_swap(placement, s, side, value(r), scan.occupancy).value_or(0));
  }
  return best;
}

void structure(MoveFacts& f, const TacticsInput& in, const Scan& after) {
  const Colour us = in.side;
  const PawnFacts child = pawn_facts(after);
  const PawnFacts& now = in.pawns;
  f.creates_passer = child.passed[us].size() > now.passed[us].size();
  f.creates_isolated = child.isolated[us].size() > now.isolated[us].size();
  f.creates_doubled = child.doubled[us].size() > now.doubled[us].size();
  f.creates_backward = child.backward[us].size() > now.backward[us].size();
  for (const File file : shield_files(in.scan.king_square[!us]))
    if (now.count_by_file[us][file] && !child.count_by_file[us][file])
      f.opens_file_at_enemy_king = true;
}

}  // namespace

MoveFacts move_facts(const TacticsInput& in, const PlayedMove& pm) {
  const Colour us = in.side, them = !us;
  const Move m = pm.move;
  const Scan after = Scan::of(pm.child);
  const Scan& now = in.scan;
  const SquareSet checkers = in.position.board.checkers();
  MoveFacts f{};
  f.victim = pm.victim;
  f.mover = pm.mover;
  f.promotion = m.promotion();
  f.gives_check = bool(pm.child.board.checkers());
  f.gives_safe_check = f.gives_check && pm.safe;
  f.is_safe = pm.safe;
  f.captures_hanging = pm.hanging_capture;
  f.moves_attacked_unit = now.attacked[them].contains(m.from);
  f.escapes_attack = f.moves_attacked_unit && pm.safe;
  f.to_attacked_by_pawn =
      bool(board::pawn_attacks(us, pm.destination) & after.of_role(them, Role::Pawn));
  f.is_castling = m.is_castling();
  f.is_en_passant = m.is_en_passant();
  f.see = pm.see;
  f.threat_created_max = threat_created(pm.child, after, us);
  f.blocks_check = checkers && !checkers.more_than_one() &&
                   board::between(checkers.first(), now.king_square[us]).contains(pm.destination);
  f.advances_passer = pm.mover == Role::Pawn && in.pawns.passed[us].contains(m.from);
  if (pm.mover == Role::Pawn || m.is_capture()) structure(f, in, after);
  f.enemy_king_attackers_delta = ring_attackers(after, us, after.king_square[them]) -
                                 ring_attackers(now, us, now.king_square[them]);
  f.mover_king_attackers_delta = ring_attackers(after, them, after.king_square[us]) -
                                 ring_attackers(now, them, now.king_square[us]);
  f.mover_hanging_delta = hanging(after, us).size() - in.attacks.hanging[us].size();
  f.enemy_hanging_delta = hanging(after, them).size() - in.attacks.hanging[them].size();
  const SquareSet hanging_pieces = hanging(after, us) & after.pieces(us);
  f.leaves_unit_hanging = bool(hanging_pieces - (in.attacks.hanging[us] & now.pieces(us)));
  f.gives_discovered_attack = pm.discovered_attack;
  return f;
}

}  // namespace vorn::facts
