// The Python classes that talk to an engine process, and what their files share:
//
//   engine = Engine("/usr/games/stockfish", timeout=5.0)   # the process, in a slot
//   search = engine.go(Limits(depth=12))                   # the same slot, one search
#pragma once

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

// A search started by `go`, used only with the slot's mutex held.
struct SearchState {
  SearchState(Slot slot, engine::Search search) : slot(std::move(slot)), search(std::move(search)) {}
  // Unanswered, it is abandoned: the engine's next call that needs it idle
  // stops and drains it.
  ~SearchState() {
    if (!search.answer()) slot->abandoned.store(search.number());
  }

  const Slot slot;
  engine::Search search;
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
