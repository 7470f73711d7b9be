// The engine client's exception classes, as Python sees them:
//
//   class UciError(Exception): ...            # __module__ "vorn.uci"
//   class EngineTimeout(UciError): ...        # and EngineDied, ProtocolError alike
//
// None is a ValueError or an OSError: a failing engine is not a bad argument.
// An engine error raises one of them, OSError or ValueError, by its kind.
#include <array>
#include <utility>
#include <variant>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/enum_list.hpp"
#include "core/types.hpp"
#include "python/bind/module.hpp"
#include "python/errors/exceptions.hpp"
#include "python/uci/classes.hpp"
#include "python/uci/slot.hpp"

namespace vorn::python::uci {

namespace {

// Each class with its name, qualified name and docstring, in the order the
// module binds them; the first is the base of the others.
#define VORN_UCI_ERROR_CLASSES(X)                                                                   \
  X(UciError, "UciError", "vorn.uci.UciError", "The base of every error talking to an engine raises.") \
  X(EngineTimeout, "EngineTimeout", "vorn.uci.EngineTimeout",                                       \
    "The engine did not say what was awaited in time.")                                             \
  X(EngineDied, "EngineDied", "vorn.uci.EngineDied", "The engine closed its output or exited.")     \
  X(ProtocolError, "ProtocolError", "vorn.uci.ProtocolError",                                       \
    "The engine broke the order of the conversation.")
VORN_NAMED_ENUM(UciErrorClass, VORN_UCI_ERROR_CLASSES)
VORN_ENUM_TEXT(qualified_name, UciErrorClass, VORN_UCI_ERROR_CLASSES, VORN_COLUMN_3)
VORN_ENUM_TEXT(doc, UciErrorClass, VORN_UCI_ERROR_CLASSES, VORN_COLUMN_4)

// One slot per class, each filled on first use.
std::array<PyObject*, kUciErrorClassCount> made{};

// The class, made on first use and kept for the process (borrowed).
PyObject* error_class(UciErrorClass which) {
  const auto i = std::size_t(which);
  return bind::process_object(made[i], [&] {
    PyObject* base = which == UciErrorClass::UciError ? PyExc_Exception
                                                      : error_class(UciErrorClass::UciError);
    return bind::Ref::check(PyErr_NewExceptionWithDoc(qualified_name(which).data(), doc(which).data(), base, nullptr));
  });
}

[[noreturn]] void raise(UciErrorClass which, std::string_view message) {
  bind::raise(error_class(which), message);
}

// OSError(code, text), which Python makes the subclass of its errno
// (PermissionError, BlockingIOError, ...); a plain OSError without one.
[[noreturn]] void raise_os_failure(int code, const std::string& text) {
  if (code == 0) bind::raise(PyExc_OSError, text);
  const bind::Ref error =
      bind::Ref::check(PyObject_CallFunction(PyExc_OSError, "iO", code, bind::to_python(text).get()));
  PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.get())), error.get());
  throw bind::PythonError{};
}

// The errno of an operating-system failure; 0 for the other kinds.
int os_code(const engine::Error& error) {
  const auto* io = std::get_if<engine::error::Io>(&error);
  return io ? io->code : 0;
}

// Where each engine error kind goes: one overload per alternative, so a new
// kind does not build without its place.
enum class Raised : std::uint8_t { OSError, Timeout, Died, Protocol, Value };
namespace error = engine::error;
constexpr Raised raised(const error::Io&) { return Raised::OSError; }
constexpr Raised raised(const error::Timeout&) { return Raised::Timeout; }
constexpr Raised raised(const error::Died&) { return Raised::Died; }
constexpr Raised raised(const error::Protocol&) { return Raised::Protocol; }
constexpr Raised raised(const error::NotIdentified&) { return Raised::Protocol; }
constexpr Raised raised(const error::NoOption&) { return Raised::Value; }
constexpr Raised raised(const error::BadValue&) { return Raised::Value; }
constexpr Raised raised(const error::SearchOver&) { return Raised::Protocol; }
constexpr Raised raised(const error::Unsafe&) { return Raised::Value; }

}  // namespace

void engine_closed() { raise(UciErrorClass::EngineDied, "the engine has been closed"); }

void engine_of_another_process() { raise(UciErrorClass::EngineDied, "the engine belongs to another process"); }

void raise_engine_error(const engine::Error& error) {
  const std::string text = engine::message(error);
  switch (std::visit([](const auto& kind) { return raised(kind); }, error)) {
    case Raised::OSError: raise_os_failure(os_code(error), text);
    case Raised::Timeout: raise(UciErrorClass::EngineTimeout, text);
    case Raised::Died: raise(UciErrorClass::EngineDied, text);
    case Raised::Protocol: raise(UciErrorClass::ProtocolError, text);
    case Raised::Value: errors::value_error(text);
  }
  std::unreachable();
}

void engine_timeout(std::string_view text) { raise(UciErrorClass::EngineTimeout, text); }

void add_error_classes(bind::Module& module) {
  for (const UciErrorClass which : every<UciErrorClass, kUciErrorClassCount>()) {
    module.add_object(name(which).data(), bind::Ref::borrow(error_class(which)));
  }
}

void protocol_error(const protocol::ProtocolError& error) {
  raise(UciErrorClass::ProtocolError, protocol::message(error));
}

void unsafe_text(const protocol::UnsafeText& error) { errors::value_error(protocol::message(error)); }

}  // namespace vorn::python::uci
