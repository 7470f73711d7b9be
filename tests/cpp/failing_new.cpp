// Preloaded into a host, fails one C++ allocation right after an engine has
// started: the allocation numbered VORN_FAILING_NEW among those the starting
// thread makes after vorn first waits through the child's pidfd, which it
// does first of all once the child has started, to check the pidfd. Each
// allocation after the start can so be made to fail in turn.
#include <dlfcn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <new>

namespace {
thread_local long countdown = 0;  // allocations left until the failing one; 0: none
constexpr auto kByPidfd = idtype_t(3);
constexpr int kCheck = WEXITED | WNOHANG | WNOWAIT;
}

extern "C" int waitid(idtype_t type, id_t id, siginfo_t* info, int options) {
  if (type == kByPidfd && options == kCheck) {
    const char* count = std::getenv("VORN_FAILING_NEW");
    countdown = count ? std::atol(count) : 0;
  }
  static const auto next = reinterpret_cast<int (*)(idtype_t, id_t, siginfo_t*, int)>(::dlsym(RTLD_NEXT, "waitid"));
  return next(type, id, info, options);
}

void* operator new(std::size_t size) {
  if (countdown > 0 && --countdown == 0) throw std::bad_alloc();
  if (void* p = std::malloc(size)) return p;
  throw std::bad_alloc();
}
