// Variant, as Python sees it:
//
//   v = Variant.named("chess960"); v.name, v.promotion_roles
//   v.start_position(seed=518); v == CHESS960; pickle.dumps(v)
#include <string>
#include <vector>

#include "hash/siphash.hpp"
#include "python/board/classes.hpp"
#include "python/names/names.hpp"

namespace vorn::python {

namespace {

bind::Ref named(std::string_view name) { return bind::to_python(&convert::variant_by_name(name)); }

std::string_view name_of(const Variant* const& v) { return v->name(); }

std::vector<std::string> promotion_roles_of(const Variant* const& v) {
  std::vector<std::string> roles;
  for (const Role role : v->promotion_roles()) roles.push_back(convert::role_name(role));
  return roles;
}

Position start_position_of(const Variant* const& v, std::uint64_t seed) {
  return v->start_position(seed);
}

bind::Ref variant_reduce(PyObject* self) {
  const bind::Ref named_method =
      bind::Ref::check(PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(self)), "named"));
  const auto& v = bind::expect_instance<PyVariant>(self).value;
  return bind::to_python(std::pair{named_method, std::tuple{v->name()}});
}

std::string variant_repr(const Variant* const& v) { return "<Variant " + std::string(v->name()) + ">"; }

bool same_variant(const Variant* const& a, const Variant* const& b) { return a->name() == b->name(); }

std::uint64_t variant_hash(const Variant* const& v) {
  return SipHasher13().write(v->name()).write_u8(0xFF).finish();
}

const bind::ClassSpec<PyVariant> kVariantClass{
    .name = "vorn.Variant",
    .doc = "One set of chess rules.",
    .getters = {bind::getter<&name_of>("name", "The identifier PGN and UCI use."),
                bind::getter<&promotion_roles_of>("promotion_roles", "The roles a pawn may promote to.")},
    .methods = {bind::static_method<&named>(
                    "named", "named(name)\n--\n\nThe shared variant of that name: `chess` or `chess960`."),
                bind::method<&start_position_of>(
                    "start_position",
                    "start_position($self, seed=0)\n--\n\nThe position a game of this variant starts from."),
                bind::method<&variant_reduce>("__reduce__", "__reduce__($self)\n--\n\n")},
    .slots = {bind::repr<&variant_repr>, bind::equality<&same_variant>, bind::hash<&variant_hash>},
};

}  // namespace

PyTypeObject* PyVariant::type() { return bind::type_object(kVariantClass); }

}  // namespace vorn::python
