#include "pgn/source.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vorn::pgn {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

}  // namespace

std::expected<std::optional<std::string_view>, IoError> TextSource::next() {
  if (pos_ >= text_.size()) return std::nullopt;
  const std::size_t feed = text_.find('\n', pos_);
  const std::size_t end = feed == std::string_view::npos ? text_.size() : feed;
  const std::string_view line = text_.substr(pos_, end - pos_);
  pos_ = feed == std::string_view::npos ? text_.size() : feed + 1;
  return line;
}

std::expected<void, IoError> TextSource::seek(std::uint64_t offset) {
  pos_ = std::size_t(offset);
  return {};
}

std::expected<FileSource, IoError> FileSource::open(const std::string& path, OnSignal on_signal) {
  const int fd = call_through_signals([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); }, on_signal);
  if (fd < 0) return std::unexpected(IoError{errno});
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    const int code = S_ISDIR(info.st_mode) ? EISDIR : errno;
    ::close(fd);
    return std::unexpected(IoError{code});
  }
  return FileSource(fd, S_ISREG(info.st_mode), std::move(on_signal));
}

FileSource::FileSource(int fd, bool seekable, OnSignal on_signal)
    : fd_(fd), seekable_(seekable), on_signal_(std::move(on_signal)), buffer_(kBufferSize) {}

FileSource::FileSource(FileSource&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      seekable_(other.seekable_),
      on_signal_(std::move(other.on_signal_)),
      read_(other.read_),
      buffer_(std::move(other.buffer_)),
      begin_(other.begin_),
      end_(other.end_),
      carry_(std::move(other.carry_)),
      at_end_(other.at_end_) {}

FileSource::~FileSource() {
  if (fd_ >= 0) ::close(fd_);
}

std::expected<bool, IoError> FileSource::refill() {
  const ssize_t got = call_through_signals([&] { return ::read(fd_, buffer_.data(), buffer_.size()); }, on_signal_);
  if (got < 0) return std::unexpected(IoError{errno});
  begin_ = 0;
  end_ = std::size_t(got);
  read_ += end_;
  return got > 0;
}

std::expected<void, IoError> FileSource::seek(std::uint64_t offset) {
  if (::lseek(fd_, off_t(offset), SEEK_SET) < 0) return std::unexpected(IoError{errno});
  read_ = offset;
  begin_ = end_ = 0;
  at_end_ = false;
  return {};
}

std::expected<std::optional<std::string_view>, IoError> FileSource::next() {
  carry_.clear();
  bool carried = false;
  while (true) {
    if (begin_ == end_) {
      if (at_end_) return carried ? std::optional<std::string_view>(carry_) : std::nullopt;
      const auto filled = refill();
      if (!filled) return std::unexpected(filled.error());
      if (!*filled) {
        at_end_ = true;
        continue;
      }
    }
    const char* start = buffer_.data() + begin_;
    const auto* feed = static_cast<const char*>(std::memchr(start, '\n', end_ - begin_));
    if (feed != nullptr) {
      const std::size_t length = std::size_t(feed - start);
      begin_ += length + 1;
      if (!carried) return std::string_view(start, length);
      carry_.append(start, length);
      return std::string_view(carry_);
    }
    carry_.append(start, end_ - begin_);
    carried = true;
    begin_ = end_;
  }
}

}  // namespace vorn::pgn
