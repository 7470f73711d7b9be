// Making books: counting the moves of played games into records, and
// writing any records as a book file, sorted with duplicates merged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/game.hpp"
#include "pgn/read.hpp"
#include "polyglot/counts.hpp"
#include "polyglot/file.hpp"
#include "polyglot/record.hpp"

namespace vorn::polyglot {

// Book order: key ascending, then weight descending, then bits ascending.
bool book_order(const Raw& a, const Raw& b);

// Writes `records` to `path` in book order, the records of one key and
// move merged into one: weights summed up to 65535, the learn of the
// heaviest (the earliest of equally heavy ones) kept.
std::expected<void, FileError> write_raw(const std::string& path, std::vector<Raw> records);

}  // namespace vorn::polyglot

namespace vorn::polyglot::build {

class Builder {
 public:
  // Only the first `max_ply` moves of each game count when given; records
  // are made of pairs counted at least `min_count` times.
  Builder(std::optional<std::uint32_t> max_ply, std::uint32_t min_count)
      : max_ply_(max_ply), min_count_(min_count) {}

  // Counts every move of `game` in the position it was played in.
  void add_game(const Game& game);
  // A visitor of the PGN reader (pgn::GameRun) that counts here the main
  // line of every game read whole: a game that fails, or whose reading is
  // cut short, counts nothing. It refers to this builder.
  std::unique_ptr<pgn::Visitor> pgn_counter();
  // The records in book order, learn 0, weights the counts; a position
  // whose largest count passes 65535 has its weights scaled so that the
  // largest is 65535 and the rest keep their proportion, none below 1.
  std::vector<Raw> entries() const;
  // Distinct (key, move) pairs counted, `min_count` aside.
  std::size_t size() const { return counts_.size(); }

 private:
  // How many moves of a game count.
  std::size_t limit() const { return max_ply_.value_or(std::numeric_limits<std::uint32_t>::max()); }

  std::optional<std::uint32_t> max_ply_;
  std::uint32_t min_count_;
  MoveCounts counts_;
};

}  // namespace vorn::polyglot::build
