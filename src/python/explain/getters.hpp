// What the explanation classes share beyond the member getters of
// bind/members.hpp: the kind of a variant record, its repr, the pin it may hold,
// and the model's sentence:
//
//   bind::getter<&kind<kStuckNames, Stuck>>("kind", "...")        "pinned"
//   bind::method<&say<Pin>>("describe", "describe($self)\n--\n\n...")
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/types.hpp"
#include "explain/describe.hpp"
#include "explain/records.hpp"
#include "python/bind/members.hpp"

namespace vorn::python::explain {

// The snake_case name of a variant record's alternative.
template <const auto& Names, class Variant>
std::string_view kind(const Variant& record) {
  return Names[record.index()];
}

// "<Stuck pinned>": the class name and the kind, as the kinded records' reprs read.
template <const auto& Names, class Variant>
std::string kind_repr(std::string_view class_name, const Variant& record) {
  return "<" + std::string(class_name) + " " + std::string(kind<Names>(record)) + ">";
}

// The pin inside a record that may hold one (an en-passant obstacle, a
// stuck unit): its ray, empty otherwise; its pinner, None otherwise.
template <class Variant>
SquareSet pin_ray(const Variant& record) {
  const auto* pin = std::get_if<vorn::explain::Pin>(&record);
  return pin != nullptr ? pin->ray : SquareSet{};
}
template <class Variant>
std::optional<std::string> pin_pinner(const Variant& record) {
  if (const auto* pin = std::get_if<vorn::explain::Pin>(&record)) return square_name(pin->pinner);
  return std::nullopt;
}

// The model's sentence, for every class's describe().
template <class Record>
std::string say(const Record& record) {
  return vorn::explain::describe(record);
}

}  // namespace vorn::python::explain
