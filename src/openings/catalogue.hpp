// Opening names by position: the ECO tables parsed once, on first use, into
// a map from Polyglot key to code and name, so any move order that reaches a
// named position finds its name.
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

// The key of the position the moves reach from the standard start: tokens
// split at white space, those starting with a digit (move numbers) skipped,
// the rest read as SAN. None when one names no legal move.
std::optional<std::uint64_t> key_after(std::string_view moves);
// The opening the position is named after; clocks play no part.
std::optional<Opening> lookup(const Position& position);
// How many positions the catalogue names.
std::size_t count();

}  // namespace vorn::openings
