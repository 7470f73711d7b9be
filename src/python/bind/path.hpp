// File-system paths from Python: a str, bytes or any os.PathLike, encoded
// the way the os module encodes them, with the original object kept for the
// filename of an OSError.
//
//   void add_pgn(Exclusive<PyBuilder> b, const bind::Path& path);   // path.bytes for open()
//   bind::raise_os_error(errno, path);   // FileNotFoundError: [Errno 2] ...: 'x.pgn'
#pragma once

#include <string>

#include "python/bind/convert.hpp"

namespace vorn::python::bind {

struct Path {
  std::string bytes;
  Ref object;
};

template <>
struct Converter<Path> {
  static Path from(PyObject* object);
};

// The OSError subclass Python gives `number` (FileNotFoundError for ENOENT,
// PermissionError for EACCES, ...), naming the path.
[[noreturn]] void raise_os_error(int number, const Path& path);

}  // namespace vorn::python::bind
