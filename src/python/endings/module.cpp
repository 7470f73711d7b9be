// The ending classes of vorn.endings, then the one function:
//
//   Ending, EndingClass, EndingVerdict, EndingTechnique, MaterialSignature,
//   EndingEvidence, PawnRace, Bishops
//   endings_classify(position)    the Ending a position is
#include "python/bind/module.hpp"
#include "python/board/classes.hpp"
#include "python/endings/classes.hpp"
#include "python/endings/names.hpp"

namespace vorn::python {

namespace {

namespace model = vorn::endings;

model::Classification classify(const PyPosition& position) { return model::classify(position.value); }

}  // namespace

void endings::register_module(bind::Module& module) {
  module.add_classes<PyEnding, PyEndingClass, PyEndingVerdict, PyEndingTechnique, PyMaterialSignature,
                     PyEndingEvidence, PyPawnRace, PyBishops>();
  module.add_function(bind::function<&classify>("endings_classify",
                                                 "endings_classify(position)\n--\n\nThe ending `position` is."));
}

}  // namespace vorn::python
