// A position: a board with the system's own clocks.
#pragma once

#include <cstdint>

#include "board/board.hpp"

namespace vorn {

using board::CastlingRights;
using board::Wing;

struct Position {
  board::Board board;
  std::uint32_t halfmove_clock = 0;
  std::uint32_t fullmove_number = 1;
  bool clocks_known = false;  // the FEN carried both clock fields

  // Colours swapped, ranks flipped.
  Position mirrored() const;
  // The board hash, its en-passant part kept only when an en-passant capture is legal.
  std::uint64_t repetition_key() const;

  bool operator==(const Position&) const = default;
};

}  // namespace vorn
