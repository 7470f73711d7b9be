// A lock that knows who holds it: the thread, and the process it took the
// lock in. After fork() a mutex that another thread held stays locked in the
// child for ever, as that thread does not run there; this lock tells such a
// holder from a live one, so the child can refuse at once instead. All its
// state is in two atomic words, so a fork leaves nothing half done.
//
//   if (!lock.try_lock()) switch (lock.holder()) { ... }   // say why before waiting
//   while (!lock.try_lock_until(end_of_slice)) { ... }       // waits without spinning
//   lock.unlock();
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace vorn {

class TurnLock {
 public:
  using Instant = std::chrono::steady_clock::time_point;
  // Gone: a thread of the process this one was forked from, absent here.
  enum class Holder : std::uint8_t { None, ThisThread, OtherThread, Gone };

  bool try_lock();
  // Taken by `end`, asleep meanwhile; false when `end` came first.
  bool try_lock_until(Instant end);
  void unlock();
  Holder holder() const;

 private:
  // The calling thread's mark: its process id above its thread id.
  static std::uint64_t mark();

  std::atomic<std::uint64_t> holder_ = 0;  // the holder's mark; 0 while free
  // Counts unlocks: a sleeper waits for it to move.
  std::atomic<std::uint32_t> unlocks_ = 0;
  std::atomic<std::uint32_t> sleepers_ = 0;
};

}  // namespace vorn
