// The analysis methods of Position, as Python sees them:
//
//   p.castling("white", "short")   a Castling: what stands in the way
//   p.en_passant_status()          an EnPassant, with target None when no pawn skipped a square
//   p.pins("white"), p.skewers("black")   lists of Pin and Skewer
//   p.see("e5"), p.see_capture(m)  static exchange evaluation
//   p.ending()                     an Ending
//   p.facts(), p.annotated_moves() a Facts, and a list of AnnotatedMove
//   p.summary()                    the board and its state, for a human reader
#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "explain/situations.hpp"
#include "facts/compute.hpp"
#include "facts/exchange.hpp"
#include "python/board/classes.hpp"
#include "python/endings/classes.hpp"
#include "python/errors/exceptions.hpp"
#include "python/explain/classes.hpp"
#include "python/facts/classes.hpp"
#include "python/names/names.hpp"

namespace vorn::python {

namespace {

// Exactly "short" or "long".
Wing wing_from(std::string_view text) {
  const std::optional<Wing> wing = from_name<Wing>(text);
  if (!wing) errors::parse_error("castling wing", text);
  return *wing;
}

vorn::explain::Castling castling_of(const Position& p, std::string_view colour, std::string_view wing) {
  const Colour c = convert::colour_from(colour);
  return vorn::explain::castling(p, c, wing_from(wing));
}

// An object even when no pawn has just made a double step.
bind::Ref en_passant_of(const Position& p) {
  return bind::make<explain::PyEnPassant>(vorn::explain::en_passant_status(p));
}

std::vector<vorn::explain::Pin> pins_of(const Position& p, std::string_view colour) {
  return vorn::explain::pins(p, convert::colour_from(colour));
}

std::vector<vorn::explain::Skewer> skewers_of(const Position& p, std::string_view colour) {
  return vorn::explain::skewers(p, convert::colour_from(colour));
}

// What the side not owning the unit on `square` gains by taking it; never negative.
std::int32_t see_of(const Position& p, std::string_view square) {
  return std::max(vorn::facts::exchange::signed_see(p, convert::square_from(square)).value_or(0), 0);
}

bind::Ref facts_of(const Position& p, const PyVariant* variant) { return facts::facts_of(p, resolve(variant)); }

bind::Ref annotated_moves_of(const Position& p, const PyVariant* variant) {
  return facts::annotated_moves(p, resolve(variant));
}

std::string summary_of(const Position& p) { return vorn::facts::summary(p); }

}  // namespace

std::vector<bind::MethodEntry<PyPosition>> with_analysis_methods(std::vector<bind::MethodEntry<PyPosition>> methods) {
  methods.insert(methods.end(), {
      bind::method<&annotated_moves_of>(
          "annotated_moves",
          "annotated_moves($self, *, variant=None)\n--\n\nEvery legal move here with what it does, under `variant`."),
      bind::method<&facts_of>("facts", "facts($self, *, variant=None)\n--\n\nThe facts of this position under `variant`."),
      bind::method<&castling_of>("castling",
                                 "castling($self, colour, wing)\n--\n\n"
                                 "What stands in the way of `colour` castling on `wing`, which is\n"
                                 "`short` or `long`."),
      bind::method<&en_passant_of>(
          "en_passant_status",
          "en_passant_status($self)\n--\n\nThe en-passant capture this position offers the side to move."),
      bind::method<&pins_of>("pins", "pins($self, colour)\n--\n\nThe absolute pins on `colour`'s units."),
      bind::method<&skewers_of>(
          "skewers", "skewers($self, colour)\n--\n\nThe skewers on `colour`'s units, the more valuable one in front."),
      bind::method<&see_of>("see",
                            "see($self, square)\n--\n\nThe static exchange evaluation of the unit on `square`."),
      bind::method<&vorn::facts::exchange::see_capture>(
          "see_capture",
          "see_capture($self, mv)\n--\n\n"
          "The static exchange evaluation of `mv`, which the caller has checked is\n"
          "a move of this position."),
      bind::method<&vorn::endings::classify>("ending", "ending($self)\n--\n\nWhat ending this position is."),
      bind::method<&summary_of>(
          "summary", "summary($self)\n--\n\nBoard, side to move and state, for a human reader. Not a stable format."),
  });
  return methods;
}

}  // namespace vorn::python
