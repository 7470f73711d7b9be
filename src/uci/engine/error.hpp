// What can go wrong talking to an engine process, and the clock every wait
// of the engine client is bounded on.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "uci/limits.hpp"
#include "uci/protocol.hpp"

namespace vorn::uci::engine {

using protocol::Duration;
using Clock = std::chrono::steady_clock;
using Instant = Clock::time_point;

// Now plus `wait`; a sum past the clock's range is now plus 365 days instead.
Instant deadline_after(Duration wait);
// The time left until `deadline`, zero once it has passed.
Clock::duration time_left(Instant deadline);
Duration duration_of(Clock::duration span);
Clock::duration span_of(Duration wait);  // saturates at the clock's range

namespace error {
// What an operating-system failure was the fault of, when it was the
// program's start: the program itself or the working directory asked for.
enum class Failed : std::uint8_t { Other, Program, WorkingDirectory };
// An operating-system failure; `code` 0 for a failure the system did not number.
struct Io {
  int code = 0;
  std::string text;  // what failed and the system's description, or the failure's own text
  Failed failed = Failed::Other;
};
struct Timeout {
  std::string_view awaited;  // "uciok", "readyok" or "bestmove"
  Duration after;            // the bound configured for that wait
};
struct Died {
  std::optional<std::int32_t> exit;
  bool deaf = false;  // killed here because it stopped reading its input
};
struct Protocol {
  protocol::ProtocolError refusal;
};
struct NotIdentified {};
struct NoOption {
  std::string name;  // as the caller gave it
};
struct BadValue {
  std::string name;  // as the engine declared it
  std::string message;
};
// A step of a search that a later search, or a drain, has already ended.
struct SearchOver {};
// A text that would have broken the command line or the program's arguments.
struct Unsafe {
  protocol::UnsafeText text;
};
}  // namespace error

using Error = std::variant<error::Io, error::Timeout, error::Died, error::Protocol, error::NotIdentified,
                           error::NoOption, error::BadValue, error::SearchOver, error::Unsafe>;

// The error's text: "no bestmove within 2.500 s", "the engine exited with code 1", ...
std::string message(const Error& error);

// The operating system's failure numbered `code` (errno) in doing `what`:
// "cannot make a pipe to the engine: Too many open files (os error 24)".
error::Io os_error(int code, std::string_view what = {});
// A SIGKILL the system refused with `code`: the engine runs as another
// user, or a sandbox forbids the signal.
error::Io unkillable(int code);

}  // namespace vorn::uci::engine
