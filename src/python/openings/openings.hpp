// The Opening class and its conversion, so that a function returning a
// vorn::openings::Opening hands Python an Opening:
//
//   openings_lookup(position) -> Opening or None; openings_count() -> int
//   opening.eco, opening.name; str(opening) == "C20 King's Pawn Game"
#pragma once

#include "openings/catalogue.hpp"
#include "python/bind/class.hpp"
#include "python/bind/module.hpp"

namespace vorn::python {

VORN_CONVERTED_CLASS(PyOpening, vorn::openings::Opening);

}  // namespace vorn::python

namespace vorn::python::openings {

// Adds Opening, then openings_lookup and openings_count (module.cpp).
void register_module(bind::Module& module);

}  // namespace vorn::python::openings
