#include "python/facts/plain.hpp"

#include "hash/siphash.hpp"
#include "python/bind/convert.hpp"

namespace vorn::python::facts {

using bind::Ref;

Ref loads(std::string_view text) {
  const Ref json = Ref::check(PyImport_ImportModule("json"));
  const Ref function = Ref::check(PyObject_GetAttrString(json.get(), "loads"));
  const Ref argument = bind::to_python(text);
  return Ref::check(PyObject_CallFunctionObjArgs(function.get(), argument.get(), nullptr));
}

Ref plain_dict(std::string_view text) {
  Ref made = loads(text);
  if (!PyDict_Check(made.get())) bind::cannot_convert(made.get(), "dict");
  return made;
}

std::uint64_t text_hash(std::string_view text) { return SipHasher13().write(text).write_u8(0xFF).finish(); }

// Made as Python text: an attribute's repr need not have a UTF-8 form.
Ref fields_repr(PyObject* object, std::string_view class_name,
                std::span<const vorn::facts::catalogue::Field> fields) {
  const Ref parts = Ref::check(PyList_New(0));
  for (const auto& field : fields) {
    const Ref name = bind::to_python(field.name);
    const Ref value = Ref::check(PyObject_GetAttr(object, name.get()));
    const Ref part = Ref::check(PyUnicode_FromFormat("%U=%R", name.get(), value.get()));
    bind::check(PyList_Append(parts.get(), part.get()));
  }
  const Ref joined = Ref::check(PyUnicode_Join(bind::to_python(", ").get(), parts.get()));
  return Ref::check(PyUnicode_FromFormat("%s(%U)", std::string(class_name).c_str(), joined.get()));
}

Ref compared(bool same_class, bool equal, int op) {
  if (op != Py_EQ && op != Py_NE) return Ref::not_implemented();
  return bind::to_python((same_class && equal) == (op == Py_EQ));
}

}  // namespace vorn::python::facts
