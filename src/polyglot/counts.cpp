#include "polyglot/counts.hpp"

#include <bit>

namespace vorn::polyglot {

std::size_t MoveCounts::home(std::uint64_t key, std::uint16_t bits) const {
  // Position keys are random already; the multiply spreads the move bits
  // and the top bits index the power-of-two table.
  const std::uint64_t mixed = (key ^ (std::uint64_t{bits} << 48 | bits)) * 0x9E3779B97F4A7C15ULL;
  return std::size_t(mixed >> (64 - std::countr_zero(slots_.size())));
}

void MoveCounts::add(std::uint64_t key, std::uint16_t bits) {
  // At most three quarters full, so probes stay short and a free slot exists.
  if (4 * (used_ + 1) > 3 * slots_.size()) grow();
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = home(key, bits);; i = (i + 1) & mask) {
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

void MoveCounts::grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? 1024 : 2 * old.size(), Slot{});
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.count == 0) continue;
    std::size_t i = home(slot.key, slot.bits);
    while (slots_[i].count != 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

}  // namespace vorn::polyglot
