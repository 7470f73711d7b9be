#include "uci/engine/queue.hpp"

#include <utility>

namespace vorn::uci::engine {

namespace {

bool droppable(const protocol::Message& message) {
  const auto kind = message.kind();
  return kind == protocol::MessageKind::Info || kind == protocol::MessageKind::Raw;
}

}  // namespace

std::deque<LineQueue::Entry>& LineQueue::oldest() {
  const bool kept_older =
      droppable_.empty() || (!kept_.empty() && kept_.front().order < droppable_.front().order);
  return kept_older ? kept_ : droppable_;
}

void LineQueue::drop_front(std::deque<Entry>& from) {
  bytes_ -= from.front().line.text.size();
  from.pop_front();
}

void LineQueue::push(std::string text) {
  protocol::Message message = protocol::parse(text);  // outside the lock
  const bool sacrificed = droppable(message);
  {
    const std::lock_guard lock(mutex_);
    if (kept_.size() + droppable_.size() >= kSoftLines && !droppable_.empty()) drop_front(droppable_);
    bytes_ += text.size();
    (sacrificed ? droppable_ : kept_).push_back({next_order_++, Line{std::move(text), std::move(message)}});
    while (kept_.size() + droppable_.size() > kHardLines || bytes_ > kHardBytes) drop_front(oldest());
  }
  changed_.notify_all();
}

void LineQueue::close() {
  {
    const std::lock_guard lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

LineQueue::Popped LineQueue::pop(Instant deadline) {
  std::unique_lock lock(mutex_);
  while (true) {
    if (!kept_.empty() || !droppable_.empty()) {
      std::deque<Entry>& from = oldest();
      Line line = std::move(from.front().line);
      bytes_ -= line.text.size();
      from.pop_front();
      return line;
    }
    if (closed_) return Closed{};
    if (Clock::now() >= deadline) return Empty{};
    changed_.wait_until(lock, deadline);
  }
}

std::size_t LineQueue::size() const {
  const std::lock_guard lock(mutex_);
  return kept_.size() + droppable_.size();
}

}  // namespace vorn::uci::engine
