// The Python classes of the facts: Facts, one class per facts group made from
// one generic group type, MoveFacts and AnnotatedMove.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "facts/catalogue.hpp"
#include "facts/compute.hpp"
#include "facts/record.hpp"
#include "python/bind/class.hpp"
#include "python/bind/module.hpp"
#include "variant/variant.hpp"

namespace vorn::python::facts {

namespace model = vorn::facts;

// What a Facts object holds: the record, the FEN it was computed for (both
// clock fields always written) and the variant.
struct FactsValue {
  model::Facts record{};
  std::string fen;
  const Variant* variant = nullptr;
};

VORN_CLASS(PyFacts, FactsValue);

// A group object: its parent Facts, whose record never changes, and the
// ByColour members, each made on its first read and then kept.
template <class Record>
struct GroupValue {
  bind::Ref parent;
  mutable std::array<bind::Ref, Record::kFieldCount> members{};
};

template <class Record>
VORN_CLASS(PyGroup, GroupValue<Record>);

// What the generic group type needs of each group: its name, its place in
// the record, its class name and docstring, and its catalogue fields.
template <class Record>
struct Group;
#define VORN_PY_GROUP(group, Record, FIELDS, meaning)                                \
  template <>                                                                        \
  struct Group<model::Record> {                                                      \
    static constexpr std::string_view name = #group;                                 \
    static constexpr auto member = &model::Facts::group;                             \
    static constexpr const char* class_name = "vorn." #Record;                       \
    static constexpr const char* doc = meaning;                                      \
    static constexpr std::span<const model::catalogue::Field> fields =               \
        model::catalogue::detail::k_##group;                                         \
  };                                                                                 \
  template <>                                                                        \
  PyTypeObject* PyGroup<model::Record>::type();
VORN_FACTS_GROUPS(VORN_PY_GROUP)
#undef VORN_PY_GROUP

// A new group object of the Facts object `facts`.
template <class Record>
bind::Ref group_of(PyObject* facts) {
  return bind::make<PyGroup<Record>>(GroupValue<Record>{bind::Ref::borrow(facts)});
}

VORN_CLASS(PyMoveFacts, model::MoveFacts);

VORN_CLASS(PyAnnotatedMove, model::AnnotatedMove);

// Binds Facts, the fourteen group classes, MoveFacts, AnnotatedMove and the
// four catalogue functions, in that order (module.cpp).
void register_module(bind::Module& module);

// A Facts object for `position` under `variant`, the history group left as
// a lone position has it.
bind::Ref facts_of(const Position& position, const Variant& variant);
// A Facts object for the game's current position, its history included.
bind::Ref facts_of(const Game& game);
// One AnnotatedMove per legal move of the side to move, in legal-move order.
bind::Ref annotated_moves(const Position& position, const Variant& variant);

}  // namespace vorn::python::facts
