#include "pgn/source.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <utility>

namespace vorn::pgn {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

// Whether `fd` has input (or its end) within `timeout` ms (-1: no limit);
// false also when a signal cut the wait short, so that the caller looks at it.
bool ready_within(int fd, int timeout) {
  pollfd wanted{fd, POLLIN, 0};
  return ::poll(&wanted, 1, timeout) == 1;
}

// A carriage return before the line feed is the line's ending, not its
// text; one at the end of what is held may turn out to be either.
bool is_overlong(std::string_view line) { return line.size() - (line.ends_with('\r') ? 1 : 0) > kLongestLine; }

int milliseconds_until(Instant end) {
  if (end == Instant::max()) return -1;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
  return int(std::clamp<std::int64_t>(left.count(), 0, 1 << 30));
}

}  // namespace

std::expected<std::string_view, NoLine> TextSource::next() {
  if (pos_ >= text_.size()) return std::unexpected(End{});
  const std::size_t feed = text_.find('\n', pos_);
  const std::size_t end = feed == std::string_view::npos ? text_.size() : feed;
  const std::string_view line = text_.substr(pos_, end - pos_);
  pos_ = feed == std::string_view::npos ? text_.size() : feed + 1;
  // Held by the caller already: one piece, the whole line.
  if (is_overlong(line)) return std::unexpected(OverlongPiece{line, true, true});
  return line;
}

std::expected<void, IoError> TextSource::seek(std::uint64_t offset) {
  pos_ = std::size_t(offset);
  return {};
}

bool Refills::wait(const std::function<bool(Instant)>& read_by) {
  while (!read_by(Instant::max())) {
  }
  return true;
}

std::expected<FileSource, IoError> FileSource::open(const std::string& path, OnSignal on_signal,
                                                    std::unique_ptr<Refills> refills) {
  Descriptor fd(call_through_signals([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); }, on_signal));
  if (fd.get() < 0) return std::unexpected(IoError{errno});
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return std::unexpected(IoError{errno});
  if (S_ISDIR(info.st_mode)) return std::unexpected(IoError{EISDIR});
  if (!refills) refills = std::make_unique<Refills>();
  return FileSource(std::move(fd), S_ISREG(info.st_mode), std::move(refills));
}

FileSource::FileSource(Descriptor fd, bool regular, std::unique_ptr<Refills> refills)
    : fd_(std::move(fd)), regular_(regular), refills_(std::move(refills)), buffer_(kBufferSize) {}

std::expected<void, IoError> FileSource::seek(std::uint64_t offset) {
  offset_ = offset;
  begin_ = scanned_ = end_ = 0;
  at_end_ = in_overlong_ = false;
  return {};
}

// A file is read at the offset this source keeps, not at the one its
// descriptor shares with a process forked from this one: both then read on
// from where they stood. A pipe is one stream for both.
long FileSource::read_into_buffer() {
  char* const room = buffer_.data() + end_;
  const std::size_t size = buffer_.size() - end_;
  return regular_ ? ::pread(fd_.get(), room, size, off_t(offset_ + end_)) : ::read(fd_.get(), room, size);
}

std::optional<long> FileSource::read_at_once() {
  if (regular_) {
#ifdef RWF_NOWAIT
    if (cache_reads_) {
      // Served from the page cache, or EAGAIN where the disk would be waited
      // for; any other failure but a signal's means this source has no such
      // read (EOPNOTSUPP on tmpfs, EPERM from a sandbox's filter), so it is
      // not asked again and the ordinary read tells a real fault. A 0 is no
      // end of file: Linux 5.9 and 5.10 may answer it short of the end, so
      // only the ordinary read says the file is over.
      iovec room{buffer_.data() + end_, buffer_.size() - end_};
      const long got = ::preadv2(fd_.get(), &room, 1, off_t(offset_ + end_), RWF_NOWAIT);
      if (got > 0) return got;
      if (got < 0 && errno != EAGAIN && errno != EINTR) cache_reads_ = false;
    }
#endif
    return std::nullopt;
  }
  if (!ready_within(fd_.get(), 0)) return std::nullopt;
  const long got = read_into_buffer();
  if (got < 0 && errno == EINTR) return std::nullopt;
  return got;
}

std::expected<void, NoLine> FileSource::refill() {
  if (!refills_->go_on()) return std::unexpected(Interrupted{});
  // What is handed out goes; moving no more than that keeps the copying
  // linear. A buffer still short of room doubles.
  const std::size_t keep = begin_;
  if (keep > 0 && end_ - keep <= keep) {
    std::memmove(buffer_.data(), buffer_.data() + keep, end_ - keep);
    offset_ += keep;
    begin_ -= keep;
    scanned_ -= keep;
    end_ -= keep;
  }
  if (buffer_.size() - end_ < kBufferSize / 2) buffer_.resize(2 * buffer_.size());
  long got = 0;
  int failure = 0;
  if (const auto at_once = read_at_once()) {
    got = *at_once;
    failure = errno;
  } else {
    const bool read = refills_->wait([&](Instant end) {
      if (!regular_ && !ready_within(fd_.get(), milliseconds_until(end))) return false;
      got = read_into_buffer();
      failure = errno;
      return got >= 0 || failure != EINTR;
    });
    if (!read) return std::unexpected(Interrupted{});
  }
  if (got < 0) return std::unexpected(IoError{failure});
  if (got == 0) return std::unexpected(End{});
  end_ += std::size_t(got);
  return {};
}

std::expected<std::string_view, NoLine> FileSource::next() {
  while (true) {
    const char* start = buffer_.data() + scanned_;
    const auto* feed = static_cast<const char*>(std::memchr(start, '\n', end_ - scanned_));
    if (feed != nullptr) {
      const std::size_t line_end = std::size_t(feed - buffer_.data());
      const std::string_view line(buffer_.data() + begin_, line_end - begin_);
      begin_ = scanned_ = line_end + 1;
      if (std::exchange(in_overlong_, false)) return std::unexpected(OverlongPiece{line, false, true});
      if (is_overlong(line)) return std::unexpected(OverlongPiece{line, true, true});
      return line;
    }
    scanned_ = end_;
    // What is held of a line too long to hold goes out as it comes, so the
    // buffer takes in no more than the bound.
    const std::string_view held(buffer_.data() + begin_, end_ - begin_);
    if (in_overlong_ ? !held.empty() : is_overlong(held)) {
      begin_ = end_;
      return std::unexpected(OverlongPiece{held, !std::exchange(in_overlong_, true), false});
    }
    if (at_end_) {
      if (std::exchange(in_overlong_, false)) return std::unexpected(OverlongPiece{{}, false, true});
      if (held.empty()) return std::unexpected(End{});
      begin_ = scanned_ = end_;
      return held;
    }
    if (const auto filled = refill(); !filled) {
      if (!std::holds_alternative<End>(filled.error())) return std::unexpected(filled.error());
      at_end_ = true;
    }
  }
}

}  // namespace vorn::pgn
