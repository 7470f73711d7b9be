#include "polyglot/counts.hpp"

#include <algorithm>
#include <array>
#include <limits>

namespace vorn::polyglot {

namespace {

using Pair = MoveCounts::Pair;
using Slot = MoveCounts::Slot;

// A batch smaller than this is not counted before the counts are read:
// merging it costs a pass over every slot.
constexpr std::size_t kLeastBatch = std::size_t{1} << 20;

constexpr int kPartShift = 64 - MoveCounts::kPartBits;

// A part is sorted by the next 11 bits of the key: 2048 buckets, which with
// a part in the cache leave a pair or so per bucket (position keys are
// random); what shares them is sorted on its own (the same position played
// again).
constexpr int kDigit = 11;
constexpr std::size_t kBuckets = std::size_t{1} << kDigit;

// `part` by key, then bits, through `scratch`, which is as large as the part.
void sort_part(std::vector<Pair>& part, std::vector<Pair>& scratch) {
  constexpr std::size_t kSortedWhole = 32;
  if (part.size() <= kSortedWhole) {
    std::sort(part.begin(), part.end());
    return;
  }
  const auto digit = [](const Pair& pair) { return std::size_t(pair.first >> (kPartShift - kDigit)) & (kBuckets - 1); };
  std::array<std::size_t, kBuckets + 1> starts{};
  for (const Pair& pair : part) ++starts[digit(pair) + 1];
  for (std::size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
  std::array<std::size_t, kBuckets> next;
  std::copy(starts.begin(), starts.end() - 1, next.begin());
  for (const Pair& pair : part) scratch[next[digit(pair)]++] = pair;
  for (std::size_t b = 0; b < kBuckets; ++b)
    if (starts[b + 1] - starts[b] > 1)
      std::sort(scratch.begin() + std::ptrdiff_t(starts[b]), scratch.begin() + std::ptrdiff_t(starts[b + 1]));
  std::copy(scratch.begin(), scratch.begin() + std::ptrdiff_t(part.size()), part.begin());
}

std::uint32_t saturating_sum(std::uint64_t a, std::uint64_t b) {
  return std::uint32_t(std::min<std::uint64_t>(a + b, std::numeric_limits<std::uint32_t>::max()));
}

bool before(const Slot& slot, const Pair& pair) {
  return slot.key != pair.first ? slot.key < pair.first : slot.bits < pair.second;
}

}  // namespace

void MoveCounts::add_all(std::span<const Pair> pairs) {
  // A batch as large as half the slots costs no more to merge than it saves.
  if (batch_size_ + pairs.size() > std::max(kLeastBatch, slots_.size() / 2)) settle();
  // Room in every part first, so that a failed allocation counts none.
  // Only the parts these pairs go to are looked at: a game's moves reach
  // fewer parts than there are.
  std::array<std::uint32_t, std::size_t{1} << kPartBits> wanted{};
  for (const Pair& pair : pairs) ++wanted[pair.first >> kPartShift];
  for (const Pair& pair : pairs) {
    const std::size_t p = pair.first >> kPartShift;
    std::vector<Pair>& part = batch_[p];
    if (part.capacity() - part.size() < wanted[p])
      part.reserve(std::max(part.size() + wanted[p], 2 * part.capacity()));
  }
  for (const Pair& pair : pairs) batch_[pair.first >> kPartShift].push_back(pair);
  batch_size_ += pairs.size();
}

std::size_t MoveCounts::size() const {
  settle();
  return slots_.size();
}

void MoveCounts::settle() const {
  if (batch_size_ == 0) return;
  // All the room is made first, so a failed allocation leaves the slots and
  // the batch as they were (its parts perhaps sorted).
  std::size_t largest = 0;
  for (const std::vector<Pair>& part : batch_) largest = std::max(largest, part.size());
  std::vector<Pair> scratch(largest);
  std::vector<Slot> merged;
  merged.reserve(slots_.size() + batch_size_);
  auto old = slots_.cbegin();
  for (std::vector<Pair>& part : batch_) {
    sort_part(part, scratch);
    for (std::size_t i = 0; i < part.size();) {
      const Pair pair = part[i];
      std::uint64_t times = 0;
      for (; i < part.size() && part[i] == pair; ++i) ++times;
      while (old != slots_.cend() && before(*old, pair)) merged.push_back(*old++);
      if (old != slots_.cend() && old->key == pair.first && old->bits == pair.second) {
        merged.push_back({pair.first, pair.second, saturating_sum(old->count, times)});
        ++old;
      } else {
        merged.push_back({pair.first, pair.second, saturating_sum(0, times)});
      }
    }
  }
  merged.insert(merged.end(), old, slots_.cend());
  slots_.swap(merged);
  // The batch's room goes back too: the counts may be read long before more come.
  for (std::vector<Pair>& part : batch_) std::vector<Pair>().swap(part);
  batch_size_ = 0;
}

}  // namespace vorn::polyglot
