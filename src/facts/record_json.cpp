#include "facts/record_json.hpp"

namespace vorn::facts {

#define VORN_FACTS_MEMBER_WRITE(name, Type, meaning) json::member(w, #name, record.name);
#define VORN_FACTS_RECORD_WRITE(group, Record, FIELDS, meaning) \
  void write(json::Writer& w, const Record& record) {           \
    w.begin_object();                                           \
    FIELDS(VORN_FACTS_MEMBER_WRITE)                             \
    w.end_object();                                             \
  }
VORN_FACTS_GROUPS(VORN_FACTS_RECORD_WRITE)
VORN_FACTS_RECORD_WRITE(move, MoveFacts, VORN_MOVE_FACTS, "")
#undef VORN_FACTS_RECORD_WRITE
#undef VORN_FACTS_MEMBER_WRITE

void write(json::Writer& w, const Facts& facts) {
  w.begin_object();
#define VORN_FACTS_GROUP_WRITE(group, Record, FIELDS, meaning) json::member(w, #group, facts.group);
  VORN_FACTS_GROUPS(VORN_FACTS_GROUP_WRITE)
#undef VORN_FACTS_GROUP_WRITE
  w.end_object();
}

}  // namespace vorn::facts
