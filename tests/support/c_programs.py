"""Building the small C programs under tests/c: libraries that, preloaded,
inject faults, launchers that run a program under a seccomp filter, and an
embedder of Python."""

import os
import shutil
import subprocess
from pathlib import Path

import pytest

SOURCES = Path(__file__).resolve().parents[1] / "c"


def build_c(directory, source, library=False, flags=()):
    """Compiles tests/c/`source` into `directory`, as a shared library for
    LD_PRELOAD when `library`, with the compiler's `flags` last; skips without
    a C compiler, and fails instead in CI, where one must be."""
    compiler = shutil.which(os.environ.get("CC", "cc"))
    if compiler is None:
        if os.environ.get("CI"):
            pytest.fail(f"{source} needs a C compiler")
        pytest.skip("no C compiler")
    output = Path(directory) / (Path(source).stem + (".so" if library else ""))
    shape = ["-shared", "-fPIC"] if library else []
    subprocess.run([compiler, "-O2", *shape, str(SOURCES / source), "-o", str(output), "-ldl", *flags], check=True)
    return output
