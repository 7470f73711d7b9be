// Getters built from a record's members, so that a ClassSpec names a member
// instead of wrapping it by hand:
//
//   bind::getter<field<&Castling::allowed>>("allowed", "...")     bool
//   bind::getter<square<&Pin::pinner>>("pinner", "...")           "e8"
#pragma once

#include <string>

#include "core/types.hpp"

namespace vorn::python {

namespace detail {

template <auto Member>
struct MemberOf;
template <class Record, class T, T Record::*Member>
struct MemberOf<Member> {
  static T get(const Record& record) { return record.*Member; }
  static std::string name(const Record& record) { return square_name(record.*Member); }
};

}  // namespace detail

// The member as it is (a flag, a count, a SquareSet, a list of records).
template <auto Member>
inline constexpr auto field = &detail::MemberOf<Member>::get;
// A Square member, by its name.
template <auto Member>
inline constexpr auto square = &detail::MemberOf<Member>::name;

}  // namespace vorn::python
