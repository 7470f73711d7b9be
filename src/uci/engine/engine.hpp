// A UCI engine as a child process, addressed with blocking calls on the
// caller's thread: lines in and out with time bounds, the conversation
// (handshake, readiness, options, positions, quit) under the session's
// order, and searches followed to their best move.
//
//   auto engine = Launch("/usr/games/stockfish").spawn();
//   engine->handshake(); engine->set_position(game);
//   auto answer = engine->play(game, Limits{.depth = 12});
//
// Every wait is bounded by the engine's `timeout` or a bound derived from it.
// One thread at a time uses an Engine; only `Reaper::kill` of `reaper()` may
// come from another.
#pragma once

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
#include "uci/limits.hpp"
#include "uci/protocol.hpp"
#include "uci/reading.hpp"

namespace vorn::uci::engine {

class Engine;
class Search;

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

using Answer = protocol::Answer;
// One step of a search: a report, its move texts unchecked, or the answer.
using Progress = std::variant<std::unique_ptr<protocol::Info>, Answer>;

class Engine {
 public:
  Engine(Engine&&) noexcept = default;
  Engine& operator=(Engine&&) = delete;
  // Kills and reaps a process still running.
  ~Engine();

  // ---- lines ----
  // The oldest unread line, none if none came by `deadline`; `Died` once the
  // output has ended and its lines are read, or the process has ended.
  std::expected<std::optional<std::string>, Error> next_line(Instant deadline);
  // Writes `line` and a line feed outside the conversation's order. A text
  // with a line break or a NUL is refused; a write blocked past the timeout
  // kills the engine.
  std::expected<void, Error> send_line(std::string_view line);
  // Closes the input, kills and reaps the process. Never fails.
  void kill();
  // Kills the process from any thread, the engine being busy or not.
  const std::shared_ptr<Reaper>& reaper() const { return child_; }

  // ---- the conversation ----
  std::expected<void, Error> send(const protocol::Command& command);
  // The next message the session accepts by `deadline`; lines out of turn
  // are skipped. `after` and `awaited` make the timeout's text.
  std::expected<protocol::Message, Error> receive(Instant deadline, Duration after, std::string_view awaited);
  std::expected<void, Error> handshake();
  std::expected<void, Error> is_ready();
  // The first declared option of that name, ASCII letters matched in any case.
  const protocol::OptionSpec* option(std::string_view name) const;
  std::expected<void, Error> set_option(std::string_view name, const protocol::OptionValue& value);
  // Switches the engine's Chess960 mode when the game's variant needs it,
  // then sends the game.
  std::expected<void, Error> set_position(const Game& game);
  // ucinewgame; the last game sent is forgotten; then isready.
  std::expected<void, Error> new_game();
  // Asks the engine to exit, kills it after the timeout; its exit code.
  std::expected<std::optional<std::int32_t>, Error> quit();

  // ---- searches ----
  // Sends go; the search's number, which later steps name.
  std::expected<std::uint64_t, Error> start_search(const protocol::Limits& limits);
  // The next step of the running search, none if none came within `wait`.
  std::expected<std::optional<Progress>, Error> poll_progress(Duration wait);
  // The next step of search `number`: `SearchOver` once another search has
  // started or its answer has gone elsewhere.
  std::expected<std::optional<Progress>, Error> step(std::uint64_t number, Duration wait);
  // Stop or ponderhit for search `number`, under the same rule.
  std::expected<void, Error> tell_search(std::uint64_t number, const protocol::Command& command);
  // Search `number` will not be read any more: the next command that needs
  // an idle engine stops it and drains its reports first.
  void abandon(std::uint64_t number);
  // A search whose steps renew their bound; dropping it unanswered drains it.
  std::expected<Search, Error> go(const protocol::Limits& limits);
  std::expected<Answer, Error> play(const Game& game, const protocol::Limits& limits);

  // ---- state ----
  const Identity& identity() const { return identity_; }
  const std::vector<protocol::OptionSpec>& options() const { return options_; }
  protocol::State state() const { return session_.state(); }
  const std::optional<Game>& position() const { return position_; }
  Duration timeout() const { return timeout_; }
  void set_timeout(Duration timeout) { timeout_ = timeout; }
  bool exited() const { return exited_; }
  // Running: not seen to end, and a non-blocking wait finds it running.
  bool is_alive();

 private:
  friend struct Launch;
  friend class Search;
  Engine(Spawned spawned, std::shared_ptr<LineQueue> lines, Duration timeout);

  std::expected<std::optional<Line>, Error> next_queued(Instant deadline);
  std::expected<void, Error> write_line(std::string line);
  error::Died died() const { return {exit_}; }
  // Non-blocking: records the end of a process that has ended.
  bool check_ended();
  // The process's end, waited for up to the timeout, then forced.
  void await_end();
  void record_end();
  // Stops and drains an abandoned search, within one fixed bound.
  std::expected<void, Error> drain_abandoned();
  Answer answer_of(const protocol::BestMove& bestmove) const;

  std::shared_ptr<Reaper> child_;
  Fd stdin_;
  std::shared_ptr<LineQueue> lines_;
  std::optional<std::int32_t> exit_;
  bool exited_ = false;
  Duration timeout_;

  Identity identity_;
  std::vector<protocol::OptionSpec> options_;
  std::optional<Game> position_;
  protocol::Session session_;
  bool identified_ = false;
  bool chess960_ = false;

  std::uint64_t search_number_ = 0;  // of the last search started
  bool search_live_ = false;         // its answer not yet handed to anyone
  bool search_abandoned_ = false;
  bool search_stopped_ = false;                    // stop already sent to it
  std::optional<protocol::BestMove> kept_answer_;  // read by isready during the search
};

// A search of `Engine::go`: each step must come within `timeout` of the
// last, so reports keep a long search alive.
class Search {
 public:
  Search(Search&& other) noexcept;
  Search& operator=(Search&&) = delete;
  // Unanswered: stops the engine and drains the reports within one bound.
  ~Search();

  // Precondition: no answer yet.
  std::expected<Progress, Error> progress();
  const std::optional<Answer>& answer() const { return answer_; }

 private:
  friend class Engine;
  Search(Engine& engine, std::uint64_t number, Duration timeout);

  Engine* engine_;
  std::uint64_t number_;
  Duration timeout_;
  Instant deadline_;
  std::optional<Answer> answer_;
};

}  // namespace vorn::uci::engine
