// UTF-8 decoding with one policy for every reader of outside bytes: a byte
// run that is not UTF-8 stands for U+FFFD once per maximal invalid subpart,
// as Python's bytes.decode("utf-8", "replace") has it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorn::utf8 {

inline constexpr char32_t kReplacement = 0xFFFD;

// One decoded unit of a byte text: a character, or the maximal invalid
// subpart at that place (then `code` is U+FFFD).
struct Unit {
  char32_t code;
  std::uint8_t length;  // bytes taken, 1 to 4
  bool valid;
};

Unit decode_multibyte(std::string_view bytes, std::size_t at);

// The unit starting at `bytes[at]` (at < size).
inline Unit decode(std::string_view bytes, std::size_t at) {
  const auto b = static_cast<unsigned char>(bytes[at]);
  if (b < 0x80) return {b, 1, true};
  return decode_multibyte(bytes, at);
}

bool is_valid(std::string_view bytes);
// How many characters a valid text holds.
std::size_t length(std::string_view text);
// The bytes as valid UTF-8 under the replacement policy.
std::string lossy(std::string_view bytes);
// ISO-8859-1 bytes as UTF-8 (each byte is the code point of its value).
std::string from_latin1(std::string_view bytes);
void append(std::string& out, char32_t c);

}  // namespace vorn::utf8
