// The values the group classes derive from a group's record, one function per
// derived row of the catalogue (facts/catalogue.def), named as the row.
#pragma once

#include "facts/record.hpp"

namespace vorn::facts::derived {

namespace detail {

// Each side's value read as a yes or no: a count above 0, a set not empty.
template <class T>
constexpr ByColour<bool> any(const ByColour<T>& values) {
  return values.map([](const T& value) { return bool(value); });
}

}  // namespace detail

constexpr ByColour<int> ring_attacker_surplus(const KingFacts& king) {
  return {int(king.ring_attack_weight.white) - int(king.ring_defence_weight.white),
          int(king.ring_attack_weight.black) - int(king.ring_defence_weight.black)};
}

constexpr ByColour<bool> check_available(const TacticsFacts& t) { return detail::any(t.check_count); }
constexpr ByColour<bool> safe_check_available(const TacticsFacts& t) { return detail::any(t.safe_check_count); }
constexpr ByColour<bool> promotion_available(const TacticsFacts& t) { return detail::any(t.promotion_files); }
constexpr ByColour<bool> safe_promotion_available(const TacticsFacts& t) {
  return detail::any(t.safe_promotion_files);
}
constexpr ByColour<bool> capture_available(const TacticsFacts& t) { return detail::any(t.capture_count); }
constexpr ByColour<bool> fork_available(const TacticsFacts& t) { return detail::any(t.fork_count); }
constexpr ByColour<bool> pin_creation_available(const TacticsFacts& t) { return detail::any(t.pin_creation_count); }

constexpr ByColour<bool> only_moves(const TacticsFacts& t) {
  return {t.available.white && t.legal_move_count.white < 3, t.available.black && t.legal_move_count.black < 3};
}

}  // namespace vorn::facts::derived
