// Engine's searches, as Python sees them:
//
//   search = engine.go(Limits(depth=12), timeout=5.0)       # a Search to read
//   answer = engine.play(game, Limits(nodes=10000))          # Answer: best, ponder
//   infos = engine.analyse(game, Limits(depth=12), multipv=3) # the last report per variation
#include <algorithm>
#include <vector>

#include "python/uci/engine_classes.hpp"

namespace vorn::python::uci {

namespace {

using engine::Engine;

protocol::Limits limits_of(const PyLimits* limits) { return limits ? limits->value : protocol::Limits{}; }

// Runs `operation` under the call's timeout, the engine's own put back after.
template <class Operation>
auto with_timeout(Engine& e, engine::Duration timeout, Operation&& operation) {
  const engine::Duration saved = e.timeout();
  e.set_timeout(timeout);
  auto result = std::forward<Operation>(operation)();
  e.set_timeout(saved);
  return result;
}

std::uint32_t variation_of(const protocol::Info& info) { return info.multipv.value_or(1); }

// The last scored report of each variation, in order of arrival of the first.
std::expected<std::vector<protocol::Info>, engine::Error> collect(Engine& e, const protocol::Limits& limits) {
  auto search = e.go(limits);
  if (!search) return std::unexpected(search.error());
  std::vector<protocol::Info> kept;
  while (!search->answer()) {
    auto step = search->progress();
    if (!step) return std::unexpected(step.error());
    auto* report = std::get_if<std::unique_ptr<protocol::Info>>(&*step);
    if (!report || !(*report)->score) continue;
    const auto same = std::ranges::find(kept, variation_of(**report), variation_of);
    if (same == kept.end()) kept.push_back(std::move(**report));
    else *same = std::move(**report);
  }
  return kept;
}

}  // namespace

bind::Ref go(const Slot& slot, const PyLimits* limits, std::optional<double> timeout) {
  const protocol::Limits bounds = limits_of(limits);
  const engine::Duration wait = call_timeout(*slot, timeout);
  struct Started {
    std::uint64_t number;
    std::optional<Game> position;
  };
  Started started = on_engine(*slot, [&](Engine& e) -> std::expected<Started, engine::Error> {
    auto number = e.start_search(bounds);
    if (!number) return std::unexpected(number.error());
    return Started{*number, e.position()};
  });
  const engine::Instant deadline = engine::deadline_after(wait);
  Game game = started.position ? std::move(*started.position) : Game::seeded(classic(), classic().start_position(0));
  return bind::make<PySearch>(slot, started.number, std::move(game), deadline, wait);
}

engine::Answer play(const Slot& slot, bind::Shared<PyGame> game, const PyLimits* limits,
                    std::optional<double> timeout) {
  const protocol::Limits bounds = limits_of(limits);
  const engine::Duration wait = call_timeout(*slot, timeout);
  const Game copy = *game;
  return on_engine(*slot, [&](Engine& e) { return with_timeout(e, wait, [&] { return e.play(copy, bounds); }); });
}

std::vector<protocol::Report> analyse(const Slot& slot, bind::Shared<PyGame> game, const PyLimits* limits,
                                      std::optional<std::int64_t> multipv, std::optional<double> timeout) {
  if (multipv) set_option(slot, "MultiPV", bind::to_python(*multipv).get());
  const protocol::Limits bounds = limits_of(limits);
  const engine::Duration wait = call_timeout(*slot, timeout);
  const Game copy = *game;
  std::vector<protocol::Info> kept =
      on_engine(*slot, [&](Engine& e) -> std::expected<std::vector<protocol::Info>, engine::Error> {
        if (auto set = e.set_position(copy); !set) return std::unexpected(set.error());
        return with_timeout(e, wait, [&] { return collect(e, bounds); });
      });
  std::ranges::stable_sort(kept, {}, variation_of);
  std::vector<protocol::Report> reports;
  reports.reserve(kept.size());
  for (protocol::Info& info : kept) reports.push_back(protocol::report_of(std::move(info), copy.variant(), copy.current()));
  return reports;
}

}  // namespace vorn::python::uci
