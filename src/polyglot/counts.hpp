// How often each move was played in each position: an open-addressing table
// of 16-byte slots keyed by (position key, move bits), so counting a large
// corpus costs little memory per distinct move and no allocation per move.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <utility>
#include <vector>

namespace vorn::polyglot {

class MoveCounts {
 public:
  struct Slot {
    std::uint64_t key = 0;
    std::uint16_t bits = 0;
    std::uint32_t count = 0;  // 0 marks a free slot: a counted move has at least 1
  };

  using Pair = std::pair<std::uint64_t, std::uint16_t>;  // (key, bits)

  // One more occurrence, saturating at the largest count.
  void add(std::uint64_t key, std::uint16_t bits);
  // One more occurrence of each pair. Room is made first, so a failed
  // allocation counts none; the pairs' slots are fetched from memory before
  // any is counted, so a large table's cache misses overlap.
  void add_all(std::span<const Pair> pairs);
  // Room for `more` new pairs, so that adding them allocates nothing. The
  // table is replaced only once the larger one is made: a failed allocation
  // (MemoryError) leaves every count as it was.
  void reserve(std::size_t more);
  // The number of distinct (key, bits) pairs.
  std::size_t size() const { return used_; }

  // Calls f(slot) for every counted pair, in no particular order.
  template <class F>
  void for_each(F&& f) const {
    for (const Slot& slot : slots_) {
      if (slot.count != 0) f(slot);
    }
  }

 private:
  static constexpr std::uint32_t kMaxCount = std::numeric_limits<std::uint32_t>::max();

  static std::size_t home(std::uint64_t key, std::uint16_t bits, std::size_t table_size);
  void rehash(std::size_t table_size);
  // add() once room is made.
  void count(std::uint64_t key, std::uint16_t bits);

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
};
static_assert(sizeof(MoveCounts::Slot) == 16);

}  // namespace vorn::polyglot
