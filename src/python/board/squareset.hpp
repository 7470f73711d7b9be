// The SquareSet class, and its conversion, so that a function returning a
// vorn::SquareSet hands Python a SquareSet:
//
//   SquareSet(squares=None)   an immutable set of squares "a1".."h8"
#pragma once

#include "python/bind/class.hpp"
#include "core/types.hpp"

namespace vorn::python {

struct PySquareSet : bind::Object<SquareSet> {
  static PyTypeObject* type();
};

}  // namespace vorn::python

namespace vorn::python::bind {

template <>
struct Converter<SquareSet> : ClassConverter<PySquareSet> {};

}  // namespace vorn::python::bind
