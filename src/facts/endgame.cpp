#include "facts/endgame.hpp"

#include <algorithm>

#include "board/attacks.hpp"
#include "facts/geometry.hpp"

namespace vorn::facts {

namespace {

std::uint8_t centralisation(Square king) {
  int nearest = 7;
  for (const int file : {3, 4})
    for (const int rank : {3, 4})
      nearest = std::min(nearest, distance(king, square_at(File(file), Rank(rank))));
  return std::uint8_t(nearest);
}

std::uint8_t race_plies(const Scan& scan, const PawnFacts& pawns, Colour us) {
  const auto lead = pawns.passer_lead_rank[us];
  if (!lead) return 8;
  const int tempo = scan.side_to_move == us ? 1 : 0;
  return std::uint8_t(std::max(8 - int(*lead) - tempo, 0));
}

// The three squares a king must reach to escort a passer on files b to g.
SquareSet key_squares(Colour us, Square pawn) {
  const int ahead = relative_rank_of(us, pawn) <= 3 ? 2 : 1;
  const int rank = index(rank_of(pawn)) + (us == Colour::White ? ahead : -ahead);
  const int file = index(file_of(pawn));
  SquareSet out;
  for (const int f : {file - 1, file, file + 1}) out = out.with(square_at(File(f), Rank(rank)));
  return out;
}

bool key_square_occupied(const Scan& scan, const PawnFacts& pawns, Colour us) {
  const SquareSet edges = SquareSet::file(File(0)) | SquareSet::file(File(7));
  for (const Square s : pawns.passed[us] - edges)
    if (key_squares(us, s).contains(scan.king_square[us])) return true;
  return false;
}

bool wrong_colour_bishop(const Scan& scan, Colour us) {
  const SquareSet pawns = scan.of_role(us, Role::Pawn);
  const SquareSet bishops = scan.of_role(us, Role::Bishop);
  const SquareSet edges = SquareSet::file(File(0)) | SquareSet::file(File(7));
  if (!pawns || !pawns.is_subset(edges) || !bishops || !bishops.on_one_square_colour()) return false;
  const bool bishops_light = bool(bishops & SquareSet::light());
  for (const Square s : pawns) {
    const bool promotes_light = SquareSet::light().contains(promotion_square(us, file_of(s)));
    if (promotes_light == bishops_light) return false;
  }
  return true;
}

std::optional<Opposition> opposition(const Scan& scan) {
  const Square a = scan.king_square.white, b = scan.king_square.black;
  const SquareSet between = board::between(a, b);
  if (!board::line(a, b) || (between & scan.occupancy)) return std::nullopt;
  switch (between.size()) {
    case 1: return Opposition::Direct;
    case 3:
    case 5: return Opposition::Distant;
    default: return std::nullopt;
  }
}

bool bare(const Scan& scan, Colour c) { return scan.occupied[c] == scan.of_role(c, Role::King); }

// The lone-minor draws of `strong` against a bare king, in `order`.
std::optional<DrawishMaterial> against_bare_king(const Scan& scan, const EndgameFacts& f,
                                                  Colour strong, bool knights_first) {
  const auto count = [&](Role r) { return scan.of_role(strong, r).size(); };
  const bool two_knights = count(Role::Knight) == 2 && !count(Role::Pawn) &&
                           !count(Role::Bishop) && !count(Role::Rook) && !count(Role::Queen);
  const bool wrong_bishop = !count(Role::Knight) && !count(Role::Rook) && !count(Role::Queen) &&
                            f.wrong_colour_bishop[strong];
  if (knights_first && two_knights) return DrawishMaterial::TwoKnights;
  if (wrong_bishop) return DrawishMaterial::WrongBishop;
  if (two_knights) return DrawishMaterial::TwoKnights;
  return std::nullopt;
}

std::optional<DrawishMaterial> drawish_material(const Scan& scan, const EndgameFacts& f,
                                                const PieceFacts& pieces) {
  if (bare(scan, Colour::Black)) return against_bare_king(scan, f, Colour::White, true);
  if (bare(scan, Colour::White)) return against_bare_king(scan, f, Colour::Black, false);
  for (const Colour c : kColours)
    if (scan.of_role(c, Role::Knight) || scan.of_role(c, Role::Rook) || scan.of_role(c, Role::Queen))
      return std::nullopt;
  if (pieces.opposite_coloured_bishops) return DrawishMaterial::OppositeBishops;
  return std::nullopt;
}

}  // namespace

EndgameFacts endgame_facts(const Scan& scan, const PawnFacts& pawns, const PieceFacts& pieces) {
  EndgameFacts f{};
  for (const Colour us : kColours) {
    f.king_centralisation[us] = centralisation(scan.king_square[us]);
    f.race_plies[us] = race_plies(scan, pawns, us);
    f.key_square_occupied[us] = key_square_occupied(scan, pawns, us);
    f.wrong_colour_bishop[us] = wrong_colour_bishop(scan, us);
  }
  f.opposition = opposition(scan);
  f.drawish_material = drawish_material(scan, f, pieces);
  return f;
}

}  // namespace vorn::facts
