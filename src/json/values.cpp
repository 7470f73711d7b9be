#include "json/values.hpp"

namespace vorn::json {

void write(Writer& w, Role role) { w.string(std::string_view(&kRoleLetters[index(role)], 1)); }

void write(Writer& w, File file) {
  const char letter = file_char(file);
  w.string(std::string_view(&letter, 1));
}

void write(Writer& w, Square square) { w.string(square_name(square)); }

void write(Writer& w, SquareSet squares) { write_items(w, squares); }
void write(Writer& w, FileSet files) { write_items(w, files); }

}  // namespace vorn::json
