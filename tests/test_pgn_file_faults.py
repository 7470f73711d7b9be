"""PGN files read where the system answers the page-cache read otherwise than
at once (a kernel that answers 0 short of the end, a file system or sandbox
that refuses it), and files that fail or change under the reader: no game
lost or invented, no descriptor left open, no reader broken. The faults come
from tests/c, a preloaded library or a seccomp launcher, in child
interpreters."""

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
    launcher = build_c(tmp_path, "refuse_calls.c")
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
    lines = run(code, games_file, launcher=[launcher, "preadv2"])
    assert lines[0] == "refused"
    assert {name: games for name, (games, _) in games_and_asks(lines[1:]).items()} == dict.fromkeys(
        ["pgn_count", "add_pgn", "pgn_read"], str(GAMES))


def test_opens_that_fail_leave_no_descriptor_open(tmp_path, faults, games_file):
    # The preloaded library fails the first allocation of 64 KiB or more
    # after each open of `unbuffered`: the buffer the file is read into.
    unbuffered = tmp_path / "unbuffered.pgn"
    unbuffered.write_bytes(games_file.read_bytes())
    huge = tmp_path / "huge.bin"
    with open(huge, "wb") as out:
        out.truncate((1 << 30) + 16)  # sparse: past the largest book, and no disk used
    code = """
    import os, sys
    import vorn.pgn, vorn.polyglot

    paths = dict(zip(["unbuffered", "directory", "missing", "huge", "games"], sys.argv[1:]))
    calls = {
        "pgn_read": vorn.pgn.pgn_read,
        "pgn_count": vorn.pgn.pgn_count,
        "add_pgn": lambda path: vorn.polyglot.PolyglotBuilder().add_pgn(path),
        "PolyglotBook": vorn.polyglot.PolyglotBook,
    }
    opened = len(os.listdir("/proc/self/fd"))
    for name, call in calls.items():
        for kind in ["unbuffered", "directory", "missing"] + (["huge"] if name == "PolyglotBook" else []):
            try:
                call(paths[kind])
                print(name, kind, "opened")
            except (MemoryError, OSError) as error:
                print(name, kind, type(error).__name__)
    # What failed holds nothing: the next read is whole.
    print(vorn.pgn.pgn_count(paths["games"]), len(os.listdir("/proc/self/fd")) - opened)
    """
    lines = run(code, unbuffered, tmp_path, tmp_path / "missing.pgn", huge, games_file,
                env=preloaded(faults, VORN_NO_BUFFER=unbuffered))
    failures = {"unbuffered": "MemoryError", "directory": "IsADirectoryError", "missing": "FileNotFoundError"}
    assert lines == [
        *(f"{name} {kind} {error}" for name in ["pgn_read", "pgn_count", "add_pgn"] for kind, error in failures.items()),
        *(f"PolyglotBook {kind} {error}" for kind, error in {**failures, "huge": "OSError"}.items()),
        f"{GAMES} 0",
    ]


# A long comment (more than the 1 MiB kept at once) that the reader scans to
# its end, then reads again from where it stopped keeping it.
LONG_COMMENT = ('[Event "a"]\n\n1. e4 e5 *\n\n[Event "b"]\n\n1. e4 {' + ("y" * 999 + "\n") * 3_000
                + 'the last line} e5 *\n\n[Event "c"]\n\n1. d4 *\n')


@pytest.mark.parametrize(
    "cut_at",
    [
        pytest.param(LONG_COMMENT.index("y" * 999 + "\n", 1_500_000), id="before-the-closing-line"),
        pytest.param(LONG_COMMENT.index("}"), id="in-the-closing-line-before-the-brace"),
    ],
)
@pytest.mark.parametrize("skip", [False, True], ids=["errors-raised", "errors-skipped"])
def test_a_file_cut_short_while_a_comment_is_read_again_is_a_located_error(tmp_path, faults, cut_at, skip):
    # Once the scan has read past the closing brace the file is cut to
    # `cut_at`, so the lines read again are no longer all there.
    path = tmp_path / "shrinking.pgn"
    path.write_text(LONG_COMMENT)
    code = """
    import sys
    import vorn.pgn

    reader = vorn.pgn.pgn_read(sys.argv[1], skip_errors=sys.argv[2] == "True")
    for _ in range(4):  # a reader that ended stays ended
        try:
            print(next(reader).headers["Event"])
        except StopIteration:
            print("end")
        except ValueError as error:
            print(error)
    """
    after_brace = LONG_COMMENT.index("}") + 1
    lines = run(code, path, skip, env=preloaded(faults, VORN_TRUNCATE=f"{path}:{after_brace}:{cut_at}"))
    assert path.stat().st_size == cut_at
    changed = [] if skip else ["line 7, column 7: the file changed while it was read"]
    assert lines == ["a", *changed, *["end"] * (3 - len(changed))]
