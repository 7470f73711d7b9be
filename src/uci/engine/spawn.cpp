// Starting an engine's process the way posix_spawn does: a child that shares
// the host's memory and runs on a stack of its own until exec, with only
// async-signal-safe calls. posix_spawn itself would be simpler, but it
// cannot start a program with a signal ignored, nor hand back a pidfd made
// with the child.
#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "uci/engine/child.hpp"

extern char** environ;

namespace vorn::uci::engine {

namespace {

// A pipe whose ends are close-on-exec and above the standard streams, so
// that the child's dup2 onto 0, 1 and 2 always makes a fresh descriptor.
std::expected<std::array<Descriptor, 2>, Error> make_pipe() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) < 0) return std::unexpected(os_error(errno, "cannot make a pipe to the engine"));
  std::array<Descriptor, 2> pipe{Descriptor(ends[0]), Descriptor(ends[1])};
  for (Descriptor& end : pipe) {
    if (end.get() > 2) continue;
    const int moved = ::fcntl(end.get(), F_DUPFD_CLOEXEC, 3);
    if (moved < 0) return std::unexpected(os_error(errno, "cannot make a pipe to the engine"));
    end = Descriptor(moved);
  }
  return pipe;
}

// The paths execvp would try: the program itself when it names a path, else
// the program in each directory of PATH (an empty one is the working one).
std::vector<std::string> candidates(const std::string& program) {
  if (program.empty() || program.find('/') != std::string::npos) return {program};
  const char* const path = std::getenv("PATH");
  std::string_view left = path ? path : "/bin:/usr/bin";
  std::vector<std::string> found;
  while (true) {
    const std::string_view directory = left.substr(0, left.find(':'));
    found.push_back(directory.empty() ? program : std::string(directory) + "/" + program);
    if (directory.size() == left.size()) return found;
    left.remove_prefix(directory.size() + 1);
  }
}

// The descriptors above the standard streams that an exec would keep, for a
// C library or a kernel (before 5.9) without close_range.
std::vector<int> inheritable() {
  std::vector<int> found;
  DIR* listing = ::opendir("/proc/self/fd");
  if (listing == nullptr) return found;
  while (const dirent* entry = ::readdir(listing)) {
    const int fd = std::atoi(entry->d_name);
    if (fd > 2 && fd != ::dirfd(listing) && ::fcntl(fd, F_GETFD) == 0) found.push_back(fd);
  }
  ::closedir(listing);
  return found;
}

// Room for the child's calls until exec, the dynamic linker's included.
constexpr std::size_t kChildStack = std::size_t(128) << 10;

// Everything the child needs, made before the start: the child may not allocate.
struct Plan {
  std::vector<std::string> paths;  // to exec, in turn
  std::vector<char*> argv;
  char** envp = nullptr;
  const char* cwd = nullptr;  // null: the host's
  std::array<int, 3> streams{};  // the child's ends, to become 0, 1 and 2
  int report = -1;  // close-on-exec: a failure is written to it, success closes it
  std::vector<int> inheritable;
  std::unique_ptr<char[]> stack;  // kChildStack bytes
};

// What the child writes to `report` when it cannot become the engine.
struct Failure {
  bool in_working_directory;
  int code;
};

[[noreturn]] void fail(const Plan& plan, bool in_working_directory) {
  const Failure failure{in_working_directory, errno};
  (void)!::write(plan.report, &failure, sizeof failure);
  ::_exit(127);
}

// Closes every descriptor above the standard streams but the report pipe,
// which closes itself at exec: nothing the host left inheritable leaks into
// the engine.
void close_the_rest(const Plan& plan) {
#ifdef VORN_CLOSE_RANGE
  if (::close_range(3, plan.report - 1, 0) == 0 && ::close_range(plan.report + 1, ~0U, 0) == 0) return;
#endif
  for (const int fd : plan.inheritable) ::close(fd);
}

// The child's side of vfork: it shares the host's memory until exec, so it
// only makes system calls, and the host's signal handlers, which would run
// on that memory, are reset before any signal is let through.
[[noreturn]] void become_engine(const Plan& plan) {
  struct sigaction original {};
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  for (int number = 1; number < NSIG; ++number) {
    // Python ignores SIGPIPE and SIGXFSZ: the engine gets their defaults.
    // Another signal the host ignores stays ignored, as across any exec.
    const bool keep = ::sigaction(number, nullptr, &original) == 0 && original.sa_handler == SIG_IGN &&
                      number != SIGPIPE && number != SIGXFSZ;
    if (!keep) ::sigaction(number, &action, nullptr);
  }
  // The engine stays in its host's process group, so Ctrl-Z, a hang-up and
  // a kill of the job reach it with its host; a terminal's Ctrl-C is for the
  // host alone, which tells the engine to stop. An ignored signal stays
  // ignored across exec.
  action.sa_handler = SIG_IGN;
  ::sigaction(SIGINT, &action, nullptr);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);

  for (int stream = 0; stream < 3; ++stream) {
    if (::dup2(plan.streams[stream], stream) < 0) fail(plan, false);
  }
  close_the_rest(plan);
  if (plan.cwd != nullptr && ::chdir(plan.cwd) < 0) fail(plan, true);
  // As execvp: the first failure that is not a missing file is the one told.
  int told = 0;
  for (const std::string& path : plan.paths) {
    ::execve(path.c_str(), plan.argv.data(), plan.envp);
    if (told == 0 && errno != ENOENT && errno != ENOTDIR) told = errno;
  }
  if (told != 0) errno = told;
  fail(plan, false);
}

int enter_child(void* plan) { become_engine(*static_cast<const Plan*>(plan)); }

// In a frame of its own, which the child never leaves.
[[gnu::noinline]] pid_t start_by_vfork(const Plan& plan) {
  const pid_t pid = ::vfork();
  if (pid == 0) become_engine(plan);
  return pid;
}

struct Started {
  pid_t pid;
  Descriptor pidfd;  // none where it could not be made with the child
};

// The child, with a pidfd made in the same call, so that the pidfd names it
// even if the host collects it at once and its pid goes to another process.
// A kernel before 5.2 ignores the flag and makes none; one that refuses it
// (a filter, say) gets the child from vfork, and a pidfd opened later.
Started start(Plan& plan) {
  int pidfd = -1;
  const pid_t pid = ::clone(&enter_child, plan.stack.get() + kChildStack, CLONE_VM | CLONE_VFORK | CLONE_PIDFD | SIGCHLD,
                            &plan, &pidfd);
  if (pid >= 0 || (errno != EINVAL && errno != ENOSYS && errno != EPERM)) return {pid, Descriptor(pidfd)};
  return {start_by_vfork(plan), Descriptor()};
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
  auto report = make_pipe();
  if (!report) return std::unexpected(report.error());

  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  Plan plan{.paths = candidates(program),
                  .argv = std::move(argv),
                  .envp = environ,
                  .cwd = cwd ? cwd->c_str() : nullptr,
                  .streams = {(*input)[0].get(), (*output)[1].get(), (*errors)[1].get()},
                  .report = (*report)[1].get(),
                  .inheritable = inheritable(),
                  .stack = std::unique_ptr<char[]>(new char[kChildStack])};

  // Made before the start, as everything the child needs: from the start on,
  // nothing can fail before the reaper holds the child.
  const auto child = std::make_shared<Reaper>();
  // No handler of the host may run in the child before it has reset them.
  sigset_t all, mask;
  sigfillset(&all);
  ::pthread_sigmask(SIG_BLOCK, &all, &mask);
  Started started = start(plan);
  const int fork_error = errno;
  ::pthread_sigmask(SIG_SETMASK, &mask, nullptr);
  if (started.pid < 0) return std::unexpected(os_error(fork_error, "cannot start a process for the engine"));
  child->hold(started.pid, std::move(started.pidfd));

  // The child has exec'd, closing the report pipe, or written why it could
  // not; then it has exited, and dropping the reaper collects it.
  (*report)[1].reset();
  Failure failure{};
  ssize_t got = 0;
  while ((got = ::read((*report)[0].get(), &failure, sizeof failure)) < 0 && errno == EINTR) {
  }
  if (got == ssize_t(sizeof failure)) {
    error::Io start_error = os_error(failure.code, "cannot start the engine");
    start_error.failed = failure.in_working_directory ? error::Failed::WorkingDirectory : error::Failed::Program;
    return std::unexpected(std::move(start_error));
  }

  // The parent's writes must not block for ever on an engine that stopped reading.
  const int flags = ::fcntl((*input)[1].get(), F_GETFL);
  ::fcntl((*input)[1].get(), F_SETFL, flags | O_NONBLOCK);
  return Spawned{child, std::move((*input)[1]), std::move((*output)[0]), std::move((*errors)[0])};
}

}  // namespace vorn::uci::engine
