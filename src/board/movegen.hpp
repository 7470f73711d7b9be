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

// Where a set of `Us`'s pawns can go, checks and pins ignored, kept inside
// `mask`; one set per direction, so each destination knows its origin.
template <Colour Us>
struct PawnTargets {
  static constexpr int kForward = Us == Colour::White ? 8 : -8;
  static constexpr int kWest = kForward - 1, kEast = kForward + 1;  // captures toward files a, h
  static constexpr SquareSet kLastRank = SquareSet::rank(relative_rank(Us, Rank::Eighth));

  SquareSet step, double_step, west, east;

  static constexpr SquareSet shifted(SquareSet s, int delta) {
    return {delta > 0 ? s.bits << delta : s.bits >> -delta};
  }
  // Where `pawns` (one or many) may step, double-step or capture.
  static constexpr PawnTargets reach(SquareSet pawns, SquareSet occupied, SquareSet enemy, SquareSet mask) {
    const SquareSet empty = ~occupied;
    const SquareSet step = shifted(pawns, kForward) & empty;
    const SquareSet third = SquareSet::rank(relative_rank(Us, Rank::Third));
    return {step & mask, shifted(step & third, kForward) & empty & mask,
            shifted(pawns - SquareSet::file(File::A), kWest) & enemy & mask,
            shifted(pawns - SquareSet::file(File::H), kEast) & enemy & mask};
  }
  // Every destination, whichever pawn reaches it.
  constexpr SquareSet all() const { return step | double_step | west | east; }
  // The pawns that have a destination, ascending, and the destinations of one of them.
  constexpr SquareSet origins() const {
    return shifted(step, -kForward) | shifted(double_step, -2 * kForward) | shifted(west, -kWest) |
           shifted(east, -kEast);
  }
  constexpr SquareSet targets_of(Square origin) const {
    const SquareSet o = SquareSet::of(origin);
    return (shifted(o, kForward) & step) | (shifted(o, 2 * kForward) & double_step) |
           (shifted(o, kWest) & west) | (shifted(o, kEast) & east);
  }
  // Moves, a promotion counting four.
  constexpr std::size_t count() const {
    return std::size_t(((step - kLastRank).size() + (west - kLastRank).size() +
                        (east - kLastRank).size() + double_step.size()) +
                       4 * ((step & kLastRank).size() + (west & kLastRank).size() +
                            (east & kLastRank).size()));
  }
};

// The pushes and captures of `us`'s pawn on `from`, checks and pins ignored;
// en passant is not among them.
inline SquareSet pawn_targets(const Board& b, Colour us, Square from) {
  const auto all = [&]<Colour Us>() {
    return PawnTargets<Us>::reach(SquareSet::of(from), b.occupied(), b.colour(!Us), SquareSet::full()).all();
  };
  return us == Colour::White ? all.template operator()<Colour::White>()
                             : all.template operator()<Colour::Black>();
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

template <Role R>
inline SquareSet slider_targets(Square from, SquareSet occupied) {
  if constexpr (R == Role::Bishop) return bishop_attacks(from, occupied);
  else if constexpr (R == Role::Rook) return rook_attacks(from, occupied);
  else return queen_attacks(from, occupied);
}

// Whether `Us`, not in check, may castle on `wing` with the rook on `rook`:
// the rook not pinned, both paths empty but for king and rook, and no square
// the king crosses or lands on attacked.
template <Colour Us>
bool may_castle(const Board& b, Square king, Wing wing, Square rook) {
  // A unit between king and rook is the usual refusal, so it is asked first.
  const SquareSet others = b.occupied().without(king).without(rook);
  if ((between(king, rook) & others) || b.pinned().contains(rook)) return false;
  const Rank back = back_rank(Us);
  const Square king_to = square_at(castled_king_file(wing), back);
  const Square rook_to = square_at(castled_rook_file(wing), back);
  const SquareSet king_path = between(king, king_to).with(king_to);
  if (king_path.with(rook_to) & others) return false;
  for (const Square s : king_path.without(king))
    if (attacked(b, s, !Us, b.occupied().without(king))) return false;
  return true;
}

// The king's safe steps, with castling merged in by destination when allowed.
template <Colour Us>
SquareSet king_targets(const Board& b, Square king, bool with_castling) {
  const SquareSet own = b.colour(Us), without_king = b.occupied().without(king);
  SquareSet targets;
  for (const Square to : king_attacks(king) - own)
    if (!attacked(b, to, !Us, without_king)) targets = targets.with(to);
  if (!with_castling || !b.castling().any(Us)) return targets;
  for (const Wing wing : {Wing::Short, Wing::Long}) {
    const auto file = b.castling().get(Us, wing);
    if (!file) continue;
    const Square rook = square_at(*file, back_rank(Us));
    if (may_castle<Us>(b, king, wing, rook)) targets = targets.with(rook);
  }
  return targets;
}

// The move generation would list with `m`'s origin, destination and
// promotion, flags and all; none when it lists no such move. One unit's reach,
// its pin line and the check mask decide, so no list is built.
template <Colour Us>
std::optional<Move> legal_move(const Board& b, Move m) {
  const Square from = m.from, to = m.to;
  const SquareSet own = b.colour(Us), enemy = b.colour(!Us);
  if (!own.contains(from)) return std::nullopt;
  const SquareSet checkers = b.checkers();
  const bool promotes = m.promotion_byte != Move::kNoPromotion;
  const std::uint8_t capture = enemy.contains(to) ? Move::kCapture : 0;
  const Role role = *b.role_on(from);

  if (role == Role::King) {
    const Square king = from;
    if (promotes) return std::nullopt;
    if (own.contains(to)) {  // castling, the king taking its own rook
      if (checkers) return std::nullopt;
      for (const Wing wing : {Wing::Short, Wing::Long}) {
        const auto file = b.castling().get(Us, wing);
        if (file && square_at(*file, back_rank(Us)) == to && may_castle<Us>(b, king, wing, to))
          return Move::make(from, to, Move::kCastling);
      }
      return std::nullopt;
    }
    if (!king_attacks(king).contains(to) || attacked(b, to, !Us, b.occupied().without(king)))
      return std::nullopt;
    return Move::make(from, to, capture);
  }
  if (checkers.more_than_one()) return std::nullopt;

  SquareSet reach;
  if (role == Role::Pawn) {
    // En passant passes the slider test alone, pinned pawn or not, in check or not.
    if (const auto target = b.en_passant_target(); target == to && pawn_attacks(Us, from).contains(to)) {
      if (promotes || !en_passant_safe(b, Us, from, to)) return std::nullopt;
      return Move::make(from, to, Move::kCapture | Move::kEnPassant);
    }
    const bool last_rank = rank_of(to) == relative_rank(Us, Rank::Eighth);
    const bool promotion_role = m.promotion_byte >= std::uint8_t(Role::Knight) &&
                                m.promotion_byte <= std::uint8_t(Role::Queen);
    if (last_rank ? !promotion_role : promotes) return std::nullopt;
    reach = PawnTargets<Us>::reach(SquareSet::of(from), b.occupied(), enemy, SquareSet::full()).all();
  } else {
    if (promotes) return std::nullopt;
    const SquareSet occupied = b.occupied();
    reach = (role == Role::Knight   ? knight_attacks(from)
             : role == Role::Bishop ? bishop_attacks(from, occupied)
             : role == Role::Rook   ? rook_attacks(from, occupied)
                                    : queen_attacks(from, occupied)) -
            own;
  }
  if (!reach.contains(to)) return std::nullopt;
  // A pinned unit keeps to its pin line and never answers a check; a pinned
  // knight has no square on its line. Most moves face neither.
  if (checkers || b.pinned().contains(from)) {
    const Square king = b.king(Us);
    if (checkers && !(between(king, checkers.first()) | checkers).contains(to)) return std::nullopt;
    if (b.pinned().contains(from) && (checkers || !line(king, from).contains(to))) return std::nullopt;
  }
  return Move{m.promotion_byte, from, to, capture};
}

// A sink has `origins()` (the units it wants moves of), `pawns(PawnTargets)`,
// `add(role, origin, targets)` and `en_passant(origin, target)`.
template <Colour Us, class Sink>
void generate(const Board& b, Sink& sink) {
  const SquareSet own = b.colour(Us), enemy = b.colour(!Us);
  const SquareSet occupied = own | enemy;
  const Square king = b.king(Us);
  const SquareSet checkers = b.checkers(), pinned = b.pinned();
  const SquareSet wanted = sink.origins();
  const bool in_check = bool(checkers);

  if (!checkers.more_than_one()) {
    const SquareSet target_mask =
        in_check ? (between(king, checkers.first()) | checkers) : SquareSet::full();

    const SquareSet pawns = b.pieces(Role::Pawn, Us) & wanted;
    sink.pawns(PawnTargets<Us>::reach(pawns - pinned, occupied, enemy, target_mask));
    if (!in_check)
      for (const Square from : pawns & pinned)
        sink.pawns(PawnTargets<Us>::reach(SquareSet::of(from), occupied, enemy, line(king, from)));

    if (const auto target = b.en_passant_target())
      for (const Square from : pawn_attacks(!Us, *target) & pawns)
        if (en_passant_safe(b, Us, from, *target)) sink.en_passant(from, *target);

    for (const Square from : b.pieces(Role::Knight, Us) & wanted & ~pinned)
      sink.add(Role::Knight, from, (knight_attacks(from) - own) & target_mask);

    const auto sliders = [&]<Role R>() {
      const SquareSet units = b.pieces(R, Us) & wanted;
      for (const Square from : units - pinned)
        sink.add(R, from, (slider_targets<R>(from, occupied) - own) & target_mask);
      if (!in_check)
        for (const Square from : units & pinned)
          sink.add(R, from, (slider_targets<R>(from, occupied) - own) & line(king, from));
    };
    sliders.template operator()<Role::Bishop>();
    sliders.template operator()<Role::Rook>();
    sliders.template operator()<Role::Queen>();
  }
  if (wanted.contains(king)) sink.add(Role::King, king, king_targets<Us>(b, king, !in_check));
}

}  // namespace detail

template <class Sink>
void generate(const Board& b, Sink& sink) {
  if (b.side_to_move() == Colour::White) detail::generate<Colour::White>(b, sink);
  else detail::generate<Colour::Black>(b, sink);
}

}  // namespace vorn::board
