// Filling the module: classes, module-level functions and other objects,
// bound in the order they are added (which is the order of the module's
// attribute dictionary). Each area fills it through a Module that knows
// which package module presents the area ("vorn", "vorn.pgn"):
//
//   module.add_classes<PyFileSet, PyMove>();  // each bound under its class name, in order
//   module.add_function(function<&pgn_read>("pgn_read", "pgn_read(path, *, skip_errors=False)\n--\n\n..."));
//   module.add_object("POLYGLOT_ENTRY_SIZE", to_python(16));
//
// Every name added is also recorded with the package modules that present
// it, and the record becomes the module's `_exports`
// ({"vorn": ("Error", ...), "vorn.pgn": ("PgnGame", ...)}), which python/vorn/
// takes off the module at import and from which it copies each module's names:
//   a class                 the module its __module__ names, where pickle finds it;
//   any other public name   the package and the area's module (functions,
//                           constants, exception classes made by `type`);
//   a name with one leading underscore   none: it stays the native module's.
//
// Every one raises (throws PythonError) when the interpreter refuses.
// A function reads its parameters from its docstring's text signature, like
// a static method (class.hpp); its __module__ is the module's own name.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "python/bind/class.hpp"

namespace vorn::python::bind {

// The package, which presents every public name that is not a class.
inline constexpr std::string_view kPackage = "vorn";

// Which package module presents which names, in the order they were added.
class Exports {
 public:
  void present(std::string_view module, std::string_view name);
  // {module: (name, ...)}, the modules in the order they first presented a name.
  Ref to_python() const;

 private:
  std::vector<std::pair<std::string, std::vector<std::string>>> modules_;
};

template <auto F>
struct FunctionTag {
  const char* name;
  const char* doc;
};

template <auto F>
FunctionTag<F> function(const char* name, const char* doc) {
  return {name, doc};
}

class Module {
 public:
  Module(PyObject* module, Exports& exports, std::string_view area) : module_(module), exports_(exports), area_(area) {}

  void add_object(const char* name, const Ref& value) {
    check(PyObject_SetAttrString(module_, name, value.get()));
    present(name);
  }

  template <PythonClass... Py>
  void add_classes() {
    for (PyTypeObject* const type : {Py::type()...}) add_class(type);
  }

  template <auto F>
  void add_function(FunctionTag<F> tag) {
    attach_signature<void, F, detail::MethodUse, ParamsOf<F>>(tag.name, tag.name, tag.doc, false);
    // Function objects point at their definition, so it must stay put.
    static PyMethodDef definition;
    definition = {tag.name,
                  reinterpret_cast<PyCFunction>(
                      reinterpret_cast<void (*)()>(&detail::method_trampoline<void, F, Receiver::None>)),
                  METH_FASTCALL | METH_KEYWORDS, tag.doc};
    const Ref module_name = Ref::check(PyModule_GetNameObject(module_));
    add_object(tag.name, Ref::check(PyCFunction_NewEx(&definition, nullptr, module_name.get())));
  }

 private:
  void add_class(PyTypeObject* type);
  // In the package and the area's module, unless the name is private.
  void present(std::string_view name);

  PyObject* module_;
  Exports& exports_;
  std::string_view area_;
};

}  // namespace vorn::python::bind
