#include "facts/exchange.hpp"

#include "board/attacks.hpp"
#include "facts/counters.hpp"

namespace vorn::facts::exchange {

namespace {

// The least valuable unit among `among`, the lowest square first within a role.
std::optional<std::pair<Role, Square>> cheapest(const std::array<SquareSet, 6>& units,
                                                SquareSet among) {
  for (Role r : kRoles)
    if (const SquareSet s = units[index(r)] & among) return std::pair{r, s.first()};
  return std::nullopt;
}

SquareSet attackers_on(const Placement& placement, Square square, Colour side,
                       SquareSet occupancy) {
  return board::attackers(square, side, placement.units[side], occupancy) & occupancy;
}

}  // namespace

Placement Placement::of(const Position& p) {
  return {{p.board.units_of(Colour::White), p.board.units_of(Colour::Black)}};
}

std::optional<std::int32_t> forced_swap(const Placement& placement, Square square, Colour side,
                                        std::int32_t gain, SquareSet occupancy) {
  const auto capturer =
      cheapest(placement.units[side], attackers_on(placement, square, side, occupancy));
  if (!capturer) return std::nullopt;
  const auto [role, origin] = *capturer;
  const SquareSet rest = occupancy.without(origin);
  std::int32_t left = value(role);
  if (role == Role::Pawn && relative_rank(side, rank_of(square)) == Rank::Eighth) {
    gain += promotion_gain(Role::Queen);
    left = value(Role::Queen);
  }
  if (role == Role::King && attackers_on(placement, square, !side, rest)) return std::nullopt;
  const auto reply = forced_swap(placement, square, !side, left, rest);
  return reply && *reply > 0 ? gain - *reply : gain;
}

std::optional<std::int32_t> signed_see(const Position& p, Square square) {
  const auto role = p.board.role_on(square);
  if (!role || *role == Role::King) return std::nullopt;
  const Colour owner = *p.board.colour_on(square);
  return forced_swap(Placement::of(p), square, !owner, value(*role), p.board.occupied());
}

std::int32_t see_capture(const Position& p, Move m) {
  const auto mover = p.board.role_on(m.from);
  if (m.is_castling() || !mover) return 0;
  const Square captured = m.is_en_passant() ? square_at(file_of(m.to), rank_of(m.from)) : m.to;
  const auto victim = p.board.role_on(captured);
  const auto promotion = m.promotion();
  const std::int32_t gain =
      (victim ? value(*victim) : 0) + (promotion ? promotion_gain(*promotion) : 0);
  const SquareSet after = p.board.occupied().without(captured).without(m.from).with(m.to);
  const Colour side = *p.board.colour_on(m.from);
  const auto reply = forced_swap(Placement::of(p), m.to, !side,
                                 value(promotion.value_or(*mover)), after);
  return reply && *reply > 0 ? gain - *reply : gain;
}

std::int32_t exchange_facts(const Position& p, const MoveList& moves, Colour side,
                            ExchangeFacts& group) {
  bool first = true;
  for (const Move m : moves) {
    if (!m.is_capture()) continue;
    const std::int32_t see = see_capture(p, m);
    if (first || see > group.see_best_capture[side]) group.see_best_capture[side] = see;
    first = false;
    if (see == 0) bump(group.see_equal_capture_count[side]);
    if (see > 0) {
      bump(group.see_positive_capture_count[side]);
      group.see_positive_total[side] += see;
    }
  }
  return group.see_best_capture[side];
}

}  // namespace vorn::facts::exchange
