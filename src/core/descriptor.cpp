#include "core/descriptor.hpp"

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <cerrno>

namespace vorn {

OpenFile::OpenFile(int fd) noexcept : fd_(fd) {
  if (fd < 0) return;
  opener_ = ::getpid();
  struct stat named {};
  known_ = ::fstat(fd, &named) == 0;
  device_ = named.st_dev;
  inode_ = named.st_ino;
}

bool OpenFile::still_the_same() const noexcept {
  struct stat named {};
  if (!known_ || ::fstat(fd_, &named) != 0 || named.st_dev != device_ || named.st_ino != inode_) return false;
  struct statfs system {};
  return ::fstatfs(fd_, &system) == 0 && system.f_type != ANON_INODE_FS_MAGIC;
}

void OpenFile::close_forked_copy() const noexcept {
  if (fd_ >= 0 && forked_copy() && still_the_same()) ::close(fd_);
}

std::expected<void, int> Descriptor::close() noexcept {
  const OpenFile file = std::exchange(file_, OpenFile());
  if (file.fd() < 0 || (file.forked_copy() && !file.still_the_same())) return std::unexpected(EBADF);
  if (::close(file.fd()) != 0) return std::unexpected(errno);
  return {};
}

}  // namespace vorn
