// Ending classification: which named ending a position is by its material,
// what theory says its result is, the technique it is played by, and the
// facts of the position that verdict is read against, each in English.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/enum_list.hpp"
#include "core/types.hpp"
#include "endings/catalogue.def"
#include "position/position.hpp"

namespace vorn::endings {

// name(): the snake_case name ("kq_v_k", "box_method", "usually_win");
// describe(): the catalogue's sentence.
VORN_NAMED_ENUM(EndingClass, VORN_ENDING_CLASSES)
VORN_ENUM_TEXT(describe, EndingClass, VORN_ENDING_CLASSES, VORN_COLUMN_3)
VORN_NAMED_ENUM(EndingTechnique, VORN_ENDING_TECHNIQUES)
VORN_ENUM_TEXT(describe, EndingTechnique, VORN_ENDING_TECHNIQUES, VORN_COLUMN_3)
VORN_NAMED_ENUM(VerdictKind, VORN_VERDICT_KINDS)

// Unit counts of one side, indexed by role: pawn, knight, bishop, rook, queen, king.
using Counts = std::array<std::uint8_t, 6>;

struct Signature {
  std::string text;               // "KRPvKR": the stronger side first
  ByColour<std::uint32_t> value;  // pawn 1, knight 3, bishop 3, rook 5, queen 9, king 0
  ByColour<Counts> counts;
  Colour stronger = Colour::White;

  std::uint8_t count(Colour c, Role r) const { return counts[c][index(r)]; }
  // Knights, bishops, rooks and queens: neither kings nor pawns.
  unsigned pieces(Colour c) const;
  // Both sides' pawns together.
  unsigned pawns() const;

  // "The material is KRPvKR: White has a rook and a pawn, Black has a rook."
  std::string describe() const;
  // One side's units in words: "a rook and two pawns", or "nothing besides its king".
  std::string material_of(Colour c) const;

  bool operator==(const Signature&) const = default;
};

struct Verdict {
  VerdictKind kind = VerdictKind::Unknown;
  // The winner for win and usually_win; for usually_draw the side that wins
  // the positions that are not drawn; always White for draw and unknown.
  Colour colour = Colour::White;

  // The colour the verdict names: none for draw and unknown.
  std::optional<Colour> winner() const;
  std::string describe() const;

  bool operator==(const Verdict&) const = default;
};

// The race of the only pawn on the board. The attacker is the pawn's side,
// the defender the other.
struct PawnRace {
  Square pawn{};
  Colour colour = Colour::White;
  Square promotion{};
  bool rook_pawn = false;
  std::uint32_t steps = 0;  // pawn moves to promotion, a double first step counted once
  bool defender_inside_square = false;
  bool attacker_in_front = false;
  bool defender_in_front = false;
  bool defender_holds_the_corner = false;

  // "White's pawn on e4 is 4 moves from promoting on e8, and the defending
  // king is inside the square of the pawn."
  std::string describe() const;

  bool operator==(const PawnRace&) const = default;
};

struct Bishops {
  bool opposite_colours = false;
  bool same_colour = false;
  bool wrong_bishop = false;

  std::string describe() const;

  bool operator==(const Bishops&) const = default;
};

struct Evidence {
  std::optional<PawnRace> pawn;     // exactly one pawn on the board
  std::optional<Bishops> bishops;   // at least one bishop on the board
  bool opposition = false;          // one empty square between the kings on a line

  std::string describe() const;

  bool operator==(const Evidence&) const = default;
};

struct Classification {
  EndingClass ending_class = EndingClass::NotAnEnding;
  Signature signature;
  Verdict verdict;
  EndingTechnique technique = EndingTechnique::None;
  Evidence evidence;

  // "This is the KRPvKR ending.", or the sentences for an unnamed ending and
  // for too much material.
  std::string describe() const;

  bool operator==(const Classification&) const = default;
};

// Never fails; a position without both kings is a broken invariant.
Classification classify(const Position& position);

}  // namespace vorn::endings
