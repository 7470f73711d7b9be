// The one protocol every facts record shares in Python: its compact JSON text
// read back by Python's json module (to_dict), hashed (__hash__), and its
// fields listed by name (__repr__).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "facts/catalogue.hpp"
#include "facts/record_json.hpp"
#include "python/bind/ref.hpp"

namespace vorn::python::facts {

template <class T>
std::string json_text(const T& value) {
  json::Writer w(128);
  write(w, value);
  return std::move(w).text();
}

// json.loads(text).
bind::Ref loads(std::string_view text);
// json.loads(text), which must give a dict.
bind::Ref plain_dict(std::string_view text);
// SipHash-1-3 under zero keys over the text and one byte 0xFF.
std::uint64_t text_hash(std::string_view text);
// "Class(field=repr(object.field), ...)" over the catalogue's fields.
bind::Ref fields_repr(PyObject* object, std::string_view class_name,
                      std::span<const vorn::facts::catalogue::Field> fields);
// False for an object of another class, NotImplemented for the orderings.
bind::Ref compared(bool same_class, bool equal, int op);

}  // namespace vorn::python::facts
