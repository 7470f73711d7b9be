// A PGN game record: its tag pairs, the comment before the first move, the
// tree of moves with glyphs, comments and variations, and the result; and
// the error every PGN operation reports, located by line and column when it
// comes from a text.
//
// Variations nest to any depth (a 1 MB line can open 200,000 of them), so
// copying, comparing and destroying nodes walk the tree with explicit
// stacks, never by recursion.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/enum_list.hpp"
#include "moves/moves.hpp"
#include "pgn/errors.def"

namespace vorn::pgn {

// Each result with its marker: name(result), and from_name<GameResult>
// reads a marker back, compared exactly.
#define VORN_GAME_RESULTS(X) X(WhiteWins, "1-0") X(BlackWins, "0-1") X(Draw, "1/2-1/2") X(Undecided, "*")
VORN_NAMED_ENUM(GameResult, VORN_GAME_RESULTS)

VORN_ENUM(ErrorKind, VORN_PGN_ERRORS)
// The kind's text, "{}" standing for the value the error carries.
VORN_ENUM_TEXT(text, ErrorKind, VORN_PGN_ERRORS, VORN_COLUMN_2)

struct PgnError {
  ErrorKind kind;
  std::string detail;  // what the kind's text shows in its "{}"
  std::uint64_t line = 0;    // 1-based; 0 when the error has no place in a text
  std::uint64_t column = 0;  // 1-based, in characters; 0 with line 0

  // The kind's text, with the detail filled in.
  std::string kind_text() const;
  // "line {}, column {}: " before the kind's text when the error has a place.
  std::string message() const;
  bool operator==(const PgnError&) const = default;
};

// Tag pairs in the order each name was first set, indexed by name, so that
// setting or finding a tag costs the same however many a game has.
class Headers {
 public:
  using Pair = std::pair<std::string, std::string>;

  const std::vector<Pair>& pairs() const { return pairs_; }
  bool empty() const { return pairs_.empty(); }
  void clear();
  // A name already present keeps its place and takes the new value.
  void set(std::string_view name, std::string_view value);
  // The value of the pair of that exact name.
  const std::string* find(std::string_view name) const;
  // The Seven Tag Roster first, in roster order, then the rest as stored.
  std::vector<const Pair*> export_order() const;

  bool operator==(const Headers& other) const { return pairs_ == other.pairs_; }

 private:
  // The slot of index_ that holds `name`'s pair, or the free slot where it would go.
  std::size_t slot(std::string_view name) const;
  const Pair* pair_named(std::string_view name) const;

  std::vector<Pair> pairs_;
  // Open addressing, at most half full: 1 + the place of a pair in pairs_, 0 when free.
  std::vector<std::size_t> index_;
};

struct Node;
using Line = std::vector<Node>;

struct Node {
  Move move;
  std::string san;  // as written, less move number and !/? suffix
  std::vector<std::uint16_t> nags;
  std::string comment_before;
  std::string comment_after;
  std::vector<Line> variations;  // alternatives to this move, from the position before it

  Node(Move move, std::string_view san) : move(move), san(san) {}
  Node(const Node& other);
  Node(Node&&) noexcept = default;
  Node& operator=(const Node& other);
  Node& operator=(Node&&) noexcept = default;
  ~Node();

  // Moves compare by origin, destination and promotion; variations line by
  // line, node by node, to any depth.
  friend bool operator==(const Node& a, const Node& b);
};

bool same_line(const Line& a, const Line& b);

struct Game {
  Headers headers;
  std::string comment;
  Line nodes;  // the main line
  GameResult result = GameResult::Undecided;

  friend bool operator==(const Game& a, const Game& b);
};

}  // namespace vorn::pgn
