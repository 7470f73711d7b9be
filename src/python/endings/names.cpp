// EndingClass, EndingVerdict and EndingTechnique, as Python sees them:
//
//   str(e.class_) == "kq_v_k"; e.class_ == "kq_v_k"; hash(e.class_) == hash("kq_v_k")
//   e.verdict.winner            "white", "black" or None
//   EndingTechnique.all()[0]    <EndingTechnique none>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "python/endings/names.hpp"

namespace vorn::python {

namespace {

namespace model = vorn::endings;
using bind::Ref;

std::string_view name_of(model::EndingClass code) { return model::name(code); }
std::string_view name_of(const model::Verdict& verdict) { return model::name(verdict.kind); }
std::string_view name_of(model::EndingTechnique code) { return model::name(code); }

// Two verdicts that name no winner are alike whatever colour they hold.
bool same(const model::Verdict& a, const model::Verdict& b) {
  return a.kind == b.kind && a.winner() == b.winner();
}
template <class Code>
bool same(Code a, Code b) {
  return a == b;
}

template <class Py>
constexpr std::string_view kShortName = "";
template <>
constexpr std::string_view kShortName<PyEndingClass> = "EndingClass";
template <>
constexpr std::string_view kShortName<PyEndingVerdict> = "EndingVerdict";
template <>
constexpr std::string_view kShortName<PyEndingTechnique> = "EndingTechnique";

template <class Py>
std::string_view name_text(const Py& self) {
  return name_of(self.value);
}

template <class Py>
std::string name_repr(const Py& self) {
  return "<" + std::string(kShortName<Py>) + " " + std::string(name_of(self.value)) + ">";
}

// The hash of the name as a str, so the objects find entries keyed by names.
template <class Py>
std::uint64_t name_hash(const Py& self) {
  const Py_hash_t hash = PyObject_Hash(bind::to_python(name_of(self.value)).get());
  if (hash == -1) throw bind::PythonError{};
  return std::uint64_t(hash);
}

// Equal to its exact name, or to an object of its class with the same
// code; unequal to anything else; no order.
template <class Py>
Ref compare_names(PyObject* self, PyObject* other, int op) {
  if (op == Py_NE) {
    const Ref equal = Ref::check(PyObject_RichCompare(self, other, Py_EQ));
    return bind::to_python(bind::check(PyObject_IsTrue(equal.get())) == 0);
  }
  if (op != Py_EQ) return Ref::not_implemented();
  const auto& mine = reinterpret_cast<const Py*>(self)->value;
  if (PyUnicode_Check(other)) {
    // Names are ASCII; the comparison never fails, whatever the str holds.
    return bind::to_python(PyUnicode_CompareWithASCIIString(other, std::string(name_of(mine)).c_str()) == 0);
  }
  const Py* that = bind::instance<Py>(other);
  return bind::to_python(that != nullptr && same(mine, that->value));
}

template <class Code, std::size_t Count>
std::vector<Ref> every_code() {
  std::vector<Ref> all;
  all.reserve(Count);
  for (std::size_t code = 0; code < Count; ++code) all.push_back(bind::to_python(Code(code)));
  return all;
}

std::string_view describe_class(const model::EndingClass& code) { return model::describe(code); }
std::string_view describe_technique(const model::EndingTechnique& code) { return model::describe(code); }
std::string describe_verdict(const model::Verdict& verdict) { return verdict.describe(); }

std::optional<std::string_view> winner_of(const model::Verdict& verdict) {
  const std::optional<Colour> winner = verdict.winner();
  if (!winner) return std::nullopt;
  return colour_name(*winner);
}

// The slots every name-like class shares.
template <class Py>
std::vector<bind::SlotEntry<Py>> name_slots() {
  return {bind::str<&name_text<Py>>, bind::repr<&name_repr<Py>>, bind::hash<&name_hash<Py>>,
          bind::richcompare<&compare_names<Py>>};
}

const bind::ClassSpec<PyEndingClass> kEndingClassClass{
    .name = "vorn.endings.EndingClass",
    .doc = "One named ending of the catalogue.",
    .getters = {bind::getter<&name_text<PyEndingClass>>(
        "name", "The name in `snake_case`, which the class compares equal to.")},
    .methods = {bind::static_method<&every_code<model::EndingClass, model::kEndingClassCount>>(
                    "all", "all()\n--\n\nEvery class, in the order the catalogue lists them."),
                bind::method<&describe_class>(
                    "describe", "describe($self)\n--\n\nOne plain sentence: what the catalogue says of this ending.")},
    .slots = name_slots<PyEndingClass>(),
};

const bind::ClassSpec<PyEndingVerdict> kEndingVerdictClass{
    .name = "vorn.endings.EndingVerdict",
    .doc = "What theory says the result of an ending is.",
    .getters = {bind::getter<&name_text<PyEndingVerdict>>(
                    "name",
                    "`win`, `usually_win`, `usually_draw`, `draw` or `unknown`, which the\n"
                    "verdict compares equal to."),
                bind::getter<&winner_of>("winner", "The colour the verdict names, if it names one.")},
    .methods = {bind::method<&describe_verdict>(
        "describe", "describe($self)\n--\n\nOne plain sentence: the result, and the side it favours.")},
    .slots = name_slots<PyEndingVerdict>(),
};

const bind::ClassSpec<PyEndingTechnique> kEndingTechniqueClass{
    .name = "vorn.endings.EndingTechnique",
    .doc = "The named method an ending is played by.",
    .getters = {bind::getter<&name_text<PyEndingTechnique>>(
        "name", "The name in `snake_case`, which the technique compares equal to.")},
    .methods = {bind::static_method<&every_code<model::EndingTechnique, model::kEndingTechniqueCount>>(
                    "all", "all()\n--\n\nEvery technique, in the order the catalogue lists them."),
                bind::method<&describe_technique>(
                    "describe", "describe($self)\n--\n\nOne plain sentence: how the method is played.")},
    .slots = name_slots<PyEndingTechnique>(),
};

}  // namespace

PyTypeObject* PyEndingClass::type() { return bind::type_object(kEndingClassClass); }
PyTypeObject* PyEndingVerdict::type() { return bind::type_object(kEndingVerdictClass); }
PyTypeObject* PyEndingTechnique::type() { return bind::type_object(kEndingTechniqueClass); }

}  // namespace vorn::python
