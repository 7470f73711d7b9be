// Conversions between Python objects and C++ values, one Converter<T> per
// type: `from(object)` reads a borrowed object, `to(value)` makes a new one.
//
//   auto text = from_python<std::string_view>(obj, "fen");  // TypeError "argument 'fen': ..."
//   Ref list = to_python(std::vector<std::string>{"a", "b"});
//
// Reading:  str -> std::string_view (valid while the object lives) or
//           std::string; bool -> only True or False; integers through
//           __index__, OverflowError when out of range; double through
//           __float__; std::optional<T> -> None or T (also an absent
//           argument, see class.hpp); std::vector<T> -> any sequence but a
//           str, every item converted first; Py& / const Py& -> an instance
//           of that class; Py* -> an instance or None (nullptr);
//           Shared<Py> / Exclusive<Py> -> an instance, borrowed; PyObject* ->
//           any object, borrowed; Ref -> any object, owned.
// Writing:  integers, bool, double, float, char (a one-letter str), texts,
//           std::optional (None), std::vector (list), std::array, std::pair
//           and std::tuple (tuple), Ref (itself).
// A class file adds a Converter for its model value (a ClassConverter, see
// below), so a function returning a vorn::SquareSet hands Python a SquareSet.
#pragma once

#include <array>
#include <concepts>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "python/bind/borrow.hpp"
#include "python/bind/object.hpp"
#include "python/bind/raise.hpp"
#include "python/bind/ref.hpp"

namespace vorn::python::bind {

template <class T>
struct Converter;

// A class of the module: a bind::Object (object.hpp) with
// `static PyTypeObject* type()`.
template <class Py>
concept PythonClass = requires {
  { Py::type() } -> std::same_as<PyTypeObject*>;
};

// `object` as a Py, or null when it is of another class.
template <PythonClass Py>
Py* instance(PyObject* object) {
  return PyObject_TypeCheck(object, Py::type()) ? &constructed<Py>(object) : nullptr;
}

// TypeError "'int' object cannot be converted to 'str'".
[[noreturn]] void cannot_convert(PyObject* object, std::string_view target);
// Rewrites a pending TypeError as "argument 'name': <message>", chained.
void name_argument(const char* name);

template <class T>
[[gnu::always_inline]] inline T from_python(PyObject* object, const char* name = nullptr) {
  try {
    return Converter<T>::from(object);
  } catch (const PythonError&) {
    if (name != nullptr) name_argument(name);
    throw;
  }
}

template <class T>
Ref to_python(T&& value) {
  return Converter<std::decay_t<T>>::to(std::forward<T>(value));
}

template <>
struct Converter<std::string_view> {
  static std::string_view from(PyObject* object);
  static Ref to(std::string_view text);
};

template <>
struct Converter<std::string> {
  static std::string from(PyObject* object) { return std::string(Converter<std::string_view>::from(object)); }
  static Ref to(std::string_view text) { return Converter<std::string_view>::to(text); }
};

template <>
struct Converter<const char*> {
  static Ref to(const char* text) { return Converter<std::string_view>::to(text); }
};

template <>
struct Converter<char> {
  static Ref to(char letter) { return Converter<std::string_view>::to(std::string_view(&letter, 1)); }
};

template <>
struct Converter<bool> {
  static bool from(PyObject* object);
  static Ref to(bool value) { return Ref::borrow(value ? Py_True : Py_False); }
};

template <class T>
concept Integer = std::integral<T> && !std::same_as<T, bool> && !std::same_as<T, char>;

template <Integer T>
struct Converter<T> {
  static T from(PyObject* object) {
    const Ref index = Ref::check(PyNumber_Index(object));
    if constexpr (std::is_signed_v<T>) {
      const long long value = PyLong_AsLongLong(index.get());
      if (value == -1 && PyErr_Occurred()) throw PythonError{};
      if (!std::in_range<T>(value)) out_of_range();
      return T(value);
    } else {
      const unsigned long long value = PyLong_AsUnsignedLongLong(index.get());
      if (value == static_cast<unsigned long long>(-1) && PyErr_Occurred()) throw PythonError{};
      if (!std::in_range<T>(value)) out_of_range();
      return T(value);
    }
  }
  static Ref to(T value) {
    if constexpr (std::is_signed_v<T>) return Ref::check(PyLong_FromLongLong(value));
    else return Ref::check(PyLong_FromUnsignedLongLong(value));
  }

 private:
  [[noreturn]] static void out_of_range() {
    raise(PyExc_OverflowError, "out of range integral type conversion attempted");
  }
};

template <std::floating_point T>
struct Converter<T> {
  static T from(PyObject* object) {
    const double value = PyFloat_AsDouble(object);
    if (value == -1.0 && PyErr_Occurred()) throw PythonError{};
    return T(value);
  }
  static Ref to(T value) { return Ref::check(PyFloat_FromDouble(double(value))); }
};

template <>
struct Converter<Ref> {
  static Ref from(PyObject* object) { return Ref::borrow(object); }
  static Ref to(Ref object) { return object; }
};

template <>
struct Converter<PyObject*> {
  static PyObject* from(PyObject* object) { return object; }
};

template <class T>
struct Converter<std::optional<T>> {
  // `object` is null for an argument left out whose default is "...".
  static std::optional<T> from(PyObject* object) {
    if (object == nullptr || object == Py_None) return std::nullopt;
    return Converter<T>::from(object);
  }
  static Ref to(const std::optional<T>& value) { return value ? to_python(*value) : Ref::none(); }
};

// Checks that `object` is a sequence but not a str, and returns its length.
Py_ssize_t sequence_length(PyObject* object);
// Item `i` of a sequence of length `size`. A sequence whose __len__ claims
// more items than __getitem__ gives is refused with a TypeError, like any
// value that does not convert, rather than with its own IndexError.
Ref sequence_item(PyObject* object, Py_ssize_t i, Py_ssize_t size);

template <class T>
struct Converter<std::vector<T>> {
  static_assert(!std::is_same_v<T, std::string_view>, "items are not kept alive: use std::string");

  static std::vector<T> from(PyObject* object) {
    const Py_ssize_t size = sequence_length(object);
    // No reserve: a sequence's __len__ may claim far more items than it has.
    std::vector<T> items;
    for (Py_ssize_t i = 0; i < size; ++i) {
      const Ref item = sequence_item(object, i, size);
      items.push_back(Converter<T>::from(item.get()));
    }
    return items;
  }
  static Ref to(const std::vector<T>& items) {
    Ref list = Ref::check(PyList_New(Py_ssize_t(items.size())));
    for (std::size_t i = 0; i < items.size(); ++i) {
      PyList_SetItem(list.get(), Py_ssize_t(i), to_python(items[i]).release());
    }
    return list;
  }
};

// A tuple of the objects that `convert` makes of each element.
template <class Elements>
Ref tuple_of(const Elements& elements) {
  return std::apply(
      [](const auto&... element) {
        Ref items[] = {Ref(), to_python(element)...};  // leading null keeps the array non-empty
        Ref tuple = Ref::check(PyTuple_New(Py_ssize_t(sizeof...(element))));
        for (std::size_t i = 0; i < sizeof...(element); ++i) {
          PyTuple_SetItem(tuple.get(), Py_ssize_t(i), items[i + 1].release());
        }
        return tuple;
      },
      elements);
}

template <class... T>
struct Converter<std::tuple<T...>> {
  static Ref to(const std::tuple<T...>& value) { return tuple_of(value); }
};

template <class A, class B>
struct Converter<std::pair<A, B>> {
  static Ref to(const std::pair<A, B>& value) { return tuple_of(value); }
};

template <class T, std::size_t N>
struct Converter<std::array<T, N>> {
  static Ref to(const std::array<T, N>& value) { return tuple_of(value); }
};

// Instances of the module's classes, by reference, pointer (None allowed) or guard.

template <PythonClass Py>
Py& expect_instance(PyObject* object) {
  Py* found = instance<Py>(object);
  if (found == nullptr) cannot_convert(object, type_name(Py::type()));
  return *found;
}

template <class T>
  requires std::is_lvalue_reference_v<T> && PythonClass<std::remove_cvref_t<T>>
struct Converter<T> {
  static T from(PyObject* object) { return expect_instance<std::remove_cvref_t<T>>(object); }
};

template <class T>
  requires std::is_pointer_v<T> && PythonClass<std::remove_cv_t<std::remove_pointer_t<T>>>
struct Converter<T> {
  static T from(PyObject* object) {
    if (object == Py_None) return nullptr;
    return &expect_instance<std::remove_cv_t<std::remove_pointer_t<T>>>(object);
  }
};

template <PythonClass Py>
struct Converter<Shared<Py>> {
  static Shared<Py> from(PyObject* object) { return Shared<Py>(expect_instance<Py>(object)); }
};

template <PythonClass Py>
struct Converter<Exclusive<Py>> {
  static Exclusive<Py> from(PyObject* object) { return Exclusive<Py>(expect_instance<Py>(object)); }
};

// The conversion of a class's model value, declared with the class by
// VORN_CONVERTED_CLASS (class.hpp): to Python a new instance holding the
// value; from Python a copy of an instance's value.
// A new instance of Py holding the value made of `args` (class.hpp).
template <PythonClass Py, class... Args>
Ref make(Args&&... args);

template <PythonClass Py>
struct ClassConverter {
  static ValueOf<Py> from(PyObject* object) { return expect_instance<Py>(object).value; }
  static Ref to(ValueOf<Py> value) { return make<Py>(std::move(value)); }
};

}  // namespace vorn::python::bind
