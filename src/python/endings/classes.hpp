// The ending classes, and the conversion that makes a function returning a
// vorn::endings::Classification hand Python an Ending:
//
//   vorn.endings.Ending           class_, signature, verdict, technique, evidence
//   endings_classify(position)    the Ending a position is
#pragma once

#include "endings/endings.hpp"
#include "python/bind/class.hpp"
#include "python/bind/module.hpp"

namespace vorn::python {

VORN_CONVERTED_CLASS(PyEnding, vorn::endings::Classification);

}  // namespace vorn::python

namespace vorn::python::endings {

// Adds the ending classes, then endings_classify. Inside vorn::python this
// namespace hides vorn::endings: name the model's one in full.
void register_module(bind::Module& module);

}  // namespace vorn::python::endings
