// Runs a program with preadv2 refused (EPERM), as container and service
// sandboxes commonly answer a system call they do not allow:
//
//   refuse_preadv2 PROGRAM ARGUMENTS...
#include <errno.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <stddef.h>
#include <stdio.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#if defined(__x86_64__)
#define ARCHITECTURE AUDIT_ARCH_X86_64
#elif defined(__aarch64__)
#define ARCHITECTURE AUDIT_ARCH_AARCH64
#else
#error "the filter names preadv2 for x86-64 and AArch64 only"
#endif

int main(int argc, char** argv) {
  struct sock_filter filter[] = {
      // Calls of another architecture's numbering pass as they are.
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, ARCHITECTURE, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_preadv2, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  const struct sock_fprog program = {sizeof filter / sizeof filter[0], filter};
  if (argc < 2) {
    fprintf(stderr, "usage: %s PROGRAM ARGUMENTS...\n", argv[0]);
    return 2;
  }
  // No new privileges lets a process without them install a filter.
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
    perror("seccomp");
    return 127;
  }
  execvp(argv[1], argv + 1);
  perror(argv[1]);
  return 127;
}
