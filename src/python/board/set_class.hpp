// SquareSet and FileSet are one kind of Python class, an immutable set of
// named members built from a list of names and read back as one:
//
//   s = SquareSet(["e4", "D5"]); list(s) == ["e4", "d5"]; "e4" in s; len(s)
//   ~s, s - t, s | t, s & t, s.is_subset(t), s == t, hash(s), repr(s), pickling
//
// set_class() makes a set's ClassSpec from its own getters and slots and
// the ones every set shares; kNaming<Set> says how its members read and print.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/types.hpp"
#include "hash/siphash.hpp"
#include "python/bind/class.hpp"
#include "python/names/names.hpp"

namespace vorn::python {

// How a set's members read from and print as their names, and what its
// class and one member are called.
template <class Member>
struct SetNaming {
  std::string_view set_class;
  const char* member_word;
  Member (*read)(std::string_view);
  std::string (*name)(Member);
};

constexpr SetNaming<Square> naming(std::type_identity<SquareSet>) {
  return {"SquareSet", "square", &convert::square_from, &convert::square_name};
}
constexpr SetNaming<File> naming(std::type_identity<FileSet>) {
  return {"FileSet", "file", &convert::file_from, &convert::file_name};
}
template <class Set>
inline constexpr auto kNaming = naming(std::type_identity<Set>{});

namespace sets {

template <class Set>
Set new_set(std::optional<std::vector<std::string>> names) {
  Set set;
  for (const std::string& name : names.value_or(std::vector<std::string>{})) {
    set = set.with(kNaming<Set>.read(name));
  }
  return set;
}

// In ascending order, the order the set iterates in.
template <class Set>
std::vector<std::string> member_names(const Set& set) {
  std::vector<std::string> names;
  names.reserve(std::size_t(set.size()));
  for (const auto member : set) names.push_back(kNaming<Set>.name(member));
  return names;
}

template <class Set>
bool has_member(const Set& set, std::string_view name) {
  return set.contains(kNaming<Set>.read(name));
}

// SquareSet(["e4", "d5"]): the names in double quotes.
template <class Set>
std::string set_repr(const Set& set) {
  std::string text = std::string(kNaming<Set>.set_class) + "([";
  bool first = true;
  for (const std::string& name : member_names(set)) {
    if (!first) text += ", ";
    text += "\"" + name + "\"";
    first = false;
  }
  return text + "])";
}

// The bits at their own width.
template <class Set>
std::uint64_t set_hash(const Set& set) {
  SipHasher13 hasher;
  if constexpr (sizeof(set.bits) == 1) {
    hasher.write_u8(set.bits);
  } else {
    hasher.write_u64(set.bits);
  }
  return hasher.finish();
}

template <class Set>
std::tuple<std::vector<std::string>> set_args(const Set& set) {
  return {member_names(set)};
}

}  // namespace sets

// The spec of the set class Py: its own getters and slots, then those every
// set has.
template <class Py, class Set = std::remove_cvref_t<decltype(std::declval<Py&>().value)>>
bind::ClassSpec<Py> set_class(const char* name, const char* doc, std::vector<bind::GetterEntry<Py>> getters,
                              std::vector<bind::SlotEntry<Py>> slots = {}) {
  slots.insert(slots.end(),
               {bind::constructor<&sets::new_set<Set>>, bind::len<&Set::size>, bind::truth<&Set::operator bool>,
                bind::contains<&sets::has_member<Set>>(kNaming<Set>.member_word), bind::iter<&sets::member_names<Set>>,
                bind::unary<Py_nb_invert, &Set::operator~>, bind::binary<Py_nb_subtract, (&Set::operator-)>,
                bind::binary<Py_nb_or, &Set::operator|>, bind::binary<Py_nb_and, &Set::operator&>,
                bind::equality<&Set::operator==>, bind::hash<&sets::set_hash<Set>>, bind::repr<&sets::set_repr<Set>>});
  return {.name = name,
          .doc = doc,
          .getters = std::move(getters),
          .methods = {bind::method<&Set::is_subset>(
                          "is_subset", "is_subset($self, other)\n--\n\nWhether every member is a member of `other`."),
                      bind::method<&sets::set_args<Set>>("__getnewargs__", "__getnewargs__($self)\n--\n\n")},
          .slots = std::move(slots)};
}

}  // namespace vorn::python
