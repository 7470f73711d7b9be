// Reading and writing book files whole, with the operating system's errors
// as values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <vector>

#include "core/signal_call.hpp"
#include "polyglot/record.hpp"

namespace vorn::polyglot {

// Far above any real book: a longer file, or a source without end such as
// /dev/zero, is refused rather than read until memory runs out.
inline constexpr std::size_t kLargestBook = std::size_t(1) << 30;

// A failed read or write of a book file: the operating system's error
// number, a file whose length is not a whole number of records, or one
// longer than kLargestBook.
struct FileError {
  enum class Kind : std::uint8_t { System, NotWholeEntries, TooLarge };
  Kind kind = Kind::System;
  int number = 0;  // errno, for System

  static FileError system(int number) { return {Kind::System, number}; }
  std::string message() const;
};

// The records of the file at `path` (a file-system path as bytes), read to
// its end and decoded as they come; `on_signal` decides what a signal that
// cuts the open or a read short does, and is asked as well every 0.1 s of
// the load, where a source never makes a read wait; its false gives the
// load up with EINTR.
std::expected<std::vector<Raw>, FileError> read_records(const std::string& path, const OnSignal& on_signal = {});
// Creates or truncates the file at `path` and writes `records` in order.
std::expected<void, FileError> write_file(const std::string& path, std::span<const Raw> records);

}  // namespace vorn::polyglot
