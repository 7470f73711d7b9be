// Filling the module: classes, module-level functions and other objects,
// bound in the order they are added (which is the order of the module's
// attribute dictionary).
//
//   add_classes<PyFileSet, PyMove>(module);  // each bound under its class name, in order
//   add_function(module, function<&pgn_read>("pgn_read", "pgn_read(path, *, skip_errors=False)\n--\n\n..."));
//   add_object(module, "POLYGLOT_ENTRY_SIZE", to_python(16));
//
// Every one raises (throws PythonError) when the interpreter refuses.
// A function reads its parameters from its docstring's text signature, like
// a static method (class.hpp); its __module__ is the module's own name.
#pragma once

#include "python/bind/class.hpp"

namespace vorn::python::bind {

inline void add_object(PyObject* module, const char* name, const Ref& value) {
  check(PyObject_SetAttrString(module, name, value.get()));
}

template <PythonClass... Py>
void add_classes(PyObject* module) {
  for (PyTypeObject* const type : {Py::type()...}) {
    const Ref name = Ref::check(PyObject_GetAttrString(reinterpret_cast<PyObject*>(type), "__name__"));
    check(PyObject_SetAttr(module, name.get(), reinterpret_cast<PyObject*>(type)));
  }
}

template <auto F>
struct FunctionTag {
  const char* name;
  const char* doc;
};

template <auto F>
FunctionTag<F> function(const char* name, const char* doc) {
  return {name, doc};
}

template <auto F>
void add_function(PyObject* module, FunctionTag<F> tag) {
  attach_signature<void, F, detail::MethodUse, ParamsOf<F>>(tag.name, tag.name, tag.doc, false);
  // Function objects point at their definition, so it must stay put.
  static PyMethodDef definition;
  definition = {tag.name,
                reinterpret_cast<PyCFunction>(
                    reinterpret_cast<void (*)()>(&detail::method_trampoline<void, F, Receiver::None>)),
                METH_FASTCALL | METH_KEYWORDS, tag.doc};
  const Ref module_name = Ref::check(PyModule_GetNameObject(module));
  add_object(module, tag.name, Ref::check(PyCFunction_NewEx(&definition, nullptr, module_name.get())));
}

}  // namespace vorn::python::bind
