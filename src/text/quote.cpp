#include "text/quote.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <span>

namespace vorn {

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

// Decodes the code point at `pos` and advances past it. Malformed sequences
// yield U+FFFD one byte at a time.
char32_t next_code_point(std::string_view text, std::size_t& pos) {
  constexpr char32_t kReplacement = 0xFFFD;
  const auto lead = static_cast<std::uint8_t>(text[pos]);
  const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                             : (lead >> 3) == 0x1E ? 4 : 0;
  if (length == 1) return text[pos++];
  if (length == 0 || pos + length > text.size()) return ++pos, kReplacement;
  char32_t c = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<std::uint8_t>(text[pos + i]);
    if ((byte & 0xC0) != 0x80) return ++pos, kReplacement;
    c = (c << 6) | (byte & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    return ++pos, kReplacement;
  }
  pos += length;
  return c;
}

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (std::size_t pos = 0; pos < text.size();) {
    const char32_t c = next_code_point(text, pos);
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\0': out += "\\0"; break;
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      default:
        if (in_table(kNonPrintable, c) || in_table(kGraphemeExtend, c)) {
          char hex[8];
          const auto end = std::to_chars(hex, hex + sizeof hex, std::uint32_t(c), 16).ptr;
          out += "\\u{";
          out.append(hex, end);
          out += '}';
        } else {
          append_utf8(out, c);
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace vorn
