#include "python/bind/path.hpp"

#include <cerrno>

namespace vorn::python::bind {

Path Converter<Path>::from(PyObject* object) {
  PyObject* encoded = nullptr;
  if (PyUnicode_FSConverter(object, &encoded) == 0) throw PythonError{};
  const Ref bytes = Ref::steal(encoded);
  char* data = nullptr;
  Py_ssize_t size = 0;
  if (PyBytes_AsStringAndSize(bytes.get(), &data, &size) < 0) throw PythonError{};
  return {std::string(data, std::size_t(size)), Ref::borrow(object)};
}

void raise_os_error(int number, const Path& path) {
  errno = number;
  PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, path.object.get());
  throw PythonError{};
}

}  // namespace vorn::python::bind
