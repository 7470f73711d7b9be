// The binding layer's one way to include Python.h (always the limited API, so
// one build loads in every CPython from 3.10 on), and its error signal.
//
//   throw PythonError{};      // the Python error indicator is set: unwind
//   check(PyList_Append(l, x));  // throws PythonError when the call failed
#pragma once

#ifndef Py_LIMITED_API
#error "the binding layer builds against the limited API: define Py_LIMITED_API"
#endif
#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace vorn::python::bind {

// Thrown by binding code when the Python error indicator is already set;
// every entry point from Python catches it and reports failure to CPython.
// It never leaves the binding layer.
struct PythonError {};

// For the API calls that signal failure with a negative int.
inline int check(int status) {
  if (status < 0) throw PythonError{};
  return status;
}

}  // namespace vorn::python::bind
