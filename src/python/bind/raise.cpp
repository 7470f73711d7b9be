#include "python/bind/raise.hpp"

#include <exception>
#include <new>

#include "python/bind/ref.hpp"

namespace vorn::python::bind {

namespace {

void set_panic(const char* message) noexcept {
  try {
    PyErr_SetString(panic_exception(), message);
  } catch (const PythonError&) {
    // Making the class failed; its error stands in for the panic.
  }
}

}  // namespace

void raise(PyObject* type, std::string_view message) {
  PyObject* text = PyUnicode_FromStringAndSize(message.data(), Py_ssize_t(message.size()));
  if (text != nullptr) {
    PyErr_SetObject(type, text);
    Py_DECREF(text);
  }
  throw PythonError{};
}

void forget_refusal() {
  if (!PyErr_ExceptionMatches(PyExc_TypeError) && !PyErr_ExceptionMatches(PyExc_OverflowError) &&
      !PyErr_ExceptionMatches(PyExc_ValueError)) {
    throw PythonError{};
  }
  PyErr_Clear();
}

std::string type_name(PyTypeObject* type) {
  const Ref name = Ref::check(PyObject_GetAttrString(reinterpret_cast<PyObject*>(type), "__name__"));
  Py_ssize_t size = 0;
  const char* utf8 = PyUnicode_AsUTF8AndSize(name.get(), &size);
  if (utf8 == nullptr) throw PythonError{};
  return std::string(utf8, std::size_t(size));
}

std::string type_name(PyObject* object) { return type_name(Py_TYPE(object)); }

PyObject* panic_exception() {
  // Never bound in the module: nothing should catch it by name.
  static PyObject* type = nullptr;
  return process_object(type, [] {
    return Ref::check(PyErr_NewExceptionWithDoc(
        "vorn.PanicException",
        "Raised when vorn's native code finds one of its own invariants broken.\n\n"
        "It derives from BaseException, like SystemExit, so that handlers for\n"
        "Exception do not swallow it.",
        PyExc_BaseException, nullptr));
  });
}

void set_error_from_current_exception() noexcept {
  try {
    throw;
  } catch (const PythonError&) {
    // The error indicator is already set.
  } catch (const std::bad_alloc&) {
    PyErr_NoMemory();
  } catch (const std::exception& e) {
    set_panic(e.what());
  } catch (...) {
    set_panic("an unknown C++ exception reached the Python boundary");
  }
}

}  // namespace vorn::python::bind
