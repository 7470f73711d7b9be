// The Polyglot position key, the key of opening books.
#pragma once

#include <cstdint>

#include "position.hpp"

namespace vorn::zobrist {

std::uint64_t key(const Position& position);

}  // namespace vorn::zobrist
