// The Polyglot part of the module: the five classes, then
// POLYGLOT_ENTRY_SIZE, the bytes of one record.
#include "python/bind/module.hpp"
#include "python/polyglot/polyglot.hpp"

namespace vorn::python {

void polyglot::register_module(bind::Module& module) {
  module.add_classes<PyRaw, PyEntry, PyBook, PyBookIter, PyBuilder>();
  module.add_object("POLYGLOT_ENTRY_SIZE", bind::to_python(vorn::polyglot::kEntrySize));
}

}  // namespace vorn::python
