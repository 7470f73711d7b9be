// Where PGN text comes from, one line at a time: a text in memory (borrowed
// or owned) or a file read through a buffer. A line is handed out as a view
// that stays valid until the next call.
#pragma once

#include <cstddef>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
};

class TextSource : public LineSource {
 public:
  explicit TextSource(std::string_view text) : text_(text) {}
  std::expected<std::optional<std::string_view>, IoError> next() override;

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Owns its text, so it can outlive the caller's copy.
class OwnedTextSource : public LineSource {
 public:
  explicit OwnedTextSource(std::string text) : text_(std::move(text)), lines_(text_) {}
  std::expected<std::optional<std::string_view>, IoError> next() override { return lines_.next(); }

 private:
  std::string text_;
  TextSource lines_;
};

class FileSource : public LineSource {
 public:
  // A directory is EISDIR here rather than at the first read.
  static std::expected<FileSource, IoError> open(const std::string& path);
  FileSource(FileSource&& other) noexcept;
  FileSource& operator=(FileSource&&) = delete;
  ~FileSource() override;
  std::expected<std::optional<std::string_view>, IoError> next() override;

 private:
  explicit FileSource(int fd);
  std::expected<bool, IoError> refill();  // false at the end of the file

  int fd_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0, end_ = 0;
  std::string carry_;  // a line that runs past the buffer
  bool at_end_ = false;
};

}  // namespace vorn::pgn
