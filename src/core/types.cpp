#include "core/types.hpp"

namespace vorn {

std::string square_name(Square s) { return {file_char(file_of(s)), rank_char(rank_of(s))}; }

namespace {

constexpr NamePlaces kFilePlaces = name_places(kFileNames), kRankPlaces = name_places(kRankNames),
                     kRolePlaces = name_places(kRoleLetters);

}  // namespace

std::optional<File> file_from_char(char c) { return named_by<File>(kFilePlaces, ascii_lower(c)); }

std::optional<Rank> rank_from_char(char c) { return named_by<Rank>(kRankPlaces, c); }

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
  return named_by<Role>(kRolePlaces, ascii_lower(text[0]));
}

}  // namespace vorn
