// A descriptor remembered as its number and the file it named, so that a
// forked process can close its copy later without closing whatever has
// taken the number since:
//
//   const FdTrace end = trace(output.get());   // when the pipe is made
//   close_if_same(end);                        // in the forked child
#pragma once

#include <sys/types.h>

namespace vorn::uci::engine {

struct FdTrace {
  int fd = -1;  // -1: nothing to close
  dev_t device = 0;
  ino_t inode = 0;
};

FdTrace trace(int fd);
// Closes `end.fd` while it still names the file it named when traced.
void close_if_same(const FdTrace& end);

}  // namespace vorn::uci::engine
