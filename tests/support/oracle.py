"""The independent PyPI library `chess`, which some tests read vorn against.
Absent, the tests of a module that needs it are skipped with the reason on a
developer's machine; in CI, which installs it, its absence fails them."""

import importlib
import os

import pytest


def python_chess(module="chess"):
    """The module `module` of the library (chess, chess.pgn, chess.polyglot)."""
    if os.environ.get("CI"):
        return importlib.import_module(module)
    return pytest.importorskip(module, reason="the independent library `chess` is not installed: "
                                              "python3 -m pip install chess")
