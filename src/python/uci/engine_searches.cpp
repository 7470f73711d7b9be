// Engine's searches, as Python sees them:
//
//   search = engine.go(Limits(depth=12), timeout=5.0)       # a Search to read
//   answer = engine.play(game, Limits(nodes=10000))          # Answer: best, ponder
//   infos = engine.analyse(game, Limits(depth=12), multipv=3) # the last report per variation
#include <vector>

#include "python/uci/engine_classes.hpp"

namespace vorn::python::uci {

namespace {

using engine::Engine;

protocol::Limits limits_of(const PyLimits* limits) { return limits ? limits->value : protocol::Limits{}; }

// On Ctrl-C the search is told to stop; the next call that needs the engine
// idle drains it.
constexpr auto kStopSearch = [](Engine& e, const engine::PositionSearch& wait) {
  if (const engine::Search* search = wait.search()) e.interrupt(*search);
};

}  // namespace

bind::Ref go(const Slot& slot, const PyLimits* limits, std::optional<double> timeout) {
  const protocol::Limits bounds = limits_of(limits);
  const engine::Duration wait = call_timeout(*slot, timeout);
  const auto turn = take_idle_turn(*slot);
  engine::Search search = on_engine(*slot, [&](Engine& e) { return e.go_within(bounds, wait); });
  return bind::make<PySearch>(slot, std::move(search));
}

engine::Answer play(const Slot& slot, bind::Shared<PyGame> game, const PyLimits* limits,
                    std::optional<double> timeout) {
  const protocol::Limits bounds = limits_of(limits);
  const engine::Duration wait = call_timeout(*slot, timeout);
  const Game copy = *game;
  const auto turn = take_idle_turn(*slot);
  return begin_and_wait(*slot, [&](Engine& e) { return e.begin_play(copy, bounds, wait); }, kStopSearch);
}

std::vector<protocol::Report> analyse(const Slot& slot, bind::Shared<PyGame> game, const PyLimits* limits,
                                      std::optional<std::int64_t> multipv, std::optional<double> timeout) {
  if (multipv) set_option(slot, "MultiPV", bind::to_python(*multipv).get());
  const protocol::Limits bounds = limits_of(limits);
  const engine::Duration wait = call_timeout(*slot, timeout);
  const Game copy = *game;
  const auto turn = take_idle_turn(*slot);
  return begin_and_wait(*slot, [&](Engine& e) { return e.begin_analysis(copy, bounds, wait); }, kStopSearch);
}

}  // namespace vorn::python::uci
