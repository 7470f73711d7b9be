// The board classes of the module, in this order:
//
//   Variant, SquareSet, FileSet, ByColour, Move, Position, Game
#include "python/bind/module.hpp"
#include "python/board/classes.hpp"
#include "python/board/squareset.hpp"
#include "python/board/value_classes.hpp"
#include "python/game/classes.hpp"

namespace vorn::python {

void board_classes::register_module(bind::Module& module) {
  module.add_classes<PyVariant, PySquareSet, PyFileSet, PyByColour, PyMove, PyPosition, PyGame>();
}

}  // namespace vorn::python
