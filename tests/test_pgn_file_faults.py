"""PGN files read where the system answers the page-cache read otherwise than
at once (a kernel that answers 0 short of the end, a file system or sandbox
that refuses it): no game lost or invented. The faults come from tests/c, a
preloaded library or a seccomp launcher, in child interpreters."""

import errno
import os
import subprocess
import sys
import textwrap

import pytest

from support.c_programs import build_c

GAMES = 2_000


@pytest.fixture(scope="module")
def games_file(tmp_path_factory):
    # Games of many lengths, so that the refills fall anywhere in them.
    path = tmp_path_factory.mktemp("pgn") / "games.pgn"
    path.write_text("".join(f'[Event "{i}"]\n[Result "*"]\n\n1. e4 e5 2. Nf3 {{{"x " * (i % 300)}}} Nc6 *\n\n'
                            for i in range(GAMES)))
    return path


@pytest.fixture(scope="module")
def faults(tmp_path_factory):
    return build_c(tmp_path_factory.mktemp("faults"), "read_faults.c", library=True)


def run(code, *args, env=None, launcher=()):
    done = subprocess.run([*launcher, sys.executable, "-c", textwrap.dedent(code), *map(str, args)],
                          capture_output=True, text=True, timeout=120, env={**os.environ, **(env or {})})
    assert done.returncode == 0, done.stderr
    return done.stdout.strip().splitlines()


def preloaded(faults, **variables):
    return {"LD_PRELOAD": str(faults), **{name: str(value) for name, value in variables.items()}}


# Reads the file at argv[1] every way the package reads one, printing for
# each how many no-wait reads it asked for and the games read (or the error).
READ_EVERY_WAY = """
import ctypes, sys
import vorn.pgn, vorn.polyglot

path = sys.argv[1]
asked = getattr(ctypes.CDLL(None), "vorn_nowait_calls", lambda: 0)
calls = {
    "pgn_count": lambda: vorn.pgn.pgn_count(path),
    "add_pgn": lambda: vorn.polyglot.PolyglotBuilder().add_pgn(path),
    "pgn_read": lambda: len(list(vorn.pgn.pgn_read(path))),
}
for name, call in calls.items():
    before = asked()
    try:
        games = call()
    except Exception as error:
        games = f"{type(error).__name__}: {error}"
    print(name, asked() - before, games)
"""


def games_and_asks(lines):
    return {name: (games, int(asks)) for name, asks, games in (line.split(" ", 2) for line in lines)}


@pytest.mark.parametrize("every", [1, 2, 7])
def test_a_page_cache_read_of_nothing_ends_no_file(faults, games_file, every):
    # Every `every`th no-wait read answers 0, as Linux 5.9 and 5.10 may
    # short of the end: the ordinary read that follows reads on.
    read = games_and_asks(run(READ_EVERY_WAY, games_file, env=preloaded(faults, VORN_NOWAIT_ZERO=every)))
    assert {name: games for name, (games, _) in read.items()} == dict.fromkeys(read, str(GAMES))


@pytest.mark.parametrize(
    ("failure", "asked_once"),
    [
        pytest.param(errno.EPERM, True, id="EPERM-a-sandbox"),
        pytest.param(errno.EOPNOTSUPP, True, id="EOPNOTSUPP-tmpfs"),
        pytest.param(errno.EINVAL, True, id="EINVAL"),
        pytest.param(errno.ENOSYS, True, id="ENOSYS-no-such-call"),
        pytest.param(errno.EAGAIN, False, id="EAGAIN-not-in-the-cache"),
    ],
)
def test_a_refused_page_cache_read_falls_back_and_is_not_asked_again(faults, games_file, failure, asked_once):
    # EAGAIN only says this read would wait: the next refill asks again.
    read = games_and_asks(run(READ_EVERY_WAY, games_file, env=preloaded(faults, VORN_NOWAIT_ERRNO=failure)))
    for name, (games, asks) in read.items():
        assert games == str(GAMES), name
        assert (asks == 1) if asked_once else (asks > 1), (name, asks)


def test_a_sandbox_that_refuses_preadv2_reads_every_file(tmp_path, games_file):
    launcher = build_c(tmp_path, "refuse_preadv2.c")
    code = textwrap.dedent("""
    import os, sys
    # The filter is in place: the call itself is refused.
    fd = os.open(sys.argv[1], os.O_RDONLY)
    try:
        os.preadv(fd, [bytearray(16)], 0, os.RWF_NOWAIT)
    except PermissionError:
        print("refused")
    os.close(fd)
    """) + READ_EVERY_WAY
    lines = run(code, games_file, launcher=[launcher])
    assert lines[0] == "refused"
    assert {name: games for name, (games, _) in games_and_asks(lines[1:]).items()} == dict.fromkeys(
        ["pgn_count", "add_pgn", "pgn_read"], str(GAMES))
