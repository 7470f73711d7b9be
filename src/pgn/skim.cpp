#include "pgn/skim.hpp"

#include <array>

#include "text/unicode.hpp"

namespace vorn::pgn {

namespace {

// Between tag pairs only white space is stepped over. A byte past ASCII is
// taken for part of a white-space character: anything else there is an
// error, which ends no game sooner.
const std::array<bool, 256> kSpaceAmongTags = [] {
  std::array<bool, 256> table{};
  for (char32_t c = 0; c < 256; ++c) table[c] = c >= 0x80 || unicode::is_white_space(c);
  return table;
}();

}  // namespace

std::optional<std::size_t> Skim::follow(std::string_view bytes, bool readable) {
  if (passed_over_) return std::nullopt;
  for (std::size_t pos = 0; pos < bytes.size(); ++pos) {
    const char c = bytes[pos];
    switch (state_) {
      case State::Tags:
        if (c == '[') {
          state_ = State::TagPair;
          break;
        }
        if (kSpaceAmongTags[static_cast<unsigned char>(c)]) break;
        state_ = State::Movetext;  // and this byte is its first
        [[fallthrough]];
      case State::Movetext:
        if (c == '{') {
          state_ = State::Comment;
        } else if (c == ';') {
          state_ = State::LineComment;
          return std::nullopt;
        } else if (c == '[') {
          if (readable) return pos;
          state_ = State::TagPair;
        }
        break;
      case State::Comment:
        if (const std::size_t close = bytes.find('}', pos); close != std::string_view::npos) {
          pos = close;
          state_ = State::Movetext;
        } else {
          return std::nullopt;
        }
        break;
      case State::TagPair:
        if (c == '"') state_ = State::TagValue;
        else if (c == ']') state_ = State::Tags;
        break;
      case State::TagValue:
        if (c == '\\') state_ = State::AfterBackslash;
        else if (c == '"') state_ = State::TagPair;
        break;
      case State::AfterBackslash:
        state_ = State::TagValue;
        break;
      case State::LineComment:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

void Skim::end_line() {
  passed_over_ = false;
  // A tag pair ends with its line, whole or not; so does a ";" comment.
  if (state_ == State::TagPair || state_ == State::TagValue || state_ == State::AfterBackslash) state_ = State::Tags;
  else if (state_ == State::LineComment) state_ = State::Movetext;
}

}  // namespace vorn::pgn
