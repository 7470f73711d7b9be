#include "endings/rulings.hpp"

#include <array>

namespace vorn::endings {
namespace {

using C = EndingClass;
using V = VerdictKind;
using T = EndingTechnique;

// The evidence a row asks for before it applies.
using Test = bool (*)(const Evidence&);
constexpr Test always = [](const Evidence&) { return true; };
constexpr Test same_colour = [](const Evidence& e) { return e.bishops && e.bishops->same_colour; };
constexpr Test opposite_colours = [](const Evidence& e) {
  return e.bishops && e.bishops->opposite_colours;
};
constexpr Test wrong_bishop = [](const Evidence& e) { return e.bishops && e.bishops->wrong_bishop; };
constexpr Test corner_held = [](const Evidence& e) {
  return e.pawn && e.pawn->rook_pawn && e.pawn->defender_holds_the_corner;
};
constexpr Test inside_square = [](const Evidence& e) {
  return e.pawn && e.pawn->defender_inside_square;
};
constexpr Test defender_in_front = [](const Evidence& e) {
  return e.pawn && e.pawn->defender_in_front;
};

struct Row {
  std::string_view material;  // the signature text
  Test applies;
  Ruling ruling;
};

// The first row whose material and test match decides.
constexpr std::array kRows{
    Row{"KvK", always, {C::KvK, V::Draw, Side::Neither, T::None}},
    Row{"KQvK", always, {C::KqvK, V::Win, Side::Stronger, T::BoxMethod}},
    Row{"KRvK", always, {C::KrvK, V::Win, Side::Stronger, T::BoxMethod}},
    Row{"KBBvK", same_colour, {C::KbbvK, V::Draw, Side::Neither, T::None}},
    Row{"KBBvK", always, {C::KbbvK, V::Win, Side::Stronger, T::TwoBishopMate}},
    Row{"KBNvK", always, {C::KbnvK, V::Win, Side::Stronger, T::BishopKnightMate}},
    Row{"KNNvK", always, {C::KnnvK, V::Draw, Side::Neither, T::None}},
    Row{"KBvK", always, {C::KbvK, V::Draw, Side::Neither, T::None}},
    Row{"KNvK", always, {C::KnvK, V::Draw, Side::Neither, T::None}},
    Row{"KPvK", corner_held, {C::KpvK, V::Draw, Side::Neither, T::WrongRookPawn}},
    Row{"KPvK", inside_square, {C::KpvK, V::UsuallyWin, Side::Stronger, T::KeySquares}},
    Row{"KPvK", always, {C::KpvK, V::Win, Side::Stronger, T::RuleOfTheSquare}},
    Row{"KBPvK", wrong_bishop, {C::KbpvK, V::Draw, Side::Neither, T::WrongBishop}},
    Row{"KBPvK", always, {C::KbpvK, V::UsuallyWin, Side::Stronger, T::None}},
    Row{"KQvKQ", always, {C::KqvKq, V::Draw, Side::Neither, T::None}},
    Row{"KQvKR", always, {C::KqvKr, V::Win, Side::Stronger, T::None}},
    Row{"KQvKB", always, {C::KqvKb, V::Win, Side::Stronger, T::None}},
    Row{"KQvKN", always, {C::KqvKn, V::Win, Side::Stronger, T::None}},
    Row{"KQvKP", always, {C::KqvKp, V::UsuallyWin, Side::Stronger, T::None}},
    Row{"KQvKBB", always, {C::KqvTwoMinors, V::Unknown, Side::Neither, T::None}},
    Row{"KQvKBN", always, {C::KqvTwoMinors, V::Unknown, Side::Neither, T::None}},
    Row{"KQvKNN", always, {C::KqvTwoMinors, V::Unknown, Side::Neither, T::None}},
    Row{"KRvKR", always, {C::KrvKr, V::Draw, Side::Neither, T::None}},
    Row{"KRvKB", always, {C::KrvKb, V::UsuallyDraw, Side::Stronger, T::None}},
    Row{"KRvKN", always, {C::KrvKn, V::UsuallyDraw, Side::Stronger, T::None}},
    Row{"KRvKP", always, {C::KrvKp, V::UsuallyWin, Side::Stronger, T::None}},
    Row{"KBBvKR", always, {C::KrvTwoMinors, V::Unknown, Side::Neither, T::None}},
    Row{"KBNvKR", always, {C::KrvTwoMinors, V::Unknown, Side::Neither, T::None}},
    Row{"KNNvKR", always, {C::KrvTwoMinors, V::Unknown, Side::Neither, T::None}},
    Row{"KRPvKR", defender_in_front, {C::KrpvKr, V::UsuallyDraw, Side::Stronger, T::Philidor}},
    Row{"KRPvKR", always, {C::KrpvKr, V::UsuallyWin, Side::Stronger, T::Lucena}},
    Row{"KBBvKN", always, {C::KbbvKn, V::UsuallyWin, Side::Stronger, T::None}},
    Row{"KBvKN", always, {C::KbvKn, V::Draw, Side::Neither, T::None}},
    Row{"KBvKB", opposite_colours, {C::KbvKbOppositeColour, V::Draw, Side::Neither, T::None}},
    Row{"KBvKB", always, {C::KbvKbSameColour, V::Draw, Side::Neither, T::None}},
    Row{"KNvKN", always, {C::KnvKn, V::Draw, Side::Neither, T::None}},
    Row{"KBvKP", always, {C::KbvKp, V::UsuallyDraw, Side::Weaker, T::None}},
    Row{"KNvKP", always, {C::KnvKp, V::UsuallyDraw, Side::Weaker, T::None}},
};

constexpr Ruling kPawns{C::Pawns, V::Unknown, Side::Neither, T::Opposition};
constexpr Ruling kOther{C::Other, V::Unknown, Side::Neither, T::None};
constexpr Ruling kNotAnEnding{C::NotAnEnding, V::Unknown, Side::Neither, T::None};

// An ending has at most two pieces a side.
constexpr unsigned kMaxPieces = 2;

}  // namespace

Ruling rule(const Signature& s, const Evidence& e) {
  if (s.pieces(Colour::White) > kMaxPieces || s.pieces(Colour::Black) > kMaxPieces)
    return kNotAnEnding;
  for (const Row& row : kRows)
    if (row.material == s.text && row.applies(e)) return row.ruling;
  const bool kings_and_pawns = s.pieces(Colour::White) + s.pieces(Colour::Black) == 0;
  return kings_and_pawns && s.pawns() >= 2 ? kPawns : kOther;
}

}  // namespace vorn::endings
