// A record declared by one field list, an X-macro F(name, Type, ...) whose
// further arguments (a meaning, a type text) are its users' business. The
// same list makes the struct and its compact JSON object, members in list
// order, and feeds the Python record class (python/bind/record_class.hpp):
//
//   #define VORN_OPENING_FIELDS(F)                    \
//     F(eco, std::string, "The ECO code, \"B12\".")   \
//     F(ply, std::uint16_t, "How many plies long.")
//   struct Opening {
//     VORN_OPENING_FIELDS(VORN_RECORD_MEMBER)
//     bool operator==(const Opening&) const = default;
//   };
//   inline void write(json::Writer& w, const Opening& o) { VORN_JSON_FIELDS(w, o, VORN_OPENING_FIELDS); }
//   // -> {"eco":"B12","ply":4}
#pragma once

#include "json/writer.hpp"

#define VORN_RECORD_MEMBER(name, Type, ...) Type name{};

#define VORN_JSON_FIELD(name, ...) ::vorn::json::member(json_writer_, #name, json_record_.name);
#define VORN_JSON_FIELDS(writer, record, FIELDS)      \
  do {                                                \
    ::vorn::json::Writer& json_writer_ = (writer);    \
    const auto& json_record_ = (record);              \
    json_writer_.begin_object();                      \
    FIELDS(VORN_JSON_FIELD)                           \
    json_writer_.end_object();                        \
  } while (false)
