// System calls that a signal may cut short (EINTR). What an interruption
// does is the caller's choice: `on_signal()` answers true to make the call
// again, false to give up with EINTR. The Python binding runs the signal
// handlers there, so Ctrl-C reaches a read that waits on a pipe.
#pragma once

#include <cerrno>
#include <functional>

namespace vorn {

// Empty: every interrupted call is made again.
using OnSignal = std::function<bool()>;

// call() until it succeeds, fails otherwise than by EINTR, or on_signal gives up.
template <class Call>
auto call_through_signals(Call&& call, const OnSignal& on_signal) {
  while (true) {
    const auto result = call();
    if (result >= 0 || errno != EINTR || (on_signal && !on_signal())) return result;
  }
}

}  // namespace vorn
