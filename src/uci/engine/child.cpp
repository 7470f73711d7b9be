#include "uci/engine/child.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>

#include "uci/engine/live.hpp"

extern char** environ;

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

// ---- spawning ----

namespace {

// A pipe whose ends are close-on-exec and above the standard streams, so
// that the child's dup2 onto 0, 1 and 2 always makes a fresh descriptor.
std::expected<std::array<Fd, 2>, Error> make_pipe() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) < 0) return std::unexpected(os_error(errno));
  std::array<Fd, 2> pipe{Fd(ends[0]), Fd(ends[1])};
  for (Fd& end : pipe) {
    if (end.get() > 2) continue;
    const int moved = ::fcntl(end.get(), F_DUPFD_CLOEXEC, 3);
    if (moved < 0) return std::unexpected(os_error(errno));
    end = Fd(moved);
  }
  return pipe;
}

// Every descriptor but the three standard streams is closed in the child, so
// nothing the host left inheritable leaks into the engine.
int close_the_rest(posix_spawn_file_actions_t* actions) {
#ifdef VORN_SPAWN_CLOSEFROM
  return ::posix_spawn_file_actions_addclosefrom_np(actions, 3);
#else
  DIR* listing = ::opendir("/proc/self/fd");
  if (listing == nullptr) return errno;
  int failed = 0;
  while (const dirent* entry = ::readdir(listing)) {
    const int fd = std::atoi(entry->d_name);
    const int flags = fd > 2 && fd != ::dirfd(listing) ? ::fcntl(fd, F_GETFD) : -1;
    if (flags >= 0 && !(flags & FD_CLOEXEC) && !failed) failed = ::posix_spawn_file_actions_addclose(actions, fd);
  }
  ::closedir(listing);
  return failed;
#endif
}

class SpawnSetup {
 public:
  SpawnSetup() {
    ::posix_spawn_file_actions_init(&actions_);
    ::posix_spawnattr_init(&attributes_);
  }
  ~SpawnSetup() {
    ::posix_spawn_file_actions_destroy(&actions_);
    ::posix_spawnattr_destroy(&attributes_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

// Why `cwd` cannot be a working directory, 0 when it can: a failed spawn
// names the directory, not the program, when the fault is the directory's.
int directory_fault(const std::string& cwd) {
  struct stat found {};
  if (::stat(cwd.c_str(), &found) < 0) return errno;
  if (!S_ISDIR(found.st_mode)) return ENOTDIR;
  return ::access(cwd.c_str(), X_OK) < 0 ? errno : 0;
}

}  // namespace

std::expected<Spawned, Error> spawn_child(const std::string& program, const std::vector<std::string>& args,
                                          const std::optional<std::string>& cwd) {
  auto input = make_pipe();
  if (!input) return std::unexpected(input.error());
  auto output = make_pipe();
  if (!output) return std::unexpected(output.error());
  auto errors = make_pipe();
  if (!errors) return std::unexpected(errors.error());

  SpawnSetup setup;
  int failed = ::posix_spawn_file_actions_adddup2(&setup.actions_, (*input)[0].get(), 0);
  failed = failed ? failed : ::posix_spawn_file_actions_adddup2(&setup.actions_, (*output)[1].get(), 1);
  failed = failed ? failed : ::posix_spawn_file_actions_adddup2(&setup.actions_, (*errors)[1].get(), 2);
  if (!failed) failed = close_the_rest(&setup.actions_);
  if (!failed && cwd) failed = ::posix_spawn_file_actions_addchdir_np(&setup.actions_, cwd->c_str());
  // Python ignores SIGPIPE and SIGXFSZ, and an ignored signal stays ignored
  // across exec: the engine gets the defaults and an empty mask.
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGXFSZ);
  if (!failed) failed = ::posix_spawnattr_setsigmask(&setup.attributes_, &none);
  if (!failed) failed = ::posix_spawnattr_setsigdefault(&setup.attributes_, &defaults);
  // A group of its own: a terminal's Ctrl-C, sent to the whole foreground
  // group, reaches the host alone, which tells the engine to stop.
  if (!failed) failed = ::posix_spawnattr_setpgroup(&setup.attributes_, 0);
  if (!failed)
    failed = ::posix_spawnattr_setflags(&setup.attributes_,
                                        POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  if (failed) return std::unexpected(os_error(failed));

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  pid_t pid = 0;
  failed = ::posix_spawnp(&pid, program.c_str(), &setup.actions_, &setup.attributes_, argv.data(), environ);
  if (failed) {
    const int fault = cwd ? directory_fault(*cwd) : 0;
    error::Io spawn_error = os_error(fault ? fault : failed);
    spawn_error.in_working_directory = fault != 0;
    return std::unexpected(std::move(spawn_error));
  }

  // The parent's writes must not block for ever on an engine that stopped reading.
  const int flags = ::fcntl((*input)[1].get(), F_GETFL);
  ::fcntl((*input)[1].get(), F_SETFL, flags | O_NONBLOCK);
  return Spawned{std::make_shared<Reaper>(pid), std::move((*input)[1]), std::move((*output)[0]),
                 std::move((*errors)[0])};
}

}  // namespace vorn::uci::engine
