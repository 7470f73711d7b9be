#include "uci/protocol.hpp"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <span>
#include <utility>

#include "position/fen.hpp"
#include "text/quote.hpp"

namespace vorn::uci::protocol {

namespace {

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};

std::string cat(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (const std::string_view part : parts) out += part;
  return out;
}

std::string join(std::span<const std::string> parts, std::string_view separator) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += separator;
    out += parts[i];
  }
  return out;
}

constexpr std::string_view kLineBreaks = "\r\n";
constexpr std::string_view kUnsafe{"\r\n\0", 3};

// ---- Commands ----

template <class T>
void push_number(std::string& line, std::string_view key, const std::optional<T>& value) {
  if (value) line += cat({" ", key, " ", std::to_string(*value)});
}

void push_millis(std::string& line, std::string_view key, const std::optional<Duration>& value) {
  if (value) line += cat({" ", key, " ", value->millis_text()});
}

constexpr std::array<std::pair<std::string_view, std::optional<Duration> Limits::*>, 4> kClocks{{
    {"wtime", &Limits::white_time},
    {"btime", &Limits::black_time},
    {"winc", &Limits::white_increment},
    {"binc", &Limits::black_increment},
}};

std::string go_line(const Limits& limits) {
  std::string line = "go";
  if (limits.ponder) line += " ponder";
  for (const auto& [key, field] : kClocks) push_millis(line, key, limits.*field);
  push_number(line, "movestogo", limits.moves_to_go);
  push_number(line, "depth", limits.depth);
  push_number(line, "nodes", limits.nodes);
  push_number(line, "mate", limits.mate);
  push_millis(line, "movetime", limits.movetime);
  if (limits.infinite) line += " infinite";
  if (!limits.search_moves.empty()) line += " searchmoves " + join(limits.search_moves, " ");
  return line;
}

std::string position_line(const command::Position& p) {
  std::string line = p.fen ? "position fen " + *p.fen : "position startpos";
  if (!p.moves.empty()) line += " moves " + join(p.moves, " ");
  return line;
}

std::string set_option_line(const command::SetOption& s) {
  return s.value ? cat({"setoption name ", s.name, " value ", *s.value})
                 : "setoption name " + s.name;
}

// ---- Options ----

std::string bound_text(const std::optional<std::int64_t>& bound) {
  return bound ? std::to_string(*bound) : "-";
}

// ---- Session ----

constexpr std::uint8_t bit(State s) { return std::uint8_t(1u << int(s)); }
constexpr std::uint8_t kEveryState = std::uint8_t((1u << kStateCount) - 1);
constexpr std::uint8_t kAwake = kEveryState & ~bit(State::Quitting);
constexpr std::uint8_t kThinking = bit(State::Searching) | bit(State::Pondering);

struct Rule {
  std::uint8_t allowed;       // one bit per state
  std::optional<State> next;  // none: the state stays
};

// A switch over every kind, so a new kind does not build without its rule.
// A `go` that asks to ponder leads to pondering instead.
constexpr Rule rule_of(CommandKind kind) {
  using enum State;
  switch (kind) {
    case CommandKind::Uci: return {std::uint8_t(bit(Started) | bit(Idle)), Identifying};
    case CommandKind::Debug:
    case CommandKind::IsReady: return {kAwake, std::nullopt};
    case CommandKind::SetOption:
    case CommandKind::UciNewGame:
    case CommandKind::Position: return {bit(Idle), std::nullopt};
    case CommandKind::Go: return {bit(Idle), Searching};
    case CommandKind::Stop: return {kThinking, std::nullopt};
    case CommandKind::PonderHit: return {bit(Pondering), Searching};
    case CommandKind::Quit: return {kEveryState, Quitting};
  }
  std::unreachable();
}

// A readyok also needs an isready outstanding.
constexpr Rule rule_of(MessageKind kind) {
  using enum State;
  switch (kind) {
    case MessageKind::Id:
    case MessageKind::Option: return {bit(Identifying), std::nullopt};
    case MessageKind::UciOk: return {bit(Identifying), Idle};
    case MessageKind::ReadyOk:
    case MessageKind::Info:
    case MessageKind::Raw: return {kEveryState, std::nullopt};
    case MessageKind::BestMove: return {kThinking, Idle};
  }
  std::unreachable();
}

}  // namespace

std::string message(const UnsafeText& e) {
  const bool line_break = e.text.find_first_of(kLineBreaks) != std::string::npos;
  return cat({e.field, " contains ", line_break ? "a line break" : "a NUL character", ": ",
              quoted(e.text)});
}

std::expected<void, UnsafeText> check_text(std::string_view field, std::string_view text) {
  if (text.find_first_of(kUnsafe) == std::string_view::npos) return {};
  return std::unexpected(UnsafeText{field, std::string(text)});
}

std::expected<void, UnsafeText> check_text(const Limits& limits) {
  for (const std::string& move : limits.search_moves)
    if (auto ok = check_text("search move", move); !ok) return ok;
  return {};
}

std::expected<Command, UnsafeText> Command::set_option(std::string name,
                                                       std::optional<std::string> value) {
  if (auto ok = check_text("option name", name); !ok) return std::unexpected(ok.error());
  if (value)
    if (auto ok = check_text("option value", *value); !ok) return std::unexpected(ok.error());
  return Command(command::SetOption{std::move(name), std::move(value)});
}

std::expected<Command, UnsafeText> Command::go(Limits limits) {
  if (auto ok = check_text(limits); !ok) return std::unexpected(ok.error());
  return Command(command::Go{std::move(limits)});
}

Setup Setup::of_game(const Game& game, CastlingStyle style) {
  Setup setup;
  if (!(game.start() == classic().start_position(0))) setup.fen = fen::format(game.start(), true);
  const std::vector<Move>& moves = game.moves();
  setup.moves.reserve(moves.size());
  for (std::size_t i = 0; i < moves.size(); ++i)  // positions[i] is where moves[i] was played
    setup.moves.push_back(game.variant().move_to_uci(game.positions()[i], moves[i], style));
  return setup;
}

std::string Command::to_line() const {
  return std::visit(
      Overloaded{
          [](const command::Debug& d) -> std::string { return d.on ? "debug on" : "debug off"; },
          [](const command::SetOption& s) { return set_option_line(s); },
          [](const command::Position& p) { return position_line(p); },
          [](const command::Go& g) { return go_line(g.limits); },
          [this](const auto&) { return std::string(keyword(kind())); },  // the keyword alone
      },
      payload_);
}

std::optional<std::string> to_text(const OptionValue& value) {
  using Text = std::optional<std::string>;
  return std::visit(
      Overloaded{
          [](const value::Check& c) -> Text { return c.on ? "true" : "false"; },
          [](const value::Spin& s) -> Text { return std::to_string(s.number); },
          [](const value::Button&) -> Text { return std::nullopt; },
          // combo and string: an empty text would vanish from the line
          [](const auto& t) -> Text { return t.text.empty() ? "<empty>" : t.text; },
      },
      value);
}

std::expected<void, std::string> OptionSpec::accepts(const OptionValue& value) const {
  if (type_of(value) != type())
    return std::unexpected(cat({"a ", type_name(type()), " option takes no ",
                                type_name(type_of(value)), " value"}));
  if (const auto* spin = std::get_if<option::Spin>(&kind)) {
    const std::int64_t n = std::get<value::Spin>(value).number;
    if ((spin->min && n < *spin->min) || (spin->max && n > *spin->max))
      return std::unexpected(cat({std::to_string(n), " is outside [", bound_text(spin->min), ", ",
                                  bound_text(spin->max), "]"}));
  }
  if (const auto* combo = std::get_if<option::Combo>(&kind)) {
    const std::string& text = std::get<value::Combo>(value).text;
    if (std::ranges::find(combo->vars, text) == combo->vars.end())
      return std::unexpected(cat({quoted(text), " is none of ", join(combo->vars, ", ")}));
  }
  return {};
}

std::string message(const ProtocolError& e) {
  return e.direction == Direction::Sent
             ? cat({e.word, " cannot be sent to a ", state_name(e.state), " engine"})
             : cat({"a ", state_name(e.state), " engine cannot send ", e.word});
}

std::expected<void, ProtocolError> Session::sent(const Command& command) {
  const Rule rule = rule_of(command.kind());
  if (!(rule.allowed & bit(state_)))
    return std::unexpected(ProtocolError{Direction::Sent, state_, keyword(command.kind())});
  if (command.kind() == CommandKind::IsReady) ++pending_ready_;
  const auto* go = std::get_if<command::Go>(&command.payload());
  state_ = go && go->limits.ponder ? State::Pondering : rule.next.value_or(state_);
  return {};
}

std::expected<void, ProtocolError> Session::received(MessageKind kind) {
  const Rule rule = rule_of(kind);
  const bool owed = kind != MessageKind::ReadyOk || pending_ready_ > 0;
  if (!(rule.allowed & bit(state_)) || !owed)
    return std::unexpected(ProtocolError{Direction::Received, state_, kind_name(kind)});
  if (kind == MessageKind::ReadyOk) --pending_ready_;
  state_ = rule.next.value_or(state_);
  return {};
}

}  // namespace vorn::uci::protocol
