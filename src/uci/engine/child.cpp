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

// The pidfd if a wait can go through it; none where the kernel cannot wait
// on one (waitid on a pidfd came in 5.4) or a filter refuses it. A process
// that is not our child (ECHILD) has been collected behind our back: what
// the pidfd names then is not ours to signal.
std::expected<Descriptor, int> waitable(Descriptor pidfd) {
  siginfo_t info{};
  if (::waitid(kByPidfd, id_t(pidfd.get()), &info, WEXITED | WNOHANG | WNOWAIT) == 0) return pidfd;
  if (errno == ECHILD) return std::unexpected(ECHILD);
  return Descriptor();
}

// A pidfd opened after the start, where it could not be made with the
// child: none where the kernel has no pidfds (pidfd_open came in 5.3) or a
// filter refuses the call. A host that reaps behind our back may have
// collected the child meanwhile (ESRCH), and its pid may name a stranger by
// now, which the check for a wait tells (ECHILD).
std::expected<Descriptor, int> open_pidfd(pid_t pid) {
  Descriptor pidfd(int(::syscall(SYS_pidfd_open, pid, 0)));
  if (!pidfd) {
    if (errno == ESRCH) return std::unexpected(ESRCH);
    return Descriptor();
  }
  return waitable(std::move(pidfd));
}

// wait4 for `pid`, answered as waitid would: for a host whose filter refuses
// waitid, as some sandboxes do while they let the C library's waitpid
// through. It reports exits alone, and always collects.
int wait_by_wait4(pid_t pid, siginfo_t& info, int options) {
  int status = 0;
  const pid_t got = ::wait4(pid, &status, options & WNOHANG, nullptr);
  if (got < 0) return -1;
  info = {};
  info.si_pid = got;
  if (got == 0) return 0;
  info.si_code = WIFEXITED(status) ? CLD_EXITED : CLD_KILLED;
  info.si_status = WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status);
  return 0;
}

}  // namespace

bool collect_if_ended(const Descriptor& pidfd) {
  siginfo_t info{};
  return ::waitid(kByPidfd, id_t(pidfd.get()), &info, WEXITED | WNOHANG) != 0 || info.si_pid != 0;
}

Reaper::Reaper() : parent_(::getpid()) { enlist(*this); }

Reaper::~Reaper() {
  strike_off(*this);
  if (!belongs_here() || end()) return;
  // Left running: most engines end at the end of their input, and a later
  // start collects it then, so that no zombie stays for the host's life.
  // Only a pidfd still names it safely by then.
  if (pidfd_) leave(std::move(pidfd_));
}

void Reaper::hold(pid_t pid, Descriptor pidfd) {
  auto checked = pidfd ? waitable(std::move(pidfd)) : open_pidfd(pid);
  const std::lock_guard lock(mutex_);
  pid_ = pid;
  collected_ = !checked;
  if (checked) pidfd_ = std::move(*checked);
}

bool Reaper::belongs_here() const { return parent_ == ::getpid(); }

std::expected<void, int> Reaper::kill() {
  const std::lock_guard lock(mutex_);
  if (collected_) return {};
  if (pidfd_ && ::syscall(SYS_pidfd_send_signal, pidfd_.get(), SIGKILL, nullptr, 0) == 0) return {};
  // No pidfd, or a signal through it refused (a sandbox may forbid that
  // call alone): by the pid, which names the process for as long as it has
  // not been collected. Ended, it is collected here; collected behind our
  // back, there is nothing to kill. A host that may not wait at all cannot
  // tell which: the process is not signalled, and the refusal is told.
  siginfo_t info{};
  if (wait_for(info, WEXITED | WNOHANG) != 0) {
    if (errno != ECHILD) return std::unexpected(errno);
    take_status({});
    return {};
  }
  if (info.si_pid != 0) {
    take_status(info);
    return {};
  }
  if (::kill(pid_, SIGKILL) == 0 || errno == ESRCH) return {};
  return std::unexpected(errno);
}

std::expected<void, int> Reaper::end() {
  if (auto killed = kill(); !killed) return killed;
  // The lock is held while the killed process ends, so that a kill from
  // another thread never meets a pid that has been collected.
  const std::lock_guard lock(mutex_);
  if (collected_) return {};
  siginfo_t info{};
  while (wait_for(info, WEXITED) != 0) {
    if (errno != EINTR) {  // collected by the host (ECHILD): ended, its code lost
      info = {};
      break;
    }
  }
  take_status(info);
  return {};
}

int Reaper::wait_for(siginfo_t& info, int options) const {
  if (pidfd_) return ::waitid(kByPidfd, id_t(pidfd_.get()), &info, options);
  const int waited = ::waitid(P_PID, id_t(pid_), &info, options);
  if (waited == 0 || errno == ECHILD || errno == EINTR) return waited;
  return wait_by_wait4(pid_, info, options);
}

void Reaper::take_status(const siginfo_t& info) {
  collected_ = true;
  if (info.si_code == CLD_EXITED) exit_ = info.si_status;
  pidfd_.reset();
}

std::expected<bool, int> Reaper::try_wait() {
  const std::lock_guard lock(mutex_);
  if (collected_) return true;
  siginfo_t info{};
  if (wait_for(info, WEXITED | WNOHANG) == 0) {
    if (info.si_pid == 0) return false;  // still running
    take_status(info);
    return true;
  }
  if (errno == ECHILD) {  // collected by the host: ended, its code lost
    take_status({});
    return true;
  }
  return std::unexpected(errno);
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
