// How often each move was played in each position: 16-byte slots keyed by
// (position key, move bits), sorted. Pairs are gathered as they come, each
// into the part of the batch its key's top bits name, and counted a batch at
// a time: each part, small enough for the cache, is sorted there and merged
// into the slots in turn. So counting a large corpus reads and writes memory
// in order, where a hash table would miss the cache once per move, and the
// counts hold no room beyond one slot per distinct pair.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace vorn::polyglot {

class MoveCounts {
 public:
  struct Slot {
    std::uint64_t key = 0;
    std::uint16_t bits = 0;
    std::uint32_t count = 0;
  };

  using Pair = std::pair<std::uint64_t, std::uint16_t>;  // (key, bits)

  // The part of the batch a pair goes to is its key's top bits, so the parts
  // in order hold the keys in order.
  static constexpr int kPartBits = 8;

  // One more occurrence of each pair, saturating at the largest count. Room
  // is made first, so a failed allocation (std::bad_alloc) counts none.
  void add_all(std::span<const Pair> pairs);
  // The number of distinct (key, bits) pairs.
  std::size_t size() const;

  // Calls f(slot) for every counted pair, by key, then bits.
  template <class F>
  void for_each(F&& f) const {
    settle();
    for (const Slot& slot : slots_) f(slot);
  }

 private:
  // Counts the batch into the slots. A failed allocation leaves both as they
  // were, the batch to be counted later.
  void settle() const;

  // Counted lazily, so the readers settle them: they are the one state.
  mutable std::vector<Slot> slots_;  // by key, then bits
  // Pairs not yet counted, whole games only, by the top bits of their keys.
  mutable std::array<std::vector<Pair>, std::size_t{1} << kPartBits> batch_;
  mutable std::size_t batch_size_ = 0;
};
static_assert(sizeof(MoveCounts::Slot) == 16);

}  // namespace vorn::polyglot
