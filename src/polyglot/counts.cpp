#include "polyglot/counts.hpp"

#include <bit>

namespace vorn::polyglot {

std::size_t MoveCounts::home(std::uint64_t key, std::uint16_t bits, std::size_t table_size) {
  // Position keys are random already; the multiply spreads the move bits
  // and the top bits index the power-of-two table.
  const std::uint64_t mixed = (key ^ (std::uint64_t{bits} << 48 | bits)) * 0x9E3779B97F4A7C15ULL;
  return std::size_t(mixed >> (64 - std::countr_zero(table_size)));
}

void MoveCounts::reserve(std::size_t more) {
  // At most three quarters full, so probes stay short and a free slot exists.
  std::size_t size = slots_.empty() ? 1024 : slots_.size();
  while (4 * (used_ + more) > 3 * size) size *= 2;
  if (size != slots_.size()) rehash(size);
}

void MoveCounts::add(std::uint64_t key, std::uint16_t bits) {
  reserve(1);
  count(key, bits);
}

void MoveCounts::add_all(std::span<const Pair> pairs) {
  reserve(pairs.size());
  for (const auto& [key, bits] : pairs) __builtin_prefetch(&slots_[home(key, bits, slots_.size())]);
  for (const auto& [key, bits] : pairs) count(key, bits);
}

void MoveCounts::count(std::uint64_t key, std::uint16_t bits) {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = home(key, bits, slots_.size());; i = (i + 1) & mask) {
    Slot& slot = slots_[i];
    if (slot.count == 0) {
      slot = {key, bits, 1};
      ++used_;
      return;
    }
    if (slot.key == key && slot.bits == bits) {
      if (slot.count != kMaxCount) ++slot.count;
      return;
    }
  }
}

void MoveCounts::rehash(std::size_t table_size) {
  std::vector<Slot> larger(table_size);
  const std::size_t mask = table_size - 1;
  for (const Slot& slot : slots_) {
    if (slot.count == 0) continue;
    std::size_t i = home(slot.key, slot.bits, table_size);
    while (larger[i].count != 0) i = (i + 1) & mask;
    larger[i] = slot;
  }
  slots_.swap(larger);
}

}  // namespace vorn::polyglot
