"""The path argument of the calls that open a PGN or book file: an OSError
names the file as Python's own open() names it, and a call that a daemon
thread is inside when the interpreter exits holds no reference to the
caller's path object, whose count would otherwise drop without the
interpreter lock while the main thread finalizes."""

import os
import pathlib
import signal
import subprocess
import sys
import textwrap

import pytest

from vorn.pgn import pgn_count, pgn_read
from vorn.polyglot import PolyglotBook, PolyglotBuilder


class BytesPath:
    """An os.PathLike whose __fspath__ gives bytes."""

    def __init__(self, path):
        self.path = bytes(path)

    def __fspath__(self):
        return self.path


OPENERS = {
    "PolyglotBook": PolyglotBook,
    "PolyglotBook.write": lambda path: PolyglotBook.write(path, []),
    "add_pgn": lambda path: PolyglotBuilder().add_pgn(path),
    "PolyglotBuilder.write": lambda path: PolyglotBuilder().write(path),
    "pgn_count": pgn_count,
    "pgn_read": pgn_read,
}

GIVEN = {
    "str": str,
    "bytes": bytes,
    "path-like": lambda path: path,
    "bytes-path-like": BytesPath,
    "undecodable-str": lambda path: os.fsdecode(bytes(path) + b"\xff"),
    "undecodable-bytes": lambda path: bytes(path) + b"\xff",
}


@pytest.mark.parametrize("given", GIVEN)
@pytest.mark.parametrize("call", OPENERS)
def test_a_file_that_cannot_be_opened_is_named_as_open_names_it(tmp_path, call, given):
    path = GIVEN[given](tmp_path / "no-such-folder" / "x")
    with pytest.raises(FileNotFoundError) as expected:
        open(path, "rb")
    with pytest.raises(FileNotFoundError) as caught:
        OPENERS[call](path)
    named, oracle = caught.value.filename, expected.value.filename
    assert (type(named), named, caught.value.errno) == (type(oracle), oracle, expected.value.errno)


@pytest.mark.parametrize("given", [str, bytes], ids=["str", "bytes"])
def test_a_failed_read_of_a_reader_names_its_file_as_given(given):
    # The process's own memory file opens but fails at its first read.
    path = given(pathlib.Path("/proc/self/mem"))
    with pytest.raises(OSError) as caught:
        next(pgn_read(path))
    assert caught.value.filename == path and type(caught.value.filename) is type(path)


# A daemon thread is inside CALL with a path object that only it and a probe
# hold when the script ends. A writer process feeds the pipe at the path from
# the start ("read": the call reads on and checks for signals each slice) or
# opens it only a second later ("open": the call waits in open() until then),
# both past the start of the finalizing, so that the thread ends inside the
# call and its frames unwind. The probe, collected during the finalizing,
# waits for the writer to die of the broken pipe (the reader's descriptor
# closed by that unwind), then reports the path's reference count, which
# must be the one seen while the thread was inside the call.
EXIT = """
import gc, os, subprocess, sys, threading, time
from vorn.pgn import pgn_count, pgn_read
from vorn.polyglot import PolyglotBook, PolyglotBuilder

folder, call, phase = sys.argv[1:]
fifo = os.path.join(folder, "pipe")
os.mkfifo(fifo)
chunk = "0123456789abcdef" if call == "PolyglotBook" else "'*\\\\n'"
delay = "sleep 1;" if phase == "open" else ""
writer = subprocess.Popen(["sh", "-c", f'{delay} exec > "$0"; while :; do printf {chunk}; sleep 0.005; done', fifo])

class Named:
    def __init__(self, path):
        self.path = path
    def __fspath__(self):
        return self.path

calls = {"PolyglotBook": PolyglotBook, "pgn_count": pgn_count, "pgn_read": pgn_read,
         "add_pgn": PolyglotBuilder().add_pgn}
box, inside = [Named(fifo)], threading.Event()

def work():
    path = box.pop()
    inside.set()
    calls[call](path)

class Probe:
    def __init__(self, path):
        self.path = path
        self.cycle = self  # freed only by the collection at the finalizing

    def __del__(self, count=sys.getrefcount, waitpid=os.waitpid, write=os.write, now=time.monotonic,
                sleep=time.sleep, pid=writer.pid, WNOHANG=os.WNOHANG):
        end = now() + 30
        while waitpid(pid, WNOHANG)[0] != pid:
            if now() > end:
                write(1, b"the reading thread never unwound\\n")
                return
            sleep(0.05)
        write(1, f"at exit {count(self.path)}\\n".encode())

gc.disable()
probe = Probe(box[0])
threading.Thread(target=work, daemon=True).start()
inside.wait()
time.sleep(0.3)
print("inside", sys.getrefcount(probe.path), flush=True)
del probe
"""


@pytest.mark.parametrize(
    ("call", "phase"),
    [("PolyglotBook", "read"), ("pgn_count", "read"), ("add_pgn", "read"),
     ("PolyglotBook", "open"), ("pgn_count", "open"), ("add_pgn", "open"), ("pgn_read", "open")],
)
def test_a_daemon_thread_ended_inside_a_call_drops_no_reference_to_its_path(tmp_path, call, phase):
    # In a session of its own, so that a writer left waiting goes with it.
    child = subprocess.Popen([sys.executable, "-c", textwrap.dedent(EXIT), tmp_path, call, phase], text=True,
                             stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                             start_new_session=True)
    try:
        out, err = child.communicate(timeout=60)
    finally:
        try:
            os.killpg(child.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
    assert (child.returncode, err) == (0, "")
    inside, at_exit = out.splitlines()
    assert at_exit == inside.replace("inside", "at exit")
