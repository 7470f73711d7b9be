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

// How long a load goes on before it asks whether a signal came meanwhile.
constexpr std::chrono::milliseconds kSlice{100};

// Books are read through one buffer of this many bytes: a few hundred
// microseconds of decoding between two looks at the clock.
constexpr std::size_t kReadBuffer = std::size_t(1) << 18;

// Records moved at a time when the room for them grows: some 10 ms of copying.
constexpr std::size_t kGrowthPiece = std::size_t(1) << 20;

// Records are written through one buffer of this many bytes.
constexpr std::size_t kWriteBuffer = 8192;
static_assert(kWriteBuffer % kEntrySize == 0);

// Asks on_signal whenever a slice has passed since it last did; false once
// on_signal gave up.
class SliceChecks {
 public:
  explicit SliceChecks(const OnSignal& on_signal) : on_signal_(on_signal) {}
  bool go_on() {
    if (!on_signal_) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now < next_) return true;
    next_ = now + kSlice;
    return on_signal_();
  }

 private:
  const OnSignal& on_signal_;
  std::chrono::steady_clock::time_point next_ = std::chrono::steady_clock::now() + kSlice;
};

// `records` given twice the room, moved over in pieces between checks for
// signals: one copy of hundreds of MiB, and the fresh memory it touches,
// would hold them off for a third of a second. False when a check gave up.
bool grow(std::vector<Raw>& records, SliceChecks& checks) {
  std::vector<Raw> larger;
  larger.reserve(std::max(2 * records.capacity(), kReadBuffer / kEntrySize));
  for (std::size_t at = 0; at < records.size(); at += kGrowthPiece) {
    const std::size_t end = std::min(records.size(), at + kGrowthPiece);
    larger.insert(larger.end(), records.begin() + std::ptrdiff_t(at), records.begin() + std::ptrdiff_t(end));
    if (!checks.go_on()) return false;
  }
  records = std::move(larger);
  return true;
}

}  // namespace

std::string FileError::message() const {
  if (kind == Kind::NotWholeEntries) return "a book is a whole number of " + std::to_string(kEntrySize) + "-byte entries";
  if (kind == Kind::TooLarge) return "a book holds at most " + std::to_string(kLargestBook / kEntrySize) + " entries (1 GiB)";
  return std::strerror(number);
}

std::expected<std::vector<Raw>, FileError> read_records(const std::string& path, const OnSignal& on_signal) {
  Descriptor file(call_through_signals([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); }, on_signal));
  if (file.get() < 0) return std::unexpected(FileError::system(errno));
  // Read until the end rather than trusting the size taken here, which only
  // reserves room: the file may change while it is read, and pipes have no
  // size. A file seen to hold more than a book may is refused unread.
  struct stat status {};
  const bool sized = ::fstat(file.get(), &status) == 0 && status.st_size > 0;
  if (sized && std::uint64_t(status.st_size) > kLargestBook) return std::unexpected(FileError{FileError::Kind::TooLarge});
  std::vector<Raw> records;
  if (sized) records.reserve(std::size_t(status.st_size) / kEntrySize);
  // Records are decoded from a small buffer as they come, so that the whole
  // load, decoding and touching fresh memory included, runs in reads between
  // two checks for signals, and no copy of the file's bytes is ever held.
  std::vector<unsigned char> buffer(kReadBuffer);
  std::size_t held = 0;  // bytes of a record that a read split, at the buffer's start
  std::size_t total = 0;
  // A source that never waits (/dev/zero, a pipe whose writer keeps ahead)
  // has no call for a signal to cut short: on_signal is asked once a slice.
  SliceChecks checks(on_signal);
  for (;;) {
    const ssize_t got =
        call_through_signals([&] { return ::read(file.get(), buffer.data() + held, buffer.size() - held); }, on_signal);
    if (got < 0) return std::unexpected(FileError::system(errno));
    if (got == 0) break;
    total += std::size_t(got);
    if (total > kLargestBook) return std::unexpected(FileError{FileError::Kind::TooLarge});
    held += std::size_t(got);
    const std::size_t whole = held - held % kEntrySize;
    // Only a source without a size, or a file that grew, runs out of room.
    while (records.capacity() - records.size() < whole / kEntrySize) {
      if (!grow(records, checks)) return std::unexpected(FileError::system(EINTR));
    }
    for (std::size_t at = 0; at < whole; at += kEntrySize) records.push_back(read_record(buffer.data() + at));
    std::copy(buffer.data() + whole, buffer.data() + held, buffer.data());
    held -= whole;
    if (!checks.go_on()) return std::unexpected(FileError::system(EINTR));
  }
  if (held != 0) return std::unexpected(FileError{FileError::Kind::NotWholeEntries});
  return records;
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
