#include "position/fen.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <ranges>
#include <vector>

namespace vorn::fen {

namespace {

// The colour a FEN letter's case gives: upper case for White.
Colour colour_of_letter(char c) { return c >= 'A' && c <= 'Z' ? Colour::White : Colour::Black; }

std::vector<std::string_view> split_fields(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\n\v\f\r";
  std::vector<std::string_view> fields;
  fields.reserve(6);
  std::size_t at = text.find_first_not_of(kBlanks);
  while (at != std::string_view::npos) {
    const std::size_t end = text.find_first_of(kBlanks, at);
    fields.push_back(text.substr(at, end - at));
    at = end == std::string_view::npos ? end : text.find_first_not_of(kBlanks, end);
  }
  return fields;
}

std::optional<board::Placement> parse_placement(std::string_view field) {
  board::Placement placement;
  int rank = 7, file = 0;
  for (const char c : field) {
    if (c == '/') {
      if (file != 8 || rank == 0) return std::nullopt;
      --rank;
      file = 0;
      continue;
    }
    if (c >= '1' && c <= '9') {
      file += c - '0';
      if (file > 8) return std::nullopt;
      continue;
    }
    const auto role = parse_role(std::string_view(&c, 1));
    if (!role || file >= 8) return std::nullopt;
    const Square s = square_at(File(file), Rank(rank));
    const Colour colour = colour_of_letter(c);
    placement.roles[index(*role)] = placement.roles[index(*role)].with(s);
    placement.colours[colour] = placement.colours[colour].with(s);
    ++file;
  }
  if (rank != 0 || file != 8) return std::nullopt;
  return placement;
}

std::optional<CastlingRights> parse_castling(std::string_view field,
                                             const board::Placement& placement) {
  CastlingRights rights;
  if (field == "-") return rights;
  if (field.empty()) return std::nullopt;
  for (const char c : field) {
    const Colour colour = colour_of_letter(c);
    const char lower = ascii_lower(c);
    const Rank back = back_rank(colour);
    const SquareSet home = SquareSet::rank(back) & placement.colours[colour];
    const SquareSet kings = home & placement.roles[index(Role::King)];
    if (!kings) return std::nullopt;
    const File king = file_of(kings.first());
    const SquareSet rooks = home & placement.roles[index(Role::Rook)];
    std::optional<File> rook;
    Wing wing;
    if (lower == 'k') {
      wing = Wing::Short;
      for (const Square s : rooks)
        if (file_of(s) > king) rook = file_of(s);  // the outermost one
    } else if (lower == 'q') {
      wing = Wing::Long;
      for (const Square s : rooks)
        if (file_of(s) < king && !rook) rook = file_of(s);
    } else if ((rook = file_from_char(lower))) {
      wing = *rook > king ? Wing::Short : Wing::Long;
    } else {
      return std::nullopt;
    }
    if (!rook || rights.get(colour, wing)) return std::nullopt;
    rights.set(colour, wing, rook);
  }
  return rights;
}

// A decimal unsigned 32-bit number with an optional leading "+".
std::optional<std::uint32_t> parse_clock(std::string_view field) {
  if (field.starts_with('+')) field.remove_prefix(1);
  if (field.empty() || field[0] < '0' || field[0] > '9') return std::nullopt;
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (error != std::errc{} || end != field.data() + field.size()) return std::nullopt;
  return value;
}

constexpr FenError from_build_error(board::BuildError e) {
  switch (e) {
    case board::BuildError::InvalidBoard: return FenError::IllegalPosition;
    case board::BuildError::InvalidCastlingRights: return FenError::Castling;
    case board::BuildError::InvalidEnPassant: return FenError::EnPassant;
  }
  return FenError::IllegalPosition;
}

}  // namespace

std::expected<Position, FenError> parse(std::string_view text, FullmoveZero zero) {
  const auto fields = split_fields(text);
  if (fields.size() != 4 && fields.size() != 6) return std::unexpected(FenError::FieldCount);
  const auto placement = parse_placement(fields[0]);
  if (!placement) return std::unexpected(FenError::Placement);
  if (fields[1] != "w" && fields[1] != "b") return std::unexpected(FenError::SideToMove);
  const Colour side = fields[1] == "w" ? Colour::White : Colour::Black;
  const auto rights = parse_castling(fields[2], *placement);
  if (!rights) return std::unexpected(FenError::Castling);
  std::optional<File> en_passant;
  if (fields[3] != "-") {
    const auto target = parse_square(fields[3]);
    if (!target || rank_of(*target) != relative_rank(side, Rank::Sixth))
      return std::unexpected(FenError::EnPassant);
    en_passant = file_of(*target);
  }
  Position position;
  if (fields.size() == 6) {
    const auto halfmove = parse_clock(fields[4]);
    if (!halfmove) return std::unexpected(FenError::HalfmoveClock);
    const auto fullmove = parse_clock(fields[5]);
    if (!fullmove || (*fullmove == 0 && zero == FullmoveZero::Refused))
      return std::unexpected(FenError::FullmoveNumber);
    position.halfmove_clock = *halfmove;
    position.fullmove_number = std::max<std::uint32_t>(*fullmove, 1);
    position.clocks_known = true;
  }
  auto board = board::Board::build(*placement, side, *rights, en_passant);
  if (!board) return std::unexpected(from_build_error(board.error()));
  position.board = *board;
  return position;
}

std::string castling_field(const CastlingRights& rights) {
  if (!rights.any()) return "-";
  bool corners = true;
  for (const Colour c : kColours)
    for (const Wing w : {Wing::Short, Wing::Long})
      if (const auto f = rights.get(c, w)) corners &= *f == (w == Wing::Short ? File::H : File::A);
  std::string out;
  for (const Colour c : kColours) {
    for (const Wing w : {Wing::Short, Wing::Long}) {
      const auto f = rights.get(c, w);
      if (!f) continue;
      const char letter = corners ? (w == Wing::Short ? 'k' : 'q') : file_char(*f);
      out += c == Colour::White ? ascii_upper(letter) : letter;
    }
  }
  return out;
}

std::string format(const Position& position, bool with_clocks) {
  const board::Board& b = position.board;
  // Each unit's letter, found by walking the occupied squares once.
  std::array<char, 64> letters{};
  for (const Colour c : kColours)
    for (const Role r : kRoles)
      for (const Square s : b.pieces(r, c)) letters[index(s)] = role_fen_letter(r, c);
  std::string out;
  out.reserve(90);
  for (const Rank rank : kRanks | std::views::reverse) {
    int empty = 0;
    for (const File file : kFiles) {
      const char letter = letters[index(square_at(file, rank))];
      if (!letter) {
        ++empty;
        continue;
      }
      if (empty) out += char('0' + empty);
      empty = 0;
      out += letter;
    }
    if (empty) out += char('0' + empty);
    if (rank != Rank::First) out += '/';
  }
  out += b.side_to_move() == Colour::White ? " w " : " b ";
  out += castling_field(b.castling());
  out += ' ';
  const auto en_passant = b.en_passant_target();
  out += en_passant ? square_name(*en_passant) : "-";
  if (with_clocks) {
    out += ' ';
    out += std::to_string(position.halfmove_clock);
    out += ' ';
    out += std::to_string(position.fullmove_number);
  }
  return out;
}

}  // namespace vorn::fen
