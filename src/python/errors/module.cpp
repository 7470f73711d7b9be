// The package's exception classes:
//
//   Error, FenError, IllegalMove, MoveParseError, PositionError, ParseError
#include "python/bind/module.hpp"
#include "python/errors/exceptions.hpp"

namespace vorn::python::errors {

void register_module(bind::Module& module) { add_error_classes(module); }

}  // namespace vorn::python::errors
