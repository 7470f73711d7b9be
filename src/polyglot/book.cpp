#include "polyglot/book.hpp"

#include <algorithm>

#include "polyglot/key.hpp"

namespace vorn::polyglot {

std::expected<Book, FileError> Book::open(const std::string& path, const OnSignal& on_signal) {
  auto records = read_records(path, on_signal);
  if (!records) return std::unexpected(records.error());
  return Book(std::move(*records));
}

std::expected<Book, FileError> Book::from_bytes(std::span<const unsigned char> bytes) {
  if (bytes.size() % kEntrySize != 0) return std::unexpected(FileError{FileError::Kind::NotWholeEntries});
  std::vector<Raw> records(bytes.size() / kEntrySize);
  for (std::size_t i = 0; i < records.size(); ++i) records[i] = read_record(bytes.data() + i * kEntrySize);
  return Book(std::move(records));
}

std::optional<Raw> Book::get(std::uint64_t index) const {
  if (index >= size()) return std::nullopt;
  return (*records_)[index];
}

std::span<const Raw> Book::raw_entries(std::uint64_t key) const {
  const std::vector<Raw>& all = *records_;
  // A lower bound written out, so that on an unsorted book the probes, and
  // so the run found, are exactly these; then the run of equal keys.
  std::size_t lo = 0, hi = all.size();
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (all[mid].key >= key) hi = mid;
    else lo = mid + 1;
  }
  std::size_t end = lo;
  while (end < all.size() && all[end].key == key) ++end;
  return std::span<const Raw>(all).subspan(lo, end - lo);
}

std::vector<Entry> Book::entries(const Variant& variant, const Position& position) const {
  const std::span<const Raw> found = raw_entries(polyglot::key(position));
  std::vector<Entry> read;
  if (found.empty()) return read;
  read.reserve(found.size());
  MoveList legal;
  variant.legal_moves(position, legal);
  for (const Raw& raw : found) {
    if (auto entry = raw.decode(legal)) read.push_back(*entry);
  }
  return read;
}

std::optional<Entry> Book::best(const Variant& variant, const Position& position) const {
  const std::vector<Entry> read = entries(variant, position);
  // max_element keeps the first of equal maxima.
  const auto heaviest = std::max_element(read.begin(), read.end(),
                                         [](const Entry& a, const Entry& b) { return a.weight < b.weight; });
  if (heaviest == read.end()) return std::nullopt;
  return *heaviest;
}

std::optional<Entry> Book::pick(const Variant& variant, const Position& position, std::uint64_t seed) const {
  const std::vector<Entry> read = entries(variant, position);
  if (read.empty()) return std::nullopt;
  std::uint64_t total = 0;
  for (const Entry& entry : read) total += entry.weight;
  if (total == 0) return read.front();
  std::uint64_t rest = seed % total;
  for (const Entry& entry : read) {
    if (rest < entry.weight) return entry;
    rest -= entry.weight;
  }
  panic("a draw below the total weight falls on an entry");
}

}  // namespace vorn::polyglot
