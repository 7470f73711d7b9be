// The conversation: commands under the session's order, messages checked
// against it, the handshake, readiness, options, positions and quitting.
#include <algorithm>
#include <thread>

#include "uci/engine/engine.hpp"

namespace vorn::uci::engine {

namespace {

using protocol::Command;
using protocol::Message;

constexpr auto kSlice = std::chrono::milliseconds(200);
constexpr auto kExitPoll = std::chrono::milliseconds(10);

bool same_name(std::string_view a, std::string_view b) {
  const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::ranges::equal(a, b, {}, fold, fold);
}

}  // namespace

std::expected<void, Error> Engine::send(const Command& command) {
  if (search_live_ && search_abandoned_ && !protocol::Session(session_).sent(command)) {
    if (auto drained = drain_abandoned(); !drained) return drained;
  }
  if (auto ok = session_.sent(command); !ok) return std::unexpected(error::Protocol{ok.error()});
  search_stopped_ |= command.kind() == protocol::CommandKind::Stop;
  return write_line(command.to_line());
}

std::expected<Message, Error> Engine::receive(Instant deadline, Duration after, std::string_view awaited) {
  while (true) {
    const Instant now = Clock::now();
    if (now >= deadline) return std::unexpected(error::Timeout{awaited, after});
    auto line = next_queued(std::min(deadline, now + kSlice));
    if (!line) return std::unexpected(line.error());
    if (!*line) continue;
    // A line out of turn is skipped; the deadline is not extended.
    if (session_.received((*line)->message.kind())) return std::move((*line)->message);
  }
}

std::expected<void, Error> Engine::handshake() {
  if (auto sent = send(Command::uci()); !sent) return sent;
  identity_ = {};
  options_.clear();
  const Instant deadline = deadline_after(timeout_);
  while (true) {
    auto message = receive(deadline, timeout_, "uciok");
    if (!message) return std::unexpected(message.error());
    if (auto* id = std::get_if<protocol::Id>(&message->payload)) {
      if (id->key == "name") identity_.name = std::move(id->value);
      else if (id->key == "author") identity_.author = std::move(id->value);
      else identity_.others.emplace_back(std::move(id->key), std::move(id->value));
    } else if (auto* declared = std::get_if<protocol::OptionSpec>(&message->payload)) {
      options_.push_back(std::move(*declared));
    } else if (message->kind() == protocol::MessageKind::UciOk) {
      identified_ = true;
      return {};
    }
  }
}

std::expected<void, Error> Engine::is_ready() {
  if (auto sent = send(Command::is_ready()); !sent) return sent;
  const Instant deadline = deadline_after(timeout_);
  while (true) {
    auto message = receive(deadline, timeout_, "readyok");
    if (!message) return std::unexpected(message.error());
    if (message->kind() == protocol::MessageKind::ReadyOk) return {};
    // The answer of a search in flight stays for that search to collect.
    if (auto* bestmove = std::get_if<protocol::BestMove>(&message->payload); bestmove && search_live_)
      kept_answer_ = std::move(*bestmove);
  }
}

const protocol::OptionSpec* Engine::option(std::string_view name) const {
  const auto found =
      std::ranges::find_if(options_, [&](const protocol::OptionSpec& o) { return same_name(o.name, name); });
  return found == options_.end() ? nullptr : &*found;
}

std::expected<void, Error> Engine::set_option(std::string_view name, const protocol::OptionValue& value) {
  if (!identified_) return std::unexpected(error::NotIdentified{});
  const protocol::OptionSpec* declared = option(name);
  if (!declared) return std::unexpected(error::NoOption{std::string(name)});
  if (auto accepted = declared->accepts(value); !accepted)
    return std::unexpected(error::BadValue{declared->name, accepted.error()});
  auto command = Command::set_option(declared->name, protocol::to_text(value));
  if (!command) return std::unexpected(error::Unsafe{command.error()});
  return send(*command);
}

std::expected<void, Error> Engine::set_position(const Game& game) {
  constexpr std::string_view kChess960Option = "UCI_Chess960";
  const bool wanted = game.variant().name() == "chess960";
  if (wanted != chess960_) {
    if (!identified_) return std::unexpected(error::NotIdentified{});
    if (wanted || option(kChess960Option)) {
      if (auto set = set_option(kChess960Option, protocol::value::Check{wanted}); !set) return set;
      if (auto ready = is_ready(); !ready) return ready;
    }
    chess960_ = wanted;
  }
  const auto style = chess960_ ? CastlingStyle::KingToRook : CastlingStyle::KingTwoSquares;
  if (auto sent = send(Command::position(game, style)); !sent) return sent;
  position_ = game;
  return {};
}

std::expected<void, Error> Engine::new_game() {
  if (auto sent = send(Command::uci_new_game()); !sent) return sent;
  position_.reset();
  return is_ready();
}

std::expected<std::optional<std::int32_t>, Error> Engine::quit() {
  if (exited_) return exit_;
  (void)send(Command::quit());
  stdin_.reset();
  const Instant deadline = deadline_after(timeout_);
  while (true) {
    const auto ended = child_->try_wait();
    if (!ended) return std::unexpected(os_error(ended.error()));
    if (*ended) {
      record_end();
      return exit_;
    }
    if (Clock::now() >= deadline) break;
    std::this_thread::sleep_for(kExitPoll);
  }
  kill();  // it would not exit
  return exit_;
}

}  // namespace vorn::uci::engine
