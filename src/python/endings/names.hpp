// The three name-like ending classes, which print as their snake_case names,
// compare equal to them and hash like them:
//
//   e.class_ == "krp_v_kr"; e.verdict == "draw"; e.technique == "lucena"
//   EndingClass.all(), EndingTechnique.all()   every code, in catalogue order
#pragma once

#include "endings/endings.hpp"
#include "python/bind/class.hpp"

namespace vorn::python {

struct PyEndingClass : bind::Object<vorn::endings::EndingClass> {
  static PyTypeObject* type();
};

// The colour counts only for the kinds that name a winner.
struct PyEndingVerdict : bind::Object<vorn::endings::Verdict> {
  static PyTypeObject* type();
};

struct PyEndingTechnique : bind::Object<vorn::endings::EndingTechnique> {
  static PyTypeObject* type();
};

}  // namespace vorn::python

namespace vorn::python::bind {

template <>
struct Converter<vorn::endings::EndingClass> : ClassConverter<PyEndingClass> {};

template <>
struct Converter<vorn::endings::Verdict> : ClassConverter<PyEndingVerdict> {};

template <>
struct Converter<vorn::endings::EndingTechnique> : ClassConverter<PyEndingTechnique> {};

}  // namespace vorn::python::bind
