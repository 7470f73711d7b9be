// Searches: go, the steps that follow it with the reports and the answer
// read as moves of the position searched, plays and analyses built on them,
// and the stop and drain of a search given up.
#include <algorithm>
#include <limits>

#include "error/error.hpp"
#include "uci/engine/engine.hpp"

namespace vorn::uci::engine {

namespace {

using protocol::Command;

// The sum of two durations, saturated (the deadline rule then applies).
Duration plus(Duration a, Duration b) {
  constexpr auto kMax = std::numeric_limits<std::uint64_t>::max();
  const std::uint32_t nanos = a.nanos + b.nanos;
  const std::uint64_t carry = nanos >= 1'000'000'000 ? 1 : 0;
  if (a.seconds > kMax - b.seconds || a.seconds + b.seconds > kMax - carry) return {kMax, 999'999'999};
  return {a.seconds + b.seconds + carry, nanos - std::uint32_t(carry * 1'000'000'000)};
}

std::uint32_t variation_of(const Report& report) { return report.info.multipv.value_or(1); }

}  // namespace

std::expected<Search, Error> Engine::start_search(const protocol::Limits& limits, Duration timeout,
                                                  Search::Bound bound) {
  auto command = Command::go(limits);
  if (!command) return std::unexpected(error::Unsafe{command.error()});
  if (auto sent = send(*command); !sent) return std::unexpected(sent.error());
  search_live_ = true;
  search_abandoned_ = false;
  search_stopped_ = false;
  kept_answer_.reset();
  Game game = position_ ? *position_ : Game::seeded(classic(), classic().start_position(0));
  return Search(++search_number_, std::move(game), timeout, bound);
}

std::expected<Search, Error> Engine::go(const protocol::Limits& limits, Duration per_step) {
  const Duration timeout = limits.movetime ? plus(per_step, *limits.movetime) : per_step;
  return start_search(limits, timeout, Search::Bound::PerStep);
}

std::expected<Search, Error> Engine::go_within(const protocol::Limits& limits, Duration whole) {
  return start_search(limits, whole, Search::Bound::Whole);
}

Stepped<Progress> Engine::step(Search& search, Instant until) {
  if (search.answer_) panic("the search is over");
  if (!search_live_ || search.number_ != search_number_) return std::unexpected(error::SearchOver{});
  const Game& game = search.game_;
  const auto stepped = [&](Progress progress) -> Stepped<Progress> {
    if (search.bound_ == Search::Bound::PerStep) search.silence_.renew();
    if (const auto* answer = std::get_if<Answer>(&progress)) search.answer_ = *answer;
    return progress;
  };
  while (true) {
    // Whoever read the best move, it is this search's answer.
    if (kept_answer_) {
      search_live_ = false;
      const protocol::BestMove bestmove = *std::exchange(kept_answer_, std::nullopt);
      return stepped(protocol::answer_of(bestmove, game.variant(), game.current()));
    }
    auto message = receive(until, search.silence_, "bestmove");
    if (!message) return std::unexpected(message.error());
    if (!*message) return std::nullopt;
    if (auto* info = std::get_if<std::unique_ptr<protocol::Info>>(&(*message)->payload))
      return stepped(protocol::report_of(std::move(**info), game.variant(), game.current()));
  }
}

std::expected<void, Error> Engine::tell(const Search& search, const Command& command) {
  // Another search's stop would stop the wrong one; with no search running
  // the session gives its own refusal.
  const protocol::State now = state();
  const bool searching = now == protocol::State::Searching || now == protocol::State::Pondering;
  if (searching && (!search_live_ || search.number() != search_number_))
    return std::unexpected(error::SearchOver{});
  return send(command);
}

bool Engine::answered(const Search& search) const {
  return search.answer() || kept_answer_ || !search_live_ || search.number() != search_number_;
}

void Engine::abandon(std::uint64_t number) {
  if (search_live_ && number == search_number_) search_abandoned_ = true;
}

void Engine::interrupt(const Search& search) {
  if (search.answer() || !search_live_ || search.number() != search_number_) return;
  abandon(search.number());
  if (!search_stopped_ && !kept_answer_) (void)send(Command::stop());
}

std::expected<std::optional<Drain>, Error> Engine::begin_drain() {
  const protocol::State now = state();
  // Nobody waits for the answer to uci any more: the next call waits first.
  if (now == protocol::State::Identifying) return Drain(protocol::MessageKind::UciOk, timeout_);
  if (!search_live_ || !search_abandoned_) return std::nullopt;
  if (!kept_answer_ && (now == protocol::State::Searching || now == protocol::State::Pondering)) {
    if (!search_stopped_)
      if (auto sent = send(Command::stop()); !sent) return std::unexpected(sent.error());
    // One fixed bound: reports after the stop do not extend it.
    return Drain(protocol::MessageKind::BestMove, timeout_);
  }
  kept_answer_.reset();
  search_live_ = search_abandoned_ = false;
  return std::nullopt;
}

Stepped<Done> Engine::step(Drain& drain, Instant until) {
  // Failing, the handshake stays unanswered or the search abandoned: the
  // next call that needs the engine idle tries again.
  const bool identifying = drain.awaited_ == protocol::MessageKind::UciOk;
  const auto owed = [&] { return identifying ? session_.state() == protocol::State::Identifying : !kept_answer_; };
  while (owed()) {
    auto message = receive(until, drain.silence_, protocol::kind_name(drain.awaited_));
    if (!message) return std::unexpected(message.error());
    if (!*message) return std::nullopt;
  }
  if (!identifying) {
    kept_answer_.reset();
    search_live_ = search_abandoned_ = false;
  }
  return Done{};
}

std::expected<void, Error> Engine::drain_abandoned() {
  auto drain = begin_drain();
  if (!drain) return std::unexpected(drain.error());
  if (!*drain) return {};
  if (auto done = finish(**drain); !done) return std::unexpected(done.error());
  return {};
}

void Engine::drop(const Search& search) {
  if (search.answer() || exited_) return;
  abandon(search.number());
  (void)drain_abandoned();
}

std::expected<Play, Error> Engine::begin_play(const Game& game, const protocol::Limits& limits,
                                              Duration per_step) {
  auto positioning = begin_set_position(game);
  if (!positioning) return std::unexpected(positioning.error());
  return Play(PositionSearch(std::move(*positioning), limits, per_step));
}

std::expected<Analysis, Error> Engine::begin_analysis(const Game& game, const protocol::Limits& limits,
                                                      Duration per_step) {
  auto positioning = begin_set_position(game);
  if (!positioning) return std::unexpected(positioning.error());
  return Analysis(PositionSearch(std::move(*positioning), limits, per_step));
}

Stepped<Progress> Engine::step_search(PositionSearch& searched, Instant until) {
  if (!searched.search_) {
    auto set = step(searched.positioning_, until);
    if (!set) return std::unexpected(set.error());
    if (!*set) return std::nullopt;
    auto search = go(searched.limits_, searched.per_step_);
    if (!search) return std::unexpected(search.error());
    searched.search_.emplace(std::move(*search));
  }
  auto progress = step(*searched.search_, until);
  if (!progress) drop(*searched.search_);
  return progress;
}

Stepped<Answer> Engine::step(Play& play, Instant until) {
  while (true) {
    auto progress = step_search(play, until);
    if (!progress) return std::unexpected(progress.error());
    if (!*progress) return std::nullopt;
    if (const auto* answer = std::get_if<Answer>(&**progress)) return *answer;
  }
}

Stepped<std::vector<Report>> Engine::step(Analysis& analysis, Instant until) {
  std::vector<Report>& kept = analysis.kept_;
  while (true) {
    auto progress = step_search(analysis, until);
    if (!progress) return std::unexpected(progress.error());
    if (!*progress) return std::nullopt;
    if (std::holds_alternative<Answer>(**progress)) {
      std::ranges::stable_sort(kept, {}, variation_of);
      return std::move(kept);
    }
    Report& report = std::get<Report>(**progress);
    if (!report.info.score) continue;
    // A later report of a variation replaces the earlier one in its place.
    const auto same = std::ranges::find(kept, variation_of(report), variation_of);
    if (same == kept.end()) kept.push_back(std::move(report));
    else *same = std::move(report);
  }
}

}  // namespace vorn::uci::engine
