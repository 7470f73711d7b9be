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

// The bytes that change where movetext stands.
constexpr std::array<bool, 256> kMovetextMarks = [] {
  std::array<bool, 256> table{};
  for (const char c : std::string_view("{;[")) table[static_cast<unsigned char>(c)] = true;
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
      case State::Comment:
        // A line too long to read is mostly movetext and comments: they are
        // run over here, in tight loops, up to a tag pair or the end.
        while (true) {
          if (state_ == State::Comment) {
            while (pos < bytes.size() && bytes[pos] != '}') ++pos;
            if (pos == bytes.size()) return std::nullopt;
            ++pos;
            state_ = State::Movetext;
          }
          while (pos < bytes.size() && !kMovetextMarks[static_cast<unsigned char>(bytes[pos])]) ++pos;
          if (pos == bytes.size()) return std::nullopt;
          if (bytes[pos] == ';') {
            state_ = State::LineComment;
            return std::nullopt;
          }
          if (bytes[pos] == '[') break;
          state_ = State::Comment;
          ++pos;
        }
        if (readable) return pos;  // the next game begins
        state_ = State::TagPair;   // a game begun on a refused line: its tags are followed too
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
