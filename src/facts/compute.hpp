// Computing facts: the record of one position, the facts of each legal move of
// its side to move, the facts of a game's current position with its history,
// and the plain-text summaries.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "facts/record.hpp"
#include "game/game.hpp"
#include "moves/moves.hpp"
#include "position/position.hpp"
#include "variant/variant.hpp"

namespace vorn::facts {

// The move lists `compute` borrows, so that it allocates nothing: the side to
// move's legal moves and the other side's after a null move. The positions the
// tactics play into are only asked whether any legal move is left.
struct Scratch {
  MoveList own;
  MoveList other;
};

struct AnnotatedMove {
  Move move;
  MoveFacts facts;
};

// One entry per legal move of the side to move, in legal-move order.
class AnnotatedMoves {
 public:
  void push(const AnnotatedMove& entry) {
    if (size_ == MoveList::kCapacity) panic("move list overflow");
    entries_[size_++] = entry;
  }
  std::size_t size() const { return size_; }
  const AnnotatedMove* begin() const { return entries_.data(); }
  const AnnotatedMove* end() const { return entries_.data() + size_; }

 private:
  std::array<AnnotatedMove, MoveList::kCapacity> entries_;
  std::size_t size_ = 0;
};

// Fills every field of `out` for `position` under `variant`; with `per_move`,
// also appends the facts of every legal move of the side to move.
void compute(Facts& out, const Position& position, const Variant& variant, Scratch& scratch,
             AnnotatedMoves* per_move);

// The facts of the game's current position with its history group and
// repetition flags filled from the game.
void compute_game(Facts& out, const Game& game, Scratch& scratch);

// Five lines of the most telling facts, for a human reader.
std::string summary(const Facts& facts);
// The board, side to move and state line, for a human reader.
std::string summary(const Position& position);

}  // namespace vorn::facts
