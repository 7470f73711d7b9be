// An embedder that runs the same Python code in two lifetimes of the
// interpreter, finalizing it after each:
//
//   embed_twice CODE
#include <Python.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s CODE\n", argv[0]);
    return 2;
  }
  for (int run = 0; run < 2; ++run) {
    Py_Initialize();
    if (PyRun_SimpleString(argv[1]) != 0) return 1;
    if (Py_FinalizeEx() < 0) return 1;
  }
  return 0;
}
