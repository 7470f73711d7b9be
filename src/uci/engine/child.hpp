// One engine's child process: started with three pipes (spawn.cpp), asked
// whether it has ended, killed and reaped. It is signalled and waited for
// through a pidfd, which names that process alone even once the host has
// collected it behind our back (SIGCHLD ignored, a wait for any child) and
// its pid is another's; on kernels without pidfds, through the pid while it
// is known not to be collected. The kill may come from any thread, the
// waits from the owner's. Only the process that started it may signal or
// wait for it: a forked copy belongs to the parent. A process that may not
// be signalled (another user's, or a sandbox's refusal) is never waited for:
// its engine is closed and the process left, to be collected by a later
// start once it ends.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <cstdint>
#include <expected>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/descriptor.hpp"
#include "uci/engine/error.hpp"

namespace vorn::uci::engine {

// The process and whether it has been collected, shared by the owner and by
// whoever may kill the process from another thread. Listed among the live
// engines (live.hpp) from before its start to its end.
class Reaper {
 public:
  // Listed, and holding no process yet: made before the start, so that
  // nothing can fail between the start and `hold`.
  Reaper();
  // Kills and reaps a process not yet collected, unless this is a forked
  // copy or the process may not be killed: a failure after the start
  // leaves nothing running that could be stopped. A process left running
  // is handed to the live list (`leave`) to be collected once it ends.
  ~Reaper();
  Reaper(const Reaper&) = delete;
  Reaper& operator=(const Reaper&) = delete;

  // Takes the process just started, with the pidfd made with it, if any.
  void hold(pid_t pid, Descriptor pidfd);

  // Whether this is the process that started the child (not a forked copy).
  bool belongs_here() const;

  // SIGKILL, unless the process has been collected already. The errno of a
  // refusal: the process runs as another user, or a sandbox forbids it.
  std::expected<void, int> kill();
  // Kills the process and, once the signal is in, reaps it; a process the
  // signal may not reach is left as it is, with the refusal.
  std::expected<void, int> end();
  // Collects the process if it has ended; true once it is collected.
  std::expected<bool, int> try_wait();
  // The exit code of a process that exited; none for one a signal ended,
  // one not yet collected, and one whose status was lost (ECHILD).
  std::optional<std::int32_t> exit_code() const;
  bool collected() const;

 private:
  // waitid for the process, through the pidfd where there is one; by the
  // pid, wait4 where waitid is refused. No WNOWAIT: wait4 always collects.
  int wait_for(siginfo_t& info, int options) const;
  // Takes what a wait that collected the process found, and gives the
  // pidfd back: a closed engine kept alive holds no descriptor.
  void take_status(const siginfo_t& info);

  mutable std::mutex mutex_;
  pid_t pid_ = 0;
  Descriptor pidfd_;  // none on kernels without pidfds, and once collected
  const pid_t parent_;  // the process that started it
  bool collected_ = true;  // until a process is held
  std::optional<std::int32_t> exit_;  // once collected, the code of a process that exited
};

// Collects the process `pidfd` names if it has ended; true once it is
// collected, here or behind our back.
bool collect_if_ended(const Descriptor& pidfd);

struct Spawned {
  std::shared_ptr<Reaper> child;
  Descriptor input, output, errors;  // the parent's ends
};

// Starts `program` (looked up on PATH when it has no slash; a relative path is
// found from `cwd` when one is given) with `args`, its standard streams piped
// and no other descriptor, in the caller's process group with SIGINT ignored,
// SIGPIPE at its default and no signal blocked. The pipes are close-on-exec
// in the parent, whose input end does not block. A `cwd` that cannot be the
// working directory fails as the directory's fault.
std::expected<Spawned, Error> spawn_child(const std::string& program, const std::vector<std::string>& args,
                                          const std::optional<std::string>& cwd);

}  // namespace vorn::uci::engine
