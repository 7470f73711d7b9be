// The wire layer without a process, as Python sees it (vorn.uci.protocol):
//
//   Command.go(Limits(depth=12)).to_line() == "go depth 12"; Command.position(game)
//   message = uci_parse("bestmove e2e4 ponder e7e5", game=None); message.kind, message.answer
//   session = Session(); session.sent(Command.uci()); session.received(message)
//   session.state, session.pending_ready
#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "python/bind/module.hpp"
#include "python/board/classes.hpp"
#include "python/game/classes.hpp"
#include "python/names/names.hpp"
#include "python/uci/classes.hpp"
#include "text/quote.hpp"
#include "text/utf8.hpp"

namespace vorn::python::uci {
namespace {

// A str argument, its text kept as given.
struct LineArgument {
  bind::Ref text;
};

}  // namespace
}  // namespace vorn::python::uci

namespace vorn::python::bind {

template <>
struct Converter<python::uci::LineArgument> {
  static python::uci::LineArgument from(PyObject* object) {
    if (!PyUnicode_Check(object)) cannot_convert(object, "str");
    // A plain str: a subclass instance could hold the message in its
    // __dict__, a cycle the collector would never see.
    return {Ref::check(PyUnicode_FromObject(object))};
  }
};

}  // namespace vorn::python::bind

namespace vorn::python::uci {

namespace {

using protocol::Command;

// ---- Command ----

// The command, or ValueError naming the text that would break its line.
Command made(std::expected<Command, protocol::UnsafeText> result) {
  if (!result) unsafe_text(result.error());
  return std::move(*result);
}

Command setoption(std::string name, std::optional<std::string> value) {
  return made(Command::set_option(std::move(name), std::move(value)));
}

Command position(bind::Shared<PyGame> game, std::optional<std::string_view> castling) {
  const CastlingStyle style = castling ? convert::castling_style_from(*castling) : game->castling_output();
  return Command::position(*game, style);
}

Command go(const PyLimits* limits) {
  return made(Command::go(limits != nullptr ? limits->value : protocol::Limits{}));
}

std::string command_repr(const Command& command) { return "<Command " + command.to_line() + ">"; }
std::string_view keyword_of(const Command& command) { return protocol::keyword(command.kind()); }

const bind::ClassSpec<PyCommand> kCommandClass{
    .name = "vorn.uci.protocol.Command",
    .doc = "One line the client writes to an engine, built by the static methods.",
    .getters = {bind::getter<&keyword_of>("keyword", "The command's first word, such as `go`.")},
    .methods = {bind::static_method<&Command::uci>("uci", "uci()\n--\n\nThe command that starts the handshake."),
                bind::static_method<&Command::debug>("debug", "debug(on)\n--\n\nTurns the engine's debug output on or off."),
                bind::static_method<&Command::is_ready>(
                    "isready", "isready()\n--\n\nAsks the engine to answer `readyok` once it is ready."),
                bind::static_method<&setoption>(
                    "setoption",
                    "setoption(name, value=None)\n--\n\n"
                    "Sets an option; `value` is written as the engine will read it, and\n"
                    "`None` (a button) writes no value part."),
                bind::static_method<&Command::uci_new_game>(
                    "ucinewgame", "ucinewgame()\n--\n\nTells the engine the next position is from a new game."),
                bind::static_method<&position>(
                    "position",
                    "position(game, castling=None)\n--\n\n"
                    "The game's start and moves; `castling` spells castling moves\n"
                    "`king_to_rook` or `king_two_squares`, `None` as the game does\n"
                    "(king takes rook by default, which engines of standard chess such as\n"
                    "Stockfish silently ignore; `Engine` always sends the spelling the\n"
                    "engine expects)."),
                bind::static_method<&go>(
                    "go", "go(limits=None)\n--\n\nStarts a search within `limits`; `None` searches until stopped."),
                bind::static_method<&Command::stop>("stop", "stop()\n--\n\nAsks the engine to finish its search."),
                bind::static_method<&Command::ponder_hit>(
                    "ponderhit", "ponderhit()\n--\n\nTells the engine the move it ponders on was played."),
                bind::static_method<&Command::quit>("quit", "quit()\n--\n\nAsks the engine to exit."),
                bind::method<&Command::to_line>(
                    "to_line", "to_line($self)\n--\n\nThe wire line, without its line feed.")},
    .slots = {bind::repr<&command_repr>},
};

// ---- Message and uci_parse ----

// The line as UTF-8, viewed in place; a lone surrogate, which has none,
// makes a copy in `spare` where it becomes U+FFFD.
std::string_view utf8_of(PyObject* text, std::string& spare) {
  Py_ssize_t size = 0;
  if (const char* utf8 = PyUnicode_AsUTF8AndSize(text, &size)) return {utf8, std::size_t(size)};
  bind::forget_refusal();
  const bind::Ref bytes = bind::Ref::check(PyUnicode_AsEncodedString(text, "utf-8", "surrogatepass"));
  char* data = nullptr;
  bind::check(PyBytes_AsStringAndSize(bytes.get(), &data, &size));
  spare = utf8::lossy(std::string_view(data, std::size_t(size)));
  return spare;
}

const Position& standard_start() {
  static const Position start = classic().start_position(0);
  return start;
}

ParsedLine uci_parse(LineArgument line, std::optional<bind::Shared<PyGame>> game) {
  const Variant& variant = game ? (*game)->variant() : classic();
  const Position& searched = game ? (*game)->current() : standard_start();
  std::string spare;
  protocol::Reading content = protocol::read(protocol::parse(utf8_of(line.text.get(), spare)), variant, searched);
  return {std::move(line.text), std::move(content)};
}

std::string_view kind_of(const ParsedLine& message) { return protocol::kind_name(message.kind()); }
bind::Ref line_of(const ParsedLine& message) { return message.line; }

template <class Payload, auto Field>
auto field_if(const ParsedLine& message) {
  const auto* payload = std::get_if<Payload>(&message.content);
  using Value = std::remove_cvref_t<decltype(payload->*Field)>;
  return payload ? std::optional<Value>(payload->*Field) : std::nullopt;
}

// A new object of the payload's class each time, or None.
template <class Payload>
bind::Ref payload_if(const ParsedLine& message) {
  const auto* payload = std::get_if<Payload>(&message.content);
  return payload ? bind::to_python(*payload) : bind::Ref::none();
}

std::string message_repr(const ParsedLine& message) {
  std::string spare;
  return "<Message " + std::string(kind_of(message)) + " " + quoted(utf8_of(message.line.get(), spare)) + ">";
}

const bind::ClassSpec<PyMessage> kMessageClass{
    .name = "vorn.uci.protocol.Message",
    .doc = "One line an engine wrote, read by `uci_parse`.",
    .getters = {bind::getter<&kind_of>("kind", "`id`, `uciok`, `readyok`, `option`, `info`, `bestmove` or `raw`."),
                bind::getter<&line_of>("line", "The line exactly as given."),
                bind::getter<&field_if<protocol::Id, &protocol::Id::key>>("key", "The key of an `id` line."),
                bind::getter<&field_if<protocol::Id, &protocol::Id::value>>(
                    "value", "The rest of an `id` line after its key."),
                bind::getter<&payload_if<protocol::OptionSpec>>("option", "The option an `option` line declares."),
                bind::getter<&payload_if<protocol::Report>>("info", "The report of an `info` line."),
                bind::getter<&payload_if<protocol::Answer>>("answer", "The answer of a `bestmove` line.")},
    .slots = {bind::repr<&message_repr>},
};

// ---- Session ----

protocol::Session new_session() { return {}; }

void sent(protocol::Session& session, const PyCommand& command) {
  if (auto ok = session.sent(command.value); !ok) protocol_error(ok.error());
}

void received(protocol::Session& session, const PyMessage& message) {
  if (auto ok = session.received(message.value.kind()); !ok) protocol_error(ok.error());
}

std::string_view state_of(const protocol::Session& session) { return protocol::state_name(session.state()); }

std::string session_repr(const protocol::Session& session) {
  return "<Session " + std::string(state_of(session)) + ">";
}

const bind::ClassSpec<PySession> kSessionClass{
    .name = "vorn.uci.protocol.Session",
    .doc = "Session()\n--\n\n"
           "The order of one conversation with an engine: which command may be sent\n"
           "and which message received next.",
    .getters = {bind::getter<&state_of>(
                    "state", "`started`, `identifying`, `idle`, `searching`, `pondering` or `quitting`."),
                bind::getter<&protocol::Session::pending_ready>("pending_ready",
                                                                "How many `isready` are still unanswered.")},
    .methods = {bind::method<&sent>("sent",
                                    "sent($self, command)\n--\n\n"
                                    "Records `command` as sent, or raises `ProtocolError` if the\n"
                                    "conversation has no room for it."),
                bind::method<&received>("received",
                                        "received($self, message)\n--\n\n"
                                        "Records `message` as received, or raises `ProtocolError` if the\n"
                                        "conversation has no room for it.")},
    .slots = {bind::constructor<&new_session>, bind::repr<&session_repr>},
};

}  // namespace

PyTypeObject* PyCommand::type() { return bind::type_object(kCommandClass); }
PyTypeObject* PyMessage::type() { return bind::type_object(kMessageClass); }
PyTypeObject* PySession::type() { return bind::type_object(kSessionClass); }

void add_parse_function(bind::Module& module) {
  module.add_function(bind::function<&uci_parse>(
                          "uci_parse",
                          "uci_parse(line, game=None)\n--\n\n"
                          "Reads one line an engine wrote; moves are read against `game`, or the\n"
                          "standard start when it is `None`. It never fails on the line's text."));
}

}  // namespace vorn::python::uci
