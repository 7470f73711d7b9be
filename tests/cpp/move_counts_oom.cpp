// Counts pairs, then makes every allocation fail while pairs are added and
// while the counts are read: each step must throw std::bad_alloc and leave
// every count as it was, pairs added before it still to be counted. Prints
// "size total" after each step.
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

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
  using vorn::polyglot::MoveCounts;
  MoveCounts counts;
  const auto show = [&] {
    unsigned long long total = 0;
    counts.for_each([&](const MoveCounts::Slot& slot) { total += slot.count; });
    std::printf("%zu %llu\n", counts.size(), total);
  };
  const auto attempt = [](auto step) {
    failing = true;
    try {
      step();
      std::puts("done");
    } catch (const std::bad_alloc&) {
      std::puts("bad_alloc");
    }
    failing = false;
  };
  std::vector<MoveCounts::Pair> pairs;
  for (std::uint64_t key = 1; key <= 768; ++key) pairs.emplace_back(key * 0x9E3779B97F4A7C15ULL, 796);
  const std::vector<MoveCounts::Pair> one{{12345, 1}};
  counts.add_all(pairs);
  show();
  // Counted pairs leave no room behind for more.
  attempt([&] { counts.add_all(one); });
  show();
  // Reading sorts and merges the pairs waiting, which takes room.
  counts.add_all(one);
  attempt([&] { counts.size(); });
  show();
}
