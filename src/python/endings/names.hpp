// The three name-like ending classes, which print as their snake_case names,
// compare equal to them and hash like them:
//
//   e.class_ == "krp_v_kr"; e.verdict == "draw"; e.technique == "lucena"
//   EndingClass.all(), EndingTechnique.all()   every code, in catalogue order
#pragma once

#include "endings/endings.hpp"
#include "python/bind/class.hpp"

namespace vorn::python {

VORN_CONVERTED_CLASS(PyEndingClass, vorn::endings::EndingClass);

// The colour counts only for the kinds that name a winner.
VORN_CONVERTED_CLASS(PyEndingVerdict, vorn::endings::Verdict);

VORN_CONVERTED_CLASS(PyEndingTechnique, vorn::endings::EndingTechnique);

}  // namespace vorn::python
