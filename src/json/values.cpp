#include "json/values.hpp"

namespace vorn::json {

void write(Writer& w, Role role) { w.string(std::string_view(&kRoleLetters[index(role)], 1)); }

void write(Writer& w, SquareSet squares) {
  w.begin_array();
  for (const Square s : squares) w.string(square_name(s));
  w.end_array();
}

void write(Writer& w, FileSet files) {
  w.begin_array();
  for (const File f : files) {
    const char letter = file_char(f);
    w.string(std::string_view(&letter, 1));
  }
  w.end_array();
}

}  // namespace vorn::json
