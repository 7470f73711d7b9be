// Every engine process this process has started and still holds, so that
// the host can kill and reap them all as it ends, whoever holds them then
// (a thread ended in the middle of a call, a reference never released).
//
//   Py_AtExit(&kill_live_engines);
//
// A forked child starts with an empty list: its parent's engines are not
// its own to kill, and a thread of the parent may have held the list's lock.
#pragma once

#include "core/descriptor.hpp"

namespace vorn::uci::engine {

class Reaper;

// By the reaper itself, from its start to its end. Listing the first one
// may fail for want of memory (std::bad_alloc). Each listing collects
// first the processes left running that have ended since.
void enlist(Reaper& reaper);
void strike_off(Reaper& reaper);
// A process its reaper may not kill, left running as the reaper goes, by
// the pidfd that names it.
void leave(Descriptor pidfd) noexcept;

// Kills and reaps each listed engine not collected yet, passing by those
// the signal may not reach.
void kill_live_engines() noexcept;

}  // namespace vorn::uci::engine
