// The JSON forms of the model's small value types, as records write them:
// a role or a file is its letter ("n", "e"), a square its name ("e4"), a set the array of its members' names in
// ascending order (["a1","h1","e4"], ["a","d"]), a per-side pair
// {"white":W,"black":B}.
#pragma once

#include "core/types.hpp"
#include "json/writer.hpp"

namespace vorn::json {

void write(Writer& w, Role role);
void write(Writer& w, File file);
void write(Writer& w, Square square);
void write(Writer& w, SquareSet squares);
void write(Writer& w, FileSet files);

template <class T>
void write(Writer& w, const ByColour<T>& pair) {
  w.begin_object();
  member(w, "white", pair.white);
  member(w, "black", pair.black);
  w.end_object();
}

}  // namespace vorn::json
