// The Opening class and its conversion, so that a function returning a
// vorn::openings::Opening hands Python an Opening:
//
//   openings_lookup(position) -> Opening or None; openings_count() -> int
//   opening.eco, opening.name; str(opening) == "C20 King's Pawn Game"
#pragma once

#include "openings/catalogue.hpp"
#include "python/bind/class.hpp"

namespace vorn::python {

struct PyOpening : bind::Object<vorn::openings::Opening> {
  static PyTypeObject* type();
};

}  // namespace vorn::python

namespace vorn::python::openings {

// Adds Opening, then openings_lookup and openings_count.
void register_module(PyObject* module);

}  // namespace vorn::python::openings

namespace vorn::python::bind {

template <>
struct Converter<vorn::openings::Opening> : ClassConverter<PyOpening> {};

}  // namespace vorn::python::bind
