// A file descriptor owned from the moment it is opened: closed when its
// owner goes, whatever leaves the scope, so that no failure after the open
// (an allocation, say) can leak it.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <expected>
#include <utility>

namespace vorn {

class Descriptor {
 public:
  Descriptor() = default;
  // Owns `fd`; a negative one (a failed open) owns nothing.
  explicit Descriptor(int fd) noexcept : fd_(fd) {}
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = other.release();
    }
    return *this;
  }
  ~Descriptor() { reset(); }

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // Gives the descriptor up without closing it.
  int release() { return std::exchange(fd_, -1); }
  void reset() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  }
  // Closes now, reporting the errno of a failure, which a delayed write
  // error may show only here.
  std::expected<void, int> close() {
    if (::close(std::exchange(fd_, -1)) != 0) return std::unexpected(errno);
    return {};
  }

 private:
  int fd_ = -1;
};

}  // namespace vorn
