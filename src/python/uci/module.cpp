// The engine client's part of vorn._vorn, added in this order:
//
//   Limits, Option, Info, Answer, Engine, Search   __module__ "vorn.uci"
//   Command, Message, Session                 __module__ "vorn.uci.protocol"
//   uci_parse, UciError, EngineTimeout, EngineDied, ProtocolError
#include "python/bind/module.hpp"
#include "python/uci/classes.hpp"
#include "python/uci/engine_classes.hpp"

namespace vorn::python::uci {

void register_module(bind::Module& module) {
  module.add_classes<PyLimits, PyOption, PyInfo, PyAnswer, PyEngine, PySearch, PyCommand, PyMessage, PySession>();
  add_parse_function(module);
  add_error_classes(module);
}

}  // namespace vorn::python::uci
