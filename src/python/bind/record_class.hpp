// Record classes: a read-only Python class over a C++ record whose fields
// are listed once, in an X-macro F(name, Type, ...) that also makes the
// struct and its compact JSON `write` (as facts/catalogue.def makes
// facts/record.hpp and facts/record_json.hpp). From the fields the class gets
//
//   one attribute per field     to_python(record.field), or Elements::to(...)
//   repr                        "MoveFacts(victim=None, mover='p', ...)": each
//                               field read through its attribute, made as
//                               Python text
//   to_dict()                   the method the declaration names: the record
//                               as plain data
//   hash                        SipHash-1-3, zero keys, over the compact JSON
//                               text and one byte 0xFF
//   == and !=                   the record's operator==; never equal to an
//                               object of another class; no ordering
//
// Declaring one (the record's JSON `write` is found by argument lookup):
//
//   VORN_CLASS(PyMoveFacts, model::MoveFacts);
//   #define VORN_MOVE_FACTS_FIELD(name, Type, meaning) bind::record_field<&model::MoveFacts::name, Elements>(#name, meaning),
//   const bind::ClassSpec<PyMoveFacts> kMoveFactsClass = bind::record_class<PyMoveFacts>({
//       .name = "vorn.MoveFacts",
//       .doc = "What one legal move does...",
//       .to_dict = bind::method<&move_facts_dict>("to_dict", "to_dict($self)\n--\n\n..."),
//       .fields = {VORN_MOVE_FACTS(VORN_MOVE_FACTS_FIELD)},
//       .methods = {...}});   // getters, methods and slots beyond the record's, as for any class
//   #undef VORN_MOVE_FACTS_FIELD
//   PyTypeObject* PyMoveFacts::type() { return bind::type_object(kMoveFactsClass); }
//
// A field converts by its type's Converter unless it names a conversion,
// record_field<&R::m, Elements>, with `static Ref to(const T&)` in Elements
// for each member type T (facts/elements.hpp: roles as letters, squares as
// names). A class whose value holds the record indirectly (a facts group)
// uses record_json, record_hash, record_repr and record_comparison directly.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "json/writer.hpp"
#include "python/bind/class.hpp"

namespace vorn::python::bind {

// The conversion record_field uses unless told otherwise.
struct ToPython {
  template <class T>
  static Ref to(const T& value) {
    return to_python(value);
  }
};

template <class Record>
std::string record_json(const Record& record) {
  json::Writer w;
  write(w, record);
  return std::move(w).text();
}

// json.loads(text).
Ref json_loads(std::string_view json_text);
// SipHash-1-3 under zero keys over the text and one byte 0xFF.
std::uint64_t record_hash(std::string_view json_text);
// "Class(name=repr(object.name), ...)".
Ref record_repr(PyObject* object, std::string_view class_name, std::span<const std::string_view> names);
// The comparison result: `equal` only counts for an object of the same class.
Ref record_comparison(bool same_class, bool equal, int op);

namespace detail {

template <auto Member, class Elements, class Record>
Ref read_member(const Record& record) {
  return Elements::to(record.*Member);
}

template <auto Member>
struct MemberRecord;
template <class Record, class T, T Record::*Member>
struct MemberRecord<Member> {
  using type = Record;
};

// What the slots need at run time, kept when the class is declared.
template <class Py>
struct RecordSite {
  std::string_view class_name;
  std::vector<std::string_view> names;
};

template <class Py>
RecordSite<Py>& record_site() {
  static RecordSite<Py> kept;
  return kept;
}

template <class Py>
std::uint64_t record_to_hash(const ValueOf<Py>& record) {
  return record_hash(record_json(record));
}

template <class Py>
Ref record_to_repr(PyObject* self) {
  const RecordSite<Py>& site = record_site<Py>();
  return record_repr(self, site.class_name, site.names);
}

template <class Py>
Ref record_compare(const ValueOf<Py>& record, PyObject* other, int op) {
  const Py* same = instance<Py>(other);
  return record_comparison(same != nullptr, same != nullptr && record == same->value, op);
}

}  // namespace detail

// The attribute of one field: its name, docstring and member.
template <auto Member, class Elements = ToPython>
auto record_field(const char* name, const char* doc) {
  using Record = typename detail::MemberRecord<Member>::type;
  return getter<&detail::read_member<Member, Elements, Record>>(name, doc);
}

template <class Py>
struct RecordSpec {
  const char* name;  // "module.Class", a static string
  const char* doc = nullptr;
  MethodEntry<Py> to_dict;  // the record as plain data
  std::vector<GetterEntry<Py>> fields = {};
  std::vector<GetterEntry<Py>> getters = {};
  std::vector<MethodEntry<Py>> methods = {};
  std::vector<SlotEntry<Py>> slots = {};
  std::vector<ClassAttribute> attributes = {};
};

template <class Py>
ClassSpec<Py> record_class(RecordSpec<Py> declared) {
  detail::RecordSite<Py>& site = detail::record_site<Py>();
  site.class_name = detail::short_name(declared.name);
  site.names.clear();
  for (const GetterEntry<Py>& field : declared.fields) site.names.push_back(field.def.name);

  ClassSpec<Py> made{.name = declared.name, .doc = declared.doc, .attributes = std::move(declared.attributes)};
  made.getters = std::move(declared.fields);
  made.getters.insert(made.getters.end(), declared.getters.begin(), declared.getters.end());
  made.methods = {std::move(declared.to_dict)};
  made.methods.insert(made.methods.end(), declared.methods.begin(), declared.methods.end());
  made.slots = {repr<&detail::record_to_repr<Py>>, hash<&detail::record_to_hash<Py>>,
                richcompare<&detail::record_compare<Py>>};
  made.slots.insert(made.slots.end(), declared.slots.begin(), declared.slots.end());
  return made;
}

}  // namespace vorn::python::bind
