// PGN files for the binding: whole-file work with the interpreter lock
// released, so other threads run meanwhile, and a PgnReader's stream read
// with it held, let go only while a read waits; Ctrl-C raised from the call
// either way.
#pragma once

#include <cstdint>

#include "pgn/read.hpp"
#include "pgn/source.hpp"
#include "python/bind/path.hpp"

namespace vorn::python::pgn {

// The file at `path`, opened with the lock released, for read_all_games:
// its reads run the signal handlers once a slice's length has passed, and
// when a read waits. Raises OSError naming `path`.
vorn::pgn::FileSource open_file(const bind::PathBytes& path);

// The same for a stream read with the lock held: the signal handlers run at
// every refill and every MiB of a long line, and a read that waits (for a
// pipe's writer, or the disk) lets the lock go in slices.
vorn::pgn::FileSource open_stream(const bind::PathBytes& path);

// Every game of `source` into `visitor`, bad ones skipped, in slices of
// 0.1 s with the lock released; how many read. A signal handler that raises
// stops the reading between two games or at a refill, and its exception is
// raised; a failed read raises OSError naming `path` (text in memory has
// none).
std::uint64_t read_all_games(vorn::pgn::LineSource& source, vorn::pgn::Visitor& visitor, const bind::PathBytes* path);

}  // namespace vorn::python::pgn
