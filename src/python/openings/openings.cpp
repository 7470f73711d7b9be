// Opening, as Python sees it:
//
//   opening = openings_lookup(position)   # or game.opening(); None when unnamed
//   opening.eco, opening.name, str(opening)
#include <cstdint>
#include <string>
#include <string_view>

#include "hash/siphash.hpp"
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

}  // namespace

PyTypeObject* PyOpening::type() { return bind::type_object(kOpeningClass); }

}  // namespace vorn::python
