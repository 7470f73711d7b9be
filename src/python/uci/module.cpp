// The engine client's part of vorn._vorn, added in this order:
//
//   Limits, Option, Info, Answer, Engine, Search   __module__ "vorn.uci"
//   Command, Message, Session                 __module__ "vorn.uci.protocol"
//   uci_parse, UciError, EngineTimeout, EngineDied, ProtocolError
#include "python/bind/module.hpp"
#include "python/uci/classes.hpp"
#include "python/uci/engine_classes.hpp"

namespace vorn::python::uci {

namespace {

using Step = void (*)(PyObject* module);

constexpr Step kSteps[] = {
    bind::add_class<PyLimits>,  bind::add_class<PyOption>,  bind::add_class<PyInfo>,
    bind::add_class<PyAnswer>,  bind::add_class<PyEngine>,  bind::add_class<PySearch>, bind::add_class<PyCommand>, bind::add_class<PyMessage>,
    bind::add_class<PySession>, add_parse_function,         add_error_classes,
};

}  // namespace

void register_module(PyObject* module) {
  for (const Step step : kSteps) step(module);
}

}  // namespace vorn::python::uci
