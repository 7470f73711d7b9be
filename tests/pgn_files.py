"""The real PGN files the tests read: the study and puzzle exports of the
Debian package pychess and the ECO file of the Debian package pgn-extract.
.ci/run installs them; elsewhere their tests skip, naming what is missing."""

import os
from pathlib import Path

import pytest

LEARN = Path("/usr/share/pychess/learn")
ECO = Path("/usr/share/pgn-extract/eco.pgn")
# Study exports: FEN set-ups, nested variations, glyphs, [%cal] and ";" comments.
STUDIES = sorted(LEARN.glob("*/lichess_study_*.pgn"))
# Puzzles whose FEN tags carry the full-move number 0, which does not read.
PUZZLES = sorted(LEARN.glob("puzzles/mate_in_*.pgn"))


def require(paths, package):
    """Skips (fails under CI) when the files of `package` are not installed."""
    if paths and all(Path(p).is_file() for p in paths):
        return
    message = f"the PGN files of the Debian package {package} are not installed"
    if os.environ.get("CI"):
        pytest.fail(message)
    pytest.skip(message)


def ids(paths):
    return [Path(p).stem.removeprefix("lichess_study_")[:40] for p in paths]
