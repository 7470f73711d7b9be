// The three enumerations only facts use. Each value's code is its place in
// its list; the JSON and Python sides use its name.
#pragma once

#include "core/enum_list.hpp"

// (value, name) rows of each enumeration, code 0 first.
#define VORN_CASTLED_SIDES(X) X(Short, "short") X(Long, "long")
#define VORN_OPPOSITIONS(X) X(Direct, "direct") X(Distant, "distant")
#define VORN_DRAWISH_MATERIALS(X) \
  X(TwoKnights, "two_knights") X(WrongBishop, "wrong_bishop") X(OppositeBishops, "opposite_bishops")

// (type, rows) of each enumeration.
#define VORN_FACTS_ENUMS(E)                 \
  E(CastledSide, VORN_CASTLED_SIDES)        \
  E(Opposition, VORN_OPPOSITIONS)           \
  E(DrawishMaterial, VORN_DRAWISH_MATERIALS)

namespace vorn::facts {

VORN_FACTS_ENUMS(VORN_NAMED_ENUM)

}  // namespace vorn::facts
