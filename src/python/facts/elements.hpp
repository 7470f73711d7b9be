// One conversion per element type of the facts records, so every field
// becomes its Python value by one rule: a ByColour pair becomes a ByColour of
// its two elements, a run of three or eight a tuple, an absent value None, a
// role or a file its letter, a square its name, an enumeration its name.
#pragma once

#include <array>
#include <optional>
#include <utility>

#include "facts/enums.hpp"
#include "facts/field_values.hpp"
#include "python/bind/convert.hpp"
#include "python/board/squareset.hpp"
#include "python/board/value_classes.hpp"

namespace vorn::python::facts {

using bind::Ref;

inline Ref element(bool flag) { return bind::to_python(flag); }
template <bind::Integer I>
Ref element(I number) { return bind::to_python(number); }
// The single-precision value itself, widened exactly.
inline Ref element(float number) { return bind::to_python(double(number)); }
inline Ref element(SquareSet squares) { return bind::to_python(squares); }
inline Ref element(FileSet files) { return bind::to_python(files); }
inline Ref element(Role role) { return bind::to_python(role_letter(role)); }
inline Ref element(File file) { return bind::to_python(file_char(file)); }
inline Ref element(Square square) { return bind::to_python(square_name(square)); }
#define VORN_FACTS_ENUM_ELEMENT(Type, ROWS) \
  inline Ref element(vorn::facts::Type value) { return bind::to_python(vorn::facts::name(value)); }
VORN_FACTS_ENUMS(VORN_FACTS_ENUM_ELEMENT)
#undef VORN_FACTS_ENUM_ELEMENT

template <class T>
Ref element(const std::optional<T>& value);
template <class T, std::size_t N>
Ref element(const std::array<T, N>& values);
template <class T, class Index>
Ref element(const vorn::facts::Eight<T, Index>& values);
template <class T>
Ref element(const ByColour<T>& pair);

template <class T>
Ref element(const std::optional<T>& value) {
  return value ? element(*value) : Ref::none();
}

template <class T, std::size_t N>
Ref element(const std::array<T, N>& values) {
  Ref tuple = Ref::check(PyTuple_New(Py_ssize_t(N)));
  for (std::size_t i = 0; i < N; ++i) PyTuple_SetItem(tuple.get(), Py_ssize_t(i), element(values[i]).release());
  return tuple;
}

template <class T, class Index>
Ref element(const vorn::facts::Eight<T, Index>& values) { return element(values.values); }

template <class T>
Ref element(const ByColour<T>& pair) {
  Ref white = element(pair.white);
  Ref black = element(pair.black);
  return bind::make<PyByColour>(ColourPair{std::move(white), std::move(black)});
}

// The fields of a record class (bind::record_field) converted by these rules.
struct Elements {
  template <class T>
  static Ref to(const T& value) {
    return element(value);
  }
};

}  // namespace vorn::python::facts
