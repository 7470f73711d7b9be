// The compact JSON of the facts records: one object per group with its fields
// in catalogue order, the whole record as one object of the fourteen groups,
// and the facts of a move. The records' hashes digest this text, so equal
// records always write the same bytes; their to_dict gives the data it reads as.
#pragma once

#include <string>

#include "facts/record.hpp"
#include "json/values.hpp"
#include "json/writer.hpp"

namespace vorn::facts {

template <class T, class Index>
void write(json::Writer& w, const Eight<T, Index>& values) { json::write_items(w, values.values); }

#define VORN_FACTS_RECORD_WRITE(group, Record, FIELDS, meaning) void write(json::Writer& w, const Record& record);
VORN_FACTS_GROUPS(VORN_FACTS_RECORD_WRITE)
VORN_FACTS_RECORD_WRITE(move, MoveFacts, VORN_MOVE_FACTS, "")
#undef VORN_FACTS_RECORD_WRITE

// The fourteen groups by name; the variant and the side to move are not facts.
void write(json::Writer& w, const Facts& facts);

}  // namespace vorn::facts
