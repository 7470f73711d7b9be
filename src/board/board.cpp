#include "board/board.hpp"

#include "board/attacks.hpp"
#include "board/movegen.hpp"
#include "board/zobrist_keys.hpp"
#include "core/dispatch.hpp"

namespace vorn::board {

namespace {

const keys::Table& kKeys = keys::kTable;

std::uint64_t castling_hash(Colour c, Wing w, File f) {
  return kKeys.castling[index(c)][int(w)][index(f)];
}

std::uint64_t castling_hash(const CastlingRights& rights) {
  std::uint64_t h = 0;
  for (const Colour c : kColours)
    for (const Wing w : {Wing::Short, Wing::Long})
      if (const auto f = rights.get(c, w)) h ^= castling_hash(c, w, *f);
  return h;
}

// Appends every move of a group with the flags the destination implies,
// through a cursor kept apart from the list, so no store of a move makes the
// compiler reload the list's size; the caller sets the list's end from it.
struct ListSink {
  Move* cursor;
  SquareSet own, enemy;

  ListSink(const Board& b, MoveList& list)
      : cursor(list.tail()), own(b.colour(b.side_to_move())), enemy(b.colour(!b.side_to_move())) {}

  static constexpr SquareSet origins() { return SquareSet::full(); }

  void add(Role role, Square from, SquareSet targets) {
    if (role == Role::King && (targets & own)) {
      for (const Square to : targets)
        *cursor++ = Move::make(from, to, own.contains(to) ? Move::kCastling : flags(to));
      return;
    }
    for (const Square to : targets) *cursor++ = Move::make(from, to, flags(to));
  }
  template <Colour Us>
  void pawns(const PawnTargets<Us>& t) {
    for (const Square from : t.origins()) {
      const SquareSet targets = t.targets_of(from);
      if (!(targets & PawnTargets<Us>::kLastRank)) {
        for (const Square to : targets) *cursor++ = Move::make(from, to, flags(to));
        continue;
      }
      for (const Square to : targets)
        for (const Role r : {Role::Knight, Role::Bishop, Role::Rook, Role::Queen})
          *cursor++ = Move::make(from, to, flags(to), r);
    }
  }
  void en_passant(Square from, Square to) {
    *cursor++ = Move::make(from, to, Move::kCapture | Move::kEnPassant);
  }
  // The capture flag is the destination's bit of the enemy set.
  std::uint8_t flags(Square to) const {
    static_assert(Move::kCapture == 1);
    return std::uint8_t((enemy.bits >> index(to)) & 1);
  }
};

// The moves of the unit on one square only.
struct OriginSink : ListSink {
  Square origin;

  OriginSink(const Board& b, MoveList& list, Square from) : ListSink(b, list), origin(from) {}
  SquareSet origins() const { return SquareSet::of(origin); }
};

struct CountSink {
  std::size_t count = 0;

  static constexpr SquareSet origins() { return SquareSet::full(); }

  void add(Role, Square, SquareSet targets) { count += std::size_t(targets.size()); }
  template <Colour Us>
  void pawns(const PawnTargets<Us>& t) { count += t.count(); }
  void en_passant(Square, Square) { ++count; }
};

// Whether some unit among `wanted` has a legal move.
struct AnySink {
  SquareSet wanted;
  bool found = false;

  SquareSet origins() const { return wanted; }
  void add(Role, Square, SquareSet targets) { found = found || bool(targets); }
  template <Colour Us>
  void pawns(const PawnTargets<Us>& t) { found = found || bool(t.origins()); }
  void en_passant(Square, Square) { found = true; }
};

}  // namespace

std::array<SquareSet, 6> Board::units_of(Colour c) const {
  std::array<SquareSet, 6> out;
  for (const Role r : kRoles) out[index(r)] = pieces(r, c);
  return out;
}

std::optional<Role> Board::role_on(Square s) const {
  for (const Role r : kRoles)
    if (roles_[index(r)].contains(s)) return r;
  return std::nullopt;
}

std::optional<Colour> Board::colour_on(Square s) const {
  if (colours_.white.contains(s)) return Colour::White;
  if (colours_.black.contains(s)) return Colour::Black;
  return std::nullopt;
}

Square Board::king(Colour c) const {
  const SquareSet k = pieces(Role::King, c);
  if (!k) panic("No king was found.");
  return k.first();
}

SquareSet Board::attackers(Square s, Colour by, SquareSet occupied) const {
  return board::attackers(s, by, roles_, occupied) & colour(by);
}

std::optional<Square> Board::en_passant_target() const {
  if (!ep_file_) return std::nullopt;
  return square_at(*ep_file_, relative_rank(side_, Rank::Sixth));
}

std::uint64_t Board::en_passant_hash(File file) { return kKeys.en_passant[index(file)]; }

void Board::toggle_unit(Square s, Role r, Colour c) {
  const SquareSet bit = SquareSet::of(s);
  roles_[index(r)] ^= bit;
  colours_[c] ^= bit;
  hash_ ^= kKeys.units[index(c)][index(r)][index(s)];
}

void Board::drop_castling(Colour c, Wing w) {
  if (const auto f = rights_.get(c, w)) hash_ ^= castling_hash(c, w, *f);
  rights_.set(c, w, std::nullopt);
}

// Leapers check by their reach. A slider that shares a line with the king
// checks when nothing stands between them and pins when one unit of ours
// does; so the empty-board lines and the squares between decide, and no
// attack table is looked up.
void Board::update_derived() {
  const Colour us = side_;
  const Square k = king(us);
  const SquareSet them = colour(!us);
  const SquareSet occupied = this->occupied();
  const SquareSet queens = pieces(Role::Queen);
  const SquareSet snipers = ((rook_rays(k) & (pieces(Role::Rook) | queens)) |
                             (bishop_rays(k) & (pieces(Role::Bishop) | queens))) &
                            them;
  checkers_ = ((pawn_attacks(us, k) & pieces(Role::Pawn)) | (knight_attacks(k) & pieces(Role::Knight))) & them;
  pinned_ = {};
  for (const Square sniper : snipers) {
    const SquareSet blockers = between(k, sniper) & occupied;
    if (!blockers) checkers_ = checkers_.with(sniper);
    else if (!blockers.more_than_one() && (blockers & colour(us))) pinned_ |= blockers;
  }
}

std::expected<Board, BuildError> Board::build(const Placement& placement, Colour side_to_move,
                                              const CastlingRights& rights,
                                              std::optional<File> en_passant) {
  Board b;
  b.side_ = side_to_move;
  SquareSet seen;
  for (const Role r : kRoles) {
    if (placement.roles[index(r)] & seen) return std::unexpected(BuildError::InvalidBoard);
    seen |= placement.roles[index(r)];
  }
  const SquareSet white = placement.colours.white, black = placement.colours.black;
  if ((white & black) || (white | black) != seen) return std::unexpected(BuildError::InvalidBoard);
  for (const Colour c : kColours) {
    const SquareSet units = placement.colours[c];
    if ((placement.roles[index(Role::King)] & units).size() != 1 || units.size() > 16 ||
        (placement.roles[index(Role::Pawn)] & units).size() > 8)
      return std::unexpected(BuildError::InvalidBoard);
  }
  if (placement.roles[index(Role::Pawn)] & (detail::kRank1 | detail::kRank8))
    return std::unexpected(BuildError::InvalidBoard);
  for (const Role r : kRoles)
    for (const Colour c : kColours)
      for (const Square s : placement.roles[index(r)] & placement.colours[c]) b.toggle_unit(s, r, c);
  const Colour them = !side_to_move;
  if (detail::attacked(b, b.king(them), side_to_move, b.occupied()))
    return std::unexpected(BuildError::InvalidBoard);

  for (const Colour c : kColours) {
    if (!rights.any(c)) continue;
    const Rank back = back_rank(c);
    const Square king = b.king(c);
    if (rank_of(king) != back) return std::unexpected(BuildError::InvalidCastlingRights);
    for (const Wing w : {Wing::Short, Wing::Long}) {
      const auto file = rights.get(c, w);
      if (!file) continue;
      const bool on_side = w == Wing::Short ? *file > file_of(king) : *file < file_of(king);
      if (!b.pieces(Role::Rook, c).contains(square_at(*file, back)) || !on_side)
        return std::unexpected(BuildError::InvalidCastlingRights);
    }
  }
  b.rights_ = rights;
  b.hash_ ^= castling_hash(rights);

  if (side_to_move == Colour::Black) b.hash_ ^= kKeys.black_to_move;
  b.update_derived();

  if (en_passant) {
    b.ep_file_ = en_passant;
    const Square target = *b.en_passant_target();
    const int forward = side_to_move == Colour::White ? 8 : -8;
    const Square origin = shift(target, forward);
    const Square pawn = shift(target, -forward);
    const SquareSet occupied = b.occupied();
    if (occupied.contains(target) || occupied.contains(origin) ||
        !b.pieces(Role::Pawn, them).contains(pawn))
      return std::unexpected(BuildError::InvalidEnPassant);
    const Square king = b.king(side_to_move);
    for (const Square checker : b.checkers_)
      if (checker != pawn && !between(checker, king).contains(origin))
        return std::unexpected(BuildError::InvalidEnPassant);
    b.hash_ ^= en_passant_hash(*en_passant);
  }
  return b;
}

// A square off the board names no legal move: the answer is no, not a stop.
VORN_HOT Move Board::legal_entry(Move m) const {
  if (!on_board(m.from) || !on_board(m.to)) return Move::none();
  const auto found = side_ == Colour::White ? detail::legal_move<Colour::White>(*this, m)
                                            : detail::legal_move<Colour::Black>(*this, m);
  return found.value_or(Move::none());
}

VORN_HOT void Board::legal_moves(MoveList& out) const {
  ListSink sink(*this, out);
  generate(*this, sink);
  out.set_tail(sink.cursor);
}

VORN_HOT void Board::legal_moves_from(Square origin, MoveList& out) const {
  OriginSink sink(*this, out, origin);
  generate(*this, sink);
  out.set_tail(sink.cursor);
}

VORN_HOT std::size_t Board::count_legal() const {
  CountSink sink;
  generate(*this, sink);
  return sink.count;
}

// The king's steps cost the most to check, so they are looked at last and
// only when no other unit can move.
VORN_HOT bool Board::has_legal_move() const {
  const Square k = king(side_);
  AnySink others{colour(side_).without(k)};
  generate(*this, others);
  if (others.found) return true;
  AnySink king_only{SquareSet::of(k)};
  generate(*this, king_only);
  return king_only.found;
}

VORN_HOT void Board::play(Move m) {
  const Colour us = side_, them = !us;
  if (!on_board(m.from) || !on_board(m.to) || !colour(us).contains(m.from))
    panic("Illegal move " + move_uci(m, CastlingStyle::KingToRook) + "!");
  const Role role = *role_on(m.from);
  const Rank back = back_rank(us), their_back = back_rank(them);

  if (ep_file_) hash_ ^= en_passant_hash(*ep_file_);
  const std::optional<Square> ep_target = en_passant_target();
  ep_file_.reset();

  if (role == Role::King && colour(us).contains(m.to)) {
    // Castling: the king takes its own rook and both land on their files.
    const Wing wing = file_of(m.to) > file_of(m.from) ? Wing::Short : Wing::Long;
    toggle_unit(m.from, Role::King, us);
    toggle_unit(m.to, Role::Rook, us);
    toggle_unit(square_at(castled_king_file(wing), back), Role::King, us);
    toggle_unit(square_at(castled_rook_file(wing), back), Role::Rook, us);
  } else {
    // Only an enemy unit can stand on the target, so a quiet move looks up no role.
    if (colour(them).contains(m.to)) {
      toggle_unit(m.to, *role_on(m.to), them);
      if (rank_of(m.to) == their_back && rights_.any(them))
        for (const Wing w : {Wing::Short, Wing::Long})
          if (rights_.get(them, w) == file_of(m.to)) drop_castling(them, w);
    } else if (role == Role::Pawn && ep_target == m.to) {
      toggle_unit(square_at(file_of(m.to), rank_of(m.from)), Role::Pawn, them);
    }
    toggle_unit(m.from, role, us);
    toggle_unit(m.to, m.promotion().value_or(role), us);
    if (role == Role::Pawn && (index(m.from) ^ index(m.to)) == 16) {
      ep_file_ = file_of(m.from);
      hash_ ^= en_passant_hash(*ep_file_);
    }
    if (role == Role::Rook && rank_of(m.from) == back && rights_.any(us))
      for (const Wing w : {Wing::Short, Wing::Long})
        if (rights_.get(us, w) == file_of(m.from)) drop_castling(us, w);
  }
  if (role == Role::King && rights_.any(us)) {
    drop_castling(us, Wing::Short);
    drop_castling(us, Wing::Long);
  }
  side_ = them;
  hash_ ^= kKeys.black_to_move;
  update_derived();
}

std::optional<Board> Board::null_move() const {
  if (checkers_) return std::nullopt;
  Board b = *this;
  if (b.ep_file_) b.hash_ ^= en_passant_hash(*b.ep_file_);
  b.ep_file_.reset();
  b.side_ = !side_;
  b.hash_ ^= kKeys.black_to_move;
  b.update_derived();
  return b;
}

bool Board::operator==(const Board& o) const {
  return roles_ == o.roles_ && colours_ == o.colours_ && side_ == o.side_ &&
         rights_ == o.rights_ && ep_file_ == o.ep_file_;
}

}  // namespace vorn::board
