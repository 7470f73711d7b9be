// Opening names by position: the ECO tables parsed once, on first use, into
// a map from Polyglot key to code and name, so any move order that reaches a
// named position finds its name. A row's moves are white-space separated
// tokens, move numbers (tokens starting with a digit) skipped and the rest
// read as SAN from the standard start; a row whose moves do not read is
// skipped, and the first row to reach a position names it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "position/position.hpp"

namespace vorn::openings {

// A code and a name; both view the embedded tables, which live as long as
// the process.
struct Opening {
  std::string_view eco;
  std::string_view name;

  bool operator==(const Opening&) const = default;
  // The code, one space, the name.
  std::string text() const;
};

// The opening the position is named after; clocks play no part.
std::optional<Opening> lookup(const Position& position);
// How many positions the catalogue names.
std::size_t count();

}  // namespace vorn::openings
