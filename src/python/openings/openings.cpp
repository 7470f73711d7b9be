// Opening and the catalogue functions, as Python sees them:
//
//   opening = openings_lookup(position)   # or game.opening(); None when unnamed
//   opening.eco, opening.name, str(opening), openings_count()
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "hash/siphash.hpp"
#include "python/bind/module.hpp"
#include "python/board/classes.hpp"
#include "python/openings/openings.hpp"

namespace vorn::python {

namespace {

namespace model = vorn::openings;

std::string_view eco_of(const model::Opening& opening) { return opening.eco; }
std::string_view name_of(const model::Opening& opening) { return opening.name; }
std::string opening_repr(const model::Opening& opening) { return "<Opening " + opening.text() + ">"; }

// Each text followed by the byte 0xFF, which UTF-8 never holds.
std::uint64_t opening_hash(const model::Opening& opening) {
  return SipHasher13().write(opening.eco).write_u8(0xFF).write(opening.name).write_u8(0xFF).finish();
}

const bind::ClassSpec<PyOpening> kOpeningClass{
    .name = "vorn.openings.Opening",
    .doc = "An ECO code and the name that goes with it.",
    .getters = {bind::getter<&eco_of>("eco", "The ECO classification: a volume letter A to E and two digits."),
                bind::getter<&name_of>("name", "The name, in English.")},
    .slots = {bind::str<&model::Opening::text>, bind::repr<&opening_repr>, bind::hash<&opening_hash>,
              bind::equality<&model::Opening::operator==>},
};

std::optional<model::Opening> lookup(const PyPosition& position) { return model::lookup(position.value); }
std::size_t count() { return model::count(); }

}  // namespace

PyTypeObject* PyOpening::type() { return bind::type_object(kOpeningClass); }

void openings::register_module(bind::Module& module) {
  module.add_classes<PyOpening>();
  module.add_function(bind::function<&lookup>(
                          "openings_lookup",
                          "openings_lookup(position)\n--\n\nThe opening `position` is named after, if it has a name."));
  module.add_function(bind::function<&count>(
                          "openings_count", "openings_count()\n--\n\nHow many named positions the catalogue holds."));
}

}  // namespace vorn::python
