// The engine's output lines not yet consumed, shared by the engine and its
// standard-output reader thread. Each line is parsed once, by the reader,
// when it is pushed. Memory stays bounded under any flood:
//   - past 4096 lines the oldest info or unrecognised line makes room, so the
//     reports of a search nobody reads do not pile up, while identification,
//     options, uciok, readyok and bestmove are kept;
//   - past 65,536 lines or 64 MiB the oldest line of any kind goes.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <variant>

#include "uci/engine/error.hpp"
#include "uci/lines.hpp"

namespace vorn::uci::engine {

struct Line {
  std::string text;  // without its line ending
  protocol::Message message;
};

class LineQueue {
 public:
  static constexpr std::size_t kSoftLines = 4096;
  static constexpr std::size_t kHardLines = 65'536;
  static constexpr std::size_t kHardBytes = std::size_t(64) << 20;

  void push(std::string text);
  // Output has ended: no line will come after those queued.
  void close();

  struct Closed {};
  struct Empty {};  // no line by the deadline
  using Popped = std::variant<Line, Closed, Empty>;
  // The oldest line, waiting until `deadline`; lines queued before the close
  // come first.
  Popped pop(Instant deadline);

  std::size_t size() const;

 private:
  struct Entry {
    std::uint64_t order;
    Line line;
  };
  std::deque<Entry>& oldest();  // of the two queues, the one whose front came first
  void drop_front(std::deque<Entry>& from);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Entry> kept_;       // kinds never sacrificed to the soft cap
  std::deque<Entry> droppable_;  // info and unrecognised lines
  std::uint64_t next_order_ = 0;
  std::size_t bytes_ = 0;
  bool closed_ = false;
};

}  // namespace vorn::uci::engine
