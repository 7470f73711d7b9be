#include "pgn/record.hpp"

#include <algorithm>
#include <functional>

namespace vorn::pgn {

namespace {

constexpr std::array<std::string_view, 7> kRoster{"Event", "Site",  "Date",  "Round",
                                                  "White", "Black", "Result"};

// The scalar members of a node: everything but its variations.
bool same_own(const Node& a, const Node& b) {
  return a.move.same_action(b.move) && a.san == b.san && a.nags == b.nags &&
         a.comment_before == b.comment_before && a.comment_after == b.comment_after &&
         a.variations.size() == b.variations.size();
}

// Copies `from`'s variations, to any depth, into `to`, whose own members are
// already copied and whose variations are empty.
void copy_variations(const Node& from, Node& to) {
  std::vector<std::pair<const Line*, Line*>> pending;
  const auto queue = [&pending](const Node& source, Node& target) {
    target.variations.resize(source.variations.size());
    for (std::size_t i = 0; i < source.variations.size(); ++i)
      pending.emplace_back(&source.variations[i], &target.variations[i]);
  };
  queue(from, to);
  while (!pending.empty()) {
    const auto [source, target] = pending.back();
    pending.pop_back();
    target->reserve(source->size());
    for (const Node& node : *source) {
      Node& copy = target->emplace_back(node.move, node.san);
      copy.nags = node.nags;
      copy.comment_before = node.comment_before;
      copy.comment_after = node.comment_after;
    }
    // The target line is complete, so pointers into its nodes stay valid.
    for (std::size_t i = 0; i < source->size(); ++i) queue((*source)[i], (*target)[i]);
  }
}

}  // namespace

std::string PgnError::kind_text() const {
  std::string out(text(kind));
  if (const auto hole = out.find("{}"); hole != std::string::npos) out.replace(hole, 2, detail);
  return out;
}

std::string PgnError::message() const {
  if (line == 0) return kind_text();
  return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + kind_text();
}

void Headers::clear() {
  pairs_.clear();
  std::ranges::fill(index_, 0);
}

std::size_t Headers::slot(std::string_view name) const {
  const std::size_t mask = index_.size() - 1;
  for (std::size_t at = std::hash<std::string_view>{}(name) & mask;; at = (at + 1) & mask)
    if (index_[at] == 0 || pairs_[index_[at] - 1].first == name) return at;
}

void Headers::set(std::string_view name, std::string_view value) {
  if (2 * (pairs_.size() + 1) > index_.size()) {
    index_.assign(std::max<std::size_t>(16, 2 * index_.size()), 0);
    for (std::size_t i = 0; i < pairs_.size(); ++i) index_[slot(pairs_[i].first)] = i + 1;
  }
  std::size_t& entry = index_[slot(name)];
  if (entry != 0) {
    pairs_[entry - 1].second = value;
    return;
  }
  pairs_.emplace_back(name, value);
  entry = pairs_.size();
}

const Headers::Pair* Headers::pair_named(std::string_view name) const {
  if (index_.empty()) return nullptr;
  const std::size_t entry = index_[slot(name)];
  return entry == 0 ? nullptr : &pairs_[entry - 1];
}

const std::string* Headers::find(std::string_view name) const {
  const Pair* pair = pair_named(name);
  return pair == nullptr ? nullptr : &pair->second;
}

std::vector<const Headers::Pair*> Headers::export_order() const {
  std::vector<const Pair*> order;
  order.reserve(pairs_.size());
  for (const std::string_view name : kRoster)
    if (const Pair* pair = pair_named(name)) order.push_back(pair);
  for (const Pair& pair : pairs_)
    if (std::ranges::find(kRoster, pair.first) == kRoster.end()) order.push_back(&pair);
  return order;
}

Node::Node(const Node& other)
    : move(other.move),
      san(other.san),
      nags(other.nags),
      comment_before(other.comment_before),
      comment_after(other.comment_after) {
  copy_variations(other, *this);
}

Node& Node::operator=(const Node& other) {
  if (this != &other) *this = Node(other);
  return *this;
}

Node::~Node() {
  if (variations.empty()) return;  // most nodes: nothing below to take apart
  // Lines are taken apart one at a time: every node's variations are moved
  // onto the stack before the node itself goes, so no destructor recurses.
  std::vector<Line> pending = std::move(variations);
  while (!pending.empty()) {
    Line line = std::move(pending.back());
    pending.pop_back();
    for (Node& node : line)
      for (Line& variation : node.variations)
        if (!variation.empty()) pending.push_back(std::move(variation));
  }
}

bool operator==(const Node& a, const Node& b) {
  if (!same_own(a, b)) return false;
  std::vector<std::pair<const Line*, const Line*>> pending;
  for (std::size_t i = 0; i < a.variations.size(); ++i)
    pending.emplace_back(&a.variations[i], &b.variations[i]);
  while (!pending.empty()) {
    const auto [x, y] = pending.back();
    pending.pop_back();
    if (x->size() != y->size()) return false;
    for (std::size_t i = 0; i < x->size(); ++i) {
      const Node& m = (*x)[i];
      const Node& n = (*y)[i];
      if (!same_own(m, n)) return false;
      for (std::size_t v = 0; v < m.variations.size(); ++v)
        pending.emplace_back(&m.variations[v], &n.variations[v]);
    }
  }
  return true;
}

bool same_line(const Line& a, const Line& b) {
  return std::ranges::equal(a, b);
}

bool operator==(const Game& a, const Game& b) {
  return a.headers == b.headers && a.comment == b.comment && a.result == b.result &&
         same_line(a.nodes, b.nodes);
}

}  // namespace vorn::pgn
