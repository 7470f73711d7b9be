#include "polyglot/counts.hpp"

#include <algorithm>
#include <bit>
#include <limits>

namespace vorn::polyglot {

namespace {

using Pair = MoveCounts::Pair;
using Slot = MoveCounts::Slot;

// A batch smaller than this is not counted before the counts are read:
// merging it costs a pass over every slot.
constexpr std::size_t kLeastBatch = std::size_t{1} << 20;

// The pairs by key, then bits: spread into buckets by the top bits of the
// key (position keys are random, so the buckets hold a few pairs each),
// then each bucket sorted on its own. A failed allocation changes nothing.
std::vector<Pair> sorted(const std::vector<Pair>& pairs) {
  const int bits = std::clamp(int(std::bit_width(pairs.size())) - 3, 1, 16);
  const auto bucket = [bits](const Pair& pair) { return std::size_t(pair.first >> (64 - bits)); };
  std::vector<std::size_t> starts((std::size_t{1} << bits) + 1);
  std::vector<Pair> out(pairs.size());
  for (const Pair& pair : pairs) ++starts[bucket(pair) + 1];
  for (std::size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
  std::vector<std::size_t> next(starts.begin(), starts.end() - 1);
  for (const Pair& pair : pairs) out[next[bucket(pair)]++] = pair;
  for (std::size_t b = 0; b + 1 < starts.size(); ++b)
    std::sort(out.begin() + std::ptrdiff_t(starts[b]), out.begin() + std::ptrdiff_t(starts[b + 1]));
  return out;
}

bool before(const Slot& slot, const Pair& pair) {
  return slot.key != pair.first ? slot.key < pair.first : slot.bits < pair.second;
}

std::uint32_t saturating_sum(std::uint64_t a, std::uint64_t b) {
  return std::uint32_t(std::min<std::uint64_t>(a + b, std::numeric_limits<std::uint32_t>::max()));
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
