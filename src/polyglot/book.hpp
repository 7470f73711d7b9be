// Polyglot opening books: flat files of 16-byte big-endian records
// (key, move bits, weight, learn) sorted by position key. A book is read
// whole into memory when opened, so nothing another process (or a write of
// ours to the same path) does to the file later can reach it.
#pragma once

#include <cstdint>
#include <expected>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "polyglot/file.hpp"
#include "polyglot/record.hpp"

namespace vorn::polyglot {

class Book {
 public:
  // Reads the file at `path` (a file-system path as bytes) to its end, one
  // longer than kLargestBook refused; `on_signal` as for read_records.
  static std::expected<Book, FileError> open(const std::string& path, const OnSignal& on_signal = {});
  static std::expected<Book, FileError> from_bytes(std::span<const unsigned char> bytes);

  std::size_t size() const { return records_->size(); }
  std::optional<Raw> get(std::uint64_t index) const;
  // Shared, never changed: an iterator may keep it past the book's life.
  std::shared_ptr<const std::vector<Raw>> records() const { return records_; }

  // The run of records of `key` starting where a binary search for it lands;
  // on an unsorted book that run may miss records of the key, or be empty.
  std::span<const Raw> raw_entries(std::uint64_t key) const;
  // Those records read against `position`, the ones naming no legal move left out.
  std::vector<Entry> entries(const Variant& variant, const Position& position) const;
  // The heaviest entry; ties go to the earlier one.
  std::optional<Entry> best(const Variant& variant, const Position& position) const;
  // The entry whose running total of weights first exceeds seed mod total;
  // the first entry when every weight is 0.
  std::optional<Entry> pick(const Variant& variant, const Position& position, std::uint64_t seed) const;

 private:
  explicit Book(std::vector<Raw> records)
      : records_(std::make_shared<const std::vector<Raw>>(std::move(records))) {}

  std::shared_ptr<const std::vector<Raw>> records_;
};

}  // namespace vorn::polyglot
