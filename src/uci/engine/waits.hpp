// The waits of an engine's calls, each a value the engine steps a slice at a
// time (`Engine::step(wait, until)`): the answer to uci or isready, the exit
// after quit, a search, and the plays and analyses built on a search.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "game/game.hpp"
#include "uci/engine/error.hpp"
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
  Reply(protocol::MessageKind awaited, Duration bound)
      : awaited_(awaited), bound_(bound), deadline_(deadline_after(bound)) {}

  protocol::MessageKind awaited_;
  Duration bound_;
  Instant deadline_;
};

// The wait for the process to exit after `quit`; past its deadline the
// process is killed. Its value is the exit code.
class Exit {
 public:
  using Value = std::optional<std::int32_t>;

 private:
  friend class Engine;
  explicit Exit(Instant deadline) : deadline_(deadline) {}

  Instant deadline_;
};

// A search started by `go`, its reports and answer read on `game`. Each step
// must come by the deadline; a per-step bound renews it with every step,
// a whole bound does not.
class Search {
 public:
  using Value = Progress;

  std::uint64_t number() const { return number_; }
  Instant deadline() const { return deadline_; }
  const std::optional<Answer>& answer() const { return answer_; }

 private:
  friend class Engine;
  enum class Bound { PerStep, Whole };
  Search(std::uint64_t number, Game game, Duration timeout, Bound bound)
      : number_(number), game_(std::move(game)), timeout_(timeout), bound_(bound),
        deadline_(deadline_after(timeout)) {}

  std::uint64_t number_;
  Game game_;
  Duration timeout_;
  Bound bound_;
  Instant deadline_;
  std::optional<Answer> answer_;
};

// A search of a position set for it, followed to its answer.
class Play {
 public:
  using Value = Answer;
  const Search& search() const { return search_; }

 private:
  friend class Engine;
  explicit Play(Search search) : search_(std::move(search)) {}

  Search search_;
};

// A search of a position set for it, keeping the last scored report of each
// variation (its `multipv`, 1 when it has none); answered with them in
// variation order.
class Analysis {
 public:
  using Value = std::vector<Report>;
  const Search& search() const { return search_; }

 private:
  friend class Engine;
  explicit Analysis(Search search) : search_(std::move(search)) {}

  Search search_;
  std::vector<Report> kept_;
};

}  // namespace vorn::uci::engine
