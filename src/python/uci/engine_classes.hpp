// The Python classes that talk to an engine process, and what their files share:
//
//   engine = Engine("/usr/games/stockfish", timeout=5.0)   # the process, in a slot
//   search = engine.go(Limits(depth=12))                   # the same slot, one search
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "game/game.hpp"
#include "python/bind/object.hpp"
#include "python/game/classes.hpp"
#include "python/uci/classes.hpp"
#include "python/uci/slot.hpp"

namespace vorn::python::uci {

VORN_CLASS(PyEngine, Slot);

// A search started by `go`: its reports are read against `game`, and the
// whole search must answer by `deadline`.
struct SearchState {
  SearchState(Slot slot, std::uint64_t number, Game game, engine::Instant deadline, engine::Duration timeout)
      : slot(std::move(slot)), number(number), game(std::move(game)), deadline(deadline), timeout(timeout) {}
  // Unanswered, it is abandoned: the engine's next call that needs it idle
  // stops and drains it.
  ~SearchState() {
    if (!answer) slot->abandoned.store(number);
  }

  const Slot slot;
  const std::uint64_t number;
  const Game game;
  const engine::Instant deadline;
  const engine::Duration timeout;  // the bound the search was given, for its texts
  std::mutex answer_mutex;
  std::optional<engine::Answer> answer;
};

VORN_CLASS(PySearch, SearchState);

// The call's own timeout in seconds, or the engine's.
engine::Duration call_timeout(EngineSlot& slot, std::optional<double> timeout);
// Sets option `name` from a Python value, checked against its declaration.
void set_option(const Slot& slot, std::string_view name, PyObject* value);

// Engine.go, Engine.play and Engine.analyse.
bind::Ref go(const Slot& slot, const PyLimits* limits, std::optional<double> timeout);
engine::Answer play(const Slot& slot, bind::Shared<PyGame> game, const PyLimits* limits,
                    std::optional<double> timeout);
std::vector<protocol::Report> analyse(const Slot& slot, bind::Shared<PyGame> game, const PyLimits* limits,
                                      std::optional<std::int64_t> multipv, std::optional<double> timeout);

}  // namespace vorn::python::uci
