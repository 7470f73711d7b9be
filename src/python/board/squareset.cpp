// SquareSet, as Python sees it:
//
//   s = SquareSet(["e4", "D5"]); s.squares == ["e4", "d5"]; "e4" in s
//   s.bits, s.files, len(s), ~s, s - t, s | t, s & t, s ^ t, s.is_subset(t)
#include "python/board/squareset.hpp"

#include <cstdint>

#include "python/board/set_class.hpp"
#include "python/board/value_classes.hpp"

namespace vorn::python {

namespace {

std::uint64_t bits_of(const SquareSet& set) { return set.bits; }

FileSet files_of(const SquareSet& set) {
  FileSet files;
  for (const Square square : set) files = files.with(file_of(square));
  return files;
}

const bind::ClassSpec<PySquareSet> kSquareSetClass = set_class<PySquareSet>(
    "vorn.SquareSet", "SquareSet(squares=None)\n--\n\nA set of squares.",
    {bind::getter<&bits_of>("bits", "The membership bits, bit *i* for square *i*."),
     bind::getter<&sets::member_names<SquareSet>>("squares", "The members, in ascending square index."),
     bind::getter<&files_of>("files", "The files the members stand on.")},
    {bind::binary<Py_nb_xor, &SquareSet::operator^>});

}  // namespace

PyTypeObject* PySquareSet::type() { return bind::type_object(kSquareSetClass); }

}  // namespace vorn::python
