// Runs a program with some system calls refused (EPERM), as container and
// service sandboxes answer the calls they do not allow:
//
//   refuse_calls CALL[,CALL...] PROGRAM ARGUMENTS...
//
// where a CALL is kill, pidfd_send_signal, waitid, wait4, preadv2, or
// clone_pidfd: a clone that asks for a pidfd (CLONE_PIDFD), which some
// filters refuse by its flags.
#define _GNU_SOURCE  // CLONE_PIDFD
#include <errno.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#if defined(__x86_64__)
#define ARCHITECTURE AUDIT_ARCH_X86_64
#elif defined(__aarch64__)
#define ARCHITECTURE AUDIT_ARCH_AARCH64
#else
#error "the filter names its calls for x86-64 and AArch64 only"
#endif

#define REFUSE BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM)
#define ALLOW BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW)
#define LOAD(field) BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, field))

// The calls refused by their number alone.
static const struct {
  const char* name;
  long number;
} NUMBERED[] = {
    {"kill", __NR_kill},
    {"pidfd_send_signal", __NR_pidfd_send_signal},
    {"waitid", __NR_waitid},
    {"wait4", __NR_wait4},
    {"preadv2", __NR_preadv2},
};

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: %s CALL[,CALL...] PROGRAM ARGUMENTS...\n", argv[0]);
    return 2;
  }
  struct sock_filter filter[32];
  unsigned short length = 0;
  // Calls of another architecture's numbering pass as they are.
  filter[length++] = (struct sock_filter)LOAD(arch);
  filter[length++] = (struct sock_filter)BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, ARCHITECTURE, 1, 0);
  filter[length++] = (struct sock_filter)ALLOW;
  for (char* call = strtok(argv[1], ","); call != NULL; call = strtok(NULL, ",")) {
    filter[length++] = (struct sock_filter)LOAD(nr);
    if (strcmp(call, "clone_pidfd") == 0) {
      // The flags are clone's first argument; their low word holds CLONE_PIDFD.
      filter[length++] = (struct sock_filter)BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_clone, 0, 3);
      filter[length++] = (struct sock_filter)LOAD(args[0]);
      filter[length++] = (struct sock_filter)BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, CLONE_PIDFD, 0, 1);
      filter[length++] = (struct sock_filter)REFUSE;
      continue;
    }
    long number = -1;
    for (size_t i = 0; i < sizeof NUMBERED / sizeof *NUMBERED; ++i) {
      if (strcmp(call, NUMBERED[i].name) == 0) number = NUMBERED[i].number;
    }
    if (number < 0) {
      fprintf(stderr, "%s: no such call to refuse: %s\n", argv[0], call);
      return 2;
    }
    filter[length++] = (struct sock_filter)BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, number, 0, 1);
    filter[length++] = (struct sock_filter)REFUSE;
  }
  filter[length++] = (struct sock_filter)ALLOW;
  const struct sock_fprog program = {length, filter};
  // No new privileges lets a process without them install a filter.
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
    perror("seccomp");
    return 127;
  }
  execvp(argv[2], argv + 2);
  perror(argv[2]);
  return 127;
}
