// Long waits that Ctrl-C can cut short. The work runs in slices with the
// interpreter lock released; between slices the lock comes back for the
// signal handlers, so a KeyboardInterrupt surfaces from the call that waits.
//
//   const bool finished = interruptible([&](Instant end) { return read_until(end); },  // true: done
//                                       [&] { tidy_up(); });
//   if (!finished) throw PythonError{};  // the handler's exception is set
#pragma once

#include <chrono>
#include <string_view>
#include <utility>

#include "core/turn_lock.hpp"
#include "python/bind/gil.hpp"
#include "python/bind/python.hpp"
#include "python/bind/raise.hpp"

namespace vorn::python::bind {

using std::chrono_literals::operator""ms;

// Runs `slice(end_of_slice)` without the interpreter lock until it answers
// true. Between slices takes the lock for PyErr_CheckSignals; when a handler
// raised, runs `on_interrupt()` (without the lock, the exception kept set)
// and answers false. Off the main thread the check finds nothing, as only the
// main thread runs handlers.
template <class Slice, class OnInterrupt>
bool interruptible(Slice&& slice, OnInterrupt&& on_interrupt, std::chrono::milliseconds every = 100ms) {
  while (true) {
    if (without_gil([&] { return slice(std::chrono::steady_clock::now() + every); })) return true;
    if (PyErr_CheckSignals() < 0) {
      without_gil(std::forward<OnInterrupt>(on_interrupt));
      return false;
    }
  }
}

// Calls that take turns, each holding its turn throughout, waits included.
// A signal handler run inside a call, on the thread that holds the turn,
// would wait for itself if it called in again: it is refused at once. So is
// every call in a process forked while another thread held the turn, as
// that thread does not run there to give it back.
//
//   const Turns::Turn turn = turns.take("this thread is inside a call already");
class Turns {
 public:
  class Turn {
   public:
    Turn(Turn&& other) noexcept : turns_(std::exchange(other.turns_, nullptr)) {}
    Turn& operator=(Turn&&) = delete;
    ~Turn() {
      if (turns_ != nullptr) turns_->lock_.unlock();
    }

   private:
    friend class Turns;
    explicit Turn(Turns& turns) : turns_(&turns) {}
    Turns* turns_;
  };

  // The turn, after the calls before it, waited for in slices without the
  // interpreter lock; RuntimeError `refusal` for the thread that holds it
  // already, and RuntimeError in a child forked while another thread held it.
  Turn take(std::string_view refusal) {
    if (lock_.try_lock()) return Turn(*this);
    switch (lock_.holder()) {
      case TurnLock::Holder::ThisThread: raise(PyExc_RuntimeError, refusal);
      case TurnLock::Holder::Gone:
        raise(PyExc_RuntimeError,
              "another thread was using this object when the process forked, and that thread does not exist in "
              "this process");
      case TurnLock::Holder::None:
      case TurnLock::Holder::OtherThread: break;
    }
    if (!interruptible([&](auto end) { return lock_.try_lock_until(end); }, [] {})) throw PythonError{};
    return Turn(*this);
  }

 private:
  TurnLock lock_;
};

// For a system call cut short by a signal in work that without_gil runs (an
// OnSignal), made while the lock is held by the thread that will run the
// work: takes the lock back with that thread's state, the one the release
// saved, and runs the signal handlers; true when none raised, so the call is
// made again, false with the handler's exception set, so the call gives up.
// That state names the calling interpreter, and at finalization CPython ends
// a thread that takes it back by a forced unwind from here, which the code
// that called this lets through (the GILState calls instead may touch
// thread states already freed then).
class SignalHandlers {
 public:
  SignalHandlers() : state_(PyThreadState_Get()) {}
  bool operator()() const {
    PyEval_RestoreThread(state_);
    const bool clean = PyErr_CheckSignals() == 0;
    PyEval_SaveThread();
    return clean;
  }

 private:
  PyThreadState* state_;
};

// `call()` made without the interpreter lock, for one piece of work that may
// block on the system (opening a pipe, say); what a signal handler raised
// meanwhile, through SignalHandlers, is raised from here.
template <class Call>
auto without_lock(Call&& call) {
  auto result = without_gil(std::forward<Call>(call));
  if (PyErr_Occurred() != nullptr) throw PythonError{};
  return result;
}

}  // namespace vorn::python::bind
