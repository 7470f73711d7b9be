// An owned (strong) reference to a Python object, released when it goes out
// of scope.
//
//   Ref list = Ref::check(PyList_New(0));   // new reference; throws if null
//   Ref same = Ref::borrow(obj);            // adds a reference to a borrowed one
//   Ref raw = Ref::steal(maybe_null);       // takes over a new reference, no check
//   return list.release();                  // hands the reference to the caller
#pragma once

#include <utility>

#include "python/bind/python.hpp"

namespace vorn::python::bind {

class Ref {
 public:
  Ref() = default;
  static Ref steal(PyObject* object) noexcept { return Ref(object); }
  static Ref borrow(PyObject* object) noexcept {
    Py_XINCREF(object);
    return Ref(object);
  }
  // The result of an API call returning a new reference or null on error.
  static Ref check(PyObject* result) {
    if (result == nullptr) throw PythonError{};
    return Ref(result);
  }
  static Ref none() noexcept { return borrow(Py_None); }
  static Ref not_implemented() noexcept { return borrow(Py_NotImplemented); }

  Ref(const Ref& other) noexcept : object_(other.object_) { Py_XINCREF(object_); }
  Ref(Ref&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  Ref& operator=(Ref other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~Ref() { Py_XDECREF(object_); }

  PyObject* get() const noexcept { return object_; }
  PyObject* release() noexcept { return std::exchange(object_, nullptr); }
  explicit operator bool() const noexcept { return object_ != nullptr; }

 private:
  explicit Ref(PyObject* object) noexcept : object_(object) {}

  PyObject* object_ = nullptr;
};

// A Python object made on first use and kept for the life of the process in
// `slot`. Making it may run Python code and so let another thread in to make
// its own; the first one stored is kept and the other dropped. No C++ static
// guard is used, since a thread blocked on one would hold the interpreter lock.
// The first use is kept out of line, so every later one is a load and a test.
template <class Make>
[[gnu::noinline]] void make_process_object(PyObject*& slot, Make&& make) {
  Ref made = std::forward<Make>(make)();
  if (slot == nullptr) slot = made.release();
}

template <class Make>
PyObject* process_object(PyObject*& slot, Make&& make) {
  if (slot == nullptr) [[unlikely]] make_process_object(slot, std::forward<Make>(make));
  return slot;
}

}  // namespace vorn::python::bind
