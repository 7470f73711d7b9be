#include "uci/engine/child.hpp"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "uci/engine/live.hpp"

namespace vorn::uci::engine {

Fd& Fd::operator=(Fd&& other) noexcept {
  if (this != &other) {
    reset();
    fd_ = other.release();
  }
  return *this;
}

void Fd::reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

// ---- Reaper ----

Reaper::Reaper(pid_t pid) : pid_(pid), parent_(::getpid()) { enlist(*this); }

Reaper::~Reaper() { strike_off(*this); }

bool Reaper::belongs_here() const { return parent_ == ::getpid(); }

void Reaper::kill() {
  const std::lock_guard lock(mutex_);
  if (!collected_) ::kill(pid_, SIGKILL);
}

std::expected<bool, int> Reaper::try_wait() {
  const std::lock_guard lock(mutex_);
  if (collected_) return true;
  int status = 0;
  const pid_t got = ::waitpid(pid_, &status, WNOHANG);
  if (got == pid_) {
    collected_ = true;
    status_ = status;
    return true;
  }
  if (got == 0) return false;
  if (errno == ECHILD) {  // SIGCHLD ignored by the host: ended, its code lost
    collected_ = true;
    return true;
  }
  return std::unexpected(errno);
}

void Reaper::wait() {
  // Its pid may be another process's by now.
  if (collected()) return;
  // Waiting without collecting leaves a zombie whose pid cannot be reused,
  // so `kill` from another thread stays safe until the collection below.
  siginfo_t info{};
  while (::waitid(P_PID, id_t(pid_), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
  }
  (void)try_wait();
}

std::optional<std::int32_t> Reaper::exit_code() const {
  const std::lock_guard lock(mutex_);
  if (!status_ || !WIFEXITED(*status_)) return std::nullopt;
  return WEXITSTATUS(*status_);
}

bool Reaper::collected() const {
  const std::lock_guard lock(mutex_);
  return collected_;
}

}  // namespace vorn::uci::engine
