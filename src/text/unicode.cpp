#include "text/unicode.hpp"

#include <algorithm>
#include <span>

namespace vorn::unicode {

namespace {

struct CodeRange {
  char32_t first;
  char32_t last;
};

#include "text/unicode_tables.inc"

bool in_table(std::span<const CodeRange> table, char32_t c) {
  const auto after = std::upper_bound(table.begin(), table.end(), c,
                                      [](char32_t v, const CodeRange& r) { return v < r.first; });
  return after != table.begin() && c <= std::prev(after)->last;
}

}  // namespace

bool is_non_printable(char32_t c) { return in_table(kNonPrintable, c); }
bool is_grapheme_extend(char32_t c) { return in_table(kGraphemeExtend, c); }
bool is_white_space(char32_t c) { return in_table(kWhiteSpace, c); }
bool is_alphabetic(char32_t c) { return in_table(kAlphabetic, c); }
bool is_numeric(char32_t c) { return in_table(kNumeric, c); }

}  // namespace vorn::unicode
