// The three enumerations only facts use. Each value's code is its place in
// its list; the JSON and Python sides use its name.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

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

#define VORN_ENUM_VALUE(value, name) value,
#define VORN_ENUM_NAME(value, name) std::string_view{name},
#define VORN_FACTS_ENUM_DECLARE(Type, ROWS)                                     \
  enum class Type : std::uint8_t { ROWS(VORN_ENUM_VALUE) };                     \
  inline constexpr std::array k##Type##Names{ROWS(VORN_ENUM_NAME)};             \
  constexpr std::string_view name(Type v) { return k##Type##Names[std::size_t(v)]; }
VORN_FACTS_ENUMS(VORN_FACTS_ENUM_DECLARE)
#undef VORN_FACTS_ENUM_DECLARE
#undef VORN_ENUM_NAME
#undef VORN_ENUM_VALUE

}  // namespace vorn::facts
