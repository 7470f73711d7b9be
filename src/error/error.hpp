// Every error value of the model with its fixed English text, and the panic
// that stops an operation whose internal invariant broke.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/enum_list.hpp"

namespace vorn {

// Each refusal with its message, in code order.
#define VORN_FEN_ERRORS(X)                                  \
  X(FieldCount, "a FEN has four or six fields")             \
  X(Placement, "invalid placement field")                   \
  X(SideToMove, "invalid side-to-move field")               \
  X(Castling, "invalid castling field")                     \
  X(EnPassant, "invalid en-passant field")                  \
  X(HalfmoveClock, "invalid halfmove clock")                \
  X(FullmoveNumber, "invalid full-move number")             \
  X(IllegalPosition, "not a legal position")
VORN_ENUM(FenError, VORN_FEN_ERRORS)
VORN_ENUM_TEXT(message, FenError, VORN_FEN_ERRORS, VORN_COLUMN_2)

#define VORN_MOVE_PARSE_ERRORS(X)         \
  X(Malformed, "malformed move text")     \
  X(NoSuchMove, "no such legal move")     \
  X(Ambiguous, "ambiguous move text")
VORN_ENUM(MoveParseError, VORN_MOVE_PARSE_ERRORS)
VORN_ENUM_TEXT(message, MoveParseError, VORN_MOVE_PARSE_ERRORS, VORN_COLUMN_2)

// The standard variant's refusal of castling rights it cannot have.
struct PositionError {};
// A move that is not legal in its position.
struct IllegalMove {};

std::string_view message(PositionError e);

// Thrown only for a broken internal invariant; the Python boundary turns it
// into PanicException. Never thrown for anything a caller's input can cause.
class Panic : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

[[noreturn]] void panic(std::string_view message);

}  // namespace vorn
