// Every error value of the model with its fixed English text, and the panic
// that stops an operation whose internal invariant broke.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vorn {

enum class FenError : std::uint8_t {
  FieldCount,
  Placement,
  SideToMove,
  Castling,
  EnPassant,
  HalfmoveClock,
  FullmoveNumber,
  IllegalPosition,
};

enum class MoveParseError : std::uint8_t { Malformed, NoSuchMove, Ambiguous };

// The standard variant's refusal of castling rights it cannot have.
struct PositionError {};
// A move that is not legal in its position.
struct IllegalMove {};

std::string_view message(FenError e);
std::string_view message(MoveParseError e);
std::string_view message(PositionError e);

// Thrown only for a broken internal invariant; the Python boundary turns it
// into PanicException. Never thrown for anything a caller's input can cause.
class Panic : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

[[noreturn]] void panic(std::string_view message);

}  // namespace vorn
