// Standard Algebraic Notation in both directions, through a variant.
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "board/attacks.hpp"
#include "board/movegen.hpp"
#include "core/dispatch.hpp"
#include "variant/rules.hpp"

namespace vorn::rules {

namespace {

constexpr std::string_view kPieceLetters = "PNBRQK";  // by role; a pawn is written without
constexpr NamePlaces kPiecePlaces = name_places(kPieceLetters);

char file_letter(Square s) { return file_char(file_of(s)); }
char rank_digit(Square s) { return rank_char(rank_of(s)); }

// The units of `role` and colour `us` that could move to `target`: a superset
// of those with a legal move there (pawns: on the capture diagonals or one or
// two steps back). Pieces are found by one look from the target through the
// board as it stands: a unit reaches the target from where the other side's
// unit of its kind on the target would attack.
SquareSet reaching(const board::Board& b, Role role, Colour us, Square target) {
  SquareSet from = board::attacks_of(role, target, !us, b.occupied());
  if (role == Role::Pawn) {
    const int back = us == Colour::White ? -8 : 8;
    for (int steps = 1; steps <= 2; ++steps) {
      const int origin = index(target) + back * steps;
      if (origin >= 0 && origin < 64) from = from.with(Square(origin));
    }
  }
  return b.pieces(role, us) & from;
}

// What tells a piece's move from those of the other pieces of its kind that
// may legally go to the same square; only those that could reach it are asked.
std::string disambiguation(const Variant& v, const Position& p, Move m, Role role) {
  const board::Board& b = p.board;
  const Colour us = b.side_to_move();
  bool any = false, same_file = false, same_rank = false;
  for (const Square other : reaching(b, role, us, m.to).without(m.from)) {
    if (!v.legal_move(p, Move::make(other, m.to))) continue;
    any = true;
    same_file |= file_of(other) == file_of(m.from);
    same_rank |= rank_of(other) == rank_of(m.from);
  }
  if (!any) return {};
  if (!same_file) return {file_letter(m.from)};
  if (!same_rank) return {rank_digit(m.from)};
  return square_name(m.from);
}

// The role an upper-case piece letter names; a pawn has none.
std::optional<Role> san_role(char c) {
  const auto role = named_by<Role>(kPiecePlaces, c);
  if (role == Role::Pawn) return std::nullopt;
  return role;
}

// The marks a SAN may end with: check, mate and the !/? glyphs.
bool is_san_suffix(char c) { return c == '+' || c == '#' || c == '!' || c == '?'; }

// The wing of castling written with letter O, digit zero or lower-case o.
std::optional<Wing> castling_wing(std::string_view text) {
  const char o = text.front();
  if (o != 'O' && o != '0' && o != 'o') return std::nullopt;
  const auto written = [&](std::size_t zeros) {
    if (text.size() != 2 * zeros - 1) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
      if (text[i] != (i % 2 == 0 ? o : '-')) return false;
    return true;
  };
  if (written(2)) return Wing::Short;
  if (written(3)) return Wing::Long;
  return std::nullopt;
}

// The legal move with `m`'s origin, destination and promotion, tested
// inline: the reader asks this for nearly every move it reads.
std::optional<Move> legal(const board::Board& b, Move m) {
  return b.side_to_move() == Colour::White ? board::detail::legal_move<Colour::White>(b, m)
                                           : board::detail::legal_move<Colour::Black>(b, m);
}

// Writes `m` as one word: the caller reads it back whole, and a move stored
// a byte at a time would make that read wait.
void store(Move& out, Move m) {
  const auto word = std::bit_cast<std::uint32_t>(m);
  std::memcpy(static_cast<void*>(&out), &word, sizeof word);
}

// The move of the one unit of `role` that reaches `target`, when it is
// plainly legal: the side is not in check, the unit is not pinned, and the
// move is a piece's move (reaching already showed the line clear) or a
// pawn's step, double step or capture, none a promotion or en passant; it is
// written to `out`. False sends the caller to the full test, which gives the
// same answer.
bool plain_move(const board::Board& b, Role role, Square origin, Square target, std::optional<Role> promotion,
                Move& out) {
  const Colour us = b.side_to_move();
  if (role == Role::King || promotion || b.colour(us).contains(target) || b.checkers() ||
      b.pinned().contains(origin))
    return false;
  const bool capture = b.colour(!us).contains(target);
  if (role == Role::Pawn) {
    if (rank_of(target) == relative_rank(us, Rank::Eighth)) return false;
    if (file_of(origin) == file_of(target)) {
      const bool two = index(origin) - index(target) == 16 || index(target) - index(origin) == 16;
      if (capture || (two && (rank_of(origin) != relative_rank(us, Rank::Second) ||
                              b.occupied().contains(Square((index(origin) + index(target)) / 2)))))
        return false;
    } else if (!capture) {
      return false;
    }
  }
  store(out, Move::make(origin, target, capture ? Move::kCapture : 0));
  return true;
}

// A promotion letter in either case: knight, bishop, rook or queen.
std::optional<Role> promotion_letter(char c) {
  const auto role = san_role(ascii_upper(c));
  if (role == Role::King) return std::nullopt;
  return role;
}
}  // namespace

std::string move_to_san(const Variant& v, const Position& p, Move m) {
  std::string san;
  if (m.is_castling()) {
    san = file_of(m.to) > file_of(m.from) ? "O-O" : "O-O-O";
  } else {
    const auto role = p.board.role_on(m.from);
    if (!role) panic("a move starts on an occupied square");
    if (*role == Role::Pawn) {
      if (m.is_capture()) san = {file_letter(m.from), 'x'};
    } else {
      // Only a piece may need its origin written, to tell it from another of its kind.
      san = kPieceLetters[index(*role)];
      san += disambiguation(v, p, m, *role);
      if (m.is_capture()) san += 'x';
    }
    san += square_name(m.to);
    if (const auto promotion = m.promotion()) {
      if (*promotion == Role::Pawn) panic("a pawn is not a promotion role");
      san += '=';
      san += kPieceLetters[index(*promotion)];
    }
  }
  const Position after = v.play(p, m);
  if (after.board.checkers()) san += after.board.count_legal() == 0 ? '#' : '+';
  return san;
}

VORN_HOT std::optional<MoveParseError> read_san(const Position& p, std::string_view text, Move& out) {
  while (!text.empty() && is_san_suffix(text.back())) text.remove_suffix(1);
  if (text.empty()) return MoveParseError::Malformed;

  if (const auto wing = castling_wing(text)) {
    // Castling is the king taking its own rook, the one its right names.
    const Colour us = p.board.side_to_move();
    if (const auto rook = p.board.castling().get(us, *wing)) {
      const Move m = Move::make(p.board.king(us), square_at(*rook, back_rank(us)));
      if (const auto move = legal(p.board, m); move && move->is_castling()) {
        store(out, *move);
        return std::nullopt;
      }
    }
    return MoveParseError::NoSuchMove;
  }

  Role role = Role::Pawn;
  if (const auto r = san_role(text.front())) {
    role = *r;
    text.remove_prefix(1);
  }
  std::optional<Role> promotion;
  std::string_view body = text;
  if (text.size() >= 2 && text[text.size() - 2] == '=') {
    promotion = promotion_letter(text.back());
    if (!promotion) return MoveParseError::Malformed;
    body.remove_suffix(2);
  }
  // The origin hint and the target, separators dropped: at most four characters.
  std::array<char, 4> squares{};
  std::size_t count = 0;
  for (const char c : body) {
    if (c == '-' || c == 'x') continue;
    if (c == '=' || count == squares.size()) return MoveParseError::Malformed;
    squares[count++] = c;
  }
  if (count < 2) return MoveParseError::Malformed;
  const auto target = parse_square(std::string_view(squares.data() + count - 2, 2));
  if (!target) return MoveParseError::Malformed;
  std::optional<File> from_file;
  std::optional<Rank> from_rank;
  for (const char c : std::string_view(squares.data(), count - 2)) {
    if (const auto file = file_from_char(c); file && !from_file) {
      from_file = file;
    } else if (const auto rank = rank_from_char(c); rank && !from_rank) {
      from_rank = rank;
    } else {
      return MoveParseError::Malformed;
    }
  }

  // Only the units that could reach the target are asked whether they may.
  SquareSet origins = reaching(p.board, role, p.board.side_to_move(), *target);
  if (from_file) origins &= SquareSet::file(*from_file);
  if (from_rank) origins &= SquareSet::rank(*from_rank);
  if (origins && !origins.more_than_one() && plain_move(p.board, role, origins.first(), *target, promotion, out))
    return std::nullopt;
  bool found = false;
  for (const Square origin : origins) {
    // A king onto its own rook is castling, which has its own text.
    const auto move = legal(p.board, Move::make(origin, *target, 0, promotion));
    if (!move || move->is_castling()) continue;
    if (found) return MoveParseError::Ambiguous;
    store(out, *move);
    found = true;
  }
  if (!found) return MoveParseError::NoSuchMove;
  return std::nullopt;
}

}  // namespace vorn::rules
