// The five ECO tables, volumes A to E, embedded by the build from
// data/openings/ (see cmake/embed.cmake). Each is UTF-8 text: the line
// "eco\tname\tpgn", then one row per line.
#pragma once

#include <array>
#include <string_view>

namespace vorn::openings {

extern const std::array<std::string_view, 5> kTables;

}  // namespace vorn::openings
