// Legal move generation, written once for any sink: a sink receives (role,
// origin, targets) groups and en-passant captures, so listing moves and
// counting them share every rule. `sink.wants(origin)` lets a sink that looks
// for one unit's moves skip working out the others.
//
// Python users see this order, so it is fixed. Origins ascend (a1 first)
// within each step, destinations ascend within each unit, and a promotion
// gives knight, bishop, rook, queen before the next destination.
//   Not in check:
//     1. unpinned pawns: diagonal captures, the step, the double step from the
//        start rank (all one set, ascending);
//     2. pinned pawns, the same moves kept on the pin line;
//     3. en-passant captures, each pawn pinned or not, unless the capture
//        uncovers a slider on the king;
//     4. unpinned knights (a pinned knight never moves);
//     5-7. bishops, then rooks, then queens: the unpinned ones, then the pinned
//        ones along their pin line;
//     8. the king's safe steps merged with castling by destination, castling
//        being the king taking its own rook (White king on e1: a1, d1, f1, h1,
//        d2, e2, f2).
//   In check by one unit (pinned units never move; non-king moves end between
//   the king and the checker or on the checker): unpinned pawns, en-passant
//   captures, unpinned knights, bishops, rooks, queens, then the king's safe
//   steps without castling.
//   In double check: the king's safe steps only.
#pragma once

#include "board/attacks.hpp"
#include "board/board.hpp"

namespace vorn::board {

// The pushes and captures of `us`'s pawn on `from`, checks and pins ignored;
// en passant is not among them.
inline SquareSet pawn_targets(const Board& b, Colour us, Square from) {
  const SquareSet occupied = b.occupied();
  SquareSet targets = pawn_attacks(us, from) & b.colour(!us);
  const int forward = us == Colour::White ? 8 : -8;
  const Square one = shift(from, forward);
  if (!occupied.contains(one)) {
    targets = targets.with(one);
    if (relative_rank(us, rank_of(from)) == Rank::Second) {
      const Square two = shift(one, forward);
      if (!occupied.contains(two)) targets = targets.with(two);
    }
  }
  return targets;
}

namespace detail {

constexpr SquareSet kRank1 = SquareSet::rank(Rank::First), kRank8 = SquareSet::rank(Rank::Eighth);

inline bool attacked(const Board& b, Square s, Colour by, SquareSet occupied) {
  const SquareSet them = b.colour(by);
  const SquareSet queens = b.pieces(Role::Queen);
  return (pawn_attacks(!by, s) & b.pieces(Role::Pawn) & them) ||
         (knight_attacks(s) & b.pieces(Role::Knight) & them) ||
         (king_attacks(s) & b.pieces(Role::King) & them) ||
         (bishop_attacks(s, occupied) & (b.pieces(Role::Bishop) | queens) & them) ||
         (rook_attacks(s, occupied) & (b.pieces(Role::Rook) | queens) & them);
}

// Whether an en-passant capture from `from` leaves the king free of slider attacks.
inline bool en_passant_safe(const Board& b, Colour us, Square from, Square target) {
  const Square victim = square_at(file_of(target), rank_of(from));
  const SquareSet occupied = (b.occupied().without(victim).without(from)).with(target);
  const Square king = b.king(us);
  const SquareSet them = b.colour(!us);
  const SquareSet queens = b.pieces(Role::Queen);
  return !(bishop_attacks(king, occupied) & them & (b.pieces(Role::Bishop) | queens)) &&
         !(rook_attacks(king, occupied) & them & (b.pieces(Role::Rook) | queens));
}

inline SquareSet slider_targets(Role role, Square from, SquareSet occupied) {
  switch (role) {
    case Role::Bishop: return bishop_attacks(from, occupied);
    case Role::Rook: return rook_attacks(from, occupied);
    default: return queen_attacks(from, occupied);
  }
}

}  // namespace detail

template <class Sink>
void generate(const Board& b, Sink& sink) {
  using namespace detail;
  const Colour us = b.side_;
  const SquareSet own = b.colour(us);
  const SquareSet occupied = b.occupied();
  const Square king = b.king(us);
  const SquareSet checkers = b.checkers_;
  const SquareSet pinned = b.pinned_;
  const bool in_check = bool(checkers);

  // King steps, merged with castling moves by destination (a castling move
  // lands on its own rook's square).
  const auto king_group = [&](bool with_castling) {
    const SquareSet without_king = occupied.without(king);
    SquareSet targets;
    for (const Square to : king_attacks(king) - own)
      if (!attacked(b, to, !us, without_king)) targets = targets.with(to);
    if (with_castling) {
      const Rank back = back_rank(us);
      for (const Wing wing : {Wing::Short, Wing::Long}) {
        const auto file = b.rights_.get(us, wing);
        if (!file) continue;
        const Square rook = square_at(*file, back);
        if (pinned.contains(rook)) continue;
        const Square king_to = square_at(castled_king_file(wing), back);
        const Square rook_to = square_at(castled_rook_file(wing), back);
        const SquareSet king_path = between(king, king_to).with(king_to);
        const SquareSet must_be_empty =
            (between(king, rook) | king_path).with(rook_to).without(king).without(rook);
        if (must_be_empty & occupied) continue;
        bool safe = true;
        for (const Square s : king_path)
          if (s != king && attacked(b, s, !us, without_king)) { safe = false; break; }
        if (safe) targets = targets.with(rook);
      }
    }
    sink.add(Role::King, king, targets);
  };
  const auto king_moves = [&](bool with_castling) {
    if (sink.wants(king)) king_group(with_castling);
  };

  if (checkers.more_than_one()) {
    king_moves(false);
    return;
  }
  const SquareSet target_mask =
      in_check ? (between(king, checkers.first()) | checkers) : SquareSet::full();

  const SquareSet pawns = b.pieces(Role::Pawn, us);
  for (const Square from : pawns - pinned)
    if (sink.wants(from)) sink.add(Role::Pawn, from, pawn_targets(b, us, from) & target_mask);
  if (!in_check)
    for (const Square from : pawns & pinned)
      if (sink.wants(from)) sink.add(Role::Pawn, from, pawn_targets(b, us, from) & line(king, from));

  if (const auto target = b.en_passant_target())
    for (const Square from : pawn_attacks(!us, *target) & pawns)
      if (sink.wants(from) && en_passant_safe(b, us, from, *target)) sink.en_passant(from, *target);

  for (const Square from : b.pieces(Role::Knight, us) - pinned)
    if (sink.wants(from)) sink.add(Role::Knight, from, (knight_attacks(from) - own) & target_mask);

  for (const Role role : {Role::Bishop, Role::Rook, Role::Queen}) {
    const SquareSet units = b.pieces(role, us);
    for (const Square from : units - pinned)
      if (sink.wants(from)) sink.add(role, from, (slider_targets(role, from, occupied) - own) & target_mask);
    if (!in_check)
      for (const Square from : units & pinned)
        if (sink.wants(from)) sink.add(role, from, (slider_targets(role, from, occupied) - own) & line(king, from));
  }
  king_moves(!in_check);
}

}  // namespace vorn::board
