// The conversation: commands under the session's order, messages checked
// against it, the handshake, readiness, options, positions and quitting.
#include <algorithm>
#include <thread>

#include "uci/engine/engine.hpp"

namespace vorn::uci::engine {

namespace {

using protocol::Command;
using protocol::Message;

constexpr auto kExitPoll = std::chrono::milliseconds(10);

bool same_name(std::string_view a, std::string_view b) {
  const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::ranges::equal(a, b, {}, fold, fold);
}

}  // namespace

std::expected<void, Error> Engine::send(const Command& command) {
  if (exited_ || check_ended()) return std::unexpected(died());
  if (search_live_ && search_abandoned_ && !protocol::Session(session_).sent(command)) {
    if (auto drained = drain_abandoned(); !drained) return drained;
  }
  if (auto ok = session_.sent(command); !ok) return std::unexpected(error::Protocol{ok.error()});
  search_stopped_ |= command.kind() == protocol::CommandKind::Stop;
  return write_line(command.to_line());
}

bool Engine::observe(Message& message) {
  if (!session_.received(message.kind())) return false;
  if (auto* id = std::get_if<protocol::Id>(&message.payload)) {
    if (id->key == "name") identity_.name = id->value;
    else if (id->key == "author") identity_.author = id->value;
    else identity_.others.emplace_back(id->key, id->value);
  } else if (const auto* declared = std::get_if<protocol::OptionSpec>(&message.payload)) {
    options_.push_back(*declared);
  } else if (message.kind() == protocol::MessageKind::UciOk) {
    identified_ = true;
  } else if (const auto* bestmove = std::get_if<protocol::BestMove>(&message.payload); bestmove && search_live_) {
    // The search in flight collects its answer, whoever read the line.
    kept_answer_ = *bestmove;
  }
  return true;
}

std::expected<std::optional<Message>, Error> Engine::receive(Instant until, Silence& silence,
                                                             std::string_view awaited) {
  while (true) {
    const Instant now = Clock::now();
    const Instant deadline = silence.look(now);
    // A write or the process's end awaited has a bound of its own, and ends
    // in `Died` or lets the wait go on.
    const bool settling = this->settling();
    if (now >= deadline && !settling) return std::unexpected(error::Timeout{awaited, silence.bound()});
    if (now >= until) return std::nullopt;
    auto line = next_queued(std::min({settling ? until : deadline, until, now + Silence::kLook}));
    if (!line) return std::unexpected(line.error());
    // A line out of turn is skipped; the deadline is not extended.
    if (*line && observe((*line)->message)) return std::move((*line)->message);
  }
}

std::expected<Reply, Error> Engine::begin_handshake() {
  if (auto sent = send(Command::uci()); !sent) return std::unexpected(sent.error());
  identity_ = {};
  options_.clear();
  return Reply(protocol::MessageKind::UciOk, timeout_);
}

std::expected<Reply, Error> Engine::begin_is_ready() {
  if (auto sent = send(Command::is_ready()); !sent) return std::unexpected(sent.error());
  return Reply(protocol::MessageKind::ReadyOk, timeout_);
}

Stepped<Done> Engine::step(Reply& reply, Instant until) {
  const std::string_view awaited = protocol::kind_name(reply.awaited_);
  while (true) {
    auto message = receive(until, reply.silence_, awaited);
    if (!message) return std::unexpected(message.error());
    if (!*message) return std::nullopt;
    if ((*message)->kind() == reply.awaited_) return Done{};
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

std::expected<Positioning, Error> Engine::begin_set_position(const Game& game) {
  constexpr std::string_view kChess960Option = "UCI_Chess960";
  Positioning positioning(game, game.variant().name() == "chess960");
  if (positioning.chess960_ != chess960_) {
    if (!identified_) return std::unexpected(error::NotIdentified{});
    if (positioning.chess960_ || option(kChess960Option)) {
      if (auto set = set_option(kChess960Option, protocol::value::Check{positioning.chess960_}); !set)
        return std::unexpected(set.error());
      // Until readyok confirms it, the mode is unknown, and the next game
      // switches it again whichever mode it needs.
      chess960_.reset();
      auto ready = begin_is_ready();
      if (!ready) return std::unexpected(ready.error());
      positioning.switching_.emplace(*ready);
    } else {
      chess960_ = false;
    }
  }
  return positioning;
}

Stepped<Done> Engine::step(Positioning& positioning, Instant until) {
  if (positioning.switching_) {
    auto ready = step(*positioning.switching_, until);
    if (!ready || !*ready) return ready;
    positioning.switching_.reset();
    chess960_ = positioning.chess960_;
  }
  const auto style = chess960_ == true ? CastlingStyle::KingToRook : CastlingStyle::KingTwoSquares;
  if (auto sent = send(Command::position(positioning.game_, style)); !sent) return std::unexpected(sent.error());
  position_ = std::move(positioning.game_);
  return Done{};
}

std::expected<Reply, Error> Engine::begin_new_game() {
  if (auto sent = send(Command::uci_new_game()); !sent) return std::unexpected(sent.error());
  position_.reset();
  return begin_is_ready();
}

Exit Engine::begin_quit() {
  if (!exited_) (void)send(Command::quit());
  if (!unsent_.empty()) (void)kill();  // it will not read quit either; a refusal comes with the exit
  stdin_.reset();
  return Exit(timeout_);
}

Stepped<std::optional<std::int32_t>> Engine::step(Exit& exit, Instant until) {
  while (!exited_) {
    const auto ended = child_->try_wait();
    if (!ended) return std::unexpected(os_error(ended.error()));
    if (*ended) {
      record_end();
      break;
    }
    const Instant now = Clock::now();
    const Instant deadline = exit.silence_.look(now);
    if (now >= deadline) {
      if (auto killed = kill(); !killed) return std::unexpected(killed.error());  // it would not exit
      break;
    }
    if (now >= until) return std::nullopt;
    std::this_thread::sleep_for(std::min<Clock::duration>(kExitPoll, deadline - now));
  }
  return exit_;
}

}  // namespace vorn::uci::engine
