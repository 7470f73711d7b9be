// The two threads that read an engine's output. Both are detached and end
// when their pipe ends (killing the engine ends them), or soon after the
// engine is dropped while a process still holds the pipes (a grandchild that
// kept them, an engine the host may not kill); nothing escapes them.
#pragma once

#include <atomic>
#include <expected>
#include <memory>

#include "uci/engine/child.hpp"
#include "uci/engine/error.hpp"
#include "uci/engine/queue.hpp"

namespace vorn::uci::engine {

// Longest line kept; the rest of a longer line, up to its line feed, is cut.
inline constexpr std::size_t kMaxLine = std::size_t(64) << 10;

// Set once the engine is dropped: its readers close their ends and stop.
using Abandoned = std::shared_ptr<const std::atomic<bool>>;

// "vorn-uci-stdout": each line, decoded lossily and without its trailing
// carriage returns and line feeds, into `queue`; the queue is closed at the
// end of the output. A thread that cannot start is `Io`.
std::expected<void, Error> start_output_reader(Descriptor output, std::shared_ptr<LineQueue> queue,
                                               Abandoned abandoned);
// "vorn-uci-stderr": drained to its end and dropped, so the engine never
// blocks on a full error pipe whatever bytes it writes there.
std::expected<void, Error> start_error_reader(Descriptor errors, Abandoned abandoned);

}  // namespace vorn::uci::engine
