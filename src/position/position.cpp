#include "position/position.hpp"

#include "board/attacks.hpp"

namespace vorn {

namespace {

SquareSet flipped(SquareSet set) { return {std::byteswap(set.bits)}; }
}  // namespace

Position Position::mirrored() const {
  board::Placement placement;
  for (const Role r : kRoles) placement.roles[index(r)] = flipped(board.pieces(r));
  placement.colours = {flipped(board.colour(Colour::Black)), flipped(board.colour(Colour::White))};
  CastlingRights rights;
  rights.rooks = {board.castling().rooks.black, board.castling().rooks.white};
  auto rebuilt =
      board::Board::build(placement, !board.side_to_move(), rights, board.en_passant());
  if (!rebuilt) panic("a mirrored legal position is legal");
  return {*rebuilt, halfmove_clock, fullmove_number, clocks_known};
}

std::uint64_t Position::repetition_key() const {
  const auto file = board.en_passant();
  if (!file) return board.hash();
  const Colour us = board.side_to_move();
  const Square target = *board.en_passant_target();
  for (const Square from : board::pawn_attacks(!us, target) & board.pieces(Role::Pawn, us))
    if (board.is_legal(Move::make(from, target))) return board.hash();
  return board.hash() ^ board::Board::en_passant_hash(*file);
}

}  // namespace vorn
