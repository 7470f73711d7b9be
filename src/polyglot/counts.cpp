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

// Bucket sort on 11 bits of the key at a time: 2048 buckets, whose write
// positions stay in the cache while the pairs are spread.
constexpr int kDigit = 11;
constexpr std::size_t kBuckets = std::size_t{1} << kDigit;
using Starts = std::array<std::size_t, kBuckets + 1>;

// Spreads [first, last) into `to` by the key's digit at `shift`; where each bucket starts goes to `starts`.
template <class From, class To>
void spread(From first, From last, To to, int shift, Starts& starts) {
  const auto digit = [shift](const Pair& pair) { return std::size_t(pair.first >> shift) & (kBuckets - 1); };
  starts.fill(0);
  for (From pair = first; pair != last; ++pair) ++starts[digit(*pair) + 1];
  for (std::size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
  std::array<std::size_t, kBuckets> next;
  std::copy(starts.begin(), starts.end() - 1, next.begin());
  for (From pair = first; pair != last; ++pair) to[next[digit(*pair)]++] = *pair;
}

// The pairs by key, then bits: spread by the key's top digit, each large
// bucket spread again by the next one (position keys are random, so that
// leaves a pair or so per bucket), and what shares both digits sorted on its
// own (the same position played again). A failed allocation changes nothing.
std::vector<Pair> sorted(const std::vector<Pair>& pairs) {
  constexpr std::ptrdiff_t kSortedWhole = 32;
  std::vector<Pair> out(pairs.size());
  std::vector<Pair> scratch;
  Starts top, inner;
  spread(pairs.begin(), pairs.end(), out.begin(), 64 - kDigit, top);
  for (std::size_t b = 0; b < kBuckets; ++b) {
    const auto first = out.begin() + std::ptrdiff_t(top[b]), last = out.begin() + std::ptrdiff_t(top[b + 1]);
    if (last - first <= kSortedWhole) {
      std::sort(first, last);
      continue;
    }
    scratch.resize(std::size_t(last - first));
    spread(first, last, scratch.begin(), 64 - 2 * kDigit, inner);
    for (std::size_t i = 0; i < kBuckets; ++i)
      if (inner[i + 1] - inner[i] > 1)
        std::sort(scratch.begin() + std::ptrdiff_t(inner[i]), scratch.begin() + std::ptrdiff_t(inner[i + 1]));
    std::copy(scratch.begin(), scratch.end(), first);
  }
  return out;
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
  if (batch_.size() + pairs.size() > std::max(kLeastBatch, slots_.size() / 2)) settle();
  batch_.insert(batch_.end(), pairs.begin(), pairs.end());
}

std::size_t MoveCounts::size() const {
  settle();
  return slots_.size();
}

void MoveCounts::settle() const {
  if (batch_.empty()) return;
  const std::vector<Pair> batch = sorted(batch_);
  std::vector<Slot> merged;
  merged.reserve(slots_.size() + batch.size());
  auto old = slots_.cbegin();
  for (std::size_t i = 0; i < batch.size();) {
    const Pair pair = batch[i];
    std::uint64_t times = 0;
    for (; i < batch.size() && batch[i] == pair; ++i) ++times;
    while (old != slots_.cend() && before(*old, pair)) merged.push_back(*old++);
    if (old != slots_.cend() && old->key == pair.first && old->bits == pair.second) {
      merged.push_back({pair.first, pair.second, saturating_sum(old->count, times)});
      ++old;
    } else {
      merged.push_back({pair.first, pair.second, saturating_sum(0, times)});
    }
  }
  merged.insert(merged.end(), old, slots_.cend());
  slots_.swap(merged);
  // The batch's room goes back too: the counts may be read long before more come.
  std::vector<Pair>().swap(batch_);
}

}  // namespace vorn::polyglot
