// The English sentences of the classification records.
#include <array>
#include <vector>

#include "text/english.hpp"
#include "endings/measure.hpp"

namespace vorn::endings {
namespace {

constexpr std::array<std::string_view, 9> kCountWords{"no",   "a",   "two",   "three", "four",
                                                      "five", "six", "seven", "eight"};

// A verdict's sentence around the colour it names (draws and unknowns name none).
VORN_ENUM_TEXT(sentence_before, VerdictKind, VORN_VERDICT_KINDS, VORN_COLUMN_3)
VORN_ENUM_TEXT(sentence_after, VerdictKind, VORN_VERDICT_KINDS, VORN_COLUMN_4)

// "no pawns", "a queen", "two rooks", "9 queens".
std::string units(unsigned count, Role role) {
  std::string out =
      count < kCountWords.size() ? std::string(kCountWords[count]) : std::to_string(count);
  out += ' ';
  out += role_word(role);
  if (count != 1) out += 's';
  return out;
}

}  // namespace

std::string Signature::material_of(Colour c) const {
  std::vector<std::string> items;
  for (Role r : kRoleOrder)
    if (count(c, r) > 0) items.push_back(units(count(c, r), r));
  return items.empty() ? "nothing besides its king" : english::list(items);
}

std::string Signature::describe() const {
  return "The material is " + text + ": White has " + material_of(Colour::White) +
         ", Black has " + material_of(Colour::Black) + ".";
}

std::string Verdict::describe() const {
  std::string out(sentence_before(kind));
  if (const auto w = winner()) out += english::colour_word(*w);
  out += sentence_after(kind);
  return out;
}

std::string PawnRace::describe() const {
  return std::string(english::colour_word(colour)) + "'s pawn on " + square_name(pawn) + " is " +
         english::count(steps, "move", "moves") + " from promoting on " + square_name(promotion) +
         ", and the defending king " + (defender_inside_square ? "is inside" : "is outside") +
         " the square of the pawn.";
}

std::string Bishops::describe() const {
  if (wrong_bishop)
    return "The bishop stands on the square colour its rook pawn does not promote on, so it can "
           "never cover the promotion square.";
  if (opposite_colours)
    return "The two bishops stand on opposite square colours and can never attack each other.";
  if (same_colour) return "Every bishop on the board stands on one square colour.";
  return "The bishops on the board cover both square colours.";
}

std::string Evidence::describe() const {
  std::vector<std::string> items;
  if (pawn) items.emplace_back("the pawn race");
  if (bishops) items.emplace_back("the bishops");
  if (opposition) items.emplace_back("the opposition the kings stand in");
  if (items.empty()) return "Nothing in this position changes what theory says about the ending.";
  return "What theory says about this ending is read here against " + english::list(items) + ".";
}

std::string Classification::describe() const {
  switch (ending_class) {
    case EndingClass::Other:
      return "The material is " + signature.text + ", an ending the catalogue has no name for.";
    case EndingClass::NotAnEnding:
      return "The material is " + signature.text + ", which is more than an ending has.";
    default:
      return "This is the " + signature.text + " ending.";
  }
}

}  // namespace vorn::endings
