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
struct PyCastling : bind::Object<Castling> {
  static PyTypeObject* type();
};

// None: no pawn has just made a double step.
struct PyEnPassant : bind::Object<std::optional<EnPassant>> {
  static PyTypeObject* type();
};

struct PyEpCapture : bind::Object<EpCapture> {
  static PyTypeObject* type();
};

struct PyEpObstacle : bind::Object<EpObstacle> {
  static PyTypeObject* type();
};

struct PyPin : bind::Object<Pin> {
  static PyTypeObject* type();
};

struct PySkewer : bind::Object<Skewer> {
  static PyTypeObject* type();
};

struct PyRepetition : bind::Object<Repetition> {
  static PyTypeObject* type();
};

struct PyNearMiss : bind::Object<NearMiss> {
  static PyTypeObject* type();
};

struct PyFiftyMove : bind::Object<FiftyMove> {
  static PyTypeObject* type();
};

struct PyReset : bind::Object<Reset> {
  static PyTypeObject* type();
};

struct PyDrawStatus : bind::Object<DrawStatus> {
  static PyTypeObject* type();
};

struct PyAutomaticDraw : bind::Object<AutomaticDraw> {
  static PyTypeObject* type();
};

struct PyClaimableDraw : bind::Object<ClaimableDraw> {
  static PyTypeObject* type();
};

struct PyStalemateDetail : bind::Object<StalemateDetail> {
  static PyTypeObject* type();
};

struct PyStuck : bind::Object<Stuck> {
  static PyTypeObject* type();
};

// Binds the fifteen classes into the module, in the order above.
void register_module(PyObject* module);

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
