#include "uci/engine/fd_trace.hpp"

#include <sys/stat.h>
#include <unistd.h>

namespace vorn::uci::engine {

FdTrace trace(int fd) {
  struct stat named {};
  if (fd < 0 || ::fstat(fd, &named) < 0) return {};
  return {fd, named.st_dev, named.st_ino};
}

void close_if_same(const FdTrace& end) {
  struct stat named {};
  if (end.fd < 0 || ::fstat(end.fd, &named) < 0) return;
  if (named.st_dev == end.device && named.st_ino == end.inode) ::close(end.fd);
}

}  // namespace vorn::uci::engine
