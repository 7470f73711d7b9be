// Preloaded into a host, fails one C++ allocation of the calling thread: the
// host calls fail_new_after(n) (through ctypes), and the n-th allocation the
// thread makes from then on throws std::bad_alloc; 0 fails none.
#include <cstdlib>
#include <new>

namespace {
thread_local long countdown = 0;  // allocations left until the failing one; 0: none
}

extern "C" void fail_new_after(long count) { countdown = count; }

void* operator new(std::size_t size) {
  if (countdown > 0 && --countdown == 0) throw std::bad_alloc();
  if (void* p = std::malloc(size)) return p;
  throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
