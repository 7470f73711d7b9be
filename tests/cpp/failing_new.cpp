// Preloaded into a host, fails one C++ allocation right after an engine has
// started: the allocation numbered VORN_FAILING_NEW among those the starting
// thread makes after vorn opens the child's pidfd, which it does first of
// all once the child has started. Each allocation after the start can so be
// made to fail in turn.
#include <dlfcn.h>
#include <sys/syscall.h>

#include <cstdarg>
#include <cstdlib>
#include <new>

namespace {
thread_local long countdown = 0;  // allocations left until the failing one; 0: none
}

extern "C" long syscall(long number, ...) {
  va_list list;
  va_start(list, number);
  long args[6];
  for (long& arg : args) arg = va_arg(list, long);
  va_end(list);
  if (number == SYS_pidfd_open) {
    const char* count = std::getenv("VORN_FAILING_NEW");
    countdown = count ? std::atol(count) : 0;
  }
  static const auto next = reinterpret_cast<long (*)(long, ...)>(::dlsym(RTLD_NEXT, "syscall"));
  return next(number, args[0], args[1], args[2], args[3], args[4], args[5]);
}

void* operator new(std::size_t size) {
  if (countdown > 0 && --countdown == 0) throw std::bad_alloc();
  if (void* p = std::malloc(size)) return p;
  throw std::bad_alloc();
}
