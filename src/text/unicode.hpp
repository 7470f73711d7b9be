// Unicode character classes from the generated tables (tools/gen_unicode_tables.py).
#pragma once

namespace vorn::unicode {

// Controls, formats, separators (but the ASCII space), private use,
// surrogates and unassigned code points.
bool is_non_printable(char32_t c);
bool is_grapheme_extend(char32_t c);
// The White_Space property.
bool is_white_space(char32_t c);
// The Alphabetic property.
bool is_alphabetic(char32_t c);
// The general categories Nd, Nl and No.
bool is_numeric(char32_t c);

}  // namespace vorn::unicode
