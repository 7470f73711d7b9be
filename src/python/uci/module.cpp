// The engine client's part of vorn._vorn, added in this order:
//
//   Limits, Option, Info, Answer, Engine, Search   __module__ "vorn.uci"
//   Command, Message, Session                 __module__ "vorn.uci.protocol"
//   uci_parse, UciError, EngineTimeout, EngineDied, ProtocolError
//
// and, once per process, the kill of every engine still running when the
// interpreter has ended.
#include "python/bind/module.hpp"
#include "python/uci/classes.hpp"
#include "python/uci/engine_classes.hpp"
#include "uci/engine/live.hpp"

namespace vorn::python::uci {

namespace {

// An engine can outlive its Engine: a daemon thread ended inside a call, or
// a cycle never collected, holds it to the end. Python's atexit callbacks
// would come too early, while such a thread may still start one.
void kill_engines_at_exit() {
  static const int registered = Py_AtExit(&engine::kill_live_engines);
  if (registered < 0) bind::raise(PyExc_RuntimeError, "no room left to kill the engines at exit");
}

}  // namespace

void register_module(bind::Module& module) {
  module.add_classes<PyLimits, PyOption, PyInfo, PyAnswer, PyEngine, PySearch, PyCommand, PyMessage, PySession>();
  add_parse_function(module);
  add_error_classes(module);
  kill_engines_at_exit();
}

}  // namespace vorn::python::uci
