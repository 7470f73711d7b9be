#include "python/bind/module.hpp"

#include <algorithm>

namespace vorn::python::bind {

namespace {

// One leading underscore marks a name for the module's own use; dunder names
// such as __version__ are the package's like any other.
bool is_private(std::string_view name) { return name.starts_with('_') && !name.starts_with("__"); }

}  // namespace

void Exports::present(std::string_view module, std::string_view name) {
  auto row = std::ranges::find(modules_, module, [](const auto& entry) { return std::string_view(entry.first); });
  if (row == modules_.end()) row = modules_.insert(row, {std::string(module), {}});
  row->second.emplace_back(name);
}

Ref Exports::to_python() const {
  Ref dict = Ref::check(PyDict_New());
  for (const auto& [module, names] : modules_) {
    Ref tuple = Ref::check(PyTuple_New(Py_ssize_t(names.size())));
    for (std::size_t i = 0; i < names.size(); ++i)
      PyTuple_SetItem(tuple.get(), Py_ssize_t(i), bind::to_python(names[i]).release());
    check(PyDict_SetItemString(dict.get(), module.c_str(), tuple.get()));
  }
  return dict;
}

void Module::add_class(PyTypeObject* type) {
  PyObject* const object = reinterpret_cast<PyObject*>(type);
  const Ref name = Ref::check(PyObject_GetAttrString(object, "__name__"));
  const Ref home = Ref::check(PyObject_GetAttrString(object, "__module__"));
  check(PyObject_SetAttr(module_, name.get(), object));
  exports_.present(from_python<std::string_view>(home.get(), "__module__"),
                   from_python<std::string_view>(name.get(), "__name__"));
}

void Module::present(std::string_view name) {
  if (is_private(name)) return;
  exports_.present(kPackage, name);
  if (area_ != kPackage) exports_.present(area_, name);
}

}  // namespace vorn::python::bind
