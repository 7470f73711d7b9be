// The value classes ByColour and FileSet, and their conversions, so that a
// function returning a vorn::FileSet or a vorn::ByColour<T> hands Python a
// FileSet or a ByColour:
//
//   ByColour(white, black)   a pair of any two objects, White's first
//   FileSet(files=None)      a set of files "a".."h"
#pragma once


#include "python/bind/class.hpp"
#include "core/types.hpp"

namespace vorn::python {

// The two values of a ByColour, kept as given.
struct ColourPair {
  bind::Ref white;
  bind::Ref black;

  int traverse(visitproc visit, void* arg) const;
  void clear();
};

VORN_CLASS(PyByColour, ColourPair);

VORN_CONVERTED_CLASS(PyFileSet, FileSet);

}  // namespace vorn::python

namespace vorn::python::bind {

template <class T>
struct Converter<ByColour<T>> {
  static Ref to(const ByColour<T>& pair) {
    Ref white = to_python(pair.white);
    Ref black = to_python(pair.black);
    return make<PyByColour>(ColourPair{std::move(white), std::move(black)});
  }
};

}  // namespace vorn::python::bind
