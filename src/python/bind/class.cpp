#include "class.hpp"

namespace vorn::python::bind::detail {

void discard_unconstructed(PyObject* object) noexcept {
  PyTypeObject* type = Py_TYPE(object);
  reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free))(object);
  Py_DECREF(type);
}

}  // namespace vorn::python::bind::detail
