"""The real PGN files the tests read: the study and puzzle exports of the
Debian package pychess and the ECO file of the Debian package pgn-extract,
installed or extracted under VORN_DEBIAN_ROOT by .ci/run (see real_files)."""

import os
from pathlib import Path

import pytest

from support.real_files import installed


LEARN = installed("/usr/share/pychess/learn")
ECO = installed("/usr/share/pgn-extract/eco.pgn")
# Study exports: FEN set-ups, nested variations, glyphs, [%cal] and ";" comments.
# Missing, one absent name stands for them, so their tests report the absence.
STUDIES = sorted(LEARN.glob("*/lichess_study_*.pgn")) or [LEARN / "lichess_study_missing.pgn"]
# Puzzles whose FEN tags carry the full-move number 0, read as 1.
PUZZLES = sorted(LEARN.glob("puzzles/mate_in_*.pgn")) or [LEARN / "mate_in_missing.pgn"]


def require(paths, package):
    """Skips (fails under CI) when the files of `package` are not there."""
    if all(Path(p).is_file() for p in paths):
        return
    message = f"the PGN files of the Debian package {package} are missing: install it"
    if os.environ.get("CI"):
        pytest.fail(message)
    pytest.skip(message)


def ids(paths):
    return [Path(p).stem.removeprefix("lichess_study_")[:40] for p in paths]
