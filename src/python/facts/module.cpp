// The facts classes of the module, then the catalogue as Python data and
// the hook that unpickles a group:
//
//   Facts, PlacementFacts, ... MapFacts (one class per group), MoveFacts, AnnotatedMove
//
//   facts_catalogue()        [{"name": "placement", "meaning": ..., "fields": [{"name", "type", "meaning"}, ...]}, ...]
//   move_facts_catalogue()   [{"name": "victim", "type": "Option<Role>", "meaning": ...}, ...]
//   facts_layout()           [{"name": "placement.units", "dtype": "bool", "shape": [2, 64], ...}, ...]
//   _facts_group(facts, "king")   facts.king
#include <span>
#include <string>

#include "facts/catalogue.hpp"
#include "facts/record_json.hpp"
#include "facts/tensors.hpp"
#include "python/bind/module.hpp"
#include "python/bind/record_class.hpp"
#include "python/facts/classes.hpp"

namespace vorn::python::facts {

namespace {

using bind::Ref;
using model::catalogue::Field;

void set(const Ref& dict, const char* key, const Ref& value) {
  bind::check(PyDict_SetItemString(dict.get(), key, value.get()));
}

Ref field_dict(const Field& field) {
  Ref dict = Ref::check(PyDict_New());
  set(dict, "name", bind::to_python(field.name));
  set(dict, "type", bind::to_python(field.type));
  set(dict, "meaning", bind::to_python(field.meaning));
  return dict;
}

Ref field_list(std::span<const Field> fields) {
  Ref list = Ref::check(PyList_New(0));
  for (const Field& field : fields) bind::check(PyList_Append(list.get(), field_dict(field).get()));
  return list;
}

Ref facts_catalogue() {
  Ref list = Ref::check(PyList_New(0));
  for (const auto& group : model::catalogue::kGroups) {
    Ref dict = Ref::check(PyDict_New());
    set(dict, "name", bind::to_python(group.name));
    set(dict, "meaning", bind::to_python(group.meaning));
    set(dict, "fields", field_list(group.fields));
    bind::check(PyList_Append(list.get(), dict.get()));
  }
  return list;
}

Ref move_facts_catalogue() { return field_list(model::catalogue::kMoveFields); }
Ref facts_layout() { return bind::json_loads(model::tensors::layout_json()); }

Ref facts_group(PyFacts& facts, std::string_view name) {
  return Ref::check(PyObject_GetAttrString(reinterpret_cast<PyObject*>(&facts), std::string(name).c_str()));
}

}  // namespace

void register_module(bind::Module& module) {
#define VORN_GROUP_CLASS(group, Record, FIELDS, meaning) PyGroup<model::Record>,
  module.add_classes<PyFacts, VORN_FACTS_GROUPS(VORN_GROUP_CLASS) PyMoveFacts, PyAnnotatedMove>();
#undef VORN_GROUP_CLASS
  module.add_function(bind::function<&facts_group>(
                          "_facts_group",
                          "_facts_group(facts, name)\n--\n\nRebuilds a facts group from the facts it belongs to."));
  module.add_function(bind::function<&facts_catalogue>(
                          "facts_catalogue",
                          "facts_catalogue()\n--\n\nEvery group, field, type and meaning, as data.\n\n"
                          "One entry per group: `name`, `meaning` and `fields`, each field carrying its\n"
                          "`name`, `type` and `meaning`."));
  module.add_function(bind::function<&move_facts_catalogue>(
                          "move_facts_catalogue",
                          "move_facts_catalogue()\n--\n\nThe fields of `MoveFacts`, each with its type and "
                          "meaning."));
  module.add_function(bind::function<&facts_layout>(
      "facts_layout",
      "facts_layout()\n--\n\nThe tensor layout: one entry per fact, in the order the groups declare\n"
      "them.\n\nEach entry carries the array's `name` (`group.field`), its `dtype` and\n"
      "`shape` with the batch axis left off, an `order` note naming every axis,\n"
      "the `packed_dtype` and `packed_shape` of the packed form, the fact's\n"
      "`meaning`, and the `kind` tree of the type it was declared with."));
}

}  // namespace vorn::python::facts
