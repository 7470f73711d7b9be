"""Real input files from Debian packages, used by tests that cross-check
against them. A file is looked for where its package installs it and under
VORN_DEBIAN_ROOT, where .ci/run extracts packages the machine lacks. Absent,
the test is skipped with the reason on a developer's machine and fails in
CI."""

import os
import pathlib

import pytest


def installed(path):
    """Where `path` is, installed or extracted; the installed place when neither."""
    places = [pathlib.Path(path)]
    if os.environ.get("VORN_DEBIAN_ROOT"):
        places.append(pathlib.Path(os.environ["VORN_DEBIAN_ROOT"]) / path.lstrip("/"))
    return next((place for place in places if place.exists()), places[0])


def real_file(path, package):
    """The path of the file, installed or extracted."""
    place = installed(path)
    if not place.is_file():
        reason = f"{path} is missing: install the Debian package {package}"
        if os.environ.get("CI"):
            pytest.fail(reason)
        pytest.skip(reason)
    return place
