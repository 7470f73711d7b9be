// The quoted form of a text inside an error message: between double quotes,
// with escapes that make every invisible or combining character visible, so
// a message shows exactly which text was refused.
#pragma once

#include <string>
#include <string_view>

namespace vorn {

// `text` is UTF-8; bytes that do not decode stand for U+FFFD (text/utf8.hpp).
std::string quoted(std::string_view text);

}  // namespace vorn
