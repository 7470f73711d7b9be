// A UCI engine as a child process, addressed with blocking calls on the
// caller's thread: lines in and out with time bounds, the conversation
// (handshake, readiness, options, positions, quit) under the session's
// order, and searches followed to their best move.
//
//   auto engine = Launch("/usr/games/stockfish").spawn();
//   auto play = engine->begin_play(game, Limits{.depth = 12}, engine->timeout());
//   auto answer = engine->finish(*play);
//
// A call that waits begins, then its wait is stepped: to its end by
// `finish`, or in slices by a caller that notices Ctrl-C or lets another
// thread in between:
//
//   auto answer = engine->step(*play, Clock::now() + 100ms);  // none yet: check, step again
//
// Every wait is bounded by the engine's `timeout`, the bound the call was
// given, or a bound derived from them, counted on the time this process runs
// (`Silence`): a caller that steps a wait in slices comes back within one.
// A line the engine's input does not take at once is written by the steps
// that follow, or by `flush`. One
// thread at a time uses an Engine; only `Reaper::kill` of `reaper()` may
// come from another.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "game/game.hpp"
#include "uci/engine/child.hpp"
#include "uci/engine/error.hpp"
#include "uci/engine/queue.hpp"
#include "uci/engine/waits.hpp"
#include "uci/limits.hpp"
#include "uci/protocol.hpp"
#include "uci/reading.hpp"

namespace vorn::uci::engine {

// How to start an engine.
struct Launch {
  std::string program;
  std::vector<std::string> arguments;
  std::optional<std::string> cwd;  // none: the caller's
  Duration timeout{10, 0};

  explicit Launch(std::string program) : program(std::move(program)) {}
  Launch args(std::vector<std::string> more) &&;
  // The child and both reader threads. A failure leaves nothing running.
  std::expected<Engine, Error> spawn() &&;
};

// What the handshake learnt.
struct Identity {
  std::optional<std::string> name;
  std::optional<std::string> author;
  std::vector<std::pair<std::string, std::string>> others;  // other id keys, in arrival order
};

class Engine {
 public:
  Engine(Engine&&) noexcept = default;
  Engine& operator=(Engine&&) = delete;
  // Kills and reaps a process still running, or closes the pipes of one that
  // may not be killed and leaves it; in a forked child, only closes the
  // three descriptors that still name the pipes.
  ~Engine();

  // ---- lines ----
  // A step to the oldest unread line, or to none if none came by `deadline`;
  // `Died` once the output has ended and its lines are read, or the process
  // has ended. The session sees the line as if the conversation had read
  // it, so a best move read here still ends its search.
  Stepped<std::optional<std::string>> next_line(Instant until, Instant deadline);
  // Writes `line` and a line feed outside the conversation's order. A text
  // with a line break or a NUL is refused.
  std::expected<void, Error> send_line(std::string_view line);
  // Writes what the engine's input has not taken yet, waiting for room until
  // `until`; a write blocked past the timeout kills the engine. Once the
  // output has ended or the input broke, the process's end is awaited
  // instead, up to the timeout, then forced: `Died`.
  Stepped<Done> flush(Instant until);
  // A write not yet taken, or the end of the process, is awaited: every wait
  // steps it first, past the wait's own deadline.
  bool settling() const { return !unsent_.empty() || ending_.has_value(); }
  // Closes the input, kills and reaps the process. A process the signal
  // may not reach (another user's; a sandbox's refusal) is left running,
  // never waited for: `unkillable`.
  std::expected<void, Error> kill();
  // Kills the process from any thread, the engine being busy or not.
  const std::shared_ptr<Reaper>& reaper() const { return child_; }

  // ---- the conversation ----
  // `Died` for an engine that has ended, before the session is asked.
  std::expected<void, Error> send(const protocol::Command& command);
  // Sends uci or isready; the wait for the answer follows.
  std::expected<Reply, Error> begin_handshake();
  std::expected<Reply, Error> begin_is_ready();
  // The first declared option of that name, ASCII letters matched in any case.
  const protocol::OptionSpec* option(std::string_view name) const;
  std::expected<void, Error> set_option(std::string_view name, const protocol::OptionValue& value);
  // Sends what switches the engine's Chess960 mode when the game's variant
  // needs it; the switch confirmed, sending the game follows.
  std::expected<Positioning, Error> begin_set_position(const Game& game);
  // ucinewgame; the last game sent is forgotten; then isready.
  std::expected<Reply, Error> begin_new_game();
  // Sends quit and closes the input; the wait for the exit follows. An
  // engine whose input has not taken what was written is killed at once.
  Exit begin_quit();

  // ---- searches ----
  // Sends go for the position last set. `per_step` bounds the wait for each
  // step (plus the limits' movetime); `whole` bounds the whole search.
  std::expected<Search, Error> go(const protocol::Limits& limits, Duration per_step);
  std::expected<Search, Error> go_within(const protocol::Limits& limits, Duration whole);
  // Stop or ponderhit for `search`: `SearchOver` once another search has
  // started or its answer has gone elsewhere.
  std::expected<void, Error> tell(const Search& search, const protocol::Command& command);
  // Whether the answer of `search` has passed: read by its steps or by
  // another reader, or a later search has started.
  bool answered(const Search& search) const;
  // `search` will not be read any more: the next command that needs an idle
  // engine stops it and drains its reports first.
  void abandon(std::uint64_t number);
  // Abandons `search`, telling the engine to stop at once.
  void interrupt(const Search& search);
  // What a call given up left the engine owing, to be waited for before the
  // engine is idle: the uciok of a handshake cut short, or an abandoned
  // search still running, stopped here; draining it follows. None when
  // nothing is owed.
  std::expected<std::optional<Drain>, Error> begin_drain();
  // Sets the position and searches it, each step bounded by `per_step`.
  std::expected<Play, Error> begin_play(const Game& game, const protocol::Limits& limits, Duration per_step);
  std::expected<Analysis, Error> begin_analysis(const Game& game, const protocol::Limits& limits,
                                                Duration per_step);

  // ---- steps: each waits at most until `until` ----
  Stepped<Done> step(Reply& reply, Instant until);
  Stepped<std::optional<std::int32_t>> step(Exit& exit, Instant until);
  Stepped<Done> step(Drain& drain, Instant until);
  Stepped<Done> step(Positioning& positioning, Instant until);
  // `SearchOver` once another search has started or the answer went to
  // another reader. Precondition: no answer yet.
  Stepped<Progress> step(Search& search, Instant until);
  // A failed search is stopped and drained before the error returns.
  Stepped<Answer> step(Play& play, Instant until);
  Stepped<std::vector<Report>> step(Analysis& analysis, Instant until);
  // Steps `wait` to its end.
  template <class Wait>
  std::expected<typename Wait::Value, Error> finish(Wait& wait) {
    while (true) {
      auto stepped = step(wait, Instant::max());
      if (!stepped) return std::unexpected(std::move(stepped.error()));
      if (*stepped) return std::move(**stepped);
    }
  }

  // ---- state ----
  const Identity& identity() const { return identity_; }
  const std::vector<protocol::OptionSpec>& options() const { return options_; }
  // The session's state; `Quitting` once the process is seen to have ended.
  protocol::State state();
  const std::optional<Game>& position() const { return position_; }
  Duration timeout() const { return timeout_; }
  void set_timeout(Duration timeout) { timeout_ = timeout; }
  bool exited() const { return exited_; }
  // Running: not seen to end, and a non-blocking wait finds it running.
  bool is_alive();

 private:
  friend struct Launch;
  Engine(Spawned spawned, const std::array<OpenFile, 2>& read_ends, std::shared_ptr<LineQueue> lines,
         Duration timeout);

  std::expected<std::optional<Line>, Error> next_queued(Instant deadline);
  // The next message the session accepts within `silence` (`Timeout` with
  // its bound and `awaited` past it); none when `until` comes first. Lines
  // out of turn are skipped.
  std::expected<std::optional<protocol::Message>, Error> receive(Instant until, Silence& silence,
                                                                 std::string_view awaited);
  // Whether the session accepts the line's message; what it tells is kept.
  bool observe(protocol::Message& message);
  std::expected<void, Error> write_line(std::string line);
  error::Died died() const { return {exit_, deaf_}; }
  // Non-blocking: records the end of a process that has ended.
  bool check_ended();
  // The process's end, awaited until `until` and forced past `ending_`
  // (set here first): false while it may still come; a failure to force it.
  std::expected<bool, Error> await_end(Instant until);
  void record_end();
  std::expected<Search, Error> start_search(const protocol::Limits& limits, Duration timeout, Search::Bound bound);
  // Stops and drains an abandoned search, within one fixed bound.
  std::expected<void, Error> drain_abandoned();
  // Drains `search` when it failed unanswered on an engine still running.
  void drop(const Search& search);
  // The next step of the search, the position set and the search started
  // first; a failed search is dropped.
  Stepped<Progress> step_search(PositionSearch& searched, Instant until);

  std::shared_ptr<Reaper> child_;
  Descriptor stdin_;
  // The ends the reader threads own, output then errors: a forked copy,
  // where those threads do not run, closes them itself.
  std::array<OpenFile, 2> read_ends_;
  std::shared_ptr<std::atomic<bool>> readers_abandoned_;  // set as the engine goes
  std::shared_ptr<LineQueue> lines_;
  std::optional<std::int32_t> exit_;
  bool exited_ = false;
  bool deaf_ = false;  // killed because its input took nothing in time
  Duration timeout_;
  std::string unsent_;  // written, not yet taken by the engine's input
  // How long the input may leave it untaken before the engine is killed.
  Silence writing_;
  // The output ended or the input broke: how long the process may take to end.
  std::optional<Silence> ending_;

  Identity identity_;
  std::vector<protocol::OptionSpec> options_;
  std::optional<Game> position_;
  protocol::Session session_;
  bool identified_ = false;
  std::optional<bool> chess960_ = false;  // the engine's mode; none while a switch is unconfirmed

  std::uint64_t search_number_ = 0;  // of the last search started
  bool search_live_ = false;         // its answer not yet handed to its search
  bool search_abandoned_ = false;
  bool search_stopped_ = false;                    // stop already sent to it
  std::optional<protocol::BestMove> kept_answer_;  // its best move, read and not yet handed over
};

}  // namespace vorn::uci::engine
