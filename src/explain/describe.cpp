#include "explain/describe.hpp"

#include <vector>

#include "text/english.hpp"

namespace vorn::explain {

namespace {

VORN_ENUM_TEXT(text, Difference, VORN_DIFFERENCES, VORN_COLUMN_3)
VORN_ENUM_TEXT(text, ResetKind, VORN_RESET_KINDS, VORN_COLUMN_3)
VORN_VARIANT_TEXT(text, AutomaticDraw, VORN_AUTOMATIC_DRAWS, VORN_COLUMN_3)
VORN_VARIANT_TEXT(text, ClaimableDraw, VORN_CLAIMABLE_DRAWS, VORN_COLUMN_4)

std::string name(Square s) { return square_name(s); }

template <class T, class F>
std::string list_of(const std::vector<T>& items, F&& text) {
  std::vector<std::string> texts;
  for (const T& item : items) texts.push_back(text(item));
  return english::list(texts);
}

std::string castling_reasons(const Castling& c) {
  std::vector<std::string> reasons;
  if (!c.right)
    reasons.push_back("the right to castle that way is gone");
  else if (!c.rook_present)
    reasons.push_back("no rook stands on the square the right names");
  if (c.king_in_check_by)
    reasons.push_back("the king is in check from " + english::square_list(c.king_in_check_by) +
                      ", and a king may not castle out of check");
  if (!c.path_attacked.empty())
    reasons.push_back(
        "the enemy covers " +
        list_of(c.path_attacked, [](const CoveredSquare& s) { return name(s.square); }) +
        ", which the king must cross or land on");
  if (c.path_blocked)
    reasons.push_back("the path is blocked on " + english::square_list(c.path_blocked));
  // Only a Chess960 rook shielding the king's landing square leaves nothing
  // above to say.
  if (reasons.empty()) reasons.push_back("the king would stand in check once its rook has moved");
  std::string out = reasons[0];
  for (std::size_t i = 1; i < reasons.size(); ++i) out += "; " + reasons[i];
  return out;
}

}  // namespace

std::string describe(const Castling& c) {
  const std::string who = std::string(english::colour_word(c.colour));
  const std::string wing = std::string(board::name(c.wing));
  if (c.allowed) return who + " may castle " + wing + ": nothing stands in its way.";
  return who + " cannot castle " + wing + ": " + castling_reasons(c) + ".";
}

std::string describe(const std::optional<EnPassant>& e) {
  if (!e) return "No pawn has just advanced two squares, so no en-passant capture is on offer.";
  const std::string opening = "A pawn has just skipped " + name(e->target) + ", and ";
  if (e->captures.empty()) return opening + "no pawn of the side to move stands beside it.";
  std::vector<EpCapture> legal;
  for (const EpCapture& c : e->captures)
    if (c.legal) legal.push_back(c);
  const auto origins = [](const std::vector<EpCapture>& captures) {
    return list_of(captures, [](const EpCapture& c) { return name(c.origin); });
  };
  if (legal.empty())
    return opening + "the pawn on " + origins(e->captures) + " stands beside it but may not take.";
  return opening + "the pawn on " + origins(legal) + " may take it en passant.";
}

std::string describe(const EpCapture& c) {
  return "The pawn on " + name(c.origin) +
         (c.forbidden_by ? " may not take en passant." : " may take en passant.");
}

std::string describe(const EpObstacle& o) {
  if (const auto* pin = std::get_if<Pin>(&o))
    return "The pawn is pinned against its own king by the unit on " + name(pin->pinner) +
           ", and the capture would step off that line.";
  if (const auto* exposes = std::get_if<ExposesKing>(&o))
    return "Both pawns leave the rank at once, which uncovers the king to the unit on " +
           name(exposes->attacker) + ".";
  return "The side to move is in check from " + english::square_list(std::get<InCheck>(o).by) +
         ", and this capture does not answer it.";
}

std::string describe(const Pin& p) {
  return "The unit on " + name(p.pinned) +
         " may not move off the line between the enemy unit on " + name(p.pinner) +
         " and its own king on " + name(p.king) + ".";
}

std::string describe(const Skewer& s) {
  return "The unit on " + name(s.front) + " is attacked by the unit on " + name(s.attacker) +
         ", and moving it out of the way exposes the less valuable unit on " + name(s.behind) +
         " behind it.";
}

std::string describe(const Repetition& r) {
  std::string out = "This position has stood " + english::count(r.count, "time", "times");
  if (!r.plies.empty())
    out += std::string(r.plies.size() == 1 ? ", at ply " : ", at plies ") +
           list_of(r.plies, [](std::uint32_t ply) { return std::to_string(ply); });
  out += "; three occurrences let a player claim a draw, and five draw the game with no claim.";
  if (const std::size_t n = r.near_misses.size(); n > 0)
    out += " " + english::count(n, "earlier ply", "earlier plies") + " of the same placement " +
           (n == 1 ? "does" : "do") + " not count.";
  return out;
}

std::string describe(const NearMiss& n) {
  return "The placement at ply " + std::to_string(n.ply) +
         " is not a repetition of this position: " +
         list_of(n.differs, [](Difference d) { return std::string(text(d)); }) +
         ".";
}

std::string describe(const Reset& r) {
  return "The move at ply " + std::to_string(r.ply) + " " +
         std::string(text(r.kind)) + ", which set the clock to 0.";
}

std::string describe(const FiftyMove& f) {
  std::string out = "The halfmove clock stands at " + std::to_string(f.clock) + ": " +
                    english::count(f.plies_to_claim, "ply", "plies") +
                    " until a player may claim a draw, " +
                    english::count(f.plies_to_automatic, "ply", "plies") +
                    " until the game is drawn with no claim.";
  if (f.last_reset) out += " " + describe(*f.last_reset);
  return out;
}

std::string describe(const DrawStatus& d) {
  if (d.automatic.empty())
    return d.claimable.empty() ? "No draw condition holds in this position."
                               : "Either player may claim a draw.";
  return d.claimable.empty() ? "The game is drawn already."
                             : "The game is drawn already, and a claim was available before that.";
}

std::string describe(const AutomaticDraw& d) { return std::string(text(d)); }

std::string describe(const ClaimableDraw& d) { return std::string(text(d)); }

std::string describe(const StalemateDetail& s) {
  const std::string king = "The king on " + name(s.king);
  switch (s.stuck_units.size()) {
    case 0:
      return king + " is the only unit of the side to move, and every square it could step to is "
                    "covered.";
    case 1:
      return king + " has nowhere to step, and the one other unit of the side to move has no legal "
                    "move either.";
    default:
      return king + " has nowhere to step, and none of the " +
             std::to_string(s.stuck_units.size()) +
             " other units of the side to move has a legal move either.";
  }
}

std::string describe(const Stuck& s) {
  if (const auto* pin = std::get_if<Pin>(&s))
    return "The unit is pinned against its own king by the unit on " + name(pin->pinner) +
           ", so it may not leave that line.";
  if (std::holds_alternative<Blocked>(s)) return "Occupancy leaves the unit no move at all.";
  return "The unit has moves, and every one of them would leave its own king in check.";
}

}  // namespace vorn::explain
