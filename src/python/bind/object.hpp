// The layout every class of the module shares: the object header, the model
// value, and whether that value was constructed.
//
//   struct PyMove : bind::Object<vorn::Move> { static PyTypeObject* type(); };
//
// Only the toolkit constructs `value` (emplace, class.hpp) and sets
// `constructed`. An instance allocated any other way (tp_alloc called
// directly) is refused by every getter, method and slot with TypeError
// instead of touching a value that does not exist.
#pragma once

#include <type_traits>
#include <utility>

#include "python/bind/python.hpp"

namespace vorn::python::bind {

template <class Value>
struct Object {
  PyObject_HEAD
  Value value;
  bool constructed;  // false in the zeroed memory tp_alloc returns
};

template <class Py>
using ValueOf = std::remove_cvref_t<decltype(std::declval<Py&>().value)>;

// TypeError "'Game' object is not initialized".
[[noreturn]] void not_initialized(PyObject* object);

// `self` as its class's struct, refused unless its value was constructed.
template <class Py>
Py& constructed(PyObject* self) {
  Py& object = *reinterpret_cast<Py*>(self);
  if (!object.constructed) not_initialized(self);
  return object;
}

}  // namespace vorn::python::bind
