// Faults in the file reads of a process, preloaded into it (LD_PRELOAD),
// each chosen by an environment variable:
//
//   VORN_NOWAIT_ZERO=N        every Nth no-wait preadv2 answers 0, as Linux
//                             5.9 and 5.10 may short of the end of a file
//   VORN_NOWAIT_ERRNO=E       every no-wait preadv2 fails with errno E
//   VORN_TRUNCATE=PATH:AT:TO  once a read leaves the file at PATH read up to
//                             offset AT or past it, that file is cut to TO bytes
//   VORN_NO_BUFFER=PATH       after each open of PATH, the next allocation of
//                             64 KiB or more fails
//
// vorn_nowait_calls() tells how many no-wait reads were asked for.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

static long nowait_calls;

long vorn_nowait_calls(void) { return nowait_calls; }

// ---- a page-cache read that answers 0 or fails ----

// `reached`: the offset the read left the file read up to.
static void truncate_once_past(int fd, off_t reached);

ssize_t preadv2(int fd, const struct iovec* iov, int count, off_t offset, int flags) {
  static ssize_t (*real)(int, const struct iovec*, int, off_t, int);
  if (!real) real = (ssize_t(*)(int, const struct iovec*, int, off_t, int))dlsym(RTLD_NEXT, "preadv2");
  if (flags & RWF_NOWAIT) {
    ++nowait_calls;
    const char* every = getenv("VORN_NOWAIT_ZERO");
    if (every && nowait_calls % atol(every) == 0) return 0;
    const char* failure = getenv("VORN_NOWAIT_ERRNO");
    if (failure) {
      errno = atoi(failure);
      return -1;
    }
  }
  const ssize_t got = real(fd, iov, count, offset, flags);
  if (got > 0) truncate_once_past(fd, offset < 0 ? lseek(fd, 0, SEEK_CUR) : offset + got);
  return got;
}

ssize_t read(int fd, void* into, size_t size) {
  static ssize_t (*real)(int, void*, size_t);
  if (!real) real = (ssize_t(*)(int, void*, size_t))dlsym(RTLD_NEXT, "read");
  const ssize_t got = real(fd, into, size);
  if (got > 0) truncate_once_past(fd, lseek(fd, 0, SEEK_CUR));
  return got;
}

#define PREAD(name)                                                                   \
  ssize_t name(int fd, void* into, size_t size, off_t offset) {                       \
    static ssize_t (*real)(int, void*, size_t, off_t);                                \
    if (!real) real = (ssize_t(*)(int, void*, size_t, off_t))dlsym(RTLD_NEXT, #name); \
    const ssize_t got = real(fd, into, size, offset);                                 \
    if (got > 0) truncate_once_past(fd, offset + got);                                \
    return got;                                                                       \
  }
PREAD(pread)
PREAD(pread64)

// ---- a file cut short while it is read ----

static void truncate_once_past(int fd, off_t reached) {
  static int done;
  const char* spec = getenv("VORN_TRUNCATE");
  if (done || !spec) return;
  char path[4096];
  long long at = 0, to = 0;
  if (sscanf(spec, "%4095[^:]:%lld:%lld", path, &at, &to) != 3) return;
  struct stat read_from, cut;
  if (fstat(fd, &read_from) != 0 || stat(path, &cut) != 0) return;
  if (read_from.st_dev != cut.st_dev || read_from.st_ino != cut.st_ino) return;
  if (reached < at) return;
  done = 1;
  if (truncate(path, to) != 0) abort();
}

// ---- an allocation that fails just after an open ----

extern void* __libc_malloc(size_t size);
static int fail_next_buffer;

void* malloc(size_t size) {
  if (fail_next_buffer && size >= 65536) {
    fail_next_buffer = 0;
    errno = ENOMEM;
    return NULL;
  }
  return __libc_malloc(size);
}

static void arm_after_opening(const char* path) {
  const char* wanted = getenv("VORN_NO_BUFFER");
  if (wanted && strcmp(path, wanted) == 0) fail_next_buffer = 1;
}

#define OPEN(name)                                                           \
  int name(const char* path, int flags, ...) {                               \
    static int (*real)(const char*, int, ...);                               \
    if (!real) real = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, #name); \
    mode_t mode = 0;                                                         \
    if (flags & (O_CREAT | O_TMPFILE)) {                                     \
      va_list rest;                                                          \
      va_start(rest, flags);                                                 \
      mode = va_arg(rest, mode_t);                                           \
      va_end(rest);                                                          \
    }                                                                        \
    const int fd = real(path, flags, mode);                                  \
    if (fd >= 0) arm_after_opening(path);                                    \
    return fd;                                                               \
  }
OPEN(open)
OPEN(open64)
