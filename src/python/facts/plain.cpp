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

std::string fields_repr(PyObject* object, std::string_view class_name,
                        std::span<const vorn::facts::catalogue::Field> fields) {
  std::string text = std::string(class_name) + "(";
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) text += ", ";
    const Ref name = bind::to_python(fields[i].name);
    const Ref value = Ref::check(PyObject_GetAttr(object, name.get()));
    text += std::string(fields[i].name) + "=" + bind::repr_text(value.get());
  }
  return text + ")";
}

Ref compared(bool same_class, bool equal, int op) {
  if (op != Py_EQ && op != Py_NE) return Ref::not_implemented();
  return bind::to_python((same_class && equal) == (op == Py_EQ));
}

}  // namespace vorn::python::facts
