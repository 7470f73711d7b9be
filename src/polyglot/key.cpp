#include "polyglot/key.hpp"

#include <array>

#include "board/attacks.hpp"

namespace vorn::polyglot {

namespace {
#include "polyglot/random64.inc"

constexpr std::size_t kCastling = 768, kEnPassant = 772, kWhiteToMove = 780;

// Polyglot counts the en-passant file only when a pawn of the side to move
// stands ready to capture, legal or not.
bool en_passant_counts(const board::Board& b, Square target) {
  const Colour us = b.side_to_move();
  return bool(board::pawn_attacks(!us, target) & b.pieces(Role::Pawn, us));
}
}  // namespace

std::uint64_t key(const Position& position) {
  const board::Board& b = position.board;
  std::uint64_t key = 0;
  for (const Colour c : kColours)
    for (const Role r : kRoles)
      for (const Square s : b.pieces(r, c))
        key ^= kRandom64[128 * index(r) + (c == Colour::White ? 64 : 0) + index(s)];
  for (const Colour c : kColours)
    for (const Wing w : {Wing::Short, Wing::Long})
      if (b.castling().get(c, w)) key ^= kRandom64[kCastling + 2 * index(c) + int(w)];
  if (const auto target = b.en_passant_target(); target && en_passant_counts(b, *target))
    key ^= kRandom64[kEnPassant + index(file_of(*target))];
  if (b.side_to_move() == Colour::White) key ^= kRandom64[kWhiteToMove];
  return key;
}

}  // namespace vorn::polyglot
