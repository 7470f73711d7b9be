// File-system paths from Python: a str, bytes or any os.PathLike, encoded
// the way the os module encodes them.
//
//   void add_pgn(Exclusive<PyBuilder> b, const bind::PathBytes& path);   // path.bytes for open()
//   bind::raise_os_error(errno, path);   // FileNotFoundError: [Errno 2] ...: 'x.pgn'
#pragma once

#include <string>

#include "python/bind/convert.hpp"

namespace vorn::python::bind {

// A path and the object it came from, which an OSError names as given (as
// subprocess names a program).
struct Path {
  std::string bytes;
  Ref object;
};

// A path as plain bytes, owning no Python object: what work without the
// interpreter lock holds, since a thread ended at exit unwinds its frames
// without that lock. An OSError names it as open() would: bytes when
// os.fspath gave bytes, else the decoded str, made when raising.
struct PathBytes {
  std::string bytes;
  bool named_as_bytes = false;
};

template <>
struct Converter<Path> {
  static Path from(PyObject* object);
};

template <>
struct Converter<PathBytes> {
  static PathBytes from(PyObject* object);
};

// The OSError subclass Python gives `number` (FileNotFoundError for ENOENT,
// PermissionError for EACCES, ...), naming the path.
[[noreturn]] void raise_os_error(int number, const Path& path);
[[noreturn]] void raise_os_error(int number, const PathBytes& path);

}  // namespace vorn::python::bind
