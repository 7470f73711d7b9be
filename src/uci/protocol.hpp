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

// In the order of `Command::Payload`'s alternatives.
enum class CommandKind : std::uint8_t {
  Uci, Debug, IsReady, SetOption, UciNewGame, Position, Go, Stop, PonderHit, Quit,
};
// "uci", "debug", "isready", "setoption", "ucinewgame", "position", "go",
// "stop", "ponderhit", "quit".
std::string_view keyword(CommandKind kind);

// A line the client writes. Built only through the makers below, so every
// text it holds is safe to write.
class Command {
 public:
  using Payload = std::variant<command::Uci, command::Debug, command::IsReady, command::SetOption,
                               command::UciNewGame, command::Position, command::Go, command::Stop,
                               command::PonderHit, command::Quit>;

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

// In the order of `OptionKind`'s and `OptionValue`'s alternatives.
enum class OptionType : std::uint8_t { Check, Spin, Combo, Button, String };
// "check", "spin", "combo", "button", "string".
std::string_view type_name(OptionType type);

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

using OptionKind = std::variant<option::Check, option::Spin, option::Combo, option::Button,
                                option::String>;
using OptionValue = std::variant<value::Check, value::Spin, value::Combo, value::Button,
                                 value::String>;

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

// In the order of `Message::Payload`'s alternatives.
enum class MessageKind : std::uint8_t { Id, UciOk, ReadyOk, Option, Info, BestMove, Raw };
// "id", "uciok", "readyok", "option", "info", "bestmove", "raw".
std::string_view kind_name(MessageKind kind);

enum class State : std::uint8_t { Started, Identifying, Idle, Searching, Pondering, Quitting };
// "started", "identifying", "idle", "searching", "pondering", "quitting".
std::string_view state_name(State state);

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
