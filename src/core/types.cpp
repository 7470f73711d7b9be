#include "core/types.hpp"

namespace vorn {

std::string square_name(Square s) { return {file_char(file_of(s)), char('1' + rank_of(s))}; }

char file_char(File f) { return char('a' + f); }

namespace {
std::optional<File> file_letter(char c) {
  c = ascii_lower(c);
  if (c < 'a' || c > 'h') return std::nullopt;
  return File(c - 'a');
}
}  // namespace

std::optional<File> parse_file(std::string_view text) {
  if (text.size() != 1) return std::nullopt;
  return file_letter(text[0]);
}

std::optional<Square> parse_square(std::string_view text) {
  if (text.size() != 2) return std::nullopt;
  const auto file = file_letter(text[0]);
  if (!file || text[1] < '1' || text[1] > '8') return std::nullopt;
  return square_at(*file, Rank(text[1] - '1'));
}

std::optional<Role> parse_role(std::string_view text) {
  if (text.size() != 1) return std::nullopt;
  const auto at = kRoleLetters.find(ascii_lower(text[0]));
  if (at == std::string_view::npos) return std::nullopt;
  return Role(at);
}

}  // namespace vorn
