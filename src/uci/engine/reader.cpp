#include "uci/engine/reader.hpp"

#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

#include "text/utf8.hpp"

namespace vorn::uci::engine {

namespace {

constexpr std::size_t kBuffer = 8192;
// How often a reader waiting on a silent pipe looks whether it is abandoned.
constexpr int kAbandonedCheckMs = 1000;

// Reads `fd` to its end in buffers, calling `take` with each chunk, until
// `abandoned` is set.
template <class Take>
void read_all(int fd, const std::atomic<bool>& abandoned, Take&& take) {
  char buffer[kBuffer];
  while (true) {
    pollfd ready{fd, POLLIN, 0};
    const int polled = ::poll(&ready, 1, kAbandonedCheckMs);
    if (abandoned.load()) return;
    if (polled == 0 || (polled < 0 && errno == EINTR)) continue;
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    take(std::string_view(buffer, std::size_t(got)));
  }
}

// Bytes into lines of at most kMaxLine bytes, each handed over without its line feed.
class Splitter {
 public:
  template <class Emit>
  void feed(std::string_view chunk, Emit& emit) {
    while (!chunk.empty()) {
      const std::size_t end = chunk.find('\n');
      const std::string_view part = chunk.substr(0, end);
      line_.append(part.substr(0, kMaxLine - std::min(kMaxLine, line_.size())));
      if (end == std::string_view::npos) return;
      emit(line_);
      line_.clear();
      chunk.remove_prefix(end + 1);
    }
  }
  // The last line, delivered even without its line feed.
  template <class Emit>
  void finish(Emit& emit) {
    if (!line_.empty()) emit(line_);
  }

 private:
  std::string line_;
};

void name_thread(const char* name) { ::pthread_setname_np(::pthread_self(), name); }

void read_output(Descriptor output, const std::shared_ptr<LineQueue>& queue, const std::atomic<bool>& abandoned) {
  Splitter splitter;
  auto emit = [&](std::string_view bytes) {
    const std::size_t end = bytes.find_last_not_of("\r\n");
    queue->push(utf8::lossy(bytes.substr(0, end == std::string_view::npos ? 0 : end + 1)));
  };
  read_all(output.get(), abandoned, [&](std::string_view chunk) { splitter.feed(chunk, emit); });
  splitter.finish(emit);
}

// Runs `body` on a new detached thread; a thread that cannot start is `Io`.
template <class Body>
std::expected<void, Error> start_detached(Body body) {
  try {
    std::thread(std::move(body)).detach();
    return {};
  } catch (const std::system_error& e) {
    return std::unexpected(os_error(e.code().value(), "cannot start a thread to read the engine"));
  }
}

}  // namespace

std::expected<void, Error> start_output_reader(Descriptor output, std::shared_ptr<LineQueue> queue,
                                               Abandoned abandoned) {
  return start_detached([output = std::move(output), queue = std::move(queue), abandoned = std::move(abandoned)]() mutable {
    name_thread("vorn-uci-stdout");
    try {
      read_output(std::move(output), queue, *abandoned);
    } catch (...) {  // out of memory: the output counts as ended
    }
    queue->close();
  });
}

std::expected<void, Error> start_error_reader(Descriptor errors, Abandoned abandoned) {
  return start_detached([errors = std::move(errors), abandoned = std::move(abandoned)]() mutable {
    name_thread("vorn-uci-stderr");
    read_all(errors.get(), *abandoned, [](std::string_view) {});
    errors.reset();
  });
}

}  // namespace vorn::uci::engine
