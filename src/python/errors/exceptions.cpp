// The exception classes are made by calling the builtin `type`, as Python
// code would, so that they are ordinary Python classes with a class
// dictionary of their own (docstring and __module__ "vorn").
#include "python/errors/exceptions.hpp"

#include <span>
#include <string>

#include "core/enum_list.hpp"
#include "core/types.hpp"
#include "python/bind/module.hpp"
#include "python/bind/raise.hpp"
#include "text/quote.hpp"

namespace vorn::python::errors {

namespace {

using bind::Ref;

// Each class with its name and docstring, in the order the module binds
// them; the first is the base of the others.
#define VORN_ERROR_CLASSES(X)                                                                        \
  X(Error, "Error", "Every error vorn raises. Its members are `ValueError`s too.")                    \
  X(FenError, "FenError", "The text is not a FEN this crate can read.")                              \
  X(IllegalMove, "IllegalMove", "The move is not legal in the position.")                            \
  X(MoveParseError, "MoveParseError", "The text does not name one legal move of the position.")      \
  X(PositionError, "PositionError", "The position is not one this variant can play on.")             \
  X(ParseError, "ParseError", "The text does not name a square, file, rank, role or colour.")
VORN_NAMED_ENUM(ErrorClass, VORN_ERROR_CLASSES)
VORN_ENUM_TEXT(doc, ErrorClass, VORN_ERROR_CLASSES, VORN_COLUMN_3)
constexpr auto kErrorClasses = every<ErrorClass, kErrorClassCount>();

// type(name, bases, {"__doc__": doc, "__module__": "vorn"}); a refusal is a
// broken invariant, reported as `fault`.
Ref make_class(ErrorClass which, const Ref& bases, const char* fault) {
  try {
    const Ref dict = Ref::check(PyDict_New());
    bind::check(PyDict_SetItemString(dict.get(), "__doc__", bind::to_python(doc(which)).get()));
    bind::check(PyDict_SetItemString(dict.get(), "__module__", bind::to_python("vorn").get()));
    Ref made = Ref::check(PyObject_CallFunctionObjArgs(reinterpret_cast<PyObject*>(&PyType_Type),
                                                       bind::to_python(name(which)).get(), bases.get(),
                                                       dict.get(), nullptr));
    if (!PyType_Check(made.get())) bind::cannot_convert(made.get(), "type");
    return made;
  } catch (const bind::PythonError&) {
    bind::forget_refusal();
    vorn::panic(fault);
  }
}

Ref build_table() {
  const Ref table = Ref::check(PyTuple_New(Py_ssize_t(kErrorClassCount)));
  const Ref base = make_class(ErrorClass::Error, Ref::check(PyTuple_Pack(1, PyExc_Exception)),
                              "the base class is buildable");
  const Ref bases = Ref::check(PyTuple_Pack(2, base.get(), PyExc_ValueError));
  PyTuple_SetItem(table.get(), 0, Ref(base).release());
  for (const ErrorClass which : std::span(kErrorClasses).subspan(1)) {
    PyTuple_SetItem(table.get(), Py_ssize_t(which),
                    make_class(which, bases, "an error class is buildable").release());
  }
  return table;
}

PyObject* error_class(ErrorClass which) {
  static PyObject* table = nullptr;
  return PyTuple_GetItem(bind::process_object(table, build_table), Py_ssize_t(which));
}

[[noreturn]] void raise(ErrorClass which, const std::string& message) {
  bind::raise(error_class(which), message);
}

}  // namespace

void add_error_classes(bind::Module& module) {
  for (const ErrorClass which : kErrorClasses) {
    module.add_object(name(which).data(), Ref::borrow(error_class(which)));
  }
}

void fen_error(FenError kind, std::string_view fen) {
  raise(ErrorClass::FenError, std::string(message(kind)) + ": " + quoted(fen));
}

void position_error(PositionError error, std::string_view text) {
  raise(ErrorClass::PositionError, std::string(message(error)) + ": " + std::string(text));
}

void move_parse_error(MoveParseError kind, std::string_view text, std::string_view fen) {
  raise(ErrorClass::MoveParseError,
        std::string(message(kind)) + ": " + quoted(text) + " in " + std::string(fen));
}

void illegal_move(std::string_view move, std::string_view fen) {
  raise(ErrorClass::IllegalMove, std::string(move) + " is not legal in " + std::string(fen));
}

void parse_error(std::string_view word, std::string_view text) {
  raise(ErrorClass::ParseError, "not a " + std::string(word) + ": " + quoted(text));
}

void parse_error(const vorn::ParseError& error) { parse_error(error.kind, error.text); }

void value_error(std::string_view text) { bind::raise(PyExc_ValueError, text); }

void value_error(std::size_t line, std::size_t column, std::string_view text) {
  if (line == 0) value_error(text);
  value_error("line " + std::to_string(line) + ", column " + std::to_string(column) + ": " +
              std::string(text));
}

}  // namespace vorn::python::errors
