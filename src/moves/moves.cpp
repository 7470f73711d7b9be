#include "moves/moves.hpp"

namespace vorn {

Square castling_king_target(Move m) {
  const File file = file_of(m.to) > file_of(m.from) ? File::G : File::C;
  return square_at(file, rank_of(m.from));
}

std::string move_uci(Move m, CastlingStyle style) {
  const Square target =
      style == CastlingStyle::KingTwoSquares && m.is_castling() ? castling_king_target(m) : m.to;
  std::string text = square_name(m.from) + square_name(target);
  if (const auto role = m.promotion()) text += role_letter(*role);
  return text;
}

std::expected<Move, ParseError> parse_move(std::string_view text) {
  const auto refuse = [&] { return std::unexpected(ParseError{std::string(text), "move"}); };
  if (text.size() != 4 && text.size() != 5) return refuse();
  const auto from = parse_square(text.substr(0, 2));
  const auto to = parse_square(text.substr(2, 2));
  if (!from || !to) return refuse();
  std::optional<Role> promotion;
  if (text.size() == 5) {
    promotion = parse_role(text.substr(4, 1));
    if (!promotion || *promotion == Role::Pawn || *promotion == Role::King) return refuse();
  }
  return Move::make(*from, *to, 0, promotion);
}

}  // namespace vorn
