#include "error/error.hpp"

#include <string>

namespace vorn {

std::string_view message(PositionError) { return "castling rights this variant cannot have"; }

void panic(std::string_view message) { throw Panic(std::string(message)); }

}  // namespace vorn
