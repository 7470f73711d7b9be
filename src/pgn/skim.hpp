// Text the reader steps over rather than reads, the rest of a game a bound
// refused, followed only as far as where the game may end goes: tag pairs
// and their quoted values, brace comments and ";" comments. A line may come
// in pieces, so a line too long to hold is followed like any other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vorn::pgn {

// Where a game's text stands at the start of a line, as far as where the
// game may end goes: outside a comment, movetext ends it at a "["; tags go
// on at one.
enum class Section : std::uint8_t { Tags, Movetext, Comment };

class Skim {
 public:
  explicit Skim(Section section = Section::Movetext) : state_(State(section)) {}
  // A line begins; an escape line ("%") is passed over whole.
  void begin_line(bool escape) { passed_over_ = escape; }
  // Follows the next bytes of the line. Where the line is one the reader
  // reads, the "[" that begins the next game ends the skim: its index.
  // In a line it refuses, a game begun there is followed into its tags.
  std::optional<std::size_t> follow(std::string_view bytes, bool readable);
  void end_line();

 private:
  // The sections first, so that a section converts to its state.
  enum class State : std::uint8_t { Tags, Movetext, Comment, TagPair, TagValue, AfterBackslash, LineComment };

  State state_;
  bool passed_over_ = false;
};

}  // namespace vorn::pgn
