// The facts record: fourteen groups of fields about one position, and the
// facts of one move. Plain values with no heap storage.
#pragma once

#include <cstddef>
#include <string_view>

#include "core/types.hpp"
#include "facts/enums.hpp"
#include "facts/field_values.hpp"

#include "facts/catalogue.def"

namespace vorn::facts {

#define VORN_FACTS_MEMBER(name, Type, meaning) Type name{};
#define VORN_FACTS_ONE(name, Type, meaning) +1
#define VORN_FACTS_RECORD(group, Record, FIELDS, meaning)              \
  struct Record {                                                      \
    static constexpr std::size_t kFieldCount = 0 FIELDS(VORN_FACTS_ONE); \
    FIELDS(VORN_FACTS_MEMBER)                                          \
    bool operator==(const Record&) const = default;                    \
  };
VORN_FACTS_GROUPS(VORN_FACTS_RECORD)
VORN_FACTS_RECORD(move, MoveFacts, VORN_MOVE_FACTS, "")
#undef VORN_FACTS_RECORD

struct Facts {
#define VORN_FACTS_GROUP_MEMBER(group, Record, FIELDS, meaning) Record group{};
  VORN_FACTS_GROUPS(VORN_FACTS_GROUP_MEMBER)
#undef VORN_FACTS_GROUP_MEMBER
  // Not facts themselves: kept for the summary and for comparing records.
  std::string_view variant = "chess";
  Colour side_to_move = Colour::White;

  bool operator==(const Facts&) const = default;
};

#undef VORN_FACTS_ONE
#undef VORN_FACTS_MEMBER

}  // namespace vorn::facts
