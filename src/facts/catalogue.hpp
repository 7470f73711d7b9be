// The catalogue: every group's name and meaning with its fields, and the
// fields of a move, each with its name, type and meaning, as static data.
// Built from the one declaration of every fact; each field's type text and
// description come from its C++ type (facts/value_type.hpp).
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "facts/record.hpp"
#include "facts/types.hpp"
#include "facts/value_type.hpp"

namespace vorn::facts::catalogue {

struct Field {
  std::string_view name;
  std::string_view type;  // the type text: "ByColour<[Option<u8>; 3]>"
  std::string_view meaning;
  const types::FieldType* description;  // what the tensor layout reads
};

struct Group {
  std::string_view name;
  std::string_view meaning;
  std::span<const Field> fields;
};

namespace detail {

#define VORN_CATALOGUE_FIELD(name, Type, meaning) \
  Field{#name, ValueType<Type>::text, meaning, &ValueType<Type>::type},
#define VORN_CATALOGUE_FIELDS(group, Record, FIELDS, meaning) \
  inline constexpr std::array k_##group = std::to_array<Field>({FIELDS(VORN_CATALOGUE_FIELD)});
VORN_FACTS_GROUPS(VORN_CATALOGUE_FIELDS)
VORN_CATALOGUE_FIELDS(move, MoveFacts, VORN_MOVE_FACTS, "")
#undef VORN_CATALOGUE_FIELDS
#undef VORN_CATALOGUE_FIELD

}  // namespace detail

#define VORN_CATALOGUE_GROUP(group, Record, FIELDS, meaning) Group{#group, meaning, detail::k_##group},
inline constexpr std::array kGroups = std::to_array<Group>({VORN_FACTS_GROUPS(VORN_CATALOGUE_GROUP)});
#undef VORN_CATALOGUE_GROUP

inline constexpr std::span<const Field> kMoveFields = detail::k_move;

}  // namespace vorn::facts::catalogue
