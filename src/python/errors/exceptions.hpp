// The package's exception classes and the one raiser per model error that
// fixes its message. Python sees:
//
//   class Error(Exception): ...
//   class FenError(Error, ValueError): ...        # and IllegalMove, MoveParseError,
//                                                 # PositionError, ParseError alike
//
// Each raiser sets the Python error and throws bind::PythonError, which the
// entry point's guard hands to CPython. Call them holding the interpreter lock.
#pragma once

#include <cstddef>
#include <string_view>

#include "error/error.hpp"
#include "python/bind/python.hpp"
#include "core/types.hpp"

namespace vorn::python::bind {
class Module;
}  // namespace vorn::python::bind

namespace vorn::python::errors {

// Adds the six classes, in that order (module.cpp).
void register_module(bind::Module& module);
// Binds the six classes into the module, making them on first use.
void add_error_classes(bind::Module& module);

// FenError "<kind>: <fen quoted>".
[[noreturn]] void fen_error(FenError kind, std::string_view fen);
// PositionError "<error>: <text>".
[[noreturn]] void position_error(PositionError error, std::string_view text);
// MoveParseError "<kind>: <text quoted> in <fen>".
[[noreturn]] void move_parse_error(MoveParseError kind, std::string_view text, std::string_view fen);
// IllegalMove "<move> is not legal in <fen>".
[[noreturn]] void illegal_move(std::string_view move, std::string_view fen);
// ParseError "not a <word>: <text quoted>".
[[noreturn]] void parse_error(std::string_view word, std::string_view text);
[[noreturn]] void parse_error(const vorn::ParseError& error);

// The builtin ValueError with a text.
[[noreturn]] void value_error(std::string_view text);
// A reader's error found at a line and column ("line 3, column 14: <text>");
// line 0 means no place is known and gives the text alone.
[[noreturn]] void value_error(std::size_t line, std::size_t column, std::string_view text);

}  // namespace vorn::python::errors
