// The process side of an engine: starting it, its lines in and out, its end.
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
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

// Writes what it can of `data` to the non-blocking `fd`, waiting for room
// until `until`; what was written leaves `data`.
Written write_some(int fd, std::string& data, Instant until) {
  const SigpipeBlock block;
  std::size_t done = 0;
  Written result = Written::Whole;
  while (done < data.size()) {
    const ssize_t wrote = ::write(fd, data.data() + done, data.size() - done);
    if (wrote > 0) {
      done += std::size_t(wrote);
      continue;
    }
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0 && errno != EAGAIN) {
      if (errno == EPIPE) block.consume();
      result = Written::Broken;
      break;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(time_left(until)).count();
    if (left <= 0) {
      result = Written::Blocked;
      break;
    }
    pollfd room{fd, POLLOUT, 0};
    ::poll(&room, 1, int(std::min<long long>(left, 1'000'000)));
  }
  data.erase(0, done);
  return result;
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
  // From here a failure drops the child's reaper, or the engine, and either
  // kills and reaps the child.
  auto lines = std::make_shared<LineQueue>();
  const std::array read_ends{spawned->output.file(), spawned->errors.file()};
  Descriptor output = std::move(spawned->output);
  Descriptor errors = std::move(spawned->errors);
  Engine engine(std::move(*spawned), read_ends, lines, timeout);
  if (auto started = start_output_reader(std::move(output), lines, engine.readers_abandoned_); !started)
    return std::unexpected(started.error());
  if (auto started = start_error_reader(std::move(errors), engine.readers_abandoned_); !started)
    return std::unexpected(started.error());
  return engine;
}

Engine::Engine(Spawned spawned, const std::array<OpenFile, 2>& read_ends, std::shared_ptr<LineQueue> lines,
               Duration timeout)
    : child_(std::move(spawned.child)),
      stdin_(std::move(spawned.input)),
      read_ends_(read_ends),
      readers_abandoned_(std::make_shared<std::atomic<bool>>(false)),
      lines_(std::move(lines)),
      timeout_(timeout),
      writing_(timeout) {}

Engine::~Engine() {
  if (!child_) return;  // moved from
  if (child_->belongs_here()) {
    if (!child_->collected()) (void)kill();
    // A process may still hold the pipes' other ends: nobody reads on.
    readers_abandoned_->store(true);
    return;
  }
  // A forked copy closes its descriptors only (the input by its own rule):
  // the process is the parent's.
  for (const OpenFile& end : read_ends_) end.close_forked_copy();
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

std::expected<bool, Error> Engine::await_end(Instant until) {
  if (!ending_) ending_.emplace(timeout_);
  while (!exited_ && !check_ended()) {
    const Instant now = Clock::now();
    const Instant due = ending_->look(now);
    if (now >= due) {
      if (auto killed = kill(); !killed) return std::unexpected(killed.error());  // it would not end
      break;
    }
    if (now >= until) return false;
    std::this_thread::sleep_for(std::min<Clock::duration>({kExitPoll, due - now, until - now}));
  }
  return true;
}

std::expected<void, Error> Engine::kill() {
  // Signalled before its input closes: an engine that ends at the end of its
  // input must not exit cleanly in between.
  const auto killed = child_->end();
  stdin_.reset();
  unsent_.clear();
  if (!killed) return std::unexpected(unkillable(killed.error()));
  record_end();
  return {};
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
  if (!ending_) {
    auto written = flush(deadline);
    if (!written) return std::unexpected(written.error());
    if (!*written) return std::nullopt;
  }
  // Once the process's end is awaited, the lines it wrote before come first.
  LineQueue::Popped popped = lines_->pop(ending_ ? Instant{} : deadline);
  if (auto* line = std::get_if<Line>(&popped)) return std::move(*line);
  if (std::holds_alternative<LineQueue::Empty>(popped) && !ending_) {
    if (exited_ || check_ended()) return std::unexpected(died());
    return std::nullopt;
  }
  // The output has ended; so, soon, should the process.
  const auto ended = await_end(deadline);
  if (!ended) return std::unexpected(ended.error());
  if (!*ended) return std::nullopt;
  return std::unexpected(died());
}

Stepped<std::optional<std::string>> Engine::next_line(Instant until, Instant deadline) {
  auto line = next_queued(settling() ? until : std::min(until, deadline));
  if (!line) return std::unexpected(line.error());
  if (*line) {
    (void)observe((*line)->message);
    return std::optional<std::string>(std::move((*line)->text));
  }
  if (Clock::now() >= deadline && !settling()) return std::optional<std::string>();
  return std::nullopt;
}

std::expected<void, Error> Engine::send_line(std::string_view line) {
  if (auto ok = protocol::check_text("text", line); !ok) return std::unexpected(error::Unsafe{ok.error()});
  return write_line(std::string(line));
}

std::expected<void, Error> Engine::write_line(std::string line) {
  if (exited_ || check_ended() || !stdin_) return std::unexpected(died());
  if (unsent_.empty()) writing_ = Silence(timeout_);
  unsent_ += line;
  unsent_ += '\n';
  // What the pipe takes now; the rest goes in the steps that follow, and
  // the caller's time until then counts whole.
  auto written = flush(Clock::now());
  if (!written) return std::unexpected(written.error());
  writing_.leave();
  return {};
}

Stepped<Done> Engine::flush(Instant until) {
  // In slices of a look each, so that a stop of the job between two looks
  // does not count toward the input's bound.
  while (!unsent_.empty()) {
    const Instant now = Clock::now();
    switch (write_some(stdin_.get(), unsent_, std::min({until, writing_.look(now), now + Silence::kLook}))) {
      case Written::Whole:
        break;
      case Written::Blocked: {
        const Instant later = Clock::now();
        if (later >= writing_.look(later)) {
          deaf_ = true;
          if (auto killed = kill(); !killed) return std::unexpected(killed.error());
          return std::unexpected(died());
        }
        if (later >= until) return std::nullopt;
        break;
      }
      case Written::Broken:
        unsent_.clear();
        if (!ending_) ending_.emplace(timeout_);
        break;
    }
  }
  if (!ending_) return Done{};
  const auto ended = await_end(until);
  if (!ended) return std::unexpected(ended.error());
  if (!*ended) return std::nullopt;
  return std::unexpected(died());
}

}  // namespace vorn::uci::engine
