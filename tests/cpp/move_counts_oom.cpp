// Fills a move-count table to the edge of its growth, then makes every
// allocation fail and adds pairs that would make it grow: each must throw
// std::bad_alloc and leave every count as it was. Prints "size total" after
// each step.
#include <cstdio>
#include <cstdlib>
#include <new>

#include "polyglot/counts.hpp"

namespace {
bool failing = false;
}

void* operator new(std::size_t size) {
  if (failing) throw std::bad_alloc();
  if (void* p = std::malloc(size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

int main() {
  vorn::polyglot::MoveCounts counts;
  const auto show = [&] {
    unsigned long long total = 0;
    counts.for_each([&](const vorn::polyglot::MoveCounts::Slot& slot) { total += slot.count; });
    std::printf("%zu %llu\n", counts.size(), total);
  };
  // 768 pairs fill the first table (1024 slots) to three quarters: the next must grow it.
  for (std::uint64_t key = 1; key <= 768; ++key) counts.add(key * 0x9E3779B97F4A7C15ULL, 796);
  show();
  failing = true;
  try {
    counts.add(12345, 1);
    std::puts("added");
  } catch (const std::bad_alloc&) {
    std::puts("bad_alloc");
  }
  try {
    counts.reserve(5000);
    std::puts("reserved");
  } catch (const std::bad_alloc&) {
    std::puts("bad_alloc");
  }
  failing = false;
  show();
  counts.add(12345, 1);
  show();
}
