// The game class of the module:
//
//   Game
#include "python/bind/module.hpp"
#include "python/game/classes.hpp"

namespace vorn::python {

void game_classes::register_module(bind::Module& module) { module.add_classes<PyGame>(); }

}  // namespace vorn::python
