#include "python/names/names.hpp"

#include <algorithm>
#include <utility>

#include "python/errors/exceptions.hpp"

namespace vorn::python::convert {

namespace {

constexpr std::pair<std::string_view, Colour> kColourNames[] = {
    {"w", Colour::White}, {"b", Colour::Black}, {"white", Colour::White}, {"black", Colour::Black}};

// The value of a reader, or ParseError for `word` quoting `text`.
template <class T>
T or_parse_error(std::optional<T> value, std::string_view word, std::string_view text) {
  if (!value) errors::parse_error(word, text);
  return *value;
}

}  // namespace

std::optional<Colour> read_colour(std::string_view text) {
  for (const auto& [name, colour] : kColourNames) {
    if (std::ranges::equal(text, name, {}, ascii_lower)) return colour;
  }
  return std::nullopt;
}

Colour colour_from(std::string_view text) { return or_parse_error(read_colour(text), "colour", text); }

Square square_from(std::string_view text) { return or_parse_error(parse_square(text), "square", text); }

File file_from(std::string_view text) { return or_parse_error(parse_file(text), "file", text); }

Role role_from(std::string_view text) { return or_parse_error(parse_role(text), "role", text); }

MoveKind move_kind_from(std::string_view text) {
  return or_parse_error(from_name<MoveKind>(text), "move kind", text);
}

const Variant& variant_by_name(std::string_view text) {
  const Variant* variant = variant_named(text);
  if (variant == nullptr) errors::parse_error("variant", text);
  return *variant;
}

CastlingStyle castling_style_from(std::string_view text) {
  return or_parse_error(from_name<CastlingStyle>(text), "castling output style", text);
}

std::string file_name(File file) { return std::string(1, file_char(file)); }

std::string role_name(Role role) { return std::string(1, role_letter(role)); }

std::vector<std::string> uci_texts(std::span<const Move> moves) {
  std::vector<std::string> texts;
  texts.reserve(moves.size());
  for (const Move move : moves) texts.push_back(move_uci(move, CastlingStyle::KingToRook));
  return texts;
}

}  // namespace vorn::python::convert
