// Releasing the interpreter lock around work that touches no Python object,
// so other Python threads run meanwhile.
//
//   const auto line = without_gil([&] { return queue.pop_until(deadline); });
//
// The lock is taken back once the work has returned or thrown, never from a
// destructor: at finalization CPython ends a daemon thread that asks for it
// with pthread_exit, whose forced unwind would terminate the process if it
// began while another exception unwinds. Every frame between a release and
// the entry point CPython called lets that unwind through (see guarded).
#pragma once

#include <cxxabi.h>

#include <exception>
#include <optional>
#include <type_traits>
#include <utility>

#include "python/bind/python.hpp"

namespace vorn::python::bind {

namespace detail {

// Runs `work()`, which answers nothing, with the lock released.
template <class Work>
void released(Work&& work) {
  std::exception_ptr failure;
  PyThreadState* const state = PyEval_SaveThread();
  try {
    work();
  } catch (abi::__forced_unwind&) {
    throw;  // the thread is ending inside the work (SignalHandlers): no lock to take back
  } catch (...) {
    failure = std::current_exception();
  }
  PyEval_RestoreThread(state);
  if (failure) std::rethrow_exception(failure);
}

}  // namespace detail

template <class Work>
std::invoke_result_t<Work> without_gil(Work&& work) {
  using Result = std::invoke_result_t<Work>;
  if constexpr (std::is_void_v<Result>) {
    detail::released(std::forward<Work>(work));
  } else {
    static_assert(!std::is_reference_v<Result>, "the work answers a value");
    std::optional<Result> result;
    detail::released([&] { result.emplace(std::forward<Work>(work)()); });
    return std::move(*result);
  }
}

}  // namespace vorn::python::bind
