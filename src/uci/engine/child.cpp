#include "uci/engine/child.hpp"

#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "uci/engine/live.hpp"

namespace vorn::uci::engine {

// ---- Reaper ----

namespace {

constexpr auto kByPidfd = idtype_t(3);  // P_PIDFD, which older C libraries lack

// A pidfd for the child just started, or none where the kernel cannot both
// signal and wait through one (pidfd_open came in 5.3, waitid on a pidfd in
// 5.4) or a filter refuses the call. ESRCH: collected behind our back already.
std::expected<Descriptor, int> open_pidfd(pid_t pid) {
  Descriptor pidfd(int(::syscall(SYS_pidfd_open, pid, 0)));
  if (!pidfd) {
    if (errno == ESRCH) return std::unexpected(ESRCH);
    return Descriptor();
  }
  siginfo_t info{};
  if (::waitid(kByPidfd, id_t(pidfd.get()), &info, WEXITED | WNOHANG | WNOWAIT) < 0 && errno == EINVAL) return Descriptor();
  return pidfd;
}

}  // namespace

Reaper::Reaper() : parent_(::getpid()) { enlist(*this); }

Reaper::~Reaper() {
  strike_off(*this);
  if (belongs_here()) {
    kill();
    wait();
  }
}

void Reaper::hold(pid_t pid) {
  auto pidfd = open_pidfd(pid);
  const std::lock_guard lock(mutex_);
  pid_ = pid;
  collected_ = !pidfd;
  if (pidfd) pidfd_ = std::move(*pidfd);
}

bool Reaper::belongs_here() const { return parent_ == ::getpid(); }

void Reaper::kill() {
  const std::lock_guard lock(mutex_);
  if (collected_) return;
  if (pidfd_) ::syscall(SYS_pidfd_send_signal, pidfd_.get(), SIGKILL, nullptr, 0);
  else ::kill(pid_, SIGKILL);
}

int Reaper::wait_for(siginfo_t& info, int options) const {
  if (pidfd_) return ::waitid(kByPidfd, id_t(pidfd_.get()), &info, options);
  return ::waitid(P_PID, id_t(pid_), &info, options);
}

std::expected<bool, int> Reaper::try_wait() {
  const std::lock_guard lock(mutex_);
  if (collected_) return true;
  siginfo_t info{};
  if (wait_for(info, WEXITED | WNOHANG) == 0) {
    if (info.si_pid == 0) return false;  // still running
    collected_ = true;
    if (info.si_code == CLD_EXITED) exit_ = info.si_status;
    return true;
  }
  if (errno == ECHILD) {  // collected by the host: ended, its code lost
    collected_ = true;
    return true;
  }
  return std::unexpected(errno);
}

void Reaper::wait() {
  if (collected()) return;
  // Waiting without collecting leaves a zombie whose pid cannot be reused,
  // so `kill` from another thread stays safe without a pidfd until the
  // collection below, the one place that takes the status.
  siginfo_t info{};
  while (wait_for(info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
  }
  (void)try_wait();
}

std::optional<std::int32_t> Reaper::exit_code() const {
  const std::lock_guard lock(mutex_);
  return exit_;
}

bool Reaper::collected() const {
  const std::lock_guard lock(mutex_);
  return collected_;
}

}  // namespace vorn::uci::engine
