// The two threads that read an engine's output. Both are detached and end
// when their pipe ends (killing the engine ends them); nothing escapes them.
#pragma once

#include <expected>
#include <memory>

#include "uci/engine/child.hpp"
#include "uci/engine/error.hpp"
#include "uci/engine/queue.hpp"

namespace vorn::uci::engine {

// Longest line kept; the rest of a longer line, up to its line feed, is cut.
inline constexpr std::size_t kMaxLine = std::size_t(64) << 10;

// "vorn-uci-stdout": each line, decoded lossily and without its trailing
// carriage returns and line feeds, into `queue`; the queue is closed at the
// end of the output. A thread that cannot start is `Io`.
std::expected<void, Error> start_output_reader(Descriptor output, std::shared_ptr<LineQueue> queue);
// "vorn-uci-stderr": drained to its end and dropped, so the engine never
// blocks on a full error pipe whatever bytes it writes there.
std::expected<void, Error> start_error_reader(Descriptor errors);

}  // namespace vorn::uci::engine
