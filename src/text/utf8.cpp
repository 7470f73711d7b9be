#include "text/utf8.hpp"

#include <algorithm>
#include <array>
#include <cstring>

namespace vorn::utf8 {

namespace {

// Lead bytes of valid sequences: how many continuation bytes follow and the
// range the first of them must lie in (the rest lie in 80..BF). This rules
// out overlong forms, surrogates and code points past U+10FFFF.
struct Lead {
  unsigned char first, last;
  std::uint8_t continuation;
  unsigned char low, high;
};
constexpr std::array<Lead, 8> kLeads{{
    {0xC2, 0xDF, 1, 0x80, 0xBF},
    {0xE0, 0xE0, 2, 0xA0, 0xBF},
    {0xE1, 0xEC, 2, 0x80, 0xBF},
    {0xED, 0xED, 2, 0x80, 0x9F},
    {0xEE, 0xEF, 2, 0x80, 0xBF},
    {0xF0, 0xF0, 3, 0x90, 0xBF},
    {0xF1, 0xF3, 3, 0x80, 0xBF},
    {0xF4, 0xF4, 3, 0x80, 0x8F},
}};

constexpr std::string_view kReplacementBytes = "\xEF\xBF\xBD";

}  // namespace

Unit decode_multibyte(std::string_view bytes, std::size_t at) {
  const auto b = static_cast<unsigned char>(bytes[at]);
  const auto lead =
      std::ranges::find_if(kLeads, [b](const Lead& l) { return b >= l.first && b <= l.last; });
  if (lead == kLeads.end()) return {kReplacement, 1, false};
  char32_t code = b & (0x3F >> lead->continuation);
  for (std::uint8_t n = 1; n <= lead->continuation; ++n) {
    if (at + n >= bytes.size()) return {kReplacement, n, false};
    const auto c = static_cast<unsigned char>(bytes[at + n]);
    const bool fits = n == 1 ? c >= lead->low && c <= lead->high : c >= 0x80 && c <= 0xBF;
    if (!fits) return {kReplacement, n, false};
    code = (code << 6) | (c & 0x3F);
  }
  return {code, std::uint8_t(lead->continuation + 1), true};
}

bool is_valid(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    // Eight ASCII bytes at a time, the common case.
    if (std::uint64_t word; i + 8 <= bytes.size()) {
      std::memcpy(&word, bytes.data() + i, 8);
      if ((word & 0x8080808080808080) == 0) {
        i += 8;
        continue;
      }
    }
    const Unit unit = decode(bytes, i);
    if (!unit.valid) return false;
    i += unit.length;
  }
  return true;
}

std::size_t length(std::string_view text) {
  // Every byte but a continuation byte starts a character.
  return std::size_t(std::ranges::count_if(
      text, [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string lossy(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const Unit unit = decode(bytes, i);
    out += unit.valid ? bytes.substr(i, unit.length) : kReplacementBytes;
    i += unit.length;
  }
  return out;
}

std::string from_latin1(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (const char b : bytes) append(out, static_cast<unsigned char>(b));
  return out;
}

void append(std::string& out, char32_t c) {
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

}  // namespace vorn::utf8
