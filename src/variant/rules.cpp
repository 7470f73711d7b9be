#include "variant/rules.hpp"

#include <array>
#include <limits>

#include "board/attacks.hpp"

namespace vorn::rules {

namespace {

constexpr std::uint32_t saturating_increment(std::uint32_t n) {
  return n == std::numeric_limits<std::uint32_t>::max() ? n : n + 1;
}

}  // namespace

bool insufficient_material(const Position& p) {
  const board::Board& b = p.board;
  if (b.pieces(Role::Pawn) | b.pieces(Role::Rook) | b.pieces(Role::Queen)) return false;
  const SquareSet minors = b.pieces(Role::Knight) | b.pieces(Role::Bishop);
  if (minors.size() < 2) return true;
  return !b.pieces(Role::Knight) && b.pieces(Role::Bishop).on_one_square_colour();
}

// Every caller has found the move among the legal ones; checking again would
// double the cost of reading a line of moves.
void play(Position& p, Move m) {
  if (!on_board(m.from) || !on_board(m.to)) panic("Index is out of range");
  const Colour us = p.board.side_to_move();
  const bool resets = p.board.colour(!us).contains(m.to) || p.board.pieces(Role::Pawn).contains(m.from);
  p.board.play(m);
  // Clocks saturate so that every FEN the system writes reads back.
  p.halfmove_clock = resets ? 0 : saturating_increment(p.halfmove_clock);
  if (us == Colour::Black) p.fullmove_number = saturating_increment(p.fullmove_number);
}

std::optional<Outcome> outcome(const Position& p) {
  const board::Board& b = p.board;
  if (b.count_legal() == 0) {
    if (!b.checkers()) return Outcome::Stalemate;
    return b.side_to_move() == Colour::White ? Outcome::BlackMates : Outcome::WhiteMates;
  }
  if (insufficient_material(p)) return Outcome::InsufficientMaterial;
  if (p.halfmove_clock >= 150) return Outcome::SeventyFiveMoves;
  return std::nullopt;
}

Position start_position(std::uint64_t number) {
  const unsigned n = unsigned(number % 960);
  std::array<std::optional<Role>, 8> rank{};
  rank[2 * (n % 4) + 1] = Role::Bishop;
  rank[2 * ((n / 4) % 4)] = Role::Bishop;
  const auto nth_free = [&rank](unsigned k) {
    for (const File f : kFiles)
      if (!rank[index(f)] && k-- == 0) return f;
    panic("a back rank has a free file");
  };
  rank[index(nth_free((n / 16) % 6))] = Role::Queen;
  // The pairs of five free files in lexicographic order, by knight number.
  constexpr std::array<std::pair<unsigned, unsigned>, 10> kKnightPairs{
      {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}}};
  const auto [first, second] = kKnightPairs[n / 96];
  const File knight_b = nth_free(second);  // the later one first, so `first` still counts right
  rank[index(knight_b)] = Role::Knight;
  rank[index(nth_free(first))] = Role::Knight;
  rank[index(nth_free(0))] = Role::Rook;
  rank[index(nth_free(0))] = Role::King;
  rank[index(nth_free(0))] = Role::Rook;

  board::Placement placement;
  CastlingRights rights;
  std::optional<File> king;
  for (const File f : kFiles) {
    const Role r = *rank[index(f)];
    for (const Colour c : kColours) {
      const Square s = square_at(f, back_rank(c));
      placement.roles[index(r)] = placement.roles[index(r)].with(s);
      placement.colours[c] = placement.colours[c].with(s);
    }
    if (r == Role::King) king = f;
    if (r == Role::Rook)
      for (const Colour c : kColours) rights.set(c, king ? Wing::Short : Wing::Long, f);
  }
  placement.roles[index(Role::Pawn)] = SquareSet::rank(Rank::Second) | SquareSet::rank(Rank::Seventh);
  placement.colours.white |= SquareSet::rank(Rank::Second);
  placement.colours.black |= SquareSet::rank(Rank::Seventh);
  auto board = board::Board::build(placement, Colour::White, rights, std::nullopt);
  if (!board) panic("a start position is legal");
  return {*board, 0, 1, true};
}

bool has_classic_castling(const Position& p) {
  const board::Board& b = p.board;
  for (const Colour c : kColours) {
    if (!b.castling().any(c)) continue;
    const auto short_file = b.castling().get(c, Wing::Short);
    const auto long_file = b.castling().get(c, Wing::Long);
    if (b.king(c) != square_at(File::E, back_rank(c)) || (short_file && *short_file != File::H) ||
        (long_file && *long_file != File::A))
      return false;
  }
  return true;
}

std::expected<Move, MoveParseError> move_from_uci(const Variant& v, const Position& p,
                                                  std::string_view text) {
  const auto parsed = parse_move(text);
  if (!parsed) return std::unexpected(MoveParseError::Malformed);
  // Every move the text can name starts on its origin square.
  MoveList moves;
  v.legal_moves_from(p, parsed->from, moves);
  for (const Move m : moves)
    if (m.same_action(*parsed)) return m;
  if (!parsed->promotion())
    for (const Move m : moves)
      if (m.is_castling() && m.from == parsed->from && castling_king_target(m) == parsed->to)
        return m;
  return std::unexpected(MoveParseError::NoSuchMove);
}

}  // namespace vorn::rules
