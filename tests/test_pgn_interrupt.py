"""Whole-file PGN and book work beside other Python threads and under
Ctrl-C: files opened and read without the interpreter lock, a pipe's
blocked open or read that a signal cuts short running the handlers, and a
KeyboardInterrupt raised from the call itself. Each case runs in a child
interpreter that sends itself SIGINT."""

import os
import subprocess
import sys
import textwrap

import pytest

# The child makes a pipe at PATH and a writer thread, itself Python code that
# needs the interpreter lock, that feeds it: "games" without end, "silent"
# (opens its end and writes nothing) or "absent" (never opens it). A timer
# sends SIGINT; the call must raise KeyboardInterrupt, and promptly.
CHILD = """
import os, signal, sys, threading, time
import vorn.pgn, vorn.polyglot

PATH, FEED, CALL = sys.argv[1], sys.argv[2], sys.argv[3]
os.mkfifo(PATH)
stop = threading.Event()

def writer():
    if FEED == "absent":
        return
    with open(PATH, "wb") as out:
        try:
            while FEED == "games" and not stop.is_set():
                out.write(b'[Event "x"]\\n\\n1. e4 e5 2. Nf3 *\\n\\n' * 200)
            stop.wait()
        except BrokenPipeError:
            pass

threading.Thread(target=writer, daemon=True).start()
builder = vorn.polyglot.PolyglotBuilder()
calls = {
    "pgn_count": lambda: vorn.pgn.pgn_count(PATH),
    "pgn_read": lambda: list(vorn.pgn.pgn_read(PATH, skip_errors=True)),
    "add_pgn": lambda: builder.add_pgn(PATH),
    "PolyglotBook": lambda: vorn.polyglot.PolyglotBook(PATH),
}
sent = []
def interrupt():
    sent.append(time.monotonic())
    os.kill(os.getpid(), signal.SIGINT)
threading.Timer(0.5, interrupt).start()
try:
    calls[CALL]()
    print("not interrupted")
except KeyboardInterrupt:
    late = time.monotonic() - sent[0]
    stop.set()
    print("interrupted", "late" if late > 2 else "in time")
# An interrupted builder holds whole games only and takes more.
weights = {r.uci: r.weight for r in builder.entries()}
assert len(set(weights.values())) <= 1, weights
assert builder.add_pgn_string("1. d4 *") == 1
"""


def run(tmp_path, code, *args):
    done = subprocess.run([sys.executable, "-c", textwrap.dedent(code), *map(str, args)],
                          capture_output=True, text=True, timeout=60, env=dict(os.environ))
    assert done.returncode == 0, done.stderr
    return done.stdout.strip()


@pytest.mark.parametrize(
    ("call", "feed"),
    [
        pytest.param("pgn_count", "games", id="pgn_count-reading"),
        pytest.param("pgn_count", "silent", id="pgn_count-blocked-read"),
        pytest.param("pgn_count", "absent", id="pgn_count-blocked-open"),
        pytest.param("pgn_read", "games", id="pgn_read-reading"),
        pytest.param("pgn_read", "silent", id="pgn_read-blocked-read"),
        pytest.param("pgn_read", "absent", id="pgn_read-blocked-open"),
        pytest.param("add_pgn", "games", id="add_pgn-reading"),
        pytest.param("add_pgn", "silent", id="add_pgn-blocked-read"),
        pytest.param("PolyglotBook", "silent", id="book-blocked-read"),
        pytest.param("PolyglotBook", "absent", id="book-blocked-open"),
    ],
)
def test_ctrl_c_raises_from_the_call(tmp_path, call, feed):
    assert run(tmp_path, CHILD, tmp_path / "pipe", feed, call) == "interrupted in time"


def test_a_handler_that_does_not_raise_runs_during_a_blocked_read(tmp_path):
    # The writer sends its games only once the handler has run; a read that
    # retried without running handlers would wait for ever.
    code = """
    import os, signal, sys, threading
    import vorn.pgn

    path = sys.argv[1]
    os.mkfifo(path)
    handled = threading.Event()
    signal.signal(signal.SIGUSR1, lambda *_: handled.set())

    def writer():
        with open(path, "wb") as out:
            handled.wait()
            out.write(b"1. e4 *\\n1. d4 *\\n1. c4 *\\n")

    threading.Thread(target=writer).start()
    threading.Timer(0.5, lambda: os.kill(os.getpid(), signal.SIGUSR1)).start()
    print(vorn.pgn.pgn_count(path))
    """
    assert run(tmp_path, code, tmp_path / "pipe") == "3"


def test_another_thread_touching_a_busy_builder_gets_the_borrow_error(tmp_path):
    code = """
    import os, signal, sys, threading
    import vorn.polyglot

    path = sys.argv[1]
    os.mkfifo(path)
    builder = vorn.polyglot.PolyglotBuilder()
    seen = []

    def other():
        for touch in (len, repr, lambda b: b.entries(), lambda b: b.add_pgn_string("*")):
            try:
                touch(builder)
            except RuntimeError as error:
                seen.append(str(error))
        with open(path, "wb") as out:
            out.write(b"1. e4 *\\n")

    threading.Timer(0.3, other).start()
    print(builder.add_pgn(path), *seen, sep="\\n")
    """
    assert run(tmp_path, code, tmp_path / "pipe").splitlines() == [
        "1", "Already mutably borrowed", "Already mutably borrowed", "Already mutably borrowed", "Already borrowed"]
