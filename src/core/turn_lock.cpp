#include "core/turn_lock.hpp"

#include <climits>
#include <ctime>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace vorn {

namespace {

// The kernel's number for the calling thread, unique among live threads. A
// thread-local number of our own would grow the module's thread-local data
// past the static space the loader sets aside, and a first use of it in a
// thread would then have to allocate, which aborts when memory runs out.
std::uint32_t thread_number() { return std::uint32_t(::gettid()); }

std::uint32_t number_of(std::uint64_t mark) { return std::uint32_t(mark); }
std::uint64_t process_of(std::uint64_t mark) { return mark >> 32; }

// The futex calls: sleeps while `word` holds `expected`, until `end`; wakes every sleeper.
void sleep_while(std::atomic<std::uint32_t>& word, std::uint32_t expected, TurnLock::Instant end) {
  const auto left = end - std::chrono::steady_clock::now();
  if (left <= left.zero()) return;
  const auto seconds = std::chrono::floor<std::chrono::seconds>(left);
  const timespec timeout{time_t(seconds.count()),
                         long(std::chrono::duration_cast<std::chrono::nanoseconds>(left - seconds).count())};
  ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAIT_PRIVATE, expected, &timeout, nullptr, 0);
}

void wake_all(std::atomic<std::uint32_t>& word) {
  ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

}  // namespace

std::uint64_t TurnLock::mark() { return std::uint64_t(::getpid()) << 32 | thread_number(); }

bool TurnLock::try_lock() {
  std::uint64_t free = 0;
  return holder_.compare_exchange_strong(free, mark());
}

bool TurnLock::try_lock_until(Instant end) {
  ++sleepers_;
  bool taken = false;
  while (true) {
    // Read before the attempt: an unlock after it moves the count, and the sleep returns at once.
    const std::uint32_t seen = unlocks_.load();
    if ((taken = try_lock()) || std::chrono::steady_clock::now() >= end) break;
    sleep_while(unlocks_, seen, end);
  }
  --sleepers_;
  return taken;
}

void TurnLock::unlock() {
  holder_.store(0);
  ++unlocks_;
  if (sleepers_.load() > 0) wake_all(unlocks_);
}

TurnLock::Holder TurnLock::holder() const {
  const std::uint64_t held = holder_.load();
  if (held == 0) return Holder::None;
  // A child's threads, the one that forked included, have numbers of their
  // own: a holder marked in another process is gone.
  if (process_of(held) != std::uint64_t(::getpid())) return Holder::Gone;
  return number_of(held) == thread_number() ? Holder::ThisThread : Holder::OtherThread;
}

}  // namespace vorn
