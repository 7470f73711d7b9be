// Faults in the file reads of a process, preloaded into it (LD_PRELOAD),
// each chosen by an environment variable:
//
//   VORN_NOWAIT_ZERO=N        every Nth no-wait preadv2 answers 0, as Linux
//                             5.9 and 5.10 may short of the end of a file
//   VORN_NOWAIT_ERRNO=E       every no-wait preadv2 fails with errno E
//
// vorn_nowait_calls() tells how many no-wait reads were asked for.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

static long nowait_calls;

long vorn_nowait_calls(void) { return nowait_calls; }

// ---- a page-cache read that answers 0 or fails ----

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
  return real(fd, iov, count, offset, flags);
}
