#include "python/bind/path.hpp"

#include <cerrno>

namespace vorn::python::bind {

namespace {

// `object` (str, bytes or os.PathLike) encoded as the os module encodes it.
std::string encoded(PyObject* object) {
  PyObject* converted = nullptr;
  if (PyUnicode_FSConverter(object, &converted) == 0) throw PythonError{};
  const Ref bytes = Ref::steal(converted);
  char* data = nullptr;
  Py_ssize_t size = 0;
  if (PyBytes_AsStringAndSize(bytes.get(), &data, &size) < 0) throw PythonError{};
  return std::string(data, std::size_t(size));
}

[[noreturn]] void raise_named(int number, PyObject* name) {
  errno = number;
  PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, name);
  throw PythonError{};
}

}  // namespace

Path Converter<Path>::from(PyObject* object) { return {encoded(object), Ref::borrow(object)}; }

PathBytes Converter<PathBytes>::from(PyObject* object) {
  const Ref spelled = Ref::check(PyOS_FSPath(object));  // str or bytes
  return {encoded(spelled.get()), PyBytes_Check(spelled.get()) != 0};
}

void raise_os_error(int number, const Path& path) { raise_named(number, path.object.get()); }

void raise_os_error(int number, const PathBytes& path) {
  const auto size = Py_ssize_t(path.bytes.size());
  const Ref name = Ref::check(path.named_as_bytes ? PyBytes_FromStringAndSize(path.bytes.data(), size)
                                                  : PyUnicode_DecodeFSDefaultAndSize(path.bytes.data(), size));
  raise_named(number, name.get());
}

}  // namespace vorn::python::bind
