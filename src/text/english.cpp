#include "text/english.hpp"

#include <vector>

namespace vorn::english {

std::string list(std::span<const std::string> items) {
  if (items.empty()) return {};
  std::string out = items[0];
  for (std::size_t i = 1; i < items.size(); ++i) {
    out += i + 1 == items.size() ? " and " : ", ";
    out += items[i];
  }
  return out;
}

std::string square_list(SquareSet squares) {
  std::vector<std::string> names;
  for (Square s : squares) names.push_back(square_name(s));
  return list(names);
}

std::string count(std::uint64_t n, std::string_view singular, std::string_view plural) {
  std::string out = std::to_string(n);
  out += ' ';
  out += n == 1 ? singular : plural;
  return out;
}

}  // namespace vorn::english
