// The fifteen explanation classes of vorn.explain, and their conversions, so
// that a function returning an explanation record hands Python its object:
//
//   Castling, EnPassant, EpCapture, EpObstacle, Pin, Skewer      (a Position's)
//   Repetition, NearMiss, FiftyMove, Reset, DrawStatus, AutomaticDraw,
//   ClaimableDraw, StalemateDetail, Stuck                          (a Game's)
//   obj.describe() -> one sentence; no constructor, identity equality
#pragma once

#include <optional>
#include <utility>

#include "core/types.hpp"
#include "explain/records.hpp"
#include "python/bind/class.hpp"
#include "python/bind/module.hpp"
#include "python/board/squareset.hpp"

namespace vorn::python::explain {

// Inside vorn::python this namespace hides vorn::explain; the records are
// named here too, so `explain::Repetition` means the model's record either way.
using vorn::explain::AutomaticDraw;
using vorn::explain::Castling;
using vorn::explain::ClaimableDraw;
using vorn::explain::DrawStatus;
using vorn::explain::EnPassant;
using vorn::explain::EpCapture;
using vorn::explain::EpObstacle;
using vorn::explain::FiftyMove;
using vorn::explain::NearMiss;
using vorn::explain::Pin;
using vorn::explain::Repetition;
using vorn::explain::Reset;
using vorn::explain::Skewer;
using vorn::explain::StalemateDetail;
using vorn::explain::Stuck;

// Each object keeps its record; getters convert from it on every access.
VORN_CLASS(PyCastling, Castling);

// None: no pawn has just made a double step.
VORN_CLASS(PyEnPassant, std::optional<EnPassant>);

VORN_CLASS(PyEpCapture, EpCapture);

VORN_CLASS(PyEpObstacle, EpObstacle);

VORN_CLASS(PyPin, Pin);

VORN_CLASS(PySkewer, Skewer);

VORN_CLASS(PyRepetition, Repetition);

VORN_CLASS(PyNearMiss, NearMiss);

VORN_CLASS(PyFiftyMove, FiftyMove);

VORN_CLASS(PyReset, Reset);

VORN_CLASS(PyDrawStatus, DrawStatus);

VORN_CLASS(PyAutomaticDraw, AutomaticDraw);

VORN_CLASS(PyClaimableDraw, ClaimableDraw);

VORN_CLASS(PyStalemateDetail, StalemateDetail);

VORN_CLASS(PyStuck, Stuck);

// Binds the fifteen classes into the module, in the order above (module.cpp).
void register_module(bind::Module& module);

}  // namespace vorn::python::explain

namespace vorn::python::bind {

// One converter per record; an EnPassant is made with make<PyEnPassant>
// from the optional record, since its absence is an object too.
template <>
struct Converter<vorn::explain::Castling> : ClassConverter<explain::PyCastling> {};
template <>
struct Converter<vorn::explain::EpCapture> : ClassConverter<explain::PyEpCapture> {};
template <>
struct Converter<vorn::explain::EpObstacle> : ClassConverter<explain::PyEpObstacle> {};
template <>
struct Converter<vorn::explain::Pin> : ClassConverter<explain::PyPin> {};
template <>
struct Converter<vorn::explain::Skewer> : ClassConverter<explain::PySkewer> {};
template <>
struct Converter<vorn::explain::Repetition> : ClassConverter<explain::PyRepetition> {};
template <>
struct Converter<vorn::explain::NearMiss> : ClassConverter<explain::PyNearMiss> {};
template <>
struct Converter<vorn::explain::FiftyMove> : ClassConverter<explain::PyFiftyMove> {};
template <>
struct Converter<vorn::explain::Reset> : ClassConverter<explain::PyReset> {};
template <>
struct Converter<vorn::explain::DrawStatus> : ClassConverter<explain::PyDrawStatus> {};
template <>
struct Converter<vorn::explain::AutomaticDraw> : ClassConverter<explain::PyAutomaticDraw> {};
template <>
struct Converter<vorn::explain::ClaimableDraw> : ClassConverter<explain::PyClaimableDraw> {};
template <>
struct Converter<vorn::explain::StalemateDetail> : ClassConverter<explain::PyStalemateDetail> {};
template <>
struct Converter<vorn::explain::Stuck> : ClassConverter<explain::PyStuck> {};

// A square with the units covering it: ("f1", SquareSet); a stuck unit: ("g7", Stuck).
template <>
struct Converter<vorn::explain::CoveredSquare> {
  static Ref to(const vorn::explain::CoveredSquare& covered) {
    return to_python(std::pair{vorn::square_name(covered.square), covered.attackers});
  }
};
template <>
struct Converter<vorn::explain::StuckUnit> {
  static Ref to(const vorn::explain::StuckUnit& unit) {
    return to_python(std::pair{vorn::square_name(unit.square), unit.stuck});
  }
};

}  // namespace vorn::python::bind
