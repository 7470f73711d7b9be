// The fourteen facts group classes, all from one generic group type:
//
//   k = facts.king                      a KingFacts; facts.group("king") alike
//   k.square.white, k.distance          one attribute per catalogue field
//   k.ring_attacker_surplus             KingFacts and TacticsFacts add derived values
//   k.to_dict(), hash(k), k == facts.king, pickle.dumps(k)
#include <string_view>
#include <type_traits>
#include <vector>

#include "facts/derived.hpp"
#include "facts/record_json.hpp"
#include "python/bind/class.hpp"
#include "python/bind/record_class.hpp"
#include "python/facts/classes.hpp"
#include "python/facts/elements.hpp"
#include "python/facts/plain_data.hpp"

namespace vorn::python::facts {

namespace {

using bind::Ref;

template <class Record>
const Record& record_of(const GroupValue<Record>& group) {
  return reinterpret_cast<const PyFacts*>(group.parent.get())->value.record.*Group<Record>::member;
}

template <class T>
inline constexpr bool kPair = false;
template <class T>
inline constexpr bool kPair<ByColour<T>> = true;

// A ByColour field is made once, on its first read, and the same object
// answered from then on; any other field is made afresh on each read.
template <class Record, auto Member, std::size_t Index>
Ref read_field(const GroupValue<Record>& group) {
  const auto& value = record_of(group).*Member;
  if constexpr (kPair<std::remove_cvref_t<decltype(value)>>) {
    Ref& slot = group.members[Index];
    if (!slot) {
      Ref made = element(value);
      if (!slot) slot = std::move(made);  // making it may have let another reader in first
    }
    return slot;
  } else {
    return element(value);
  }
}

constexpr std::size_t field_index(std::span<const model::catalogue::Field> fields, std::string_view name) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].name == name) return i;
  }
  return fields.size();
}

// A field's docstring: its own row of the catalogue's, or else its meaning.
struct DocRow {
  std::string_view group;
  std::string_view field;
  const char* doc;
};
#define VORN_DOC_ROW(group, field, doc) DocRow{#group, #field, doc},
constexpr DocRow kOwnDocs[] = {VORN_FACTS_ATTRIBUTE_DOCS(VORN_DOC_ROW)};
#undef VORN_DOC_ROW

const char* attribute_doc(std::string_view group, std::string_view field, const char* meaning) {
  for (const DocRow& row : kOwnDocs) {
    if (row.group == group && row.field == field) return row.doc;
  }
  return meaning;
}

template <auto Derive, class Record>
Ref read_derived(const GroupValue<Record>& group) {
  return element(Derive(record_of(group)));
}

// The catalogue's derived rows of this group, in their order.
template <class Record>
std::vector<bind::GetterEntry<PyGroup<Record>>> derived_getters() {
  std::vector<bind::GetterEntry<PyGroup<Record>>> getters;
#define VORN_DERIVED_GETTER(group, name, doc)                                                      \
  if constexpr (std::is_same_v<Record, decltype(model::Facts::group)>) {                          \
    getters.push_back(bind::getter<&read_derived<&model::derived::name, Record>>(#name, doc));     \
  }
  VORN_FACTS_DERIVED(VORN_DERIVED_GETTER)
#undef VORN_DERIVED_GETTER
  return getters;
}

// ---- the protocol ----------------------------------------------------------------

template <class Record>
Ref group_dict(const GroupValue<Record>& group) {
  return plain(record_of(group));
}

template <class Record>
std::uint64_t group_hash(const GroupValue<Record>& group) {
  return bind::record_hash(bind::record_json(record_of(group)));
}

template <class Record>
bind::Ref group_repr(PyObject* self) {
  static const std::vector<std::string_view> names = [] {
    std::vector<std::string_view> listed;
    for (const auto& field : Group<Record>::fields) listed.push_back(field.name);
    return listed;
  }();
  return bind::record_repr(self, bind::detail::short_name(Group<Record>::class_name), names);
}

template <class Record>
Ref group_compare(const GroupValue<Record>& group, PyObject* other, int op) {
  const auto* same = bind::instance<PyGroup<Record>>(other);
  return bind::record_comparison(same != nullptr, same != nullptr && record_of(group) == record_of(same->value),
                                 op);
}

// Pickled as the parent and the group's name: unpickling computes the parent
// again and reads the group from it.
Ref reduce_group(PyObject* parent, std::string_view name) {
  const Ref module = Ref::check(PyImport_ImportModule("vorn._vorn"));
  const Ref rebuild = Ref::check(PyObject_GetAttrString(module.get(), "_facts_group"));
  return bind::to_python(std::tuple{rebuild, std::tuple{Ref::borrow(parent), name}});
}

template <class Record>
Ref group_reduce(const GroupValue<Record>& group) {
  return reduce_group(group.parent.get(), Group<Record>::name);
}

template <class Record>
bind::ClassSpec<PyGroup<Record>> group_class(std::vector<bind::GetterEntry<PyGroup<Record>>> getters) {
  const auto derived = derived_getters<Record>();
  getters.insert(getters.end(), derived.begin(), derived.end());
  return {
      .name = Group<Record>::class_name,
      .doc = Group<Record>::doc,
      .getters = std::move(getters),
      .methods = {bind::method<&group_dict<Record>>(
                      "to_dict",
                      "to_dict($self)\n--\n\nThe group as plain data, in the one JSON form `docs/features.md`\n"
                      "describes."),
                  bind::method<&group_reduce<Record>>("__reduce__", "__reduce__($self)\n--\n\n")},
      .slots = {bind::repr<&group_repr<Record>>, bind::hash<&group_hash<Record>>,
                bind::richcompare<&group_compare<Record>>},
  };
}

}  // namespace

#define VORN_GROUP_GETTER(field, Type, meaning)                         \
  bind::getter<&read_field<R, &R::field, field_index(Group<R>::fields, #field)>>( \
      #field, attribute_doc(Group<R>::name, #field, meaning)),
#define VORN_GROUP_TYPE(group, Record, FIELDS, meaning)                                      \
  template <>                                                                                \
  PyTypeObject* PyGroup<model::Record>::type() {                                             \
    using R = model::Record;                                                                 \
    static const bind::ClassSpec<PyGroup<R>> kClass = group_class<R>({FIELDS(VORN_GROUP_GETTER)}); \
    return bind::type_object(kClass);                                                        \
  }
VORN_FACTS_GROUPS(VORN_GROUP_TYPE)
#undef VORN_GROUP_TYPE
#undef VORN_GROUP_GETTER

}  // namespace vorn::python::facts
