// The PGN classes of vorn.pgn, then the reading functions:
//
//   PgnGame, PgnNode, PgnReader
//   pgn_read(path, *, skip_errors=False), pgn_read_string(text, ...), pgn_count(path)
#include "python/bind/module.hpp"
#include "python/pgn/classes.hpp"

namespace vorn::python {

void pgn::register_module(bind::Module& module) {
  module.add_classes<PyPgnGame, PyPgnNode>();
  add_reader(module);
}

}  // namespace vorn::python
