#include "python/bind/signature.hpp"

#include <algorithm>
#include <stdexcept>

#include "python/bind/raise.hpp"

namespace vorn::python::bind {

namespace {

constexpr std::string_view kSignatureEnd = ")\n--\n\n";

std::string_view trim(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Splits the parameter list at the commas outside quotes.
std::vector<std::string_view> split_parameters(std::string_view list) {
  std::vector<std::string_view> parts;
  if (trim(list).empty()) return parts;
  char quote = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const char c = list[i];
    if (quote != 0) {
      if (c == '\\') ++i;
      else if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ',') {
      parts.push_back(trim(list.substr(start, i - start)));
      start = i + 1;
    }
  }
  parts.push_back(trim(list.substr(start)));
  return parts;
}

// The object a default literal denotes; null for `...`.
Ref literal(std::string_view text) {
  if (text == "...") return Ref();
  if (text == "None") return Ref::none();
  if (text == "True") return Ref::borrow(Py_True);
  if (text == "False") return Ref::borrow(Py_False);
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
    std::string value;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
      if (text[i] == '\\') ++i;  // \" \' and \\ stand for the character itself
      value += text[i];
    }
    return Ref::check(PyUnicode_FromStringAndSize(value.data(), Py_ssize_t(value.size())));
  }
  const std::string number(text);
  if (number.find_first_of(".eE") != std::string::npos) {
    const Ref digits = Ref::check(PyUnicode_FromString(number.c_str()));
    if (PyObject* value = PyFloat_FromString(digits.get())) return Ref::steal(value);
  } else if (PyObject* value = PyLong_FromString(number.c_str(), nullptr, 10)) {
    return Ref::steal(value);
  }
  forget_refusal();
  throw std::invalid_argument("unreadable default " + number);
}

std::string quoted_names(const std::vector<std::string>& names) {
  // CPython's form: 'a'; 'a' and 'b'; 'a', 'b', and 'c'.
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += names.size() == 2 ? " and " : i + 1 == names.size() ? ", and " : ", ";
    text += "'" + names[i] + "'";
  }
  return text;
}

std::string plural(std::size_t count, const char* word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

}  // namespace

Signature Signature::parse(std::string function, std::string_view name, const char* doc, bool receiver) {
  const auto bad = [&](const std::string& why) {
    return std::invalid_argument("text signature of " + function + ": " + why);
  };
  const std::string_view text = doc == nullptr ? "" : doc;
  const std::string opening = std::string(name) + "(";
  const auto end = text.find(kSignatureEnd);
  if (!text.starts_with(opening) || end == std::string_view::npos ||
      text.substr(0, end).find('\n') != std::string_view::npos) {
    throw bad("the docstring must open with " + opening + "...)\\n--\\n\\n");
  }
  auto parts = split_parameters(text.substr(opening.size(), end - opening.size()));
  if (receiver) {
    if (parts.empty() || !parts.front().starts_with('$')) throw bad("$self or $type must come first");
    parts.erase(parts.begin());
  }

  Signature signature;
  signature.function_ = std::move(function);
  bool keyword_only = false;
  for (const std::string_view part : parts) {
    if (part == "*") {
      keyword_only = true;
      continue;
    }
    if (part.starts_with('*') && !part.starts_with("**") && signature.parameters_.size() == signature.positional_) {
      signature.ignores_rest_ = true;  // `*name`: surplus positional arguments are dropped
      keyword_only = true;
      continue;
    }
    if (part.starts_with('$') || part.starts_with('*') || part == "/") {
      throw bad("unsupported " + std::string(part));
    }
    Parameter parameter;
    const auto equals = part.find('=');
    parameter.name = std::string(trim(part.substr(0, equals)));
    parameter.keyword_only = keyword_only;
    if (equals != std::string_view::npos) {
      parameter.has_default = true;
      parameter.value = literal(trim(part.substr(equals + 1)));
      parameter.absent = !parameter.value;
    } else if (!keyword_only && signature.positional_ > 0 &&
               signature.parameters_[signature.positional_ - 1].has_default) {
      throw bad("a parameter without default follows one with a default");
    }
    if (!keyword_only) ++signature.positional_;
    signature.parameters_.push_back(std::move(parameter));
  }
  for (const Parameter& parameter : signature.parameters_) {
    signature.defaults_.push_back(parameter.value.get());
    if (!parameter.has_default) {
      signature.required_ = parameter.keyword_only ? PY_SSIZE_T_MAX : signature.required_ + 1;
    }
  }
  return signature;
}

void Signature::fail(const std::string& message) const {
  raise(PyExc_TypeError, function_ + "() " + message);
}

void Signature::take_positional(std::span<PyObject* const> args, std::span<PyObject*> out) const {
  if (ignores_rest_) args = args.first(std::min(args.size(), positional_));
  if (args.size() > positional_) {
    std::size_t required = 0;
    while (required < positional_ && !parameters_[required].has_default) ++required;
    const std::string takes = required == positional_
                                  ? plural(positional_, "positional argument")
                                  : "from " + std::to_string(required) + " to " +
                                        std::to_string(positional_) + " positional arguments";
    fail("takes " + takes + " but " + std::to_string(args.size()) +
         (args.size() == 1 ? " was" : " were") + " given");
  }
  for (std::size_t i = 0; i < args.size(); ++i) out[i] = args[i];
}

void Signature::take_keyword(PyObject* keyword, PyObject* value, std::span<PyObject*> out) const {
  // CPython checks keys only when it unpacks a dict for a vectorcall; a call
  // through tp_new (type(), __new__, pickle's NEWOBJ_EX) passes any key here.
  if (!PyUnicode_Check(keyword)) raise(PyExc_TypeError, "keywords must be strings");
  for (std::size_t i = 0; i < parameters_.size(); ++i) {
    if (PyUnicode_CompareWithASCIIString(keyword, parameters_[i].name.c_str()) != 0) continue;
    if (out[i] != nullptr) fail("got multiple values for argument '" + parameters_[i].name + "'");
    out[i] = value;
    return;
  }
  const Ref text = Ref::check(PyObject_Str(keyword));
  Py_ssize_t size = 0;
  const char* utf8 = PyUnicode_AsUTF8AndSize(text.get(), &size);
  if (utf8 == nullptr) throw PythonError{};
  fail("got an unexpected keyword argument '" + std::string(utf8, std::size_t(size)) + "'");
}

void Signature::fill_defaults(std::span<PyObject*> out) const {
  std::vector<std::string> missing[2];  // positional, keyword-only
  for (std::size_t i = 0; i < parameters_.size(); ++i) {
    const Parameter& parameter = parameters_[i];
    if (out[i] != nullptr) continue;
    if (parameter.has_default) out[i] = parameter.value.get();
    else missing[parameter.keyword_only].push_back(parameter.name);
  }
  static constexpr const char* kKinds[] = {"positional argument", "keyword-only argument"};
  for (int kind = 0; kind < 2; ++kind) {
    if (missing[kind].empty()) continue;
    fail("missing " + plural(missing[kind].size(), ("required " + std::string(kKinds[kind])).c_str()) +
         ": " + quoted_names(missing[kind]));
  }
}

void Signature::bind_named(PyObject* const* args, Py_ssize_t count, PyObject* keywords,
                           std::span<PyObject*> out) const {
  std::ranges::fill(out, nullptr);
  take_positional(std::span(args, std::size_t(count)), out);
  const Py_ssize_t keyword_count = keywords == nullptr ? 0 : PyTuple_Size(keywords);
  for (Py_ssize_t i = 0; i < keyword_count; ++i) {
    take_keyword(PyTuple_GetItem(keywords, i), args[count + i], out);
  }
  fill_defaults(out);
}

void Signature::bind(PyObject* args, PyObject* keywords, std::span<PyObject*> out) const {
  std::ranges::fill(out, nullptr);
  std::vector<PyObject*> positional(std::size_t(PyTuple_Size(args)));
  for (std::size_t i = 0; i < positional.size(); ++i) positional[i] = PyTuple_GetItem(args, Py_ssize_t(i));
  take_positional(positional, out);
  Py_ssize_t position = 0;
  PyObject* keyword = nullptr;
  PyObject* value = nullptr;
  while (keywords != nullptr && PyDict_Next(keywords, &position, &keyword, &value)) {
    take_keyword(keyword, value, out);
  }
  fill_defaults(out);
}

}  // namespace vorn::python::bind
