#include "python/bind/class.hpp"

#include <utility>
#include <vector>

namespace vorn::python::bind::detail {

void set_class_attribute(PyObject* type, const ClassAttribute& attribute) {
  const Ref value = attribute.make();
  check(PyObject_GenericSetAttr(type, Ref::check(PyUnicode_FromString(attribute.name)).get(), value.get()));
  PyType_Modified(reinterpret_cast<PyTypeObject*>(type));
}

void finish_nested(PyObject* object, void (*finish)(PyObject*)) noexcept {
  constexpr int kMaxDepth = 50;
  // Per thread: a finaliser run while finishing may let another thread in.
  thread_local int depth = 0;
  thread_local std::vector<std::pair<PyObject*, void (*)(PyObject*)>> parked;
  if (depth >= kMaxDepth) {
    try {
      parked.emplace_back(object, finish);
      return;
    } catch (...) {
      // No room to park it: finish it here, one level deeper.
    }
  }
  ++depth;
  finish(object);
  while (depth == 1 && !parked.empty()) {
    const auto [next, finish_next] = parked.back();
    parked.pop_back();
    finish_next(next);
  }
  --depth;
}

}  // namespace vorn::python::bind::detail
