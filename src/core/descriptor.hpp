// A file descriptor owned from the moment it is opened: closed when its
// owner goes, whatever leaves the scope, so that no failure after the open
// (an allocation, say) can leak it.
//
// A process forked from the opener's holds a copy whose number it may have
// closed and given to a file of its own (daemons and workers close what they
// inherit, then open their files): there the copy closes its number only
// while the number still names the file it was opened on.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <expected>
#include <utility>

namespace vorn {

// A descriptor's number with the process that opened it and the file it
// named then.
class OpenFile {
 public:
  OpenFile() = default;
  // Marks `fd` as this process opens it; a negative one marks nothing.
  explicit OpenFile(int fd) noexcept;

  int fd() const { return fd_; }
  // Whether this is a copy in a process forked from the opener's.
  bool forked_copy() const { return opener_ != ::getpid(); }
  // The number still names the file it named when marked. A file whose
  // inode many files share (an epoll, an eventfd, a pidfd before Linux 6.9)
  // cannot be told from another, so it never counts as the same.
  bool still_the_same() const noexcept;
  // In a forked copy, closes the number while it still names the same
  // file; in the opener, does nothing (the owner there closes it).
  void close_forked_copy() const noexcept;

 private:
  int fd_ = -1;
  pid_t opener_ = 0;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  bool known_ = false;  // the file could be examined when marked
};

class Descriptor {
 public:
  Descriptor() = default;
  // Owns `fd`; a negative one (a failed open) owns nothing.
  explicit Descriptor(int fd) noexcept : file_(fd) {}
  Descriptor(Descriptor&& other) noexcept : file_(std::exchange(other.file_, OpenFile())) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      reset();
      file_ = std::exchange(other.file_, OpenFile());
    }
    return *this;
  }
  ~Descriptor() { reset(); }

  int get() const { return file_.fd(); }
  explicit operator bool() const { return file_.fd() >= 0; }
  // What it names, for a forked copy to close it where this owner is not run.
  const OpenFile& file() const { return file_; }
  // Gives the descriptor up without closing it.
  int release() { return std::exchange(file_, OpenFile()).fd(); }
  void reset() noexcept { (void)close(); }
  // Closes now, reporting the errno of a failure, which a delayed write
  // error may show only here. A forked copy whose number names another file
  // by now leaves it open: EBADF.
  std::expected<void, int> close() noexcept;

 private:
  OpenFile file_;
};

}  // namespace vorn
