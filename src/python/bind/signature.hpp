// The parameters of a callable, read from the text signature that opens its
// docstring, and the matching of call arguments to them.
//
//   "uci($self, *, castling=\"king_to_rook\")\n--\n\nThe UCI text..."
//
// gives one keyword-only parameter `castling` whose default is the str
// "king_to_rook". Parameters before `*` are positional-or-keyword, those
// after it keyword-only. A default is a Python literal: None, True, False,
// an int, a float, a quoted str, or `...`, which marks an argument that may
// be left out but has no Python value (its C++ parameter is a std::optional,
// or a PyObject* that is null then, for an argument where None is no value).
// `*name` takes any further positional arguments, which the function never
// sees (`__exit__($self, *_args)`).
// The docstring is thus the one place where names and defaults are written.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "python/bind/ref.hpp"

namespace vorn::python::bind {

class Signature {
 public:
  Signature() = default;
  // `function` names the callable in messages ("Move.uci"); `name` is the
  // name the text signature must start with; `receiver` says whether its
  // first parameter is the "$self" or "$type" that Python fills in.
  // Throws std::invalid_argument for a docstring without a usable signature.
  static Signature parse(std::string function, std::string_view name, const char* doc, bool receiver);

  std::size_t size() const { return parameters_.size(); }
  const char* name(std::size_t i) const { return parameters_[i].name.c_str(); }
  bool may_be_absent(std::size_t i) const { return parameters_[i].absent; }
  const std::string& function() const { return function_; }

  // Fills `out` (one slot per parameter) with borrowed references to the
  // arguments of a vectorcall: the positional ones, then those named by
  // `keywords`. Left-out parameters get their defaults, null for `...`.
  // Raises TypeError for missing, surplus, unknown or repeated arguments.
  void bind(PyObject* const* args, Py_ssize_t count, PyObject* keywords, std::span<PyObject*> out) const {
    // The common call, positional arguments alone and enough of them, is
    // matched without looking at a name.
    if (keywords == nullptr && count >= required_ && std::size_t(count) <= positional_) {
      const auto given = std::size_t(count);
      for (std::size_t i = 0; i < given; ++i) out[i] = args[i];
      for (std::size_t i = given; i < out.size(); ++i) out[i] = defaults_[i];
      return;
    }
    bind_named(args, count, keywords, out);
  }
  // The same for an argument tuple and a keyword dictionary (tp_new).
  void bind(PyObject* args, PyObject* keywords, std::span<PyObject*> out) const;

 private:
  struct Parameter {
    std::string name;
    bool keyword_only = false;
    bool has_default = false;
    bool absent = false;  // the default is `...`
    Ref value;            // the default, when it has one and it is not `...`
  };

  void bind_named(PyObject* const* args, Py_ssize_t count, PyObject* keywords, std::span<PyObject*> out) const;
  void take_positional(std::span<PyObject* const> args, std::span<PyObject*> out) const;
  void take_keyword(PyObject* keyword, PyObject* value, std::span<PyObject*> out) const;
  void fill_defaults(std::span<PyObject*> out) const;
  [[noreturn]] void fail(const std::string& message) const;

  std::string function_;
  std::vector<Parameter> parameters_;
  std::size_t positional_ = 0;  // the positional-or-keyword parameters come first
  bool ignores_rest_ = false;   // `*name`: surplus positional arguments dropped
  // How few positional arguments the fast path takes: those without a
  // default, or more than any call can pass when a keyword-only parameter
  // has none; and every parameter's default (null for `...` or none).
  Py_ssize_t required_ = 0;
  std::vector<PyObject*> defaults_;
};

}  // namespace vorn::python::bind
