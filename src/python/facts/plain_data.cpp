#include "python/facts/plain_data.hpp"

#include "facts/catalogue.hpp"
#include "facts/value_type.hpp"
#include "json/writer.hpp"

namespace vorn::python::facts {

namespace {

// Each text made into an interned str on first use and kept for the life of
// the process, so a dict or list borrows it rather than making it again.
template <std::size_t N>
class Strs {
 public:
  explicit constexpr Strs(const std::array<std::string_view, N>& texts) : texts_(texts) {}

  PyObject* operator[](std::size_t i) const {
    return bind::process_object(made_[i], [&] {
      Ref made = bind::to_python(texts_[i]);
      PyObject* raw = made.release();
      PyUnicode_InternInPlace(&raw);
      return Ref::steal(raw);
    });
  }

 private:
  std::array<std::string_view, N> texts_;
  mutable std::array<PyObject*, N> made_{};
};

template <std::size_t N>
Strs(const std::array<std::string_view, N>&) -> Strs<N>;

constinit Strs kSquareNames{model::detail::kSquareCodes};
constinit Strs kRoleLetters{model::detail::kRoleCodes};
constinit Strs kFileLetters{model::detail::kFileCodes};

// A list of the strs of the members, in ascending order.
template <class Set, std::size_t N>
Ref names_of(Set members, const Strs<N>& names) {
  Ref list = Ref::check(PyList_New(Py_ssize_t(members.size())));
  Py_ssize_t at = 0;
  for (const auto member : members) {
    PyList_SetItem(list.get(), at++, Ref::borrow(names[index(member)]).release());
  }
  return list;
}

// The keys of a dict shape: a dict of them all, each to None, made once;
// each new dict of the shape is a copy of it, which comes presized with its
// keys in order, so filling it in only replaces values.
template <std::size_t N>
class Keys {
 public:
  explicit constexpr Keys(const std::array<std::string_view, N>& texts) : strs_(texts) {}

  Ref dict(const std::array<Ref, N>& values) const {
    Ref made = Ref::check(PyDict_Copy(bind::process_object(prototype_, [&] {
      Ref prototype = Ref::check(PyDict_New());
      for (std::size_t i = 0; i < N; ++i) bind::check(PyDict_SetItem(prototype.get(), strs_[i], Py_None));
      return prototype;
    })));
    for (std::size_t i = 0; i < N; ++i) bind::check(PyDict_SetItem(made.get(), strs_[i], values[i].get()));
    return made;
  }

 private:
  Strs<N> strs_;
  mutable PyObject* prototype_ = nullptr;
};

template <std::size_t N>
Keys(const std::array<std::string_view, N>&) -> Keys<N>;

constinit Strs kSideNames{std::array<std::string_view, 2>{"white", "black"}};

}  // namespace

namespace detail {

Ref square_name(Square square) { return Ref::borrow(kSquareNames[index(square)]); }
Ref role_letter(Role role) { return Ref::borrow(kRoleLetters[index(role)]); }
Ref file_letter(File file) { return Ref::borrow(kFileLetters[index(file)]); }
Ref sides_dict(Ref white, Ref black) {
  Ref made = Ref::check(PyDict_New());
  bind::check(PyDict_SetItem(made.get(), kSideNames[0], white.get()));
  bind::check(PyDict_SetItem(made.get(), kSideNames[1], black.get()));
  return made;
}

Ref kept_value(std::size_t slot) {
  if (slot == 0) return Ref::none();
  if (slot < 3) return bind::to_python(slot == 2);
  return bind::to_python(slot - 3);
}

Ref kept_sides_dict(std::size_t white, std::size_t black) {
  constexpr std::size_t kSlots = 3 + kKeptInts;
  static constinit std::array<PyObject*, kSlots * kSlots> kept{};
  PyObject* prototype = bind::process_object(kept[white * kSlots + black], [&] {
    return sides_dict(kept_value(white), kept_value(black));
  });
  return Ref::check(PyDict_Copy(prototype));
}

}  // namespace detail

Ref plain(float number) {
  const auto read = json::read_back(number);
  return read ? bind::to_python(*read) : Ref::none();
}

Ref plain(SquareSet squares) { return names_of(squares, kSquareNames); }
Ref plain(FileSet files) { return names_of(files, kFileLetters); }

#define VORN_FACTS_ENUM_PLAIN(Type, ROWS)                                                  \
  Ref plain(model::Type value) {                                                           \
    static constinit Strs names{model::k##Type##Names};                                    \
    return Ref::borrow(names[std::size_t(value)]);                                         \
  }
VORN_FACTS_ENUMS(VORN_FACTS_ENUM_PLAIN)
#undef VORN_FACTS_ENUM_PLAIN

#define VORN_FIELD_NAME(name, Type, meaning) #name,
#define VORN_FIELD_VALUE(name, Type, meaning) plain(record.name),
#define VORN_FACTS_RECORD_PLAIN(group, Record, FIELDS, meaning)                              \
  Ref plain(const model::Record& record) {                                                   \
    static constinit Keys keys{std::array<std::string_view, model::Record::kFieldCount>{     \
        FIELDS(VORN_FIELD_NAME)}};                                                           \
    return keys.dict({FIELDS(VORN_FIELD_VALUE)});                                            \
  }
VORN_FACTS_GROUPS(VORN_FACTS_RECORD_PLAIN)
VORN_FACTS_RECORD_PLAIN(move, MoveFacts, VORN_MOVE_FACTS, "")
#undef VORN_FACTS_RECORD_PLAIN

#define VORN_GROUP_NAME(group, Record, FIELDS, meaning) #group,
#define VORN_GROUP_VALUE(group, Record, FIELDS, meaning) plain(facts.group),
Ref plain(const model::Facts& facts) {
  static constinit Keys keys{std::array<std::string_view, model::catalogue::kGroups.size()>{
      VORN_FACTS_GROUPS(VORN_GROUP_NAME)}};
  return keys.dict({VORN_FACTS_GROUPS(VORN_GROUP_VALUE)});
}
#undef VORN_GROUP_VALUE
#undef VORN_GROUP_NAME
#undef VORN_FIELD_VALUE
#undef VORN_FIELD_NAME

}  // namespace vorn::python::facts
