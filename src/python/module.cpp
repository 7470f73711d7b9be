// vorn._vorn, the one native module. Its execution step fills it in a fixed
// order, which is also the order of its attribute dictionary:
//
//   Error, FenError, ... ParseError          the exception classes
//   Variant, SquareSet, FileSet, ByColour, Move, Position, Game
//   ... the classes and functions of analysis, records, books and engines
//   CLASSIC, CHESS960, KING_TO_ROOK, KING_TWO_SQUARES, __version__
#include <atomic>
#include <cstdint>

#include "python/bind/module.hpp"
#include "python/board/classes.hpp"
#include "python/endings/classes.hpp"
#include "python/errors/exceptions.hpp"
#include "python/explain/classes.hpp"
#include "python/facts/classes.hpp"
#include "python/names/names.hpp"
#include "python/openings/openings.hpp"
#include "python/pgn/classes.hpp"
#include "python/polyglot/polyglot.hpp"
#include "python/uci/classes.hpp"

namespace vorn::python {

namespace {

void add_constants(PyObject* module) {
  bind::add_object(module, "CLASSIC", bind::to_python(&classic()));
  bind::add_object(module, "CHESS960", bind::to_python(&chess960()));
  bind::add_object(module, "KING_TO_ROOK",
                   bind::to_python(vorn::name(CastlingStyle::KingToRook)));
  bind::add_object(module, "KING_TWO_SQUARES",
                   bind::to_python(vorn::name(CastlingStyle::KingTwoSquares)));
  bind::add_object(module, "__version__", bind::to_python(VORN_VERSION));
}

using RegisterFn = void (*)(PyObject* module);

// One step per line; a step that fails stops the import with its error.
constexpr RegisterFn kRegistration[] = {
    errors::register_module,
    board_classes::register_module,
    explain::register_module,
    endings::register_module,
    facts::register_module,
    pgn::register_module,
    polyglot::register_module,
    openings::register_module,
    uci::register_module,
    add_constants,
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
    for (const RegisterFn step : kRegistration) step(module);
    return 0;
  });
}

PyModuleDef_Slot kSlots[] = {{Py_mod_exec, reinterpret_cast<void*>(&exec_module)}, {0, nullptr}};

PyModuleDef kModule = {PyModuleDef_HEAD_INIT, "_vorn", "", 0, nullptr, kSlots, nullptr, nullptr, nullptr};

}  // namespace

}  // namespace vorn::python

PyMODINIT_FUNC PyInit__vorn() { return PyModuleDef_Init(&vorn::python::kModule); }
