#include "polyglot/file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "core/descriptor.hpp"

namespace vorn::polyglot {

namespace {

std::expected<void, FileError> write_all(int fd, const unsigned char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(FileError::system(errno));
    }
    bytes += written;
    size -= std::size_t(written);
  }
  return {};
}

// How long a read goes on before it asks whether a signal came meanwhile.
constexpr std::chrono::milliseconds kSlice{100};

// Records are written through one buffer of this many bytes.
constexpr std::size_t kWriteBuffer = 8192;
static_assert(kWriteBuffer % kEntrySize == 0);

}  // namespace

std::string FileError::message() const {
  if (kind == Kind::NotWholeEntries) return "a book is a whole number of " + std::to_string(kEntrySize) + "-byte entries";
  if (kind == Kind::TooLarge) return "a book holds at most " + std::to_string(kLargestBook / kEntrySize) + " entries (1 GiB)";
  return std::strerror(number);
}

std::expected<std::vector<unsigned char>, FileError> read_file(const std::string& path, const OnSignal& on_signal) {
  Descriptor file(call_through_signals([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); }, on_signal));
  if (file.get() < 0) return std::unexpected(FileError::system(errno));
  // Read until the end rather than trusting the size taken here, which only
  // sizes the buffer: the file may change while it is read, and pipes have
  // no size. One byte more lets the first pass see the end, and a file
  // seen to hold more than a book may is refused unread.
  struct stat status {};
  const bool sized = ::fstat(file.get(), &status) == 0 && status.st_size > 0;
  if (sized && std::uint64_t(status.st_size) > kLargestBook) return std::unexpected(FileError{FileError::Kind::TooLarge});
  std::vector<unsigned char> bytes(sized ? std::size_t(status.st_size) + 1 : 0);
  std::size_t used = 0;
  // A source that never waits (/dev/zero, a pipe whose writer keeps ahead)
  // has no call for a signal to cut short: on_signal is asked once a slice.
  auto next_check = std::chrono::steady_clock::now() + kSlice;
  for (;;) {
    if (used > kLargestBook) return std::unexpected(FileError{FileError::Kind::TooLarge});
    if (used == bytes.size()) {
      // Doubled, up to the bound and the one byte that shows it passed: in
      // one step from half of it, so that the copy holds no more than 1.5 times it.
      const std::size_t doubled = std::max<std::size_t>(2 * bytes.size(), 1 << 16);
      bytes.resize(doubled < kLargestBook ? doubled : kLargestBook + 1);
    }
    const ssize_t got =
        call_through_signals([&] { return ::read(file.get(), bytes.data() + used, bytes.size() - used); }, on_signal);
    if (got < 0) return std::unexpected(FileError::system(errno));
    if (got == 0) break;
    used += std::size_t(got);
    if (const auto now = std::chrono::steady_clock::now(); on_signal && now >= next_check) {
      if (!on_signal()) return std::unexpected(FileError::system(EINTR));
      next_check = now + kSlice;
    }
  }
  bytes.resize(used);
  return bytes;
}

std::expected<void, FileError> write_file(const std::string& path, std::span<const Raw> records) {
  Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (file.get() < 0) return std::unexpected(FileError::system(errno));
  std::array<unsigned char, kWriteBuffer> buffer;
  std::size_t used = 0;
  for (const Raw& record : records) {
    if (used == buffer.size()) {
      if (auto written = write_all(file.get(), buffer.data(), used); !written) return written;
      used = 0;
    }
    write_record(record, buffer.data() + used);
    used += kEntrySize;
  }
  if (auto written = write_all(file.get(), buffer.data(), used); !written) return written;
  if (const auto closed = file.close(); !closed) return std::unexpected(FileError::system(closed.error()));
  return {};
}

}  // namespace vorn::polyglot
