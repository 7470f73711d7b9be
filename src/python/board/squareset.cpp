// SquareSet, as Python sees it:
//
//   s = SquareSet(["e4", "D5"]); s.squares == ["e4", "d5"]; "e4" in s
//   s.bits, s.files, len(s), ~s, s - t, s | t, s & t, s ^ t, s.is_subset(t)
#include "python/board/squareset.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "hash/siphash.hpp"
#include "python/board/value_classes.hpp"
#include "python/names/names.hpp"

namespace vorn::python {

namespace {

SquareSet new_square_set(std::optional<std::vector<std::string>> squares) {
  SquareSet set;
  for (const std::string& name : squares.value_or(std::vector<std::string>{})) {
    set = set.with(convert::square_from(name));
  }
  return set;
}

std::uint64_t bits_of(const SquareSet& set) { return set.bits; }

std::vector<std::string> member_names(const SquareSet& set) {
  std::vector<std::string> names;
  names.reserve(std::size_t(set.size()));
  for (const Square square : set) names.push_back(convert::square_name(square));
  return names;
}

FileSet files_of(const SquareSet& set) {
  FileSet files;
  for (const Square square : set) files = files.with(file_of(square));
  return files;
}

bool has_square(const SquareSet& set, std::string_view square) {
  return set.contains(convert::square_from(square));
}

std::string square_set_repr(const SquareSet& set) {
  return "SquareSet(" + bracketed_names(member_names(set)) + ")";
}

std::uint64_t square_set_hash(const SquareSet& set) { return SipHasher13().write_u64(set.bits).finish(); }
std::tuple<std::vector<std::string>> square_set_args(const SquareSet& set) { return {member_names(set)}; }

const bind::ClassSpec<PySquareSet> kSquareSetClass{
    .name = "vorn.SquareSet",
    .doc = "SquareSet(squares=None)\n--\n\nA set of squares.",
    .getters = {bind::getter<&bits_of>("bits", "The membership bits, bit *i* for square *i*."),
                bind::getter<&member_names>("squares", "The members, in ascending square index."),
                bind::getter<&files_of>("files", "The files the members stand on.")},
    .methods = {bind::method<&SquareSet::is_subset>(
                    "is_subset", "is_subset($self, other)\n--\n\nWhether every member is a member of `other`."),
                bind::method<&square_set_args>("__getnewargs__", "__getnewargs__($self)\n--\n\n")},
    .slots = {bind::constructor<&new_square_set>, bind::len<&SquareSet::size>,
              bind::truth<&SquareSet::operator bool>, bind::contains<&has_square>("square"),
              bind::iter<&member_names>, bind::unary<Py_nb_invert, &SquareSet::operator~>,
              bind::binary<Py_nb_subtract, (&SquareSet::operator-)>,
              bind::binary<Py_nb_or, &SquareSet::operator|>, bind::binary<Py_nb_and, &SquareSet::operator&>,
              bind::binary<Py_nb_xor, &SquareSet::operator^>,
              bind::equality<&SquareSet::operator==>, bind::hash<&square_set_hash>,
              bind::repr<&square_set_repr>},
};

}  // namespace

PyTypeObject* PySquareSet::type() { return bind::type_object(kSquareSetClass); }

}  // namespace vorn::python
