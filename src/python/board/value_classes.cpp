// ByColour and FileSet, as Python sees them:
//
//   pair = ByColour(1, 2); pair.white, pair["b"], pair.of("black"); "w" in pair
//   white, black = pair; pair.items() == [("white", 1), ("black", 2)]
//   files = FileSet(["a", "C"]); "c" in files; ~files; files | other; files.files
#include "python/board/value_classes.hpp"

#include <cstdint>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "python/board/set_class.hpp"
#include "python/names/names.hpp"

namespace vorn::python {

namespace {

using bind::Ref;

// ---- ByColour --------------------------------------------------------------

constexpr const char* kByColourDoc =
    "ByColour(white, black)\n--\n\n"
    "One value for White and one for Black.\n"
    "\n"
    "Read a side by name \u2014 `.white`, `.black` \u2014 or by colour, with `of(\"white\")`\n"
    "or `[\"w\"]`. Iterating gives the two values, White first, so `white, black =\n"
    "pair` unpacks; `items()` gives them with the colour each belongs to. A pair\n"
    "hashes when both of its values do.";

ColourPair new_pair(PyObject* white, PyObject* black) { return {Ref::borrow(white), Ref::borrow(black)}; }

Ref white_of(const ColourPair& pair) { return pair.white; }
Ref black_of(const ColourPair& pair) { return pair.black; }

Ref value_of(const ColourPair& pair, std::string_view colour) {
  return convert::colour_from(colour) == Colour::White ? pair.white : pair.black;
}

// Tests the name, not the values: any text naming a colour is "in" a pair.
bool names_colour(const ColourPair&, std::string_view colour) {
  return convert::read_colour(colour).has_value();
}

std::tuple<Ref, Ref> pair_values(const ColourPair& pair) { return {pair.white, pair.black}; }

std::size_t pair_length(const ColourPair&) { return 2; }

std::vector<std::pair<std::string_view, Ref>> pair_items(const ColourPair& pair) {
  return {{colour_name(Colour::White), pair.white}, {colour_name(Colour::Black), pair.black}};
}

std::uint64_t pair_hash(const ColourPair& pair) {
  const Ref values = bind::to_python(pair_values(pair));
  // Pairs nest, and hashing one hashes the one inside it: a long chain must
  // end in RecursionError, since tuple hashing has no depth check of its own.
  if (Py_EnterRecursiveCall(" while hashing a ByColour") != 0) throw bind::PythonError{};
  const Py_hash_t hash = PyObject_Hash(values.get());
  Py_LeaveRecursiveCall();
  if (hash == -1) throw bind::PythonError{};
  return std::uint64_t(hash);
}

// Made as Python text, as a tuple's repr is: a value's repr need not have a
// UTF-8 form (a lone surrogate).
Ref pair_repr(const ColourPair& pair) {
  return Ref::check(PyUnicode_FromFormat("ByColour(white=%R, black=%R)", pair.white.get(), pair.black.get()));
}

bool equal_values(const Ref& a, const Ref& b) {
  // The full protocol, with no identity shortcut: a NaN is not equal to itself.
  const Ref result = Ref::check(PyObject_RichCompare(a.get(), b.get(), Py_EQ));
  return bind::check(PyObject_IsTrue(result.get())) == 1;
}

// Equal to another pair with equal values (Black compared only when White
// is); never equal to any other object. Pairs have no order.
Ref compare_pairs(PyObject* self, PyObject* other, int op) {
  if (op == Py_NE) {
    const Ref equal = Ref::check(PyObject_RichCompare(self, other, Py_EQ));
    return bind::to_python(bind::check(PyObject_IsTrue(equal.get())) == 0);
  }
  if (op != Py_EQ) return Ref::not_implemented();
  const PyByColour* that = bind::instance<PyByColour>(other);
  if (that == nullptr) return bind::to_python(false);
  const ColourPair& mine = reinterpret_cast<PyByColour*>(self)->value;
  return bind::to_python(equal_values(mine.white, that->value.white) &&
                         equal_values(mine.black, that->value.black));
}

std::tuple<const char*, const char*> match_args() { return {"white", "black"}; }

// ByColour[int] as a type annotation.
Ref generic_alias(PyTypeObject* cls, PyObject* item) {
  const Ref types = Ref::check(PyImport_ImportModule("types"));
  const Ref alias = Ref::check(PyObject_GetAttrString(types.get(), "GenericAlias"));
  return Ref::check(
      PyObject_CallFunctionObjArgs(alias.get(), reinterpret_cast<PyObject*>(cls), item, nullptr));
}

const bind::ClassSpec<PyByColour> kByColourClass{
    .name = "vorn.ByColour",
    .doc = kByColourDoc,
    .getters = {bind::getter<&white_of>("white", "White's value."),
                bind::getter<&black_of>("black", "Black's value.")},
    .methods = {bind::method<&value_of>(
                    "of", "of($self, colour)\n--\n\n"
                          "The value of `colour`, named `\"white\"`, `\"black\"`, `\"w\"` or `\"b\"`."),
                bind::method<&pair_items>("items", "items($self)\n--\n\nEach colour with its value, White first."),
                bind::method<&pair_values>("__getnewargs__", "__getnewargs__($self)\n--\n\n"),
                bind::class_method<&generic_alias>(
                    "__class_getitem__", "__class_getitem__($type, item)\n--\n\n"
                                         "`ByColour[T]`, so that the pair can be written as the type it holds.")},
    .slots = {bind::constructor<&new_pair>, bind::getitem<&value_of>("colour"),
              bind::contains<&names_colour>("colour"), bind::iter<&pair_values>, bind::len<&pair_length>,
              bind::hash<&pair_hash>, bind::repr<&pair_repr>, bind::richcompare<&compare_pairs>},
    .attributes = {bind::attribute<&match_args>("__match_args__")},
};

// ---- FileSet ---------------------------------------------------------------

const bind::ClassSpec<PyFileSet> kFileSetClass =
    set_class<PyFileSet>("vorn.FileSet", "FileSet(files=None)\n--\n\nA set of files.",
                         {bind::getter<&sets::member_names<FileSet>>("files", "The members, from file a upwards.")});

}  // namespace

int ColourPair::traverse(visitproc visit, void* arg) const {
  Py_VISIT(white.get());
  Py_VISIT(black.get());
  return 0;
}

void ColourPair::clear() {
  // None rather than null, so the getters stay valid on a cleared pair.
  white = Ref::none();
  black = Ref::none();
}

PyTypeObject* PyByColour::type() { return bind::type_object(kByColourClass); }
PyTypeObject* PyFileSet::type() { return bind::type_object(kFileSetClass); }

}  // namespace vorn::python
