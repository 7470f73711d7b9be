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

// The parts of the key, each a function of one aspect of the board.
std::uint64_t units_part(Role r, Colour c, SquareSet squares) {
  std::uint64_t part = 0;
  for (const Square s : squares) part ^= kRandom64[128 * index(r) + (c == Colour::White ? 64 : 0) + index(s)];
  return part;
}

// The part of the unit on `s`, none when the square is empty. Worked out
// without a branch: which role and colour stand there is a random guess for
// the moves of a game.
std::uint64_t unit_part(const board::Board& b, Square s) {
  const auto on = [s](SquareSet set) { return std::uint64_t(set.contains(s)); };
  std::uint64_t role = 0;
  for (const Role r : kRoles) role += std::uint64_t(index(r)) * on(b.pieces(r));
  const std::uint64_t white = on(b.colour(Colour::White)), occupied = white | on(b.colour(Colour::Black));
  return kRandom64[128 * role + 64 * white + std::uint64_t(index(s))] & (0 - occupied);
}

std::uint64_t castling_part(const board::Board& b) {
  std::uint64_t part = 0;
  for (const Colour c : kColours)
    for (const Wing w : {Wing::Short, Wing::Long})
      if (b.castling().get(c, w)) part ^= kRandom64[kCastling + 2 * index(c) + int(w)];
  return part;
}

std::uint64_t en_passant_part(const board::Board& b) {
  const auto target = b.en_passant_target();
  return target && en_passant_counts(b, *target) ? kRandom64[kEnPassant + index(file_of(*target))] : 0;
}

std::uint64_t side_part(const board::Board& b) {
  return b.side_to_move() == Colour::White ? kRandom64[kWhiteToMove] : 0;
}
}  // namespace

std::uint64_t key(const Position& position) {
  const board::Board& b = position.board;
  std::uint64_t key = castling_part(b) ^ en_passant_part(b) ^ side_part(b);
  for (const Colour c : kColours)
    for (const Role r : kRoles) key ^= units_part(r, c, b.pieces(r, c));
  return key;
}

std::uint64_t key_after(const Position& before, std::uint64_t before_key, Move move, const Position& after) {
  const board::Board &from = before.board, &to = after.board;
  std::uint64_t key = before_key ^ en_passant_part(from) ^ en_passant_part(to) ^ side_part(from) ^ side_part(to);
  if (!(from.castling() == to.castling())) key ^= castling_part(from) ^ castling_part(to);
  // Most moves change their two squares only: the unit leaves its origin and
  // stands on the target, in place of whatever stood there.
  if (!move.is_castling() && !move.is_en_passant())
    return key ^ unit_part(from, move.from) ^ unit_part(from, move.to) ^ unit_part(to, move.to);
  // Castling and en passant change up to four: every square whose unit
  // changed is looked up. A square may keep its colour and change its role
  // (Chess960 castling swaps king and rook), so roles are compared too.
  SquareSet changed = (from.colour(Colour::White) ^ to.colour(Colour::White)) |
                      (from.colour(Colour::Black) ^ to.colour(Colour::Black));
  for (const Role r : kRoles) changed |= from.pieces(r) ^ to.pieces(r);
  for (const Square s : changed) key ^= unit_part(from, s) ^ unit_part(to, s);
  return key;
}

}  // namespace vorn::polyglot
