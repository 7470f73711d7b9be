// The client's side of UCI: the commands it writes with their exact wire
// text, the options an engine declares with the values a client may set, and
// the session that decides which command or message fits the conversation.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/enum_list.hpp"
#include "game/game.hpp"
#include "moves/moves.hpp"
#include "position/position.hpp"
#include "variant/variant.hpp"
#include "uci/limits.hpp"

namespace vorn::uci::protocol {

// ---- Text bound for the wire -------------------------------------------

// A caller's text that would end the command line early (carriage return,
// line feed) or cut it (NUL): written unchanged it would smuggle commands.
struct UnsafeText {
  std::string_view field;  // "option name", "search move", "program", ... (static text)
  std::string text;        // the whole refused text
};
// "{field} contains a line break: {quoted text}", or "... a NUL character: ...".
std::string message(const UnsafeText& e);

// Refuses a text that could not stand on a command line or in a process's
// arguments; `field` names it in the refusal.
std::expected<void, UnsafeText> check_text(std::string_view field, std::string_view text);
// Refuses the first search move that could not stand on a command line.
std::expected<void, UnsafeText> check_text(const Limits& limits);

// ---- Commands ------------------------------------------------------------

// Where a `position` command starts and the moves played from there.
struct Setup {
  std::optional<std::string> fen;  // none: the standard start, "startpos"
  std::vector<std::string> moves;

  // "startpos" only for the standard start with clocks 0 and 1 known, else
  // the start's FEN with clocks; the moves as the game's variant writes them
  // under `style` (Chess960 always king takes rook).
  static Setup of_game(const Game& game, CastlingStyle style);

  bool operator==(const Setup&) const = default;
};

namespace command {
struct Uci {};
struct Debug { bool on = false; };
struct IsReady {};
struct SetOption {
  std::string name;
  std::optional<std::string> value;  // none: a button, no value part
};
struct UciNewGame {};
using Position = Setup;
struct Go { Limits limits; };
struct Stop {};
struct PonderHit {};
struct Quit {};
}  // namespace command

// Each command with its keyword and its payload, `Command::Payload`'s
// alternatives in this order.
#define VORN_COMMANDS(X)                                                                            \
  X(Uci, "uci", command::Uci) X(Debug, "debug", command::Debug) X(IsReady, "isready", command::IsReady) \
  X(SetOption, "setoption", command::SetOption) X(UciNewGame, "ucinewgame", command::UciNewGame)     \
  X(Position, "position", command::Position) X(Go, "go", command::Go) X(Stop, "stop", command::Stop)  \
  X(PonderHit, "ponderhit", command::PonderHit) X(Quit, "quit", command::Quit)
VORN_ENUM(CommandKind, VORN_COMMANDS)
VORN_ENUM_TEXT(keyword, CommandKind, VORN_COMMANDS, VORN_COLUMN_2)

// A line the client writes. Built only through the makers below, so every
// text it holds is safe to write.
class Command {
 public:
  using Payload = VORN_VARIANT_OF(VORN_COMMANDS, VORN_COLUMN_3);

  static Command uci() { return Command(command::Uci{}); }
  static Command debug(bool on) { return Command(command::Debug{on}); }
  static Command is_ready() { return Command(command::IsReady{}); }
  static Command uci_new_game() { return Command(command::UciNewGame{}); }
  static Command stop() { return Command(command::Stop{}); }
  static Command ponder_hit() { return Command(command::PonderHit{}); }
  static Command quit() { return Command(command::Quit{}); }
  static std::expected<Command, UnsafeText> set_option(std::string name,
                                                       std::optional<std::string> value);
  static std::expected<Command, UnsafeText> go(Limits limits);
  static Command position(const Game& game, CastlingStyle style) {
    return Command(Setup::of_game(game, style));
  }

  CommandKind kind() const { return CommandKind(payload_.index()); }
  const Payload& payload() const { return payload_; }
  // The wire line without its line feed.
  std::string to_line() const;

  bool operator==(const Command&) const = default;

 private:
  explicit Command(Payload payload) : payload_(std::move(payload)) {}
  Payload payload_;
};

// ---- Options ----------------------------------------------------------------

// Each option type with its name, what an engine declares of it and what a
// client sets it to: `OptionKind`'s and `OptionValue`'s alternatives in this order.
#define VORN_OPTION_TYPES(X)                                                     \
  X(Check, "check", option::Check, value::Check)                                 \
  X(Spin, "spin", option::Spin, value::Spin)                                     \
  X(Combo, "combo", option::Combo, value::Combo)                                 \
  X(Button, "button", option::Button, value::Button)                             \
  X(String, "string", option::String, value::String)
VORN_ENUM(OptionType, VORN_OPTION_TYPES)
VORN_ENUM_TEXT(type_name, OptionType, VORN_OPTION_TYPES, VORN_COLUMN_2)

namespace option {  // what an engine declared
struct Check { std::optional<bool> default_value; };
struct Spin { std::optional<std::int64_t> default_value, min, max; };
struct Combo {
  std::optional<std::string> default_value;
  std::vector<std::string> vars;  // in declared order
};
struct Button {};
struct String { std::optional<std::string> default_value; };
}  // namespace option

namespace value {  // what a client sets
struct Check { bool on = false; };
struct Spin { std::int64_t number = 0; };
struct Combo { std::string text; };
struct Button {};
struct String { std::string text; };
}  // namespace value

using OptionKind = VORN_VARIANT_OF(VORN_OPTION_TYPES, VORN_COLUMN_3);
using OptionValue = VORN_VARIANT_OF(VORN_OPTION_TYPES, VORN_COLUMN_4);

inline OptionType type_of(const OptionKind& kind) { return OptionType(kind.index()); }
inline OptionType type_of(const OptionValue& value) { return OptionType(value.index()); }

// The setoption value text: "true"/"false", decimal, the text itself or
// "<empty>" for an empty text; none for a button.
std::optional<std::string> to_text(const OptionValue& value);

struct OptionSpec {
  std::string name;
  OptionKind kind;

  OptionType type() const { return type_of(kind); }
  // Whether the declared domain takes `value`; the refusal is one of
  // "a {} option takes no {} value", "{} is outside [{}, {}]" (an undeclared
  // bound is "-") and "{quoted} is none of {vars joined by ", "}".
  std::expected<void, std::string> accepts(const OptionValue& value) const;

  bool operator==(const OptionSpec&) const = default;
};

// ---- Session ----------------------------------------------------------------

// Each message kind with its name and its payload (uci/lines.hpp),
// `Message::Payload`'s alternatives in this order; the report is boxed,
// being the largest.
#define VORN_MESSAGES(X)                                                                 \
  X(Id, "id", Id) X(UciOk, "uciok", UciOk) X(ReadyOk, "readyok", ReadyOk)                \
  X(Option, "option", OptionSpec) X(Info, "info", std::unique_ptr<Info>)                 \
  X(BestMove, "bestmove", BestMove) X(Raw, "raw", Raw)
VORN_ENUM(MessageKind, VORN_MESSAGES)
VORN_ENUM_TEXT(kind_name, MessageKind, VORN_MESSAGES, VORN_COLUMN_2)

#define VORN_STATES(X)                                                                   \
  X(Started, "started") X(Identifying, "identifying") X(Idle, "idle")                    \
  X(Searching, "searching") X(Pondering, "pondering") X(Quitting, "quitting")
VORN_ENUM(State, VORN_STATES)
VORN_ENUM_TEXT(state_name, State, VORN_STATES, VORN_COLUMN_2)

enum class Direction : std::uint8_t { Sent, Received };

struct ProtocolError {
  Direction direction;
  State state;            // the state that refused
  std::string_view word;  // the command's keyword or the message's kind name
};
// "{word} cannot be sent to a {state} engine" or "a {state} engine cannot send {word}".
std::string message(const ProtocolError& e);

// One conversation's order. A refusal leaves the session as it was.
class Session {
 public:
  std::expected<void, ProtocolError> sent(const Command& command);
  std::expected<void, ProtocolError> received(MessageKind kind);

  State state() const { return state_; }
  std::uint32_t pending_ready() const { return pending_ready_; }

 private:
  State state_ = State::Started;
  std::uint32_t pending_ready_ = 0;  // isready commands not yet answered
};

}  // namespace vorn::uci::protocol
