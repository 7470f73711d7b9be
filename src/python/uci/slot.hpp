// The engine slot that an Engine and each of its Searches share, and the
// ways Python reaches the engine inside it:
//
//   on_engine(slot, [&](Engine& e) { return e.send(command); })  # a short call, the interpreter lock released
//   const auto turn = take_turn(slot);                             # a call that waits, after those before it
//   const auto turn = take_idle_turn(slot);                        # the same, what a call given up left owed first
//   wait_on_engine(slot, [&](Engine& e, Instant end) { ... }, ...) # its wait, in slices of the slot
//   read_slot(slot, [](const Engine* e) { return plain copy; })    # short reads, closed: null
//
// Calls that wait take turns, one whole call after another; short calls get
// in between the slices of a wait, so `stop` or `state` from another thread
// answer at once. No thread waits for the interpreter lock while it holds
// the slot, and no Python object is made or freed while the slot is held.
// In a process forked from the engine's, every way in raises EngineDied. A
// call that waits, made by the thread whose call holds the turn (from a
// signal handler run inside that call), raises RuntimeError.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

#include "python/bind/gil.hpp"
#include "python/bind/interrupt.hpp"
#include "python/bind/raise.hpp"
#include "uci/engine/engine.hpp"

namespace vorn::python::uci {

namespace engine = ::vorn::uci::engine;

struct EngineSlot {
  explicit EngineSlot(engine::Engine started)
      : reaper(started.reaper()), engine(std::in_place, std::move(started)) {}

  // The open engine, or null once closed; call with `mutex` held.
  engine::Engine* open() { return engine && !closing ? &*engine : nullptr; }
  // The open engine, told first of a search Python dropped meanwhile; null
  // once closed. Call with `mutex` held.
  engine::Engine* open_for_call() {
    engine::Engine* open_engine = open();
    if (const std::uint64_t dropped = open_engine ? abandoned.exchange(0) : 0) open_engine->abandon(dropped);
    return open_engine;
  }
  // Empties the slot if `kill` asked for it while the slot was busy.
  void close_if_asked() {
    if (closing) engine.reset();
  }

  const std::shared_ptr<engine::Reaper> reaper;  // for a kill that does not wait for the slot
  std::mutex mutex;
  bind::Turns turns;  // one held through the whole of a call that waits on the engine
  std::optional<engine::Engine> engine;
  std::atomic<bool> closing = false;
  std::atomic<std::uint64_t> abandoned = 0;  // a dropped search's number, 0 for none
  std::atomic<int> queued = 0;  // short calls waiting for the slot, served before a wait's next slice
};

// The slot locked for a call that is short. A wait that holds the slot a
// slice at a time lets such a call in before its next slice: the mutex alone
// is not fair and would hand the slot straight back to the waiting thread.
inline std::unique_lock<std::mutex> take_slot(EngineSlot& slot) {
  ++slot.queued;
  std::unique_lock lock(slot.mutex);
  --slot.queued;
  return lock;
}

// The slot locked for a wait's next slice, once every short call queued for
// it has had its turn.
inline std::unique_lock<std::mutex> take_slot_for_slice(EngineSlot& slot) {
  while (slot.queued.load() > 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
  return std::unique_lock(slot.mutex);
}

using Slot = std::shared_ptr<EngineSlot>;

// EngineDied "the engine belongs to another process".
[[noreturn]] void engine_of_another_process();
// EngineDied "the engine has been closed".
[[noreturn]] void engine_closed();

// Raises EngineDied in a process forked from the one that started the
// engine, before any lock of the slot is touched: a thread that is not in
// this process may have held it at the fork, and only the engine's parent
// may signal or wait for it. Every way into the slot begins here.
inline void check_process(const EngineSlot& slot) {
  if (!slot.reaper->belongs_here()) engine_of_another_process();
}

using Turn = bind::Turns::Turn;

// The slot's turn for a call that waits, taken after the calls before it,
// without the interpreter lock. A pending Ctrl-C is noticed meanwhile and
// raised from here. The thread that holds the turn already (a signal handler
// run inside its call) would wait for itself: it is refused at once.
inline Turn take_turn(EngineSlot& slot) {
  check_process(slot);
  return slot.turns.take("this thread is inside a call on the engine already");
}

// EngineTimeout with a text of the caller's.
[[noreturn]] void engine_timeout(std::string_view text);
// The exception of an engine error: OSError, EngineTimeout, EngineDied,
// ProtocolError or ValueError, with the error's text.
[[noreturn]] void raise_engine_error(const engine::Error& error);

template <class T>
struct Expected;
template <class T>
struct Expected<std::expected<T, engine::Error>> {
  using Value = T;
};

// A wait on the engine: runs `step(engine, end_of_slice)` in slices, each with
// the slot locked and the interpreter lock released, until it answers a value
// (`std::expected<std::optional<T>, Error>`, none: not yet). Between slices the
// slot is free for other threads and Ctrl-C is noticed; then
// `on_interrupt(engine)` runs in the slot and the handler's exception goes up.
template <class Step, class OnInterrupt>
auto wait_on_engine(EngineSlot& slot, Step&& step, OnInterrupt&& on_interrupt) {
  using Stepped = std::invoke_result_t<Step, engine::Engine&, engine::Instant>;
  using Value = typename Expected<Stepped>::Value::value_type;
  std::optional<std::expected<Value, engine::Error>> result;  // none: the engine was closed
  const auto in_slot = [&](auto&& body) {
    const auto lock = take_slot_for_slice(slot);
    engine::Engine* engine = slot.open_for_call();
    const bool done = engine == nullptr || body(*engine);
    slot.close_if_asked();
    return done;
  };
  const bool finished = bind::interruptible(
      [&](engine::Instant end) {
        return in_slot([&](engine::Engine& engine) {
          Stepped stepped = step(engine, end);
          if (stepped && !*stepped) return false;
          if (stepped) result.emplace(std::move(**stepped));
          else result.emplace(std::unexpected(std::move(stepped.error())));
          return true;
        });
      },
      [&] { in_slot([&](engine::Engine& engine) { on_interrupt(engine); return true; }); });
  if (!finished) throw bind::PythonError{};
  if (!result) engine_closed();
  if (!*result) raise_engine_error(result->error());
  return std::move(**result);
}

// `operation(engine)` as one short call, with the interpreter lock released
// and the slot taken in the queue of short calls; its error is raised once
// the lock is back. What it wrote and the engine's input did not take at
// once is written in slices, like any wait.
template <class Operation>
auto on_engine(EngineSlot& slot, Operation&& operation) {
  using Result = std::invoke_result_t<Operation, engine::Engine&>;
  check_process(slot);
  std::optional<Result> result;
  bool settling = false;
  bind::without_gil([&] {
    const auto lock = take_slot(slot);
    if (engine::Engine* engine = slot.open_for_call()) {
      result.emplace(std::forward<Operation>(operation)(*engine));
      settling = engine->settling();
    }
    slot.close_if_asked();
  });
  if (!result) engine_closed();
  if (!*result) raise_engine_error(result->error());
  if (settling)
    wait_on_engine(
        slot, [](engine::Engine& e, engine::Instant end) { return e.flush(end); }, [](engine::Engine&) {});
  if constexpr (!std::is_void_v<typename Expected<Result>::Value>) return std::move(**result);
}

// A call that waits, in its turn: `begin(engine)` starts it in one short
// exchange, then its wait is stepped in slices; on Ctrl-C,
// `on_interrupt(engine, wait)` tidies up in the slot.
template <class Begin, class OnInterrupt>
auto begin_and_wait(EngineSlot& slot, Begin&& begin, OnInterrupt&& on_interrupt) {
  auto wait = on_engine(slot, std::forward<Begin>(begin));
  return wait_on_engine(
      slot, [&](engine::Engine& e, engine::Instant end) { return e.step(wait, end); },
      [&](engine::Engine& e) { on_interrupt(e, wait); });
}

// The turn of a call that needs the engine idle: what a call given up left
// the engine owing (the answer to a handshake cut short, a search given up
// and still running, stopped) is waited for first, in slices like any wait.
inline Turn take_idle_turn(EngineSlot& slot) {
  Turn turn = take_turn(slot);
  if (auto drain = on_engine(slot, [](engine::Engine& e) { return e.begin_drain(); }))
    wait_on_engine(
        slot, [&](engine::Engine& e, engine::Instant end) { return e.step(*drain, end); }, [](engine::Engine&) {});
  return turn;
}

// For a wait that leaves nothing to tidy up when Ctrl-C ends it.
inline constexpr auto kNothingToTidy = [](engine::Engine&, const auto&) {};

// `read(engine)`, engine null when closed, with the slot locked: at once when
// it is free, else waiting for it with the interpreter lock released.
template <class Read>
auto read_slot(EngineSlot& slot, Read&& read) {
  const auto run = [&] { return std::forward<Read>(read)(static_cast<engine::Engine*>(slot.open())); };
  check_process(slot);
  std::unique_lock lock(slot.mutex, std::try_to_lock);
  if (lock.owns_lock()) return run();
  return bind::without_gil([&] {
    const auto wait = take_slot(slot);
    return run();
  });
}

}  // namespace vorn::python::uci
