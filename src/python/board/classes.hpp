// The board classes Move, Position and Variant, and their conversions, so a
// function returning a vorn::Move or vorn::Position hands Python the object;
// with the move helpers their methods and Game's share.
#pragma once

#include "moves/moves.hpp"
#include "position/position.hpp"
#include "python/bind/class.hpp"
#include "python/bind/module.hpp"
#include "variant/variant.hpp"

namespace vorn::python {

VORN_CLASS(PyMove, Move);

VORN_CONVERTED_CLASS(PyPosition, Position);
// Playing a move makes a Position and usually drops the one before.
template <>
inline constexpr std::size_t bind::kRecycled<PyPosition> = 64;

// One of the two shared variant instances, which live for the process.
VORN_CONVERTED_CLASS(PyVariant, const Variant*);

// The variant a `variant=None` parameter names: standard chess when None.
inline const Variant& resolve(const PyVariant* variant) {
  return variant != nullptr ? *variant->value : classic();
}

// The FEN with both clocks, as every move error message quotes it.
std::string fen_with_clocks(const Position& position);

// IllegalMove for `mv` in `position`, the move written king to rook.
[[noreturn]] void illegal_here(Move mv, const Position& position);

// SAN is written from the legal move itself: a caller's Move may lack the
// flags (castling, capture) that decide its text, or not be legal at all,
// which raises IllegalMove.
std::string legal_san(const Variant& variant, const Position& position, Move mv);

// Position's board methods followed by its analysis methods (castling,
// en_passant_status, pins, skewers, ending, facts, ...), which reach into the
// analysis areas and so are added by analysis/position.cpp from above them.
std::vector<bind::MethodEntry<PyPosition>> with_analysis_methods(std::vector<bind::MethodEntry<PyPosition>> methods);

}  // namespace vorn::python

// Not `board`, which would hide the model's vorn::board inside vorn::python.
namespace vorn::python::board_classes {

// Adds Variant, SquareSet, FileSet, ByColour, Move and Position, in that order (module.cpp).
void register_module(bind::Module& module);

}  // namespace vorn::python::board_classes

namespace vorn::python::bind {

// Moves are immutable values, so Python gets one shared object per distinct
// move: listing legal moves reuses the objects of earlier lists instead of
// allocating (move.cpp).
Ref shared_move(Move move);

template <>
struct Converter<Move> {
  static Move from(PyObject* object) { return ClassConverter<PyMove>::from(object); }
  static Ref to(Move move) { return shared_move(move); }
};

// A list of the moves, built straight from the fixed-capacity list.
template <>
struct Converter<MoveList> {
  static Ref to(const MoveList& moves) {
    Ref list = Ref::check(PyList_New(Py_ssize_t(moves.size())));
    for (std::size_t i = 0; i < moves.size(); ++i)
      PyList_SetItem(list.get(), Py_ssize_t(i), shared_move(moves[i]).release());
    return list;
  }
};

}  // namespace vorn::python::bind
