// Where PGN text comes from, one line at a time: a text in memory (borrowed
// or owned) or a file read through a buffer. A line is handed out as a view
// that stays valid until the next call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/signal_call.hpp"

namespace vorn::pgn {

// An operating-system failure: its errno.
struct IoError {
  int code;
};

class LineSource {
 public:
  virtual ~LineSource() = default;
  // The bytes up to the next line feed (not included), or none at the end.
  virtual std::expected<std::optional<std::string_view>, IoError> next() = 0;
  // Where the next line starts, and going back there, for a source that can.
  virtual bool can_seek() const = 0;
  virtual std::uint64_t tell() const = 0;
  virtual std::expected<void, IoError> seek(std::uint64_t offset) = 0;
};

class TextSource : public LineSource {
 public:
  explicit TextSource(std::string_view text) : text_(text) {}
  std::expected<std::optional<std::string_view>, IoError> next() override;
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
  std::expected<std::optional<std::string_view>, IoError> next() override { return lines_.next(); }
  bool can_seek() const override { return true; }
  std::uint64_t tell() const override { return lines_.tell(); }
  std::expected<void, IoError> seek(std::uint64_t offset) override { return lines_.seek(offset); }

 private:
  std::string text_;
  TextSource lines_;
};

class FileSource : public LineSource {
 public:
  // A directory is EISDIR here rather than at the first read. `on_signal`
  // decides what a signal that cuts the open or a later read short does.
  static std::expected<FileSource, IoError> open(const std::string& path, OnSignal on_signal = {});
  FileSource(FileSource&& other) noexcept;
  FileSource& operator=(FileSource&&) = delete;
  ~FileSource() override;
  std::expected<std::optional<std::string_view>, IoError> next() override;
  bool can_seek() const override { return seekable_; }
  std::uint64_t tell() const override { return read_ - (end_ - begin_); }
  std::expected<void, IoError> seek(std::uint64_t offset) override;

 private:
  FileSource(int fd, bool seekable, OnSignal on_signal);
  std::expected<bool, IoError> refill();  // false at the end of the file

  int fd_;
  bool seekable_;
  OnSignal on_signal_;
  std::uint64_t read_ = 0;  // bytes taken from the file so far
  std::vector<char> buffer_;
  std::size_t begin_ = 0, end_ = 0;
  std::string carry_;  // a line that runs past the buffer
  bool at_end_ = false;
};

}  // namespace vorn::pgn
