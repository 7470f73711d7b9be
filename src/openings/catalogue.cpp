#include "openings/catalogue.hpp"

#include <algorithm>
#include <unordered_map>

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

using Catalogue = std::unordered_map<std::uint64_t, Opening>;

// Rows name positions in table order; the first row to reach a position
// names it.
void add_table(Catalogue& catalogue, std::string_view table) {
  take_until(table, '\n');  // the header
  while (!table.empty()) {
    std::string_view line = take_until(table, '\n');
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (std::count(line.begin(), line.end(), '\t') < 2) continue;
    const std::string_view eco = take_until(line, '\t');
    const std::string_view name = take_until(line, '\t');
    const std::string_view moves = take_until(line, '\t');
    if (const auto key = key_after(moves)) catalogue.try_emplace(*key, Opening{eco, name});
  }
}

const Catalogue& catalogue() {
  static const Catalogue built = [] {
    Catalogue catalogue;
    for (const std::string_view table : kTables) add_table(catalogue, table);
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

std::optional<std::uint64_t> key_after(std::string_view moves) {
  const Variant& chess = classic();
  Position position = chess.start_position(0);
  while (true) {
    const std::size_t start = moves.find_first_not_of(kWhiteSpace);
    if (start == std::string_view::npos) break;
    moves.remove_prefix(start);
    const std::string_view token = moves.substr(0, moves.find_first_of(kWhiteSpace));
    moves.remove_prefix(token.size());
    if (token.front() >= '0' && token.front() <= '9') continue;
    const auto move = chess.move_from_san(position, token);
    if (!move) return std::nullopt;
    position = chess.play(position, *move);
  }
  return polyglot::key(position);
}

std::optional<Opening> lookup(const Position& position) {
  const Catalogue& names = catalogue();
  const auto found = names.find(polyglot::key(position));
  if (found == names.end()) return std::nullopt;
  return found->second;
}

std::size_t count() { return catalogue().size(); }

}  // namespace vorn::openings
