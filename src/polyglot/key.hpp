// The Polyglot position key, the key of opening books.
#pragma once

#include <cstdint>

#include "position/position.hpp"

namespace vorn::polyglot {

std::uint64_t key(const Position& position);

}  // namespace vorn::polyglot
