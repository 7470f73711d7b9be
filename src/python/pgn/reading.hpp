// Whole-file PGN work for the binding: files opened and games read with the
// interpreter lock released, so other threads run meanwhile, and Ctrl-C
// raised from the call within a slice.
#pragma once

#include <cstdint>

#include "pgn/read.hpp"
#include "pgn/source.hpp"
#include "python/bind/path.hpp"

namespace vorn::python::pgn {

// The file at `path`, opened with the lock released; a signal that cuts the
// open or a later read short runs the handlers. Raises OSError naming `path`.
vorn::pgn::FileSource open_file(const bind::Path& path);

// Every game of `source` into `visitor`, bad ones skipped, in slices of
// 0.1 s with the lock released; how many read. A signal handler that raises
// stops the reading between two games, or at an interrupted read, and its
// exception is raised; a failed read raises OSError naming `path` (text in
// memory has none).
std::uint64_t read_all_games(vorn::pgn::LineSource& source, vorn::pgn::Visitor& visitor, const bind::Path* path);

}  // namespace vorn::python::pgn
