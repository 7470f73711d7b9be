// The SquareSet class, and its conversion, so that a function returning a
// vorn::SquareSet hands Python a SquareSet:
//
//   SquareSet(squares=None)   an immutable set of squares "a1".."h8"
#pragma once

#include "python/bind/class.hpp"
#include "core/types.hpp"

namespace vorn::python {

VORN_CONVERTED_CLASS(PySquareSet, SquareSet);

}  // namespace vorn::python
