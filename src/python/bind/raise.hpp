// Raising Python exceptions from C++, and the guard every entry point from
// Python runs its body in.
//
//   raise(PyExc_ValueError, "not a facts group: x");  // sets the error, throws PythonError
//   return guarded<PyObject*>(nullptr, [&] { ...; return result.release(); });
//
// `guarded` turns whatever the body throws into the Python error indicator:
// PythonError leaves the error already set; std::bad_alloc becomes
// MemoryError; a vorn::Panic or any other exception becomes PanicException
// (a BaseException, so ordinary handlers do not swallow a broken invariant).
// Nothing escapes into CPython but the forced unwind of a thread that CPython
// itself ends with pthread_exit, so nothing aborts the interpreter.
#pragma once

#include <cxxabi.h>

#include <string>
#include <string_view>
#include <utility>

#include "python/bind/python.hpp"

namespace vorn::python::bind {

[[noreturn]] void raise(PyObject* type, std::string_view message);

// For code that answers a failed conversion with its own refusal: forgets a
// pending TypeError, OverflowError or ValueError (the value does not fit) and
// rethrows anything else (MemoryError, KeyboardInterrupt, ...) untouched.
void forget_refusal();

// Python's name of the type of `object` ("int", "Move"), for messages.
std::string type_name(PyObject* object);
std::string type_name(PyTypeObject* type);

// The PanicException class, made on first use (borrowed).
PyObject* panic_exception();

// Sets the Python error for the exception being handled; call inside catch.
void set_error_from_current_exception() noexcept;

template <class Result, class Body>
Result guarded(Result failure, Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (abi::__forced_unwind&) {
    throw;  // a thread CPython ends at finalization (gil.hpp): it unwinds through CPython too
  } catch (...) {
    set_error_from_current_exception();
    return failure;
  }
}

}  // namespace vorn::python::bind
