// The facts records as plain data, built straight from the records: exactly
// what json.loads gives for their compact JSON (facts/record_json.hpp), with
// no text in between. A record is a dict of its fields in catalogue order, a
// ByColour a dict {"white": ..., "black": ...}, a run or a set a list, a role,
// file, square or enumeration value its name, an absent value None, a float
// the double its shortest text reads as.
#pragma once

#include <array>
#include <concepts>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

#include "facts/enums.hpp"
#include "facts/field_values.hpp"
#include "facts/record.hpp"
#include "python/bind/convert.hpp"

namespace vorn::python::facts {

namespace model = vorn::facts;
using bind::Ref;

namespace detail {

// Strs made once and kept for the life of the process.
Ref square_name(Square square);
Ref role_letter(Role role);
Ref file_letter(File file);
// A new dict {"white": white, "black": black}.
Ref sides_dict(Ref white, Ref black);

// Sides dicts of the commonest plain values are copied from a dict kept for
// each pair, which spares a fresh key table and two insertions: most fields of
// a position are such pairs. A value's slot is its place among the kept
// values: None, False, True, then the integers from 0 below kKeptInts.
inline constexpr std::size_t kKeptInts = 16;
template <std::same_as<bool> Flag>
constexpr std::optional<std::size_t> kept_slot(Flag flag) { return 1 + std::size_t(flag); }
template <bind::Integer I>
constexpr std::optional<std::size_t> kept_slot(I number) {
  if (std::cmp_less(number, 0) || std::cmp_greater_equal(number, kKeptInts)) return std::nullopt;
  return 3 + std::size_t(number);
}
template <class T>
  requires requires(T value) { kept_slot(value); }
constexpr std::optional<std::size_t> kept_slot(const std::optional<T>& value) {
  return value ? kept_slot(*value) : std::optional<std::size_t>(0);
}
Ref kept_sides_dict(std::size_t white, std::size_t black);

}  // namespace detail

inline Ref plain(bool flag) { return bind::to_python(flag); }
template <bind::Integer I>
Ref plain(I number) { return bind::to_python(number); }
Ref plain(float number);
Ref plain(SquareSet squares);
Ref plain(FileSet files);
inline Ref plain(Role role) { return detail::role_letter(role); }
inline Ref plain(File file) { return detail::file_letter(file); }
inline Ref plain(Square square) { return detail::square_name(square); }
#define VORN_FACTS_ENUM_PLAIN(Type, ROWS) Ref plain(model::Type value);
VORN_FACTS_ENUMS(VORN_FACTS_ENUM_PLAIN)
#undef VORN_FACTS_ENUM_PLAIN

template <class T>
Ref plain(const std::optional<T>& value);
template <class T, std::size_t N>
Ref plain(const std::array<T, N>& values);
template <class T, class Index>
Ref plain(const model::Eight<T, Index>& values);
template <class T>
Ref plain(const ByColour<T>& pair);

template <class T>
Ref plain(const std::optional<T>& value) {
  return value ? plain(*value) : Ref::none();
}

template <class T, std::size_t N>
Ref plain(const std::array<T, N>& values) {
  Ref list = Ref::check(PyList_New(Py_ssize_t(N)));
  for (std::size_t i = 0; i < N; ++i) PyList_SetItem(list.get(), Py_ssize_t(i), plain(values[i]).release());
  return list;
}

template <class T, class Index>
Ref plain(const model::Eight<T, Index>& values) { return plain(values.values); }

template <class T>
Ref plain(const ByColour<T>& pair) {
  if constexpr (requires { detail::kept_slot(pair.white); }) {
    const auto white = detail::kept_slot(pair.white);
    const auto black = detail::kept_slot(pair.black);
    if (white && black) return detail::kept_sides_dict(*white, *black);
  }
  Ref white = plain(pair.white);
  return detail::sides_dict(std::move(white), plain(pair.black));
}

// Each record as the dict of its fields, and the whole facts as the dict of
// its fourteen groups.
#define VORN_FACTS_RECORD_PLAIN(group, Record, FIELDS, meaning) Ref plain(const model::Record& record);
VORN_FACTS_GROUPS(VORN_FACTS_RECORD_PLAIN)
VORN_FACTS_RECORD_PLAIN(move, MoveFacts, VORN_MOVE_FACTS, "")
#undef VORN_FACTS_RECORD_PLAIN
Ref plain(const model::Facts& facts);

}  // namespace vorn::python::facts
