// The board classes of the module, in this order:
//
//   Variant, SquareSet, FileSet, ByColour, Move, Position
#include "python/bind/module.hpp"
#include "python/board/classes.hpp"
#include "python/board/squareset.hpp"
#include "python/board/value_classes.hpp"

namespace vorn::python {

void board_classes::register_module(bind::Module& module) {
  module.add_classes<PyVariant, PySquareSet, PyFileSet, PyByColour, PyMove, PyPosition>();
}

}  // namespace vorn::python
