// Preloaded into a host that ignores SIGCHLD, so that the system collects
// its children as they end: when the host opens a pidfd for a child it has
// just started, waits first until the child has ended and been collected,
// then gives its pid to a process that is not the host's child (a `sleep`
// whose parent has exited), by way of ns_last_pid. Run in a pid namespace of
// its own, where pids are handed out in order.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

static void give_pid_away(long pid) {
  char path[64];
  snprintf(path, sizeof path, "/proc/%ld", pid);
  for (int wait = 0; wait < 5000 && access(path, F_OK) == 0; ++wait) usleep(1000);
  const pid_t middle = fork();
  if (middle != 0) {
    if (middle > 0) waitpid(middle, NULL, 0);  // SIGCHLD ignored: returns once it has ended
    return;
  }
  const int last = open("/proc/sys/kernel/ns_last_pid", O_WRONLY);
  char text[32];
  const int length = snprintf(text, sizeof text, "%ld", pid - 1);
  if (last < 0 || write(last, text, length) != length) _exit(1);
  const pid_t stranger = fork();
  if (stranger == 0) {
    const int null = open("/dev/null", O_RDWR);
    for (int stream = 0; stream < 3; ++stream) dup2(null, stream);
    execlp("sleep", "sleep", "60", (char*)NULL);
    _exit(127);
  }
  if (stranger != pid) dprintf(2, "the pid %ld went to %d, not to a stranger\n", pid, (int)stranger);
  _exit(0);
}

long syscall(long number, ...) {
  va_list list;
  va_start(list, number);
  long args[6];
  for (int n = 0; n < 6; ++n) args[n] = va_arg(list, long);
  va_end(list);
  if (number == SYS_pidfd_open) give_pid_away(args[0]);
  static long (*next)(long, ...);
  if (next == NULL) next = (long (*)(long, ...))dlsym(RTLD_NEXT, "syscall");
  return next(number, args[0], args[1], args[2], args[3], args[4], args[5]);
}
