#include "text/quote.hpp"

#include <charconv>
#include <cstdint>

#include "text/unicode.hpp"
#include "text/utf8.hpp"

namespace vorn {

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (std::size_t pos = 0; pos < text.size();) {
    const utf8::Unit unit = utf8::decode(text, pos);
    pos += unit.length;
    const char32_t c = unit.code;
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\0': out += "\\0"; break;
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      default:
        if (unicode::is_non_printable(c) || unicode::is_grapheme_extend(c)) {
          char hex[8];
          const auto end = std::to_chars(hex, hex + sizeof hex, std::uint32_t(c), 16).ptr;
          out += "\\u{";
          out.append(hex, end);
          out += '}';
        } else {
          utf8::append(out, c);
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace vorn
