"""Building the C++ drivers under tests/cpp against the model's sources."""

import os
import shutil
import subprocess
from pathlib import Path

import pytest

SOURCES = Path(__file__).resolve().parents[2] / "src"


def build_driver(directory, driver, sources, what, flags=()):
    """Compiles tests/cpp/`driver` with the model `sources` (paths under src/) into `directory`,
    with the compiler's `flags` last; skips without a C++ compiler or the sources, and fails
    instead in CI, where both must be."""
    compiler = shutil.which(os.environ.get("CXX", "c++"))
    if compiler is None or not SOURCES.is_dir():
        if os.environ.get("CI"):
            pytest.fail(f"{what} needs a C++ compiler and the sources")
        pytest.skip("no C++ compiler or no sources next to the tests")
    binary = Path(directory) / Path(driver).stem
    subprocess.run([compiler, "-std=c++23", "-I", str(SOURCES), str(Path(__file__).resolve().parents[1] / "cpp" / driver),
                    *(str(SOURCES / source) for source in sources), "-o", str(binary), *flags], check=True)
    return binary
