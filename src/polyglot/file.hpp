// Reading and writing book files whole, with the operating system's errors
// as values.
#pragma once

#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <vector>

#include "core/signal_call.hpp"
#include "polyglot/record.hpp"

namespace vorn::polyglot {

// A failed read or write of a book file: the operating system's error
// number, or a file whose length is not a whole number of records.
struct FileError {
  enum class Kind : std::uint8_t { System, NotWholeEntries };
  Kind kind = Kind::System;
  int number = 0;  // errno, for System

  static FileError system(int number) { return {Kind::System, number}; }
  std::string message() const;
};

// The bytes of the file at `path` (a file-system path as bytes), read to its
// end; `on_signal` decides what a signal that cuts the open or a read short does.
std::expected<std::vector<unsigned char>, FileError> read_file(const std::string& path, const OnSignal& on_signal = {});
// Creates or truncates the file at `path` and writes `records` in order.
std::expected<void, FileError> write_file(const std::string& path, std::span<const Raw> records);

}  // namespace vorn::polyglot
