// The process side of an engine: starting it, its lines in and out, its end.
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "uci/engine/engine.hpp"
#include "uci/engine/reader.hpp"

namespace vorn::uci::engine {

namespace {

constexpr auto kExitPoll = std::chrono::milliseconds(10);

// Blocks SIGPIPE on this thread for a write to the engine, and consumes the
// one a broken pipe raised, so none ever reaches the host process.
class SigpipeBlock {
 public:
  SigpipeBlock() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    was_pending_ = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
  }
  ~SigpipeBlock() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
  SigpipeBlock(const SigpipeBlock&) = delete;
  SigpipeBlock& operator=(const SigpipeBlock&) = delete;

  void consume() const {
    if (was_pending_) return;
    const timespec zero{};
    while (sigtimedwait(&pipe_, nullptr, &zero) < 0 && errno == EINTR) {
    }
  }

 private:
  sigset_t pipe_;
  sigset_t old_;
  bool was_pending_ = false;
};

enum class Written { Whole, Broken, Blocked };

// Writes all of `data` to the non-blocking `fd`, waiting for room until `deadline`.
Written write_all(int fd, std::string_view data, Instant deadline) {
  const SigpipeBlock block;
  while (!data.empty()) {
    const ssize_t wrote = ::write(fd, data.data(), data.size());
    if (wrote > 0) {
      data.remove_prefix(std::size_t(wrote));
      continue;
    }
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0 && errno != EAGAIN) {
      if (errno == EPIPE) block.consume();
      return Written::Broken;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(time_left(deadline)).count();
    if (left <= 0) return Written::Blocked;
    pollfd room{fd, POLLOUT, 0};
    ::poll(&room, 1, int(std::min<long long>(left, 1'000'000)));
  }
  return Written::Whole;
}

}  // namespace

Launch Launch::args(std::vector<std::string> more) && {
  for (std::string& arg : more) arguments.push_back(std::move(arg));
  return std::move(*this);
}

std::expected<Engine, Error> Launch::spawn() && {
  // A NUL would cut the text the system sees; line breaks are fine here.
  const auto refused = [](std::string_view field, const std::string& text) -> std::optional<Error> {
    if (text.find('\0') == std::string::npos) return std::nullopt;
    return error::Unsafe{{field, text}};
  };
  std::optional<Error> refusal = refused("program", program);
  for (const std::string& arg : arguments) refusal = refusal ? refusal : refused("argument", arg);
  if (cwd && !refusal) refusal = refused("working directory", *cwd);
  if (refusal) return std::unexpected(std::move(*refusal));

  auto spawned = spawn_child(program, arguments, cwd);
  if (!spawned) return std::unexpected(spawned.error());
  auto lines = std::make_shared<LineQueue>();
  Fd output = std::move(spawned->output);
  Fd errors = std::move(spawned->errors);
  // From here a failure drops the engine, which kills and reaps the child.
  Engine engine(std::move(*spawned), lines, timeout);
  if (auto started = start_output_reader(std::move(output), lines); !started)
    return std::unexpected(started.error());
  if (auto started = start_error_reader(std::move(errors)); !started) return std::unexpected(started.error());
  return engine;
}

Engine::Engine(Spawned spawned, std::shared_ptr<LineQueue> lines, Duration timeout)
    : child_(std::move(spawned.child)),
      stdin_(std::move(spawned.input)),
      lines_(std::move(lines)),
      timeout_(timeout) {}

Engine::~Engine() {
  // A forked copy closes its own descriptors only: the process is the parent's.
  if (child_ && child_->belongs_here() && !child_->collected()) kill();
}

void Engine::record_end() {
  exited_ = true;
  exit_ = child_->exit_code();
}

bool Engine::check_ended() {
  const auto ended = child_->try_wait();
  if (!ended || !*ended) return false;
  record_end();
  return true;
}

void Engine::await_end() {
  const Instant deadline = deadline_after(timeout_);
  while (!check_ended()) {
    if (Clock::now() >= deadline) {
      kill();
      return;
    }
    std::this_thread::sleep_for(kExitPoll);
  }
}

void Engine::kill() {
  stdin_.reset();
  child_->kill();
  child_->wait();
  record_end();
}

protocol::State Engine::state() {
  return exited_ || check_ended() ? protocol::State::Quitting : session_.state();
}

bool Engine::is_alive() {
  if (exited_) return false;
  const auto ended = child_->try_wait();
  if (ended && *ended) record_end();
  return ended && !*ended;
}

std::expected<std::optional<Line>, Error> Engine::next_queued(Instant deadline) {
  LineQueue::Popped popped = lines_->pop(deadline);
  if (auto* line = std::get_if<Line>(&popped)) return std::move(*line);
  if (std::holds_alternative<LineQueue::Empty>(popped)) {
    if (exited_ || check_ended()) return std::unexpected(died());
    return std::nullopt;
  }
  await_end();  // the output has ended; so, soon, should the process
  return std::unexpected(died());
}

std::expected<std::optional<std::string>, Error> Engine::next_line(Instant deadline) {
  auto line = next_queued(deadline);
  if (!line) return std::unexpected(line.error());
  if (!*line) return std::nullopt;
  (void)observe((*line)->message);
  return std::move((*line)->text);
}

std::expected<void, Error> Engine::send_line(std::string_view line) {
  if (auto ok = protocol::check_text("text", line); !ok) return std::unexpected(error::Unsafe{ok.error()});
  return write_line(std::string(line));
}

std::expected<void, Error> Engine::write_line(std::string line) {
  if (exited_ || check_ended() || !stdin_) return std::unexpected(died());
  line += '\n';
  switch (write_all(stdin_.get(), line, deadline_after(timeout_))) {
    case Written::Whole:
      return {};
    case Written::Broken:
      await_end();
      break;
    case Written::Blocked:  // an engine that stopped reading its input
      kill();
      break;
  }
  return std::unexpected(died());
}

}  // namespace vorn::uci::engine
