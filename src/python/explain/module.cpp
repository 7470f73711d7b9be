// The explanation classes of vorn.explain, a position's then a game's:
//
//   Castling, EnPassant, EpCapture, EpObstacle, Pin, Skewer, Repetition, NearMiss,
//   FiftyMove, Reset, DrawStatus, AutomaticDraw, ClaimableDraw, StalemateDetail, Stuck
#include "python/bind/module.hpp"
#include "python/explain/classes.hpp"

namespace vorn::python::explain {

void register_module(bind::Module& module) {
  module.add_classes<PyCastling, PyEnPassant, PyEpCapture, PyEpObstacle, PyPin, PySkewer, PyRepetition, PyNearMiss,
                     PyFiftyMove, PyReset, PyDrawStatus, PyAutomaticDraw, PyClaimableDraw, PyStalemateDetail,
                     PyStuck>();
}

}  // namespace vorn::python::explain
