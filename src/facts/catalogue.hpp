// The catalogue: every group's name and meaning with its fields, and the
// fields of a move, each with its name, type text and meaning, as static data.
// Built from the one declaration of every fact, and checked there: each type
// text must name the C++ type the record holds.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "facts/record.hpp"
#include "facts/type_text.hpp"

namespace vorn::facts::catalogue {

struct Field {
  std::string_view name;
  std::string_view type;  // the type text, as the tensor layout reads it
  std::string_view meaning;
};

struct Group {
  std::string_view name;
  std::string_view meaning;
  std::span<const Field> fields;
};

namespace detail {

#define VORN_CATALOGUE_FIELD(name, Type, text, meaning)                                \
  Field{#name, text, meaning},
#define VORN_CATALOGUE_CHECK(name, Type, text, meaning) \
  static_assert(names_type<Type>(text), "the type text of " #name " does not name its C++ type");
#define VORN_CATALOGUE_FIELDS(group, Record, FIELDS, meaning)                 \
  inline constexpr std::array k_##group = std::to_array<Field>({FIELDS(VORN_CATALOGUE_FIELD)}); \
  FIELDS(VORN_CATALOGUE_CHECK)
VORN_FACTS_GROUPS(VORN_CATALOGUE_FIELDS)
VORN_CATALOGUE_FIELDS(move, MoveFacts, VORN_MOVE_FACTS, "")
#undef VORN_CATALOGUE_FIELDS
#undef VORN_CATALOGUE_CHECK
#undef VORN_CATALOGUE_FIELD

}  // namespace detail

#define VORN_CATALOGUE_GROUP(group, Record, FIELDS, meaning) Group{#group, meaning, detail::k_##group},
inline constexpr std::array kGroups = std::to_array<Group>({VORN_FACTS_GROUPS(VORN_CATALOGUE_GROUP)});
#undef VORN_CATALOGUE_GROUP

inline constexpr std::span<const Field> kMoveFields = detail::k_move;

}  // namespace vorn::facts::catalogue
