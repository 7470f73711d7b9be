// The Polyglot position key, the key of opening books.
#pragma once

#include <cstdint>

#include "position/position.hpp"

namespace vorn::polyglot {

std::uint64_t key(const Position& position);
// The key of `after`, which the legal `move` (flags and all) makes of
// `before`, whose key is `before_key`: only the squares, rights and
// en-passant file the move changed are looked at.
std::uint64_t key_after(const Position& before, std::uint64_t before_key, Move move, const Position& after);

}  // namespace vorn::polyglot
