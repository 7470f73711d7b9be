#include "python/bind/record_class.hpp"

#include "hash/siphash.hpp"

namespace vorn::python::bind {

Ref json_loads(std::string_view json_text) {
  const Ref json = Ref::check(PyImport_ImportModule("json"));
  const Ref loads = Ref::check(PyObject_GetAttrString(json.get(), "loads"));
  return Ref::check(PyObject_CallFunctionObjArgs(loads.get(), to_python(json_text).get(), nullptr));
}

std::uint64_t record_hash(std::string_view json_text) {
  return SipHasher13().write(json_text).write_u8(0xFF).finish();
}

// Made as Python text: a field's repr need not have a UTF-8 form.
Ref record_repr(PyObject* object, std::string_view class_name, std::span<const std::string_view> names) {
  const Ref parts = Ref::check(PyList_New(0));
  for (const std::string_view name : names) {
    const Ref key = to_python(name);
    const Ref value = Ref::check(PyObject_GetAttr(object, key.get()));
    check(PyList_Append(parts.get(), Ref::check(PyUnicode_FromFormat("%U=%R", key.get(), value.get())).get()));
  }
  const Ref joined = Ref::check(PyUnicode_Join(to_python(", ").get(), parts.get()));
  return Ref::check(PyUnicode_FromFormat("%U(%U)", to_python(class_name).get(), joined.get()));
}

Ref record_comparison(bool same_class, bool equal, int op) {
  if (op != Py_EQ && op != Py_NE) return Ref::not_implemented();
  return to_python((same_class && equal) == (op == Py_EQ));
}

}  // namespace vorn::python::bind
