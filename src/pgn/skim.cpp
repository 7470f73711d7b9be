#include "pgn/skim.hpp"

#include <array>
#include <cstdint>
#include <cstring>

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
constexpr std::string_view kMovetextMarks = "{;[";

// Where the first of `marks` stands in `bytes` from `pos` on (the size when
// none does). A line too long to read runs to hundreds of MiB and is looked
// through eight bytes at a time, as memchr looks for one byte.
std::size_t first_of(std::string_view bytes, std::size_t pos, std::string_view marks) {
  constexpr std::uint64_t kOnes = 0x0101010101010101, kHighs = 0x8080808080808080;
  // Nonzero when a byte of `word` is zero.
  const auto has_zero = [](std::uint64_t word) { return (word - kOnes) & ~word & kHighs; };
  for (; pos + sizeof(std::uint64_t) <= bytes.size(); pos += sizeof(std::uint64_t)) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + pos, sizeof word);
    std::uint64_t marked = 0;
    for (const char mark : marks) marked |= has_zero(word ^ (kOnes * static_cast<unsigned char>(mark)));
    if (marked != 0) break;
  }
  while (pos < bytes.size() && marks.find(bytes[pos]) == std::string_view::npos) ++pos;
  return pos;
}

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
            pos = bytes.find('}', pos);
            if (pos == std::string_view::npos) return std::nullopt;
            ++pos;
            state_ = State::Movetext;
          }
          pos = first_of(bytes, pos, kMovetextMarks);
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
        pos = first_of(bytes, pos, "\"]");
        if (pos == bytes.size()) return std::nullopt;
        state_ = bytes[pos] == '"' ? State::TagValue : State::Tags;
        break;
      case State::TagValue:
        pos = first_of(bytes, pos, "\"\\");
        if (pos == bytes.size()) return std::nullopt;
        state_ = bytes[pos] == '"' ? State::TagPair : State::AfterBackslash;
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
