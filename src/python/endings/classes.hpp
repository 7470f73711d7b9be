// The ending classes, and the conversion that makes a function returning a
// vorn::endings::Classification hand Python an Ending:
//
//   vorn.endings.Ending           class_, signature, verdict, technique, evidence
//   e.signature, e.evidence, e.evidence.pawn, e.evidence.bishops   the records it holds
//   endings_classify(position)    the Ending a position is
#pragma once

#include "endings/endings.hpp"
#include "python/bind/class.hpp"
#include "python/bind/module.hpp"

namespace vorn::python {

VORN_CONVERTED_CLASS(PyEnding, vorn::endings::Classification);

VORN_CLASS(PyMaterialSignature, vorn::endings::Signature);

VORN_CLASS(PyEndingEvidence, vorn::endings::Evidence);

VORN_CLASS(PyPawnRace, vorn::endings::PawnRace);

VORN_CLASS(PyBishops, vorn::endings::Bishops);

}  // namespace vorn::python

namespace vorn::python::endings {

// Adds the ending classes, then endings_classify (module.cpp). Inside vorn::python this
// namespace hides vorn::endings: name the model's one in full.
void register_module(bind::Module& module);

}  // namespace vorn::python::endings
