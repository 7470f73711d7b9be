#include "polyglot/build.hpp"

#include <algorithm>
#include <limits>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "pgn/read.hpp"
#include "polyglot/key.hpp"

namespace vorn::polyglot {

namespace {

constexpr std::uint32_t kMaxWeight = std::numeric_limits<std::uint16_t>::max();

std::uint16_t capped_weight(std::uint32_t value) { return std::uint16_t(std::min(value, kMaxWeight)); }

// A count as a weight: unchanged while the largest count of its position
// fits the field; past that in proportion, rounded, the largest 65535 and
// none below 1.
std::uint16_t weight_of(std::uint32_t count, std::uint32_t largest) {
  if (largest <= kMaxWeight) return std::uint16_t(count);
  const std::uint64_t scaled = (std::uint64_t{count} * kMaxWeight + largest / 2) / largest;
  return std::uint16_t(std::max<std::uint64_t>(scaled, 1));
}

}  // namespace

bool book_order(const Raw& a, const Raw& b) {
  if (a.key != b.key) return a.key < b.key;
  if (a.weight != b.weight) return a.weight > b.weight;
  return a.bits < b.bits;
}

std::expected<void, FileError> write_raw(const std::string& path, std::vector<Raw> records) {
  // Grouping by (key, bits) with the heaviest first, earlier input first
  // among equals, puts the record whose learn is kept at the head of each
  // group, so merging is one pass instead of a search per record.
  std::stable_sort(records.begin(), records.end(), [](const Raw& a, const Raw& b) {
    if (a.key != b.key) return a.key < b.key;
    if (a.bits != b.bits) return a.bits < b.bits;
    return a.weight > b.weight;
  });
  std::vector<Raw> merged;
  for (const Raw& record : records) {
    if (!merged.empty() && merged.back().key == record.key && merged.back().bits == record.bits) {
      merged.back().weight = capped_weight(std::uint32_t{merged.back().weight} + record.weight);
    } else {
      merged.push_back(record);
    }
  }
  // (key, bits) is unique now, so book order leaves no ties to keep stable.
  std::sort(merged.begin(), merged.end(), book_order);
  return write_file(path, merged);
}

}  // namespace vorn::polyglot

namespace vorn::polyglot::build {

void Builder::add_game(const Game& game) {
  const std::vector<Move>& moves = game.moves();
  std::vector<MoveCounts::Pair> pairs(std::min(moves.size(), limit()));
  for (std::size_t i = 0; i < pairs.size(); ++i) pairs[i] = {key(game.positions()[i]), pack(moves[i])};
  counts_.add_all(pairs);
}

namespace {

// Collects the (key, move) pairs of a game's main line as the reader reads
// it, the key kept up move by move, and hands them over only once the whole
// game has read: a game that fails later counts nothing.
class MainlineCounter : public pgn::Visitor {
 public:
  MainlineCounter(std::size_t limit, MoveCounts& counts) : limit_(limit), counts_(counts) {}

  void begin_game() override {
    pairs_.clear();
    depth_ = 0;
  }
  void begin_movetext(const pgn::Headers&, const Variant&, const Position& start) override { key_ = key(start); }
  void move(const Position& before, const Position& after, Move move, std::string_view,
            std::span<const std::uint16_t>) override {
    if (depth_ != 0 || pairs_.size() == limit_) return;
    pairs_.push_back({key_, pack(move)});
    key_ = key_after(before, key_, move, after);
  }
  void begin_variation() override { ++depth_; }
  void end_variation() override { --depth_; }
  void end_game(pgn::GameResult) override {
    counts_.add_all(pairs_);
  }

 private:
  std::size_t limit_;
  MoveCounts& counts_;
  std::vector<MoveCounts::Pair> pairs_;
  std::uint64_t key_ = 0;  // of the main line's last position
  std::size_t depth_ = 0;
};

}  // namespace

std::unique_ptr<pgn::Visitor> Builder::pgn_counter() { return std::make_unique<MainlineCounter>(limit(), counts_); }

std::vector<Raw> Builder::entries() const {
  std::vector<MoveCounts::Slot> kept;
  counts_.for_each([&](const MoveCounts::Slot& slot) {
    if (slot.count >= min_count_) kept.push_back(slot);
  });
  std::vector<Raw> records;
  records.reserve(kept.size());
  for (std::size_t first = 0, end = 0; first < kept.size(); first = end) {
    std::uint32_t largest = 0;
    for (end = first; end < kept.size() && kept[end].key == kept[first].key; ++end)
      largest = std::max(largest, kept[end].count);
    for (std::size_t i = first; i < end; ++i)
      records.push_back({kept[i].key, kept[i].bits, weight_of(kept[i].count, largest), 0});
  }
  std::sort(records.begin(), records.end(), book_order);
  return records;
}

}  // namespace vorn::polyglot::build
