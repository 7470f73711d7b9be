// The explanations of a game's draw conditions, as Python sees them:
//
//   s = game.draw_status(); [d.kind for d in s.automatic], [c.kind for c in s.claimable]
//   game.repetition_status().plies, game.repetition_status().near_misses[0].differs
//   game.fifty_move_status().last_reset.kind          "capture" or "pawn_move"
//   s.automatic[0].stalemate.stuck_units[0][1].kind   "pinned", "blocked" or "no_moves"
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "python/explain/classes.hpp"
#include "python/explain/getters.hpp"

namespace vorn::python::explain {

namespace {

using vorn::explain::kAutomaticDrawNames;
using vorn::explain::kClaimableDrawNames;
using vorn::explain::kStuckNames;
using vorn::explain::Material;

// The record an optional getter of a draw holds when the draw is of its kind.
template <class Alternative, class Draw>
std::optional<Alternative> alternative(const Draw& draw) {
  if (const auto* held = std::get_if<Alternative>(&draw)) return *held;
  return std::nullopt;
}

// ---- Repetition and NearMiss ------------------------------------------------------

std::string repetition_repr(const Repetition& r) { return "<Repetition " + std::to_string(r.count) + ">"; }

const bind::ClassSpec<PyRepetition> kRepetitionClass{
    .name = "vorn.explain.Repetition",
    .doc = "How often the current position has stood, and what nearly counted.",
    .getters = {bind::getter<field<&Repetition::count>>("count", "How many of the plies are occurrences."),
                bind::getter<field<&Repetition::plies>>("plies",
                                                       "Every ply the current position occurred at, this one last."),
                bind::getter<field<&Repetition::near_misses>>(
                    "near_misses", "The earlier plies with the same placement that do not count.")},
    .methods = {bind::method<&say<Repetition>>(
        "describe",
        "describe($self)\n--\n\n"
        "One plain sentence: how often the position has stood, and what that is\n"
        "worth.")},
    .slots = {bind::repr<&repetition_repr>},
};

std::vector<std::string> differs_of(const NearMiss& n) {
  std::vector<std::string> names;
  for (const auto difference : n.differs) names.emplace_back(vorn::explain::name(difference));
  return names;
}
std::string near_miss_repr(const NearMiss& n) { return "<NearMiss ply " + std::to_string(n.ply) + ">"; }

const bind::ClassSpec<PyNearMiss> kNearMissClass{
    .name = "vorn.explain.NearMiss",
    .doc = "An earlier ply with the same placement that is not a repetition.",
    .getters = {bind::getter<field<&NearMiss::ply>>("ply", "The ply it stood at."),
                bind::getter<&differs_of>("differs",
                                          "Everything about it that differs: `castling_rights`, `en_passant`,\n"
                                          "`side_to_move`.")},
    .methods = {bind::method<&say<NearMiss>>(
        "describe", "describe($self)\n--\n\nOne plain sentence: why this earlier ply is not a repetition.")},
    .slots = {bind::repr<&near_miss_repr>},
};

// ---- FiftyMove and Reset ----------------------------------------------------------

std::string fifty_move_repr(const FiftyMove& f) { return "<FiftyMove clock " + std::to_string(f.clock) + ">"; }

const bind::ClassSpec<PyFiftyMove> kFiftyMoveClass{
    .name = "vorn.explain.FiftyMove",
    .doc = "The halfmove clock, and how far it is from ending the game.",
    .getters = {bind::getter<field<&FiftyMove::clock>>("clock", "Plies since the last capture or pawn move."),
                bind::getter<field<&FiftyMove::plies_to_claim>>("plies_to_claim",
                                                               "Plies until a player may claim; 0 once one may."),
                bind::getter<field<&FiftyMove::plies_to_automatic>>(
                    "plies_to_automatic", "Plies until the draw is automatic; 0 once it is."),
                bind::getter<field<&FiftyMove::last_reset>>("last_reset",
                                                           "The last move of this game that set the clock to 0.")},
    .methods = {bind::method<&say<FiftyMove>>(
        "describe",
        "describe($self)\n--\n\nOne plain sentence: where the clock stands and what it counts towards.")},
    .slots = {bind::repr<&fifty_move_repr>},
};

std::string_view reset_kind_of(const Reset& r) { return vorn::explain::name(r.kind); }
std::string reset_repr(const Reset& r) {
  return "<Reset ply " + std::to_string(r.ply) + " " + std::string(reset_kind_of(r)) + ">";
}

const bind::ClassSpec<PyReset> kResetClass{
    .name = "vorn.explain.Reset",
    .doc = "The move that last set the halfmove clock to 0.",
    .getters = {bind::getter<field<&Reset::ply>>("ply", "The ply it produced."),
                bind::getter<&reset_kind_of>("kind", "`capture` or `pawn_move`.")},
    .methods = {bind::method<&say<Reset>>(
        "describe", "describe($self)\n--\n\nOne plain sentence naming the move that last cleared the clock.")},
    .slots = {bind::repr<&reset_repr>},
};

// ---- DrawStatus, AutomaticDraw and ClaimableDraw --------------------------------------

std::string draw_status_repr(const DrawStatus& d) {
  return "<DrawStatus automatic " + std::to_string(d.automatic.size()) + " claimable " +
         std::to_string(d.claimable.size()) + ">";
}

const bind::ClassSpec<PyDrawStatus> kDrawStatusClass{
    .name = "vorn.explain.DrawStatus",
    .doc = "Every draw condition that holds, not the first of them.",
    .getters = {bind::getter<field<&DrawStatus::automatic>>("automatic", "The draws that end the game as they are."),
                bind::getter<field<&DrawStatus::claimable>>(
                    "claimable", "The draws a player may ask for, the position still playable.")},
    .methods = {bind::method<&say<DrawStatus>>(
        "describe", "describe($self)\n--\n\nOne plain sentence per draw that holds, or one saying none does.")},
    .slots = {bind::repr<&draw_status_repr>},
};

std::optional<std::string_view> material_of(const AutomaticDraw& d) {
  if (const auto* material = std::get_if<Material>(&d)) return vorn::explain::name(*material);
  return std::nullopt;
}
std::string automatic_draw_repr(const AutomaticDraw& d) {
  return kind_repr<kAutomaticDrawNames>("AutomaticDraw", d);
}

const bind::ClassSpec<PyAutomaticDraw> kAutomaticDrawClass{
    .name = "vorn.explain.AutomaticDraw",
    .doc = "A draw that needs no claim.",
    .getters = {bind::getter<&kind<kAutomaticDrawNames, AutomaticDraw>>(
                    "kind", "`stalemate`, `insufficient_material`, `fivefold_repetition` or\n`seventy_five_moves`."),
                bind::getter<&alternative<StalemateDetail, AutomaticDraw>>("stalemate",
                                                                           "Why the side to move has no move."),
                bind::getter<&material_of>("material", "The material configuration, `k_v_k` and its kin."),
                bind::getter<&alternative<Repetition, AutomaticDraw>>("repetition",
                                                                      "The plies the position has stood at."),
                bind::getter<&alternative<FiftyMove, AutomaticDraw>>("fifty_move", "The clock that ran out.")},
    .methods = {bind::method<&say<AutomaticDraw>>(
        "describe", "describe($self)\n--\n\nOne plain sentence naming the draw and why it needs no claim.")},
    .slots = {bind::repr<&automatic_draw_repr>},
};

std::string claimable_draw_repr(const ClaimableDraw& d) {
  return kind_repr<kClaimableDrawNames>("ClaimableDraw", d);
}

const bind::ClassSpec<PyClaimableDraw> kClaimableDrawClass{
    .name = "vorn.explain.ClaimableDraw",
    .doc = "A draw a player may ask for.",
    .getters = {bind::getter<&kind<kClaimableDrawNames, ClaimableDraw>>("kind",
                                                                         "`threefold_repetition` or `fifty_moves`."),
                bind::getter<&alternative<Repetition, ClaimableDraw>>("repetition",
                                                                      "The plies the position has stood at."),
                bind::getter<&alternative<FiftyMove, ClaimableDraw>>("fifty_move", "The clock that earns the claim.")},
    .methods = {bind::method<&say<ClaimableDraw>>(
        "describe", "describe($self)\n--\n\nOne plain sentence naming the draw a player may ask for.")},
    .slots = {bind::repr<&claimable_draw_repr>},
};

// ---- StalemateDetail and Stuck ------------------------------------------------------

std::string stalemate_repr(const StalemateDetail& s) { return "<StalemateDetail " + square_name(s.king) + ">"; }

const bind::ClassSpec<PyStalemateDetail> kStalemateDetailClass{
    .name = "vorn.explain.StalemateDetail",
    .doc = "Why the side to move has no move.",
    .getters = {bind::getter<square<&StalemateDetail::king>>("king", "The king with nowhere to go."),
                bind::getter<field<&StalemateDetail::flight_squares>>(
                    "escape_squares",
                    "Each square beside the king that none of its own units holds, with the\n"
                    "enemy units covering it."),
                bind::getter<field<&StalemateDetail::stuck_units>>(
                    "stuck_units", "Every other unit of the side to move, and what holds it.")},
    .methods = {bind::method<&say<StalemateDetail>>(
        "describe",
        "describe($self)\n--\n\n"
        "One plain sentence: the king with nowhere to go, and how much else is\n"
        "stuck with it.")},
    .slots = {bind::repr<&stalemate_repr>},
};

std::string stuck_repr(const Stuck& s) { return kind_repr<kStuckNames>("Stuck", s); }

const bind::ClassSpec<PyStuck> kStuckClass{
    .name = "vorn.explain.Stuck",
    .doc = "What holds a unit that has no legal move.",
    .getters = {bind::getter<&kind<kStuckNames, Stuck>>("kind", "`pinned`, `blocked` or `no_moves`."),
                bind::getter<&pin_ray<Stuck>>("ray", "The ray a pinned unit may not leave."),
                bind::getter<&pin_pinner<Stuck>>("pinner", "The unit doing the pinning.")},
    .methods = {bind::method<&say<Stuck>>(
        "describe",
        "describe($self)\n--\n\nOne plain sentence naming what holds the unit.")},
    .slots = {bind::repr<&stuck_repr>},
};

}  // namespace

PyTypeObject* PyRepetition::type() { return bind::type_object(kRepetitionClass); }
PyTypeObject* PyNearMiss::type() { return bind::type_object(kNearMissClass); }
PyTypeObject* PyFiftyMove::type() { return bind::type_object(kFiftyMoveClass); }
PyTypeObject* PyReset::type() { return bind::type_object(kResetClass); }
PyTypeObject* PyDrawStatus::type() { return bind::type_object(kDrawStatusClass); }
PyTypeObject* PyAutomaticDraw::type() { return bind::type_object(kAutomaticDrawClass); }
PyTypeObject* PyClaimableDraw::type() { return bind::type_object(kClaimableDrawClass); }
PyTypeObject* PyStalemateDetail::type() { return bind::type_object(kStalemateDetailClass); }
PyTypeObject* PyStuck::type() { return bind::type_object(kStuckClass); }

}  // namespace vorn::python::explain
