// The explanations of one position's rule situations, as Python sees them:
//
//   c = position.castling("white", "short"); c.allowed, c.path_blocked, c.describe()
//   e = position.en_passant_status(); e.target, [x.origin for x in e.captures]
//   e.captures[0].forbidden_by.kind          "pinned", "exposes_king" or "in_check"
//   position.pins("white")[0].pinner; position.skewers("white")[0].front
#include <optional>
#include <string>
#include <vector>

#include "python/explain/classes.hpp"
#include "python/explain/getters.hpp"
#include "python/names/names.hpp"

namespace vorn::python::explain {

namespace {

using vorn::explain::ExposesKing;
using vorn::explain::InCheck;

// ---- Castling -------------------------------------------------------------------

std::string_view colour_of(const Castling& c) { return colour_name(c.colour); }
std::string_view wing_of(const Castling& c) { return vorn::board::name(c.wing); }
std::string castling_repr(const Castling& c) {
  return "<Castling allowed=" + std::string(convert::bool_text(c.allowed)) + ">";
}

const bind::ClassSpec<PyCastling> kCastlingClass{
    .name = "vorn.explain.Castling",
    .doc = "One castling of one colour, and everything standing in its way.",
    .getters = {bind::getter<&colour_of>("colour", "Whose castling this is."),
                bind::getter<&wing_of>("wing", "Which castling of that colour: `short` or `long`."),
                bind::getter<field<&Castling::right>>("right", "The position still holds this castling right."),
                bind::getter<field<&Castling::rook_present>>("rook_present",
                                                             "The rook the right names stands on its square."),
                bind::getter<field<&Castling::king_in_check_by>>(
                    "king_in_check_by", "The enemy units attacking the king where it stands."),
                bind::getter<field<&Castling::path_attacked>>(
                    "path_attacked",
                    "Each square the king crosses or lands on that the enemy covers, with\nthe units covering it."),
                bind::getter<field<&Castling::path_blocked>>(
                    "path_blocked", "The units standing on squares the king or the rook must pass."),
                bind::getter<field<&Castling::allowed>>("allowed", "Nothing above prevents the castling.")},
    .methods = {bind::method<&say<Castling>>(
        "describe",
        "describe($self)\n--\n\n"
        "One plain sentence: whether this castling is available, and every reason\n"
        "it is not.")},
    .slots = {bind::repr<&castling_repr>},
};

// ---- EnPassant --------------------------------------------------------------------

std::optional<std::string> target_of(const std::optional<EnPassant>& e) {
  if (!e) return std::nullopt;
  return square_name(e->target);
}
std::vector<EpCapture> captures_of(const std::optional<EnPassant>& e) {
  return e ? e->captures : std::vector<EpCapture>{};
}
std::string en_passant_repr(const std::optional<EnPassant>& e) {
  return "<EnPassant " + target_of(e).value_or("none") + ">";
}

const bind::ClassSpec<PyEnPassant> kEnPassantClass{
    .name = "vorn.explain.EnPassant",
    .doc = "The en-passant capture a position offers the side to move.",
    .getters = {bind::getter<&target_of>("target", "The square a pawn skipped, if one did."),
                bind::getter<&captures_of>("captures", "Every pawn of the side to move standing beside it.")},
    .methods = {bind::method<&say<std::optional<EnPassant>>>(
        "describe", "describe($self)\n--\n\nOne plain sentence: what the previous ply left on offer.")},
    .slots = {bind::repr<&en_passant_repr>},
};

// ---- EpCapture --------------------------------------------------------------------

std::string ep_capture_repr(const EpCapture& c) {
  return "<EpCapture " + square_name(c.origin) + " legal=" + std::string(convert::bool_text(c.legal)) + ">";
}

const bind::ClassSpec<PyEpCapture> kEpCaptureClass{
    .name = "vorn.explain.EpCapture",
    .doc = "One pawn's en-passant capture of the target.",
    .getters = {bind::getter<square<&EpCapture::origin>>("origin", "Where the capturing pawn stands."),
                bind::getter<field<&EpCapture::legal>>("legal", "The capture is a legal move."),
                bind::getter<field<&EpCapture::forbidden_by>>("forbidden_by", "What forbids it, if anything does.")},
    .methods = {bind::method<&say<EpCapture>>(
        "describe", "describe($self)\n--\n\nOne plain sentence: whether this pawn may take, and what stops it.")},
    .slots = {bind::repr<&ep_capture_repr>},
};

// ---- EpObstacle -------------------------------------------------------------------

std::optional<std::string> attacker_of(const EpObstacle& o) {
  if (const auto* exposes = std::get_if<ExposesKing>(&o)) return square_name(exposes->attacker);
  return std::nullopt;
}
SquareSet checkers_of(const EpObstacle& o) {
  const auto* check = std::get_if<InCheck>(&o);
  return check != nullptr ? check->by : SquareSet{};
}
std::string ep_obstacle_repr(const EpObstacle& o) {
  return kind_repr<vorn::explain::kEpObstacleNames>("EpObstacle", o);
}

const bind::ClassSpec<PyEpObstacle> kEpObstacleClass{
    .name = "vorn.explain.EpObstacle",
    .doc = "What keeps an en-passant capture off the board.",
    .getters = {bind::getter<&kind<vorn::explain::kEpObstacleNames, EpObstacle>>(
                    "kind", "`pinned`, `exposes_king` or `in_check`."),
                bind::getter<&pin_ray<EpObstacle>>("ray", "The ray a pinned pawn may not leave."),
                bind::getter<&pin_pinner<EpObstacle>>("pinner", "The unit doing the pinning."),
                bind::getter<&attacker_of>("attacker", "The unit the two pawns hide."),
                bind::getter<&checkers_of>("by", "The units giving check.")},
    .methods = {bind::method<&say<EpObstacle>>(
        "describe", "describe($self)\n--\n\nOne plain sentence naming what keeps the capture off the board.")},
    .slots = {bind::repr<&ep_obstacle_repr>},
};

// ---- Pin and Skewer ---------------------------------------------------------------

std::string pin_repr(const Pin& p) { return "<Pin " + square_name(p.pinned) + " by " + square_name(p.pinner) + ">"; }

const bind::ClassSpec<PyPin> kPinClass{
    .name = "vorn.explain.Pin",
    .doc = "A unit that may not move off the line between an enemy slider and its own\nking.",
    .getters = {bind::getter<square<&Pin::pinned>>("pinned", "The unit that may not move off the ray."),
                bind::getter<square<&Pin::pinner>>("pinner", "The slider holding it there."),
                bind::getter<square<&Pin::king>>("king", "The king behind it."),
                bind::getter<field<&Pin::ray>>("ray", "Between pinner and king, exclusive.")},
    .methods = {bind::method<&say<Pin>>(
        "describe", "describe($self)\n--\n\nOne plain sentence naming the three squares of the pin.")},
    .slots = {bind::repr<&pin_repr>},
};

std::string skewer_repr(const Skewer& s) {
  return "<Skewer " + square_name(s.front) + " then " + square_name(s.behind) + ">";
}

const bind::ClassSpec<PySkewer> kSkewerClass{
    .name = "vorn.explain.Skewer",
    .doc = "A unit attacked with a less valuable one of the same colour directly\nbehind it on the slider's line.",
    .getters = {bind::getter<square<&Skewer::attacker>>("attacker", "The slider attacking the front unit."),
                bind::getter<square<&Skewer::front>>("front", "The unit in front, the more valuable of the two."),
                bind::getter<square<&Skewer::behind>>("behind", "The unit the front one shields."),
                bind::getter<field<&Skewer::ray>>("ray", "Between attacker and the unit behind, exclusive.")},
    .methods = {bind::method<&say<Skewer>>(
        "describe", "describe($self)\n--\n\nOne plain sentence naming the three squares of the skewer.")},
    .slots = {bind::repr<&skewer_repr>},
};

}  // namespace

PyTypeObject* PyCastling::type() { return bind::type_object(kCastlingClass); }
PyTypeObject* PyEnPassant::type() { return bind::type_object(kEnPassantClass); }
PyTypeObject* PyEpCapture::type() { return bind::type_object(kEpCaptureClass); }
PyTypeObject* PyEpObstacle::type() { return bind::type_object(kEpObstacleClass); }
PyTypeObject* PyPin::type() { return bind::type_object(kPinClass); }
PyTypeObject* PySkewer::type() { return bind::type_object(kSkewerClass); }

}  // namespace vorn::python::explain
