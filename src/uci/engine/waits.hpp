// The waits of an engine's calls, each a value the engine steps a slice at a
// time (`Engine::step(wait, until)`): the answer to uci or isready, the exit
// after quit, a search, the drain of a search given up, a position set, and
// the plays and analyses built on a position and a search.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "game/game.hpp"
#include "uci/engine/error.hpp"
#include "uci/engine/silence.hpp"
#include "uci/limits.hpp"
#include "uci/protocol.hpp"
#include "uci/reading.hpp"

namespace vorn::uci::engine {

class Engine;

using Answer = protocol::Answer;
using Report = protocol::Report;
// One step of a search: a report, its moves read on the position searched,
// or the answer.
using Progress = std::variant<Report, Answer>;

// One step of a wait: none while the wait goes on past the step's end, else
// what the wait ended with.
template <class T>
using Stepped = std::expected<std::optional<T>, Error>;
struct Done {};

// The wait for the word that answers `uci` or `isready`, bounded once.
class Reply {
 public:
  using Value = Done;

 private:
  friend class Engine;
  Reply(protocol::MessageKind awaited, Duration bound) : awaited_(awaited), silence_(bound) {}

  protocol::MessageKind awaited_;
  Silence silence_;
};

// The wait for the process to exit after `quit`; past its bound the
// process is killed. Its value is the exit code.
class Exit {
 public:
  using Value = std::optional<std::int32_t>;

 private:
  friend class Engine;
  explicit Exit(Duration bound) : silence_(bound) {}

  Silence silence_;
};

// A search started by `go`, its reports and answer read on `game`. Each step
// must come by the deadline; a per-step bound renews it with every step,
// a whole bound does not, and counts the time between steps too.
class Search {
 public:
  using Value = Progress;

  std::uint64_t number() const { return number_; }
  Instant deadline() const { return silence_.deadline(); }
  const std::optional<Answer>& answer() const { return answer_; }
  // A report went to the caller, whose own time before the next step counts
  // whole; steps taken one after another, with no caller between, tell a
  // stop of the job by the gap as any wait does.
  void hand_out() { silence_.leave(); }

 private:
  friend class Engine;
  enum class Bound { PerStep, Whole };
  Search(std::uint64_t number, Game game, Duration timeout, Bound bound)
      : number_(number), game_(std::move(game)), bound_(bound), silence_(timeout) {}

  std::uint64_t number_;
  Game game_;
  Bound bound_;
  Silence silence_;
  std::optional<Answer> answer_;
};

// What a call given up left the engine owing, within one fixed bound: the
// uciok of a handshake cut short, or the best move of a search abandoned
// unanswered (stopped first).
class Drain {
 public:
  using Value = Done;

 private:
  friend class Engine;
  Drain(protocol::MessageKind awaited, Duration bound) : awaited_(awaited), silence_(bound) {}

  protocol::MessageKind awaited_;  // uciok or bestmove
  Silence silence_;
};

// A game being set as the engine's position: the engine's Chess960 mode
// switched first when the game needs it, confirmed by readyok.
class Positioning {
 public:
  using Value = Done;

 private:
  friend class Engine;
  Positioning(Game game, bool chess960) : game_(std::move(game)), chess960_(chess960) {}

  Game game_;
  bool chess960_;                   // the mode the game needs
  std::optional<Reply> switching_;  // the readyok that confirms the switch
};

// A position set, then searched: what a play and an analysis follow.
class PositionSearch {
 public:
  // None until the position is set and the search started.
  const Search* search() const { return search_ ? &*search_ : nullptr; }

 private:
  friend class Engine;
  PositionSearch(Positioning positioning, const protocol::Limits& limits, Duration per_step)
      : positioning_(std::move(positioning)), limits_(limits), per_step_(per_step) {}

  Positioning positioning_;
  protocol::Limits limits_;
  Duration per_step_;
  std::optional<Search> search_;
};

// A position searched to the engine's answer.
class Play : public PositionSearch {
 public:
  using Value = Answer;

 private:
  friend class Engine;
  explicit Play(PositionSearch searched) : PositionSearch(std::move(searched)) {}
};

// A position searched, keeping the last scored report of each variation
// (its `multipv`, 1 when it has none); answered with them in variation order.
class Analysis : public PositionSearch {
 public:
  using Value = std::vector<Report>;

 private:
  friend class Engine;
  explicit Analysis(PositionSearch searched) : PositionSearch(std::move(searched)) {}

  std::vector<Report> kept_;
};

}  // namespace vorn::uci::engine
