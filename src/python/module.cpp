// vorn._vorn, the one native module. Its execution step fills it in a fixed
// order, which is also the order of its attribute dictionary:
//
//   Error, FenError, ... ParseError          the exception classes
//   Variant, SquareSet, FileSet, ByColour, Move, Position, Game
//   ... the classes and functions of analysis, records, books and engines
//   CLASSIC, CHESS960, KING_TO_ROOK, KING_TWO_SQUARES, __version__
//
// and, for the package alone, `_exports`: which package module presents which
// names. The package takes it off at import (python/vorn/_export.py).
#include <atomic>
#include <cstdint>
#include <string_view>

#include "python/bind/module.hpp"
#include "python/board/classes.hpp"
#include "python/endings/classes.hpp"
#include "python/errors/exceptions.hpp"
#include "python/explain/classes.hpp"
#include "python/facts/classes.hpp"
#include "python/game/classes.hpp"
#include "python/names/names.hpp"
#include "python/openings/openings.hpp"
#include "python/pgn/classes.hpp"
#include "python/polyglot/polyglot.hpp"
#include "python/uci/classes.hpp"

namespace vorn::python {

namespace {

void add_constants(bind::Module& module) {
  module.add_object("CLASSIC", bind::to_python(&classic()));
  module.add_object("CHESS960", bind::to_python(&chess960()));
  module.add_object("KING_TO_ROOK", bind::to_python(vorn::name(CastlingStyle::KingToRook)));
  module.add_object("KING_TWO_SQUARES", bind::to_python(vorn::name(CastlingStyle::KingTwoSquares)));
  module.add_object("__version__", bind::to_python(VORN_VERSION));
}

// One area's step, and the package module that presents the functions,
// constants and exception classes it adds, besides the package itself (its
// classes name their own module).
struct Area {
  void (*fill)(bind::Module& module);
  std::string_view presented_in;
};

// One step per line; a step that fails stops the import with its error.
constexpr Area kRegistration[] = {
    {errors::register_module, "vorn"},
    {board_classes::register_module, "vorn"},
    {game_classes::register_module, "vorn"},
    {explain::register_module, "vorn.explain"},
    {endings::register_module, "vorn.endings"},
    {facts::register_module, "vorn"},
    {pgn::register_module, "vorn.pgn"},
    {polyglot::register_module, "vorn.polyglot"},
    {openings::register_module, "vorn.openings"},
    {uci::register_module, "vorn.uci"},
    {add_constants, "vorn"},
};

// The type objects are shared by the whole process, so the module may live
// in one interpreter only: the first that imports it.
void claim_interpreter() {
  static std::atomic<std::int64_t> owner{-1};
  const std::int64_t id = PyInterpreterState_GetID(PyInterpreterState_Get());
  if (id < 0) throw bind::PythonError{};
  std::int64_t expected = -1;
  if (!owner.compare_exchange_strong(expected, id) && expected != id) {
    bind::raise(PyExc_ImportError, "vorn._vorn cannot be loaded in more than one interpreter of a process");
  }
}

int exec_module(PyObject* module) {
  return bind::guarded(-1, [&] {
    if (!PyModule_Check(module)) bind::cannot_convert(module, "module");
    claim_interpreter();
    bind::Exports exports;
    for (const Area& area : kRegistration) {
      bind::Module filled(module, exports, area.presented_in);
      area.fill(filled);
    }
    // Last, so that it lists everything above; the package removes it.
    bind::check(PyObject_SetAttrString(module, "_exports", exports.to_python().get()));
    return 0;
  });
}

PyModuleDef_Slot kSlots[] = {{Py_mod_exec, reinterpret_cast<void*>(&exec_module)}, {0, nullptr}};

PyModuleDef kModule = {PyModuleDef_HEAD_INIT, "_vorn", "", 0, nullptr, kSlots, nullptr, nullptr, nullptr};

}  // namespace

}  // namespace vorn::python

PyMODINIT_FUNC PyInit__vorn() { return PyModuleDef_Init(&vorn::python::kModule); }
