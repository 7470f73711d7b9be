// Ending and its records, as Python sees them:
//
//   e = endings_classify(position)          or position.ending(), game.ending()
//   e.class_, e.verdict, e.technique        name-like, see names.cpp
//   e.signature.count("white", "r"); e.evidence.pawn.steps; e.evidence.bishops
//   e.describe()                            "This is the KRPvKR ending."
#include <cstdint>
#include <string>
#include <string_view>

#include "python/bind/members.hpp"
#include "python/endings/classes.hpp"
#include "python/endings/names.hpp"
#include "python/names/names.hpp"

namespace vorn::python {

namespace {

namespace model = vorn::endings;
using bind::Ref;

// ---- Ending ------------------------------------------------------------------

Ref signature_of(const model::Classification& e) { return bind::make<PyMaterialSignature>(e.signature); }
Ref evidence_of(const model::Classification& e) { return bind::make<PyEndingEvidence>(e.evidence); }
std::string describe_ending(const model::Classification& e) { return e.describe(); }
std::string ending_repr(const model::Classification& e) {
  return "<Ending " + std::string(model::name(e.ending_class)) + ">";
}

const bind::ClassSpec<PyEnding> kEndingClass{
    .name = "vorn.endings.Ending",
    .doc = "What ending a position is, and what is known about it.",
    .getters = {bind::getter<field<&model::Classification::ending_class>>("class_", "The named ending."),
                bind::getter<&signature_of>("signature", "The material both sides hold."),
                bind::getter<field<&model::Classification::verdict>>("verdict", "The result."),
                bind::getter<field<&model::Classification::technique>>("technique",
                                                                      "The method the ending is played by."),
                bind::getter<&evidence_of>("evidence",
                                           "The position-specific facts behind the verdict and the technique.")},
    .methods = {bind::method<&describe_ending>(
        "describe", "describe($self)\n--\n\nOne plain sentence naming the ending, or the material it falls short of.")},
    .slots = {bind::repr<&ending_repr>},
};

// ---- MaterialSignature -------------------------------------------------------

std::string_view stronger_of(const model::Signature& s) { return colour_name(s.stronger); }
unsigned pawns_of(const model::Signature& s) { return s.pawns(); }

unsigned count_of(const model::Signature& s, std::string_view colour, std::string_view role) {
  const Colour side = convert::colour_from(colour);
  return s.count(side, convert::role_from(role));
}
unsigned pieces_of(const model::Signature& s, std::string_view colour) {
  return s.pieces(convert::colour_from(colour));
}
std::uint32_t value_of(const model::Signature& s, std::string_view colour) {
  return s.value[convert::colour_from(colour)];
}
std::string describe_signature(const model::Signature& s) { return s.describe(); }
std::string signature_repr(const model::Signature& s) { return "<MaterialSignature " + s.text + ">"; }

const bind::ClassSpec<PyMaterialSignature> kMaterialSignatureClass{
    .name = "vorn.endings.MaterialSignature",
    .doc = "The material both sides hold, written the way endings are named.",
    .getters = {bind::getter<field<&model::Signature::text>>("text",
                                                            "The canonical spelling, stronger side first: `KRPvKR`."),
                bind::getter<&stronger_of>("stronger", "The side written first."),
                bind::getter<&pawns_of>("pawns", "The pawns of both sides.")},
    .methods = {bind::method<&count_of>("count",
                                        "count($self, colour, role)\n--\n\nHow many units of `role` `colour` has."),
                bind::method<&pieces_of>("pieces",
                                         "pieces($self, colour)\n--\n\n"
                                         "The pieces of `colour`: everything that is neither a king nor a pawn."),
                bind::method<&value_of>("value",
                                        "value($self, colour)\n--\n\n"
                                        "The conventional material of `colour`, the king counting nothing."),
                bind::method<&describe_signature>(
                    "describe", "describe($self)\n--\n\nOne plain sentence: the signature, and each side's units.")},
    .slots = {bind::str<field<&model::Signature::text>>, bind::repr<&signature_repr>},
};

// ---- EndingEvidence ----------------------------------------------------------

Ref pawn_of(const model::Evidence& e) { return e.pawn ? bind::make<PyPawnRace>(*e.pawn) : Ref::none(); }
Ref bishops_of(const model::Evidence& e) { return e.bishops ? bind::make<PyBishops>(*e.bishops) : Ref::none(); }
std::string describe_evidence(const model::Evidence& e) { return e.describe(); }
std::string evidence_repr(const model::Evidence& e) {
  return "<EndingEvidence opposition=" + std::string(convert::bool_text(e.opposition)) + ">";
}

const bind::ClassSpec<PyEndingEvidence> kEndingEvidenceClass{
    .name = "vorn.endings.EndingEvidence",
    .doc = "The position-specific facts an ending's verdict and technique are read off.",
    .getters = {bind::getter<&pawn_of>("pawn", "The race, when exactly one pawn stands on the board."),
                bind::getter<&bishops_of>("bishops", "The bishops, when at least one stands on the board."),
                bind::getter<field<&model::Evidence::opposition>>("opposition", "The kings stand in opposition.")},
    .methods = {bind::method<&describe_evidence>(
        "describe", "describe($self)\n--\n\nOne plain sentence naming the facts the verdict is read against.")},
    .slots = {bind::repr<&evidence_repr>},
};

// ---- PawnRace ----------------------------------------------------------------

std::string_view pawn_colour(const model::PawnRace& r) { return colour_name(r.colour); }
std::string describe_race(const model::PawnRace& r) { return r.describe(); }
std::string race_repr(const model::PawnRace& r) { return "<PawnRace " + square_name(r.pawn) + ">"; }

const bind::ClassSpec<PyPawnRace> kPawnRaceClass{
    .name = "vorn.endings.PawnRace",
    .doc = "The race of the only pawn on the board.",
    .getters = {bind::getter<square<&model::PawnRace::pawn>>("pawn", "Where the pawn stands."),
                bind::getter<&pawn_colour>("colour", "Whose pawn it is."),
                bind::getter<square<&model::PawnRace::promotion>>("promotion", "The square it promotes on."),
                bind::getter<field<&model::PawnRace::rook_pawn>>("rook_pawn", "It stands on the a- or the h-file."),
                bind::getter<field<&model::PawnRace::steps>>(
                    "steps", "Pawn moves left to promotion, a double first step counted as one."),
                bind::getter<field<&model::PawnRace::defender_inside_square>>(
                    "defender_inside_square",
                    "The defending king reaches the promotion square no later than the pawn."),
                bind::getter<field<&model::PawnRace::attacker_in_front>>(
                    "attacker_in_front", "The pawn's own king stands on the pawn's file, ahead of the pawn."),
                bind::getter<field<&model::PawnRace::defender_in_front>>(
                    "defender_in_front", "The defending king stands on the pawn's file, ahead of the pawn."),
                bind::getter<field<&model::PawnRace::defender_holds_the_corner>>(
                    "defender_holds_the_corner", "The defending king stands on the promotion square or beside it.")},
    .methods = {bind::method<&describe_race>(
        "describe", "describe($self)\n--\n\nOne plain sentence: how far the pawn has to run, and whether the\n"
                    "defending king is in time.")},
    .slots = {bind::repr<&race_repr>},
};

// ---- Bishops -----------------------------------------------------------------

std::string describe_bishops(const model::Bishops& b) { return b.describe(); }
std::string bishops_repr(const model::Bishops& b) {
  return "<Bishops opposite_colours=" + std::string(convert::bool_text(b.opposite_colours)) + ">";
}

const bind::ClassSpec<PyBishops> kBishopsClass{
    .name = "vorn.endings.Bishops",
    .doc = "The bishops on the board, when at least one stands on it.",
    .getters = {bind::getter<field<&model::Bishops::opposite_colours>>(
                    "opposite_colours", "One bishop each, on opposite square colours."),
                bind::getter<field<&model::Bishops::same_colour>>(
                    "same_colour", "Every bishop on the board stands on one square colour."),
                bind::getter<field<&model::Bishops::wrong_bishop>>(
                    "wrong_bishop",
                    "The only pawn is a rook pawn its own side's bishops cannot cover the\n"
                    "promotion square of.")},
    .methods = {bind::method<&describe_bishops>(
        "describe", "describe($self)\n--\n\nOne plain sentence on the square colours the bishops stand on.")},
    .slots = {bind::repr<&bishops_repr>},
};

}  // namespace

PyTypeObject* PyEnding::type() { return bind::type_object(kEndingClass); }
PyTypeObject* PyMaterialSignature::type() { return bind::type_object(kMaterialSignatureClass); }
PyTypeObject* PyEndingEvidence::type() { return bind::type_object(kEndingEvidenceClass); }
PyTypeObject* PyPawnRace::type() { return bind::type_object(kPawnRaceClass); }
PyTypeObject* PyBishops::type() { return bind::type_object(kBishopsClass); }

}  // namespace vorn::python
