#include "facts/tactics.hpp"

#include <algorithm>

#include "board/attacks.hpp"
#include "core/dispatch.hpp"
#include "facts/exchange.hpp"
#include "facts/move_facts.hpp"
#include "facts/worth.hpp"

namespace vorn::facts {

namespace {

using exchange::Placement;

// Every square `side` attacks in the child. A unit that did not move keeps
// the attacks the scan holds unless it is a slider whose lines changed.
SquareSet attacked_in_child(const TacticsInput& in, const Placement& child, SquareSet occupancy,
                            SquareSet touched) {
  const Colour side = in.side;
  const SquareSet changed = in.position.board.occupied() ^ occupancy;
  SquareSet out;
  for (const Role r : kRoles)
    for (const Square s : child.units[side][index(r)]) {
      const SquareSet before = in.scan.attacks_from[index(s)];
      const bool slider = r == Role::Bishop || r == Role::Rook || r == Role::Queen;
      const bool kept = !touched.contains(s) && !(slider && (before & changed));
      out |= kept ? before : board::attacks_of(r, s, side, occupancy);
    }
  return out;
}

// The largest swap `side` wins on one of `p`'s enemy units other than the
// king, at least `floor`. Only units `side` attacks (`attacked`) can be taken,
// and a unit is tried only if it is worth more than the best so far: a swap
// never wins more than the unit, with a promotion on the last rank.
std::int32_t largest_threat(const Position& p, const Placement& placement, Colour side,
                            SquareSet attacked, std::int32_t floor) {
  const SquareSet occupancy = p.board.occupied();
  const SquareSet last_rank = SquareSet::rank(relative_rank(side, Rank::Eighth));
  std::int32_t best = floor;
  for (const Role r : {Role::Pawn, Role::Knight, Role::Bishop, Role::Rook, Role::Queen})
    for (const Square s : placement.units[!side][index(r)] & attacked) {
      const std::int32_t most =
          value(r) + (last_rank.contains(s) ? exchange::promotion_gain(Role::Queen) : 0);
      if (most <= best) continue;
      best = std::max(best, exchange::forced_swap(placement, s, side, value(r), occupancy).value_or(0));
    }
  return best;
}

Role role_in(const std::array<SquareSet, 6>& units, Square s, const char* invariant) {
  const auto role = role_among(units, s);
  if (!role) panic(invariant);
  return *role;
}

// Whether a unit landing as `landing` on `to` in the child is not simply lost there.
bool safe_in(const Placement& child, SquareSet occupancy, Colour side, Role landing, Square to) {
  const SquareSet enemy =
      board::attackers(to, !side, child.units[!side], occupancy) & occupancy;
  for (const Role r : kRoles)
    if ((child.units[!side][index(r)] & enemy)) {
      if (safety_value(r) < safety_value(landing)) return false;
    }
  if (enemy & child.units[!side][index(Role::Pawn)]) return false;
  return !enemy || bool(board::attackers(to, side, child.units[side], occupancy) & occupancy);
}

struct Discovery {
  bool attack = false;
  bool on_queen = false;
};

// Sliders of the side that stayed put and now reach an enemy knight, bishop, rook or queen.
Discovery discovered(const TacticsInput& in, const Placement& child, SquareSet occupancy,
                     SquareSet touched) {
  const Colour side = in.side;
  const SquareSet targets = child.units[!side][index(Role::Knight)] |
                            child.units[!side][index(Role::Bishop)] |
                            child.units[!side][index(Role::Rook)] |
                            child.units[!side][index(Role::Queen)];
  // A slider gains squares only where a unit left its lines.
  const SquareSet vacated = in.position.board.occupied() - occupancy;
  Discovery found;
  for (const Role role : kSliderRoles)
    for (const Square s : in.scan.of_role(side, role) - touched) {
      if (!(in.scan.attacks_from[index(s)] & vacated)) continue;
      const SquareSet gained =
          (board::attacks_of(role, s, side, occupancy) - in.scan.attacks_from[index(s)]) & targets;
      if (!gained) continue;
      found.attack = true;
      if (gained & child.units[!side][index(Role::Queen)]) found.on_queen = true;
      if (found.on_queen) return found;
    }
  return found;
}

void set_by_role(Role r, bool& pawn, bool& knight, bool& bishop, bool& rook, bool& queen) {
  switch (r) {
    case Role::Pawn: pawn = true; break;
    case Role::Knight: knight = true; break;
    case Role::Bishop: bishop = true; break;
    case Role::Rook: rook = true; break;
    case Role::Queen: queen = true; break;
    case Role::King: break;
  }
}

void checks(const TacticsInput& in, const PlayedMove& pm, const Placement& child, SquareSet off,
            TacticsFacts& t) {
  const Colour us = in.side;
  const SquareSet checkers = pm.child.board.checkers();
  bump(t.check_count[us]);
  set_by_role(pm.mover, t.check_by_pawn[us], t.check_by_knight[us], t.check_by_bishop[us],
              t.check_by_rook[us], t.check_by_queen[us]);
  if (pm.safe) {
    bump(t.safe_check_count[us]);
    set_by_role(pm.mover, t.safe_check_by_pawn[us], t.safe_check_by_knight[us],
                t.safe_check_by_bishop[us], t.safe_check_by_rook[us], t.safe_check_by_queen[us]);
    if (pm.victim) t.safe_check_capturing[us] = true;
  }
  if (checkers.more_than_one()) t.double_check_available[us] = true;
  if (checkers - off) t.discovered_check_available[us] = true;
  if (in.king.back_rank_risk[!us]) {
    const Rank rank = rank_of(in.scan.king_square[!us]);
    for (const Square s : checkers) {
      const Role r = role_in(child.units[us], s, "a checker stands on its own square");
      if ((r == Role::Rook || r == Role::Queen) && rank_of(s) == rank)
        t.back_rank_mate_threat[us] = true;
    }
  }
}

void promotion(const TacticsInput& in, const PlayedMove& pm, TacticsFacts& t) {
  const Colour us = in.side;
  const File file = file_of(pm.move.to);
  t.promotion_files[us] = t.promotion_files[us].with(file);
  switch (pm.landing) {
    case Role::Queen: t.promotes_to_queen[us] = true; break;
    case Role::Rook: t.promotes_to_rook[us] = true; break;
    case Role::Bishop: t.promotes_to_bishop[us] = true; break;
    case Role::Knight: t.promotes_to_knight[us] = true; break;
    default: break;
  }
  if (pm.safe) t.safe_promotion_files[us] = t.safe_promotion_files[us].with(file);
  if (pm.see > 0) t.promotion_see_positive[us] = true;
}

void capture(const TacticsInput& in, const PlayedMove& pm, TacticsFacts& t) {
  const Colour us = in.side;
  bump(t.capture_count[us]);
  if (pm.see > 0) t.winning_capture_available[us] = true;
  t.winning_capture_max_gain[us] = std::max(t.winning_capture_max_gain[us], pm.see);
  if (pm.hanging_capture) {
    t.captures_hanging[us] = true;
    t.hanging_victim_max_value[us] = std::max(t.hanging_victim_max_value[us], value(*pm.victim));
  }
  if (pm.see == 0) bump(t.equal_capture_count[us]);
  if (pm.see < 0) bump(t.losing_capture_count[us]);
}

void fork(const TacticsInput& in, const PlayedMove& pm, const Placement& child, SquareSet occupancy,
          TacticsFacts& t) {
  const Colour us = in.side, them = !us;
  const SquareSet targets = board::attacks_of(pm.landing, pm.destination, us, occupancy) &
                            pm.child.board.colour(them);
  if (!targets.more_than_one()) return;
  int counted = 0;
  std::int32_t largest = 0;
  bool king = false;
  for (const Square s : targets) {
    const Role r = role_in(child.units[them], s, "a target stands on its own square");
    const bool defended = bool(board::attackers(s, them, child.units[them], occupancy) & occupancy);
    if (defended && safety_value(r) <= safety_value(pm.landing)) continue;
    ++counted;
    largest = std::max(largest, fork_value(r));
    if (r == Role::King) king = true;
  }
  if (counted < 2) return;
  bump(t.fork_count[us]);
  t.fork_max_value[us] = std::max(t.fork_max_value[us], largest);
  if (pm.landing == Role::Knight) t.knight_fork_available[us] = true;
  if (king) t.royal_fork_available[us] = true;
}

void pins_and_skewers(const TacticsInput& in, const PlayedMove& pm, const Placement& child,
                      SquareSet occupancy, TacticsFacts& t) {
  const Colour us = in.side, them = !us;
  if (pm.landing != Role::Bishop && pm.landing != Role::Rook && pm.landing != Role::Queen) return;
  const SquareSet seen = board::attacks_of(pm.landing, pm.destination, us, occupancy);
  bool pin = false;
  for (const Square front : seen & pm.child.board.colour(them)) {
    const SquareSet beyond =
        (board::attacks_of(pm.landing, pm.destination, us, occupancy.without(front)) - seen) &
        board::line(pm.destination, front) & pm.child.board.colour(them);
    if (!beyond) continue;
    const Role front_role = role_in(child.units[them], front, "a unit stands on its own square");
    const Role back = role_in(child.units[them], beyond.first(), "a unit stands on its own square");
    if (back == Role::King || value(back) > safety_value(front_role)) pin = true;
    if (back != Role::King && value(back) <= safety_value(front_role))
      t.skewer_creation_available[us] = true;
  }
  if (pin) bump(t.pin_creation_count[us]);
}

}  // namespace

VORN_HOT void tactics(const TacticsInput& in, AnnotatedMoves* per_move, TacticsFacts& t) {
  const Colour us = in.side, them = !us;
  const Position& p = in.position;
  const Placement placement = Placement::of(p);
  const std::int32_t threat_now = largest_threat(p, placement, us, in.scan.attacked[us], 0);
  t.available[us] = true;
  t.legal_move_count[us] = capped<std::uint16_t>(in.moves.size());
  t.no_safe_moves[us] = true;
  for (const Move m : in.moves) {
    PlayedMove pm{.move = m, .child = in.variant.play(p, m)};
    const auto mover = p.board.colour(us).contains(m.from) ? p.board.role_on(m.from) : std::nullopt;
    if (!mover) panic("a move starts on an occupied square");
    pm.mover = *mover;
    pm.landing = m.promotion().value_or(pm.mover);
    SquareSet touched = SquareSet::of(m.from);
    SquareSet check_origin;  // squares a checker that moved may stand on
    if (m.is_castling()) {
      pm.destination = castling_king_target(m);
      const bool short_side = index(file_of(m.to)) > index(file_of(m.from));
      const Square rook_to = square_at(File(short_side ? 5 : 3), rank_of(m.from));
      touched = touched.with(m.to).with(pm.destination).with(rook_to);
      check_origin = SquareSet::of(pm.destination).with(rook_to);
    } else {
      pm.destination = m.to;
      touched = touched.with(m.to);
      check_origin = SquareSet::of(m.to);
    }
    if (m.is_capture()) {
      const Square captured = m.is_en_passant() ? square_at(file_of(m.to), rank_of(m.from)) : m.to;
      pm.victim = p.board.role_on(captured);
      pm.hanging_capture = in.attacks.hanging[them].contains(captured);
    }
    const Placement child = Placement::of(pm.child);
    const SquareSet occupancy = pm.child.board.occupied();
    pm.safe = safe_in(child, occupancy, us, pm.landing, pm.destination);
    if (pm.safe) t.no_safe_moves[us] = false;
    if (pm.victim || m.promotion() || per_move) pm.see = exchange::see_capture(p, m);

    if (per_move || !t.discovered_attack_available[us] || !t.discovered_attack_on_queen[us]) {
      const Discovery d = discovered(in, child, occupancy, touched);
      pm.discovered_attack = d.attack;
      if (d.attack) t.discovered_attack_available[us] = true;
      if (d.on_queen) t.discovered_attack_on_queen[us] = true;
    }
    if (!pm.victim && !t.quiet_threat_available[us] &&
        largest_threat(pm.child, child, us, attacked_in_child(in, child, occupancy, touched),
                       threat_now) > threat_now)
      t.quiet_threat_available[us] = true;
    if (per_move) per_move->push({m, move_facts(in, pm)});

    const bool check = bool(pm.child.board.checkers());
    if (check) checks(in, pm, child, check_origin, t);
    if (!pm.child.board.has_legal_move()) (check ? t.mate_in_1 : t.stalemate_in_1)[us] = true;
    if (m.promotion()) promotion(in, pm, t);
    if (pm.victim) capture(in, pm, t);
    fork(in, pm, child, occupancy, t);
    pins_and_skewers(in, pm, child, occupancy, t);
  }
}

}  // namespace vorn::facts
