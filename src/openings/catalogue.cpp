#include "openings/catalogue.hpp"

#include <algorithm>
#include <functional>
#include <unordered_map>
#include <vector>

#include "openings/tables.hpp"
#include "polyglot/key.hpp"
#include "variant/variant.hpp"

namespace vorn::openings {

namespace {

constexpr std::string_view kWhiteSpace = " \t\n\r\f\v";

// Splits off the text before the first `separator` (all of it when absent).
std::string_view take_until(std::string_view& text, char separator) {
  const std::size_t at = text.find(separator);
  const std::string_view head = text.substr(0, at);
  text.remove_prefix(at == std::string_view::npos ? text.size() : at + 1);
  return head;
}

// Splits off the next white-space separated token; empty at the end.
std::string_view next_token(std::string_view& text) {
  const std::size_t start = std::min(text.find_first_not_of(kWhiteSpace), text.size());
  text.remove_prefix(start);
  const std::string_view token = text.substr(0, text.find_first_of(kWhiteSpace));
  text.remove_prefix(token.size());
  return token;
}

bool is_move_number(std::string_view token) { return token.front() >= '0' && token.front() <= '9'; }

// Positions the rows' moves reach, as a tree of SAN steps from the start,
// so the many rows that share their first moves replay them once.
class Replay {
 public:
  explicit Replay(std::size_t steps) : children_(steps) { reached_.reserve(steps); }

  std::optional<std::uint64_t> key_after(std::string_view moves) {
    std::uint32_t node = 0;
    for (std::string_view token = next_token(moves); !token.empty(); token = next_token(moves)) {
      if (is_move_number(token)) continue;
      const auto [child, added] = children_.try_emplace(Step{node, token}, std::uint32_t(reached_.size()));
      if (added) {
        const Position& here = reached_[node];
        const auto move = chess_.move_from_san(here, token);
        if (!move) {
          children_.erase(child);
          return std::nullopt;
        }
        reached_.push_back(chess_.play(here, *move));
      }
      node = child->second;
    }
    return polyglot::key(reached_[node]);
  }

 private:
  struct Step {
    std::uint32_t from;
    std::string_view san;
    bool operator==(const Step&) const = default;
  };
  struct StepHash {
    std::size_t operator()(const Step& step) const {
      return std::hash<std::string_view>{}(step.san) ^ (std::size_t{step.from} * 0x9E3779B97F4A7C15ULL);
    }
  };

  const Variant& chess_ = classic();
  std::vector<Position> reached_{chess_.start_position(0)};
  std::unordered_map<Step, std::uint32_t, StepHash> children_;
};

using Catalogue = std::unordered_map<std::uint64_t, Opening>;

// Rows name positions in table order; the first row to reach a position
// names it.
void add_table(Catalogue& catalogue, Replay& replay, std::string_view table) {
  take_until(table, '\n');  // the header
  while (!table.empty()) {
    std::string_view line = take_until(table, '\n');
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (std::count(line.begin(), line.end(), '\t') < 2) continue;
    const std::string_view eco = take_until(line, '\t');
    const std::string_view name = take_until(line, '\t');
    const std::string_view moves = take_until(line, '\t');
    if (const auto key = replay.key_after(moves)) catalogue.try_emplace(*key, Opening{eco, name});
  }
}

const Catalogue& catalogue() {
  static const Catalogue built = [] {
    // Sized for the shipped tables: about 3,500 rows over 8,000 distinct steps.
    Catalogue catalogue(4096);
    Replay replay(8192);
    for (const std::string_view table : kTables) add_table(catalogue, replay, table);
    return catalogue;
  }();
  return built;
}

}  // namespace

std::string Opening::text() const {
  std::string shown(eco);
  shown += ' ';
  shown += name;
  return shown;
}

std::optional<Opening> lookup(const Position& position) {
  const Catalogue& names = catalogue();
  const auto found = names.find(polyglot::key(position));
  if (found == names.end()) return std::nullopt;
  return found->second;
}

std::size_t count() { return catalogue().size(); }

}  // namespace vorn::openings
