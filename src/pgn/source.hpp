// Where PGN text comes from, one line at a time: a text in memory (borrowed
// or owned) or a file read through a buffer. A line is handed out as a view
// that stays valid until the next call.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/descriptor.hpp"
#include "core/signal_call.hpp"

namespace vorn::pgn {

// No real game comes near this: a longer line is refused, not held. Its
// ending, a line feed with or without a carriage return before it, does not count.
inline constexpr std::size_t kLongestLine = std::size_t(16) << 20;

// An operating-system failure: its errno.
struct IoError {
  int code;
};
// The input is over.
struct End {};
// A read given up at its user's asking (Ctrl-C, say): nothing is lost, and
// the next call reads on from where this one stood.
struct Interrupted {};
// A line longer than kLongestLine is handed out in pieces, a call each, so
// that no source need hold it whole: the first piece tells that the line is
// too long, the last that it is over.
struct OverlongPiece {
  std::string_view bytes;
  bool first, last;
};
using NoLine = std::variant<End, IoError, Interrupted, OverlongPiece>;

class LineSource {
 public:
  virtual ~LineSource() = default;
  // The bytes up to the next line feed (not included), or why there is none;
  // a piece, valid until the next call, of a line too long to be one.
  virtual std::expected<std::string_view, NoLine> next() = 0;
  // Asked between pieces of work on one long line; false gives the read up
  // as interrupted, to go on from there at the next call.
  virtual bool go_on() { return true; }
  // Where the next line starts, and going back there, for a source that can.
  virtual bool can_seek() const = 0;
  virtual std::uint64_t tell() const = 0;
  virtual std::expected<void, IoError> seek(std::uint64_t offset) = 0;
};

class TextSource : public LineSource {
 public:
  explicit TextSource(std::string_view text) : text_(text) {}
  std::expected<std::string_view, NoLine> next() override;
  bool can_seek() const override { return true; }
  std::uint64_t tell() const override { return pos_; }
  std::expected<void, IoError> seek(std::uint64_t offset) override;

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Owns its text, so it can outlive the caller's copy.
class OwnedTextSource : public LineSource {
 public:
  explicit OwnedTextSource(std::string text) : text_(std::move(text)), lines_(text_) {}
  std::expected<std::string_view, NoLine> next() override { return lines_.next(); }
  bool can_seek() const override { return true; }
  std::uint64_t tell() const override { return lines_.tell(); }
  std::expected<void, IoError> seek(std::uint64_t offset) override { return lines_.seek(offset); }

 private:
  std::string text_;
  TextSource lines_;
};

using Instant = std::chrono::steady_clock::time_point;

// What a file source does at each refill of its buffer, its user's choice:
// the Python binding checks for Ctrl-C there and lets other threads run
// while a read waits for its input.
class Refills {
 public:
  virtual ~Refills() = default;
  // Before each refill, and now and then within a long line; false gives
  // the read up as interrupted.
  virtual bool go_on() { return true; }
  // A read that has to wait (for a writer, or for the disk):
  // `read_by(end)` answers true once it has read, false when `end` came
  // first. False gives the read up as interrupted.
  virtual bool wait(const std::function<bool(Instant)>& read_by);
};

class FileSource : public LineSource {
 public:
  // A directory is EISDIR here rather than at the first read. `on_signal`
  // decides what a signal that cuts the open short does; `refills` (none:
  // the plain ones) what a refill does.
  static std::expected<FileSource, IoError> open(const std::string& path, OnSignal on_signal = {},
                                                 std::unique_ptr<Refills> refills = nullptr);
  FileSource(FileSource&& other) noexcept = default;
  FileSource& operator=(FileSource&&) = delete;
  std::expected<std::string_view, NoLine> next() override;
  bool go_on() override { return refills_->go_on(); }
  bool can_seek() const override { return regular_; }
  std::uint64_t tell() const override { return offset_ + begin_; }
  std::expected<void, IoError> seek(std::uint64_t offset) override;

 private:
  FileSource(Descriptor fd, bool regular, std::unique_ptr<Refills> refills);
  // More bytes at the end of the buffer; End when the file has none.
  std::expected<void, NoLine> refill();
  // A read that does not wait: the bytes read, or none when it would have
  // to, or cannot tell.
  std::optional<long> read_at_once();
  long read_into_buffer();

  Descriptor fd_;
  bool regular_;
  // Whether a read from the page cache alone is worth asking for: not once
  // the system refused one.
  bool cache_reads_ = true;
  std::unique_ptr<Refills> refills_;
  // Bytes read from the file, the first at offset_; from begin_ on not yet
  // handed out, and up to scanned_ known to hold no line feed.
  std::vector<char> buffer_;
  std::uint64_t offset_ = 0;
  std::size_t begin_ = 0, scanned_ = 0, end_ = 0;
  bool at_end_ = false;
  bool in_overlong_ = false;  // the rest of a line too long to hold is handed out next
};

}  // namespace vorn::pgn
