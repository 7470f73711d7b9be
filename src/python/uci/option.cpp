// Option, as Python sees it (made only from an engine's option lines):
//
//   option.name, option.type, option.default, option.min, option.max, option.vars
//   option.value_text(64) == "64"; option.value_text(0) raises ValueError outside [1, 1024]
//   repr(option) == "<Option Hash type spin>"
#include <array>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "python/errors/exceptions.hpp"
#include "python/uci/classes.hpp"
#include "text/quote.hpp"

namespace vorn::python::uci {

namespace {

using protocol::OptionSpec;
using protocol::OptionType;
using protocol::OptionValue;
namespace option = protocol::option;
namespace value = protocol::value;

// ---- Python values as option values ----

// A value of the type's own kind, or none when Python's type does not fit.
using ValueReader = std::optional<OptionValue> (*)(PyObject* object);

std::optional<OptionValue> read_check(PyObject* object) {
  if (object != Py_True && object != Py_False) return std::nullopt;
  return value::Check{object == Py_True};
}

// A bool is an int to Python, but never a number of a spin.
std::optional<OptionValue> read_spin(PyObject* object) {
  if (PyBool_Check(object)) return std::nullopt;
  try {
    return value::Spin{bind::from_python<std::int64_t>(object)};
  } catch (const bind::PythonError&) {
    bind::forget_refusal();
    return std::nullopt;
  }
}

template <class Text>
std::optional<OptionValue> read_text(PyObject* object) {
  if (!PyUnicode_Check(object)) return std::nullopt;
  try {
    return Text{bind::from_python<std::string>(object)};
  } catch (const bind::PythonError&) {  // a lone surrogate has no UTF-8
    bind::forget_refusal();
    return std::nullopt;
  }
}

std::optional<OptionValue> read_button(PyObject*) { return std::nullopt; }

struct ValueRule {
  ValueReader read;
  const char* takes;  // what the refusal says the type takes
};

// By OptionType.
constexpr std::array<ValueRule, 5> kValueRules{{
    {read_check, "True or False"},
    {read_spin, "an integer"},
    {read_text<value::Combo>, "one of its values"},
    {read_button, "no value"},
    {read_text<value::String>, "text"},
}};

[[noreturn]] void refuse(const OptionSpec& declared, std::string_view takes) {
  errors::value_error("option " + quoted(declared.name) + " is a " +
                      std::string(protocol::type_name(declared.type())) + " option, which takes " +
                      std::string(takes));
}

std::optional<std::string> value_text(const OptionSpec& declared, PyObject* object) {
  const OptionValue value = read_value(declared, object);
  if (auto accepted = declared.accepts(value); !accepted)
    errors::value_error("option " + quoted(declared.name) + ": " + accepted.error());
  return protocol::to_text(value);
}

// ---- getters ----

std::string name_of(const OptionSpec& declared) { return declared.name; }
std::string_view type_of(const OptionSpec& declared) { return protocol::type_name(declared.type()); }

bind::Ref default_of(const OptionSpec& declared) {
  return std::visit(
      [](const auto& kind) {
        if constexpr (requires { kind.default_value; }) return bind::to_python(kind.default_value);
        else return bind::Ref::none();  // a button
      },
      declared.kind);
}

template <auto Bound>
std::optional<std::int64_t> bound_of(const OptionSpec& declared) {
  const auto* spin = std::get_if<option::Spin>(&declared.kind);
  return spin ? (*spin).*Bound : std::nullopt;
}

std::vector<std::string> vars_of(const OptionSpec& declared) {
  const auto* combo = std::get_if<option::Combo>(&declared.kind);
  return combo ? combo->vars : std::vector<std::string>{};
}

std::string option_repr(const OptionSpec& declared) {
  return "<Option " + declared.name + " type " + std::string(type_of(declared)) + ">";
}

const bind::ClassSpec<PyOption> kOptionClass{
    .name = "vorn.uci.Option",
    .doc = "One option an engine offers, and the domain it declared for it.",
    .getters = {bind::getter<&name_of>("name", "The name to set it by, as the engine wrote it."),
                bind::getter<&type_of>("type", "`check`, `spin`, `combo`, `button` or `string`."),
                bind::getter<&default_of>("default",
                                          "The value the engine starts with, of this option's own type."),
                bind::getter<&bound_of<&option::Spin::min>>("min", "The smallest value a `spin` accepts."),
                bind::getter<&bound_of<&option::Spin::max>>("max", "The largest value a `spin` accepts."),
                bind::getter<&vars_of>("vars", "The values a `combo` offers, in the order declared.")},
    .methods = {bind::method<&value_text>(
        "value_text",
        "value_text($self, value=None)\n--\n\n"
        "The text a `setoption` carries to set this option to `value`, refusing\n"
        "a value the declared domain does not accept; `None` for a button.")},
    .slots = {bind::repr<&option_repr>},
};

}  // namespace

OptionValue read_value(const OptionSpec& declared, PyObject* object) {
  if (object == nullptr || object == Py_None) {
    if (declared.type() != OptionType::Button) refuse(declared, "a value");
    return value::Button{};
  }
  const ValueRule& rule = kValueRules[std::size_t(declared.type())];
  auto read = rule.read(object);
  if (!read) refuse(declared, rule.takes);
  return std::move(*read);
}

PyTypeObject* PyOption::type() { return bind::type_object(kOptionClass); }

}  // namespace vorn::python::uci
