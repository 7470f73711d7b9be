// How lists and counts are written in English sentences.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/types.hpp"

namespace vorn::english {

// "a", "a and b", "a, b and c": no serial comma.
std::string list(std::span<const std::string> items);
// The squares of a set in ascending order, through `list`.
std::string square_list(SquareSet squares);
// "White" or "Black", as a sentence names a side.
using vorn::colour_word;
// "1 move" for exactly one, "{n} moves" for every other count, 0 included.
std::string count(std::uint64_t n, std::string_view singular, std::string_view plural);

}  // namespace vorn::english
