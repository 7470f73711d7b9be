// Searches: go, the steps that follow it, the answer read as moves of the
// position searched, and the stop and drain of a search given up.
#include <limits>
#include <stdexcept>

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

}  // namespace

Answer Engine::answer_of(const protocol::BestMove& bestmove) const {
  if (position_) return protocol::answer_of(bestmove, position_->variant(), position_->current());
  static const Position start = classic().start_position(0);
  return protocol::answer_of(bestmove, classic(), start);
}

std::expected<std::uint64_t, Error> Engine::start_search(const protocol::Limits& limits) {
  auto command = Command::go(limits);
  if (!command) return std::unexpected(error::Unsafe{command.error()});
  if (auto sent = send(*command); !sent) return std::unexpected(sent.error());
  search_live_ = true;
  search_abandoned_ = false;
  search_stopped_ = false;
  kept_answer_.reset();
  return ++search_number_;
}

std::expected<std::optional<Progress>, Error> Engine::poll_progress(Duration wait) {
  if (kept_answer_) {
    search_live_ = false;
    const Answer answer = answer_of(*std::exchange(kept_answer_, std::nullopt));
    return answer;
  }
  const Instant deadline = deadline_after(wait);
  while (true) {
    auto message = receive(deadline, wait, "bestmove");
    if (!message) {
      if (std::holds_alternative<error::Timeout>(message.error())) return std::nullopt;
      return std::unexpected(message.error());
    }
    if (auto* info = std::get_if<std::unique_ptr<protocol::Info>>(&message->payload))
      return Progress(std::move(*info));
    if (auto* bestmove = std::get_if<protocol::BestMove>(&message->payload)) {
      search_live_ = false;
      return Progress(answer_of(*bestmove));
    }
  }
}

std::expected<std::optional<Progress>, Error> Engine::step(std::uint64_t number, Duration wait) {
  if (!search_live_ || number != search_number_) return std::unexpected(error::SearchOver{});
  return poll_progress(wait);
}

std::expected<void, Error> Engine::tell_search(std::uint64_t number, const Command& command) {
  // Another search's stop would stop the wrong one; with no search running
  // the session gives its own refusal.
  const bool searching = state() == protocol::State::Searching || state() == protocol::State::Pondering;
  if (searching && (!search_live_ || number != search_number_)) return std::unexpected(error::SearchOver{});
  return send(command);
}

void Engine::abandon(std::uint64_t number) {
  if (search_live_ && number == search_number_) search_abandoned_ = true;
}

std::expected<void, Error> Engine::drain_abandoned() {
  search_abandoned_ = false;  // the stop below must not drain again
  const auto drained = [&]() -> std::expected<void, Error> {
    if (kept_answer_ || state() == protocol::State::Idle) return {};
    if (!search_stopped_)
      if (auto sent = send(Command::stop()); !sent) return sent;
    // One fixed bound: reports after the stop do not extend it.
    const Instant deadline = deadline_after(timeout_);
    while (true) {
      auto message = receive(deadline, timeout_, "bestmove");
      if (!message) return std::unexpected(message.error());
      if (message->kind() == protocol::MessageKind::BestMove) return {};
    }
  }();
  if (!drained) {
    search_abandoned_ = true;  // the next call that needs the engine idle tries again
    return drained;
  }
  kept_answer_.reset();
  search_live_ = false;
  return {};
}

std::expected<Search, Error> Engine::go(const protocol::Limits& limits) {
  auto number = start_search(limits);
  if (!number) return std::unexpected(number.error());
  return Search(*this, *number, limits.movetime ? plus(timeout_, *limits.movetime) : timeout_);
}

std::expected<Answer, Error> Engine::play(const Game& game, const protocol::Limits& limits) {
  if (auto set = set_position(game); !set) return std::unexpected(set.error());
  auto search = go(limits);
  if (!search) return std::unexpected(search.error());
  while (!search->answer()) {
    auto step = search->progress();
    if (!step) return std::unexpected(step.error());
  }
  return *search->answer();
}

// ---- Search ----

Search::Search(Engine& engine, std::uint64_t number, Duration timeout)
    : engine_(&engine), number_(number), timeout_(timeout), deadline_(deadline_after(timeout)) {}

Search::Search(Search&& other) noexcept
    : engine_(std::exchange(other.engine_, nullptr)),
      number_(other.number_),
      timeout_(other.timeout_),
      deadline_(other.deadline_),
      answer_(std::move(other.answer_)) {}

std::expected<Progress, Error> Search::progress() {
  if (answer_) throw std::logic_error("the search is over");
  const Clock::duration left = time_left(deadline_);
  if (left == Clock::duration::zero()) return std::unexpected(error::Timeout{"bestmove", timeout_});
  auto step = engine_->step(number_, duration_of(left));
  if (!step) return std::unexpected(step.error());
  // The bound reported is the configured one, never the time that was left.
  if (!*step) return std::unexpected(error::Timeout{"bestmove", timeout_});
  deadline_ = deadline_after(timeout_);
  if (const auto* answer = std::get_if<Answer>(&**step)) answer_ = *answer;
  return std::move(**step);
}

Search::~Search() {
  if (!engine_ || answer_ || engine_->exited()) return;
  engine_->abandon(number_);
  (void)engine_->drain_abandoned();
}

}  // namespace vorn::uci::engine
