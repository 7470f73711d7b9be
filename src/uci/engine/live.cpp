#include "uci/engine/live.hpp"

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>
#include <vector>

#include "uci/engine/child.hpp"

namespace vorn::uci::engine {

namespace {

struct Live {
  std::mutex mutex;
  std::vector<Reaper*> reapers;
  std::vector<Descriptor> left;  // processes left running
};

// Made with the first engine and never freed, so a reaper dropped during
// static destruction still finds it.
std::atomic<Live*> live = nullptr;

// In a forked child the parent's list is left as it stands, lock and all.
void start_afresh() { live = new Live; }

Live& the_list() {
  [[maybe_unused]] static const bool made = [] {
    if (::pthread_atfork(nullptr, nullptr, &start_afresh) != 0) throw std::bad_alloc();  // its only failure
    live = new Live;
    return true;
  }();
  return *live;
}

}  // namespace

void enlist(Reaper& reaper) {
  Live& list = the_list();
  const std::lock_guard lock(list.mutex);
  std::erase_if(list.left, [](const Descriptor& pidfd) { return collect_if_ended(pidfd); });
  list.reapers.push_back(&reaper);
}

void strike_off(Reaper& reaper) {
  Live& list = *live;
  const std::lock_guard lock(list.mutex);
  std::erase(list.reapers, &reaper);
}

void leave(Descriptor pidfd) noexcept {
  Live& list = *live;
  const std::lock_guard lock(list.mutex);
  try {
    list.left.push_back(std::move(pidfd));
  } catch (const std::bad_alloc&) {  // no room: once it ends, it stays a zombie
  }
}

void kill_live_engines() noexcept {
  Live* const list = live;
  if (list == nullptr) return;  // no engine was ever started
  const std::lock_guard lock(list->mutex);
  // One that may not be killed is passed by: it would never be reaped.
  for (Reaper* reaper : list->reapers) (void)reaper->end();
}

}  // namespace vorn::uci::engine
