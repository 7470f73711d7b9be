// Releasing the interpreter lock around a wait that touches no Python object,
// so other Python threads run meanwhile.
//
//   { AllowThreads nogil; line = queue.pop_until(deadline); }
#pragma once

#include "python/bind/python.hpp"

namespace vorn::python::bind {

class AllowThreads {
 public:
  AllowThreads() noexcept : state_(PyEval_SaveThread()) {}
  ~AllowThreads() { PyEval_RestoreThread(state_); }
  AllowThreads(const AllowThreads&) = delete;
  AllowThreads& operator=(const AllowThreads&) = delete;

 private:
  PyThreadState* state_;
};

}  // namespace vorn::python::bind
