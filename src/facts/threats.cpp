#include "facts/threats.hpp"

#include <algorithm>

#include "board/attacks.hpp"
#include "facts/exchange.hpp"
#include "facts/pieces.hpp"
#include "facts/worth.hpp"

namespace vorn::facts {

namespace {

Role role_at(const Scan& scan, Colour c, Square s) {
  const auto role = role_among(scan.units[c], s);
  if (!role) panic("a unit stands on its own square");
  return *role;
}

// Units of `among` whose safety value is at most `limit`.
int no_dearer_than(const Scan& scan, Colour c, SquareSet among, std::int32_t limit) {
  int n = 0;
  for (const Role r : kRoles)
    if (safety_value(r) <= limit) n += (scan.of_role(c, r) & among).size();
  return n;
}

void losses(ThreatFacts& f, const exchange::Placement& placement, const Scan& scan, Colour us) {
  const Colour them = !us;
  SquareSet sole_defenders;
  for (const Square s : scan.occupied[us] - scan.of_role(us, Role::King)) {
    const Role role = role_at(scan, us, s);
    const SquareSet attackers = enemy_attackers(scan, s, them, scan.occupancy);
    const SquareSet defenders = enemy_attackers(scan, s, us, scan.occupancy);
    const auto swap = exchange::forced_swap(placement, s, them, value(role), scan.occupancy);
    if (swap && *swap > 0) {
      f.threatened[us] = f.threatened[us].with(s);
      f.threatened_value[us] += value(role);
      f.threat_max_gain[us] = std::max(f.threat_max_gain[us], *swap);
    }
    for (const Role r : kRoles)
      if ((scan.of_role(them, r) & attackers) && safety_value(r) < safety_value(role)) {
        f.attacked_by_lesser[us] = f.attacked_by_lesser[us].with(s);
        if (role == Role::Queen) f.queen_attacked_by_lesser[us] = true;
        break;
      }
    if (!defenders) f.loose[us] = f.loose[us].with(s);
    if (no_dearer_than(scan, them, attackers, safety_value(role)) >
        no_dearer_than(scan, us, defenders, safety_value(role)))
      f.attacker_surplus[us] = f.attacker_surplus[us].with(s);
    if (attackers && defenders && !defenders.more_than_one()) {
      const Square d = defenders.first();
      if (sole_defenders.contains(d)) f.overloaded_defenders[us] = f.overloaded_defenders[us].with(d);
      sole_defenders = sole_defenders.with(d);
    }
  }
  for (const Square d : sole_defenders - scan.of_role(us, Role::King)) {
    const auto swap =
        exchange::forced_swap(placement, d, them, value(role_at(scan, us, d)), scan.occupancy);
    if (swap && *swap >= 0) f.removable_defenders[us] = f.removable_defenders[us].with(d);
  }
}

void xrays(ThreatFacts& f, const Scan& scan, Colour us) {
  const SquareSet enemy = scan.occupied[!us];
  for (const Role role : kSliderRoles)
    for (const Square from : scan.of_role(us, role))
      for (const Square front : scan.attacks_from[index(from)] & enemy) {
        const SquareSet seen = board::attacks_of(role, from, us, scan.occupancy.without(front));
        if ((seen - scan.attacks_from[index(from)]) & board::line(from, front) & enemy)
          bump(f.xray_through_enemy[us]);
      }
}

// Whether a unit of `role` moves along the line through `a` and `b`.
bool moves_along(Role role, Square a, Square b) {
  const bool straight = file_of(a) == file_of(b) || rank_of(a) == rank_of(b);
  return role == Role::Queen || (straight ? role == Role::Rook : role == Role::Bishop);
}

void batteries(ThreatFacts& f, const Scan& scan, Colour us) {
  const SquareSet sliders = scan.sliders(us);
  const SquareSet enemy_ring = board::king_attacks(scan.king_square[!us]);
  for (const Square a : sliders)
    for (const Square b : sliders) {
      if (index(a) >= index(b)) continue;
      const SquareSet between = board::between(a, b);
      if (!between) continue;
      const Role ra = role_at(scan, us, a), rb = role_at(scan, us, b);
      if (!moves_along(ra, a, b) || !moves_along(rb, a, b)) continue;
      bool joined = true;
      for (const Square s : between & scan.occupancy)
        if (!sliders.contains(s) || !moves_along(role_at(scan, us, s), a, b)) joined = false;
      if (!joined) continue;
      bump(f.battery_count[us]);
      if (between & enemy_ring) f.battery_at_king[us] = true;
    }
}

}  // namespace

ThreatFacts threat_facts(const Position& p, const Scan& scan) {
  ThreatFacts f{};
  const auto placement = exchange::Placement::of(p);
  for (const Colour us : kColours) {
    losses(f, placement, scan, us);
    xrays(f, scan, us);
    batteries(f, scan, us);
  }
  return f;
}

}  // namespace vorn::facts
