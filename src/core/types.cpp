#include "core/types.hpp"

namespace vorn {

std::string square_name(Square s) { return {file_char(file_of(s)), rank_char(rank_of(s))}; }

namespace {

// The position of `c` in `names` as an enum value; none when absent.
template <class T>
std::optional<T> named(std::string_view names, char c) {
  const auto at = names.find(c);
  if (at == std::string_view::npos) return std::nullopt;
  return T(at);
}

}  // namespace

std::optional<File> file_from_char(char c) { return named<File>(kFileNames, ascii_lower(c)); }

std::optional<Rank> rank_from_char(char c) { return named<Rank>(kRankNames, c); }

std::optional<File> parse_file(std::string_view text) {
  if (text.size() != 1) return std::nullopt;
  return file_from_char(text[0]);
}

std::optional<Square> parse_square(std::string_view text) {
  if (text.size() != 2) return std::nullopt;
  const auto file = file_from_char(text[0]);
  const auto rank = rank_from_char(text[1]);
  if (!file || !rank) return std::nullopt;
  return square_at(*file, *rank);
}

std::optional<Role> parse_role(std::string_view text) {
  if (text.size() != 1) return std::nullopt;
  return named<Role>(kRoleLetters, ascii_lower(text[0]));
}

}  // namespace vorn
