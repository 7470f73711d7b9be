// Opening, then the catalogue functions:
//
//   openings_lookup(position) -> Opening or None; openings_count() -> int
#include <cstddef>
#include <optional>

#include "python/bind/module.hpp"
#include "python/board/classes.hpp"
#include "python/openings/openings.hpp"

namespace vorn::python {

namespace {

namespace model = vorn::openings;

std::optional<model::Opening> lookup(const PyPosition& position) { return model::lookup(position.value); }
std::size_t count() { return model::count(); }

}  // namespace

void openings::register_module(bind::Module& module) {
  module.add_classes<PyOpening>();
  module.add_function(bind::function<&lookup>(
      "openings_lookup", "openings_lookup(position)\n--\n\nThe opening `position` is named after, if it has a name."));
  module.add_function(bind::function<&count>(
      "openings_count", "openings_count()\n--\n\nHow many named positions the catalogue holds."));
}

}  // namespace vorn::python
