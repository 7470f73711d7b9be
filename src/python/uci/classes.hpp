// The engine client's Python classes without an engine process, and their
// conversions, so a function returning a report, an answer or an option
// declaration hands Python an Info, an Answer or an Option:
//
//   vorn.uci: Limits(*, depth=None, ...), Option, Info, Answer, UciError, ProtocolError, ...
//   vorn.uci.protocol: Command.go(limits), uci_parse(line, game=None) -> Message, Session()
#pragma once

#include <variant>

#include "python/bind/class.hpp"
#include "python/bind/module.hpp"
#include "uci/limits.hpp"
#include "uci/lines.hpp"
#include "uci/reading.hpp"
#include "uci/protocol.hpp"

namespace vorn::python::uci {

namespace protocol = ::vorn::uci::protocol;

// Adds the classes, `uci_parse` and the exception classes, in that order.
void register_module(bind::Module& module);
void add_parse_function(bind::Module& module);

// ---- exceptions ----------------------------------------------------------------

// UciError, EngineTimeout, EngineDied and ProtocolError, made on first use.
void add_error_classes(bind::Module& module);

// ProtocolError with the session's refusal text.
[[noreturn]] void protocol_error(const protocol::ProtocolError& error);
// ValueError naming the text that would have broken the command line.
[[noreturn]] void unsafe_text(const protocol::UnsafeText& error);

// ---- values --------------------------------------------------------------------

// Python seconds as a duration; ValueError "{name} is a count of seconds, not {value}".
protocol::Duration seconds(const char* name, double value);
// The value `object` (None or null for none) gives an option of `declared`'s
// type, or ValueError; the declared domain is not checked here.
protocol::OptionValue read_value(const protocol::OptionSpec& declared, PyObject* object);

// A line as given, read against the position searched.
struct ParsedLine {
  bind::Ref line;  // the str as given, surrogates and all
  protocol::Reading content;

  protocol::MessageKind kind() const { return protocol::MessageKind(content.index()); }
};

// ---- classes -------------------------------------------------------------------

VORN_CLASS(PyLimits, protocol::Limits);

VORN_CLASS(PyOption, protocol::OptionSpec);

VORN_CLASS(PyInfo, protocol::Report);

VORN_CLASS(PyAnswer, protocol::Answer);

VORN_CLASS(PyCommand, protocol::Command);

VORN_CLASS(PyMessage, ParsedLine);

VORN_CLASS(PySession, protocol::Session);

}  // namespace vorn::python::uci

namespace vorn::python::bind {

// Seconds as a float.
template <>
struct Converter<::vorn::uci::protocol::Duration> {
  static Ref to(const ::vorn::uci::protocol::Duration& duration) {
    return to_python(duration.to_seconds());
  }
};

template <>
struct Converter<::vorn::uci::protocol::Report> : ClassConverter<python::uci::PyInfo> {};

template <>
struct Converter<::vorn::uci::protocol::Answer> : ClassConverter<python::uci::PyAnswer> {};

template <>
struct Converter<::vorn::uci::protocol::OptionSpec> : ClassConverter<python::uci::PyOption> {};

template <>
struct Converter<python::uci::ParsedLine> : ClassConverter<python::uci::PyMessage> {};

template <>
struct Converter<::vorn::uci::protocol::Command> : ClassConverter<python::uci::PyCommand> {};

}  // namespace vorn::python::bind
