#include "core/types.hpp"

namespace vorn {

std::string square_name(Square s) { return {file_char(file_of(s)), rank_char(rank_of(s))}; }

namespace {

constexpr NamePlaces kRolePlaces = name_places(kRoleLetters);

}  // namespace

std::optional<File> parse_file(std::string_view text) {
  if (text.size() != 1) return std::nullopt;
  return file_from_char(text[0]);
}

std::optional<Role> parse_role(std::string_view text) {
  if (text.size() != 1) return std::nullopt;
  return named_by<Role>(kRolePlaces, ascii_lower(text[0]));
}

}  // namespace vorn
