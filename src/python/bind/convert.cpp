#include "python/bind/convert.hpp"

namespace vorn::python::bind {

void cannot_convert(PyObject* object, std::string_view target) {
  raise(PyExc_TypeError,
        "'" + type_name(object) + "' object cannot be converted to '" + std::string(target) + "'");
}

void not_initialized(PyObject* object) {
  raise(PyExc_TypeError, "'" + type_name(object) + "' object is not initialized");
}

void name_argument(const char* name) {
  if (!PyErr_ExceptionMatches(PyExc_TypeError)) return;
  PyObject* type = nullptr;
  PyObject* value = nullptr;
  PyObject* traceback = nullptr;
  PyErr_Fetch(&type, &value, &traceback);
  PyErr_NormalizeException(&type, &value, &traceback);
  const Ref cause = Ref::steal(value);
  Py_XDECREF(type);
  Py_XDECREF(traceback);
  const Ref text = Ref::check(PyObject_Str(cause.get()));
  const Ref message = Ref::check(PyUnicode_FromFormat("argument '%s': %U", name, text.get()));
  const Ref renamed =
      Ref::check(PyObject_CallFunctionObjArgs(PyExc_TypeError, message.get(), nullptr));
  PyException_SetCause(renamed.get(), Ref(cause).release());
  PyErr_SetObject(PyExc_TypeError, renamed.get());
}

std::string_view Converter<std::string_view>::from(PyObject* object) {
  if (!PyUnicode_Check(object)) cannot_convert(object, "str");
  Py_ssize_t size = 0;
  const char* text = PyUnicode_AsUTF8AndSize(object, &size);
  if (text == nullptr) throw PythonError{};
  return {text, std::size_t(size)};
}

Ref Converter<std::string_view>::to(std::string_view text) {
  return Ref::check(PyUnicode_FromStringAndSize(text.data(), Py_ssize_t(text.size())));
}

bool Converter<bool>::from(PyObject* object) {
  if (object == Py_True) return true;
  if (object == Py_False) return false;
  cannot_convert(object, "bool");
}

Py_ssize_t sequence_length(PyObject* object) {
  if (PyUnicode_Check(object)) {
    raise(PyExc_TypeError, "a str is not accepted as a sequence of items");
  }
  if (!PySequence_Check(object)) cannot_convert(object, "Sequence");
  const Py_ssize_t size = PySequence_Size(object);
  if (size < 0) throw PythonError{};
  return size;
}

Ref sequence_item(PyObject* object, Py_ssize_t i, Py_ssize_t size) {
  if (PyObject* item = PySequence_GetItem(object, i)) return Ref::steal(item);
  if (!PyErr_ExceptionMatches(PyExc_IndexError)) throw PythonError{};
  PyErr_Clear();
  raise(PyExc_TypeError, "'" + type_name(object) + "' object claims " + std::to_string(size) +
                             " items but has no item " + std::to_string(i));
}

}  // namespace vorn::python::bind
