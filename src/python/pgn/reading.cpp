#include "python/pgn/reading.hpp"

#include <chrono>
#include <functional>
#include <memory>
#include <utility>

#include "error/error.hpp"
#include "python/bind/gil.hpp"
#include "python/bind/interrupt.hpp"

namespace vorn::python::pgn {

namespace model = vorn::pgn;
using namespace std::chrono_literals;

namespace {

// Refills made without the interpreter lock, by the thread that made these:
// taking the lock at every refill would wait out another thread's switch
// interval each time, so the handlers run once per slice.
class SlicedRefills : public model::Refills {
 public:
  bool go_on() override {
    const auto now = std::chrono::steady_clock::now();
    if (now < next_check_) return true;
    next_check_ = now + 100ms;
    return run_handlers_();
  }
  bool wait(const std::function<bool(model::Instant)>& read_by) override {
    while (!read_by(std::chrono::steady_clock::now() + 100ms))
      if (!run_handlers_()) return false;
    return true;
  }

 private:
  const bind::SignalHandlers run_handlers_;
  model::Instant next_check_ = std::chrono::steady_clock::now() + 100ms;
};

// Refills made with the interpreter lock held: checking for signals costs
// little then. A read that waits lets the lock go, and so does a refill once
// a slice's length has passed since the last time it did, so that other
// threads run even while one step reads on (a source that never ends a line).
class HeldRefills : public model::Refills {
 public:
  bool go_on() override {
    if (const auto now = std::chrono::steady_clock::now(); now >= next_turn_) {
      bind::without_gil([] {});  // lets the other threads have a turn
      next_turn_ = std::chrono::steady_clock::now() + 100ms;
    }
    return PyErr_CheckSignals() == 0;
  }
  bool wait(const std::function<bool(model::Instant)>& read_by) override {
    return bind::interruptible([&](model::Instant end) { return read_by(end); }, [] {});
  }

 private:
  model::Instant next_turn_ = std::chrono::steady_clock::now() + 100ms;
};

model::FileSource open_with(const bind::PathBytes& path, std::unique_ptr<model::Refills> refills) {
  const bind::SignalHandlers run_handlers;
  auto file = bind::without_lock(
      [&] { return model::FileSource::open(path.bytes, run_handlers, std::move(refills)); });
  if (!file) bind::raise_os_error(file.error().code, path);
  return std::move(*file);
}

}  // namespace

model::FileSource open_file(const bind::PathBytes& path) { return open_with(path, std::make_unique<SlicedRefills>()); }

model::FileSource open_stream(const bind::PathBytes& path) { return open_with(path, std::make_unique<HeldRefills>()); }

std::uint64_t read_all_games(model::LineSource& source, model::Visitor& visitor, const bind::PathBytes* path) {
  model::GameRun run(source, visitor);
  const bool finished = bind::interruptible([&](auto end) { return run.read_until(end); }, [] {});
  // An interrupted read gives up with the handler's exception set.
  if (!finished || PyErr_Occurred() != nullptr) throw bind::PythonError{};
  const auto games = run.result();
  if (!games) {
    if (path == nullptr) panic("text in memory failed to read");
    bind::raise_os_error(games.error().code, *path);
  }
  return *games;
}

}  // namespace vorn::python::pgn
