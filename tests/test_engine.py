"""The engine client against a scripted fake engine and real ones: process
handling, the line queue, the conversation's wire text, searches, timeouts,
closing, and that no child is ever left behind."""

import errno
import gc
import os
import signal
import subprocess
import sys
import threading
import time
from pathlib import Path

import pytest

import vorn._vorn as native
from vorn._vorn import (
    CHESS960,
    Answer,
    Engine,
    EngineDied,
    EngineTimeout,
    Game,
    Info,
    Limits,
    ProtocolError,
    Search,
    UciError,
)
from support.c_programs import build_c
from support.cpp_driver import build_driver
from support.quoting import quoted

FAKE = Path(__file__).parent / "support" / "fake_engine.py"
HASH = "option name Hash type spin default 16 min 1 max 1024"
MULTIPV = "option name MultiPV type spin default 1 min 1 max 500"
NAME = "option name Name type string default <empty>"
CHESS960_OPTION = "option name UCI_Chess960 type check default false"
STARTUP = 10.0


def children():
    """(pid, state) of every child of this process."""
    found = []
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            stat = (entry / "stat").read_text()
        except OSError:
            continue
        state, ppid = stat[stat.rindex(")") + 2:].split()[:2]
        if int(ppid) == os.getpid():
            found.append((int(entry.name), state))
    return found


@pytest.fixture(autouse=True)
def nothing_left_behind():
    yield
    gc.collect()
    assert children() == [], "every engine is gone and reaped when its test ends"


class Fake:
    def __init__(self, folder):
        self.folder = folder
        self.log = folder / "wire.log"

    def args(self, *modes, options=(), go=None):
        args = [str(FAKE), "--log", str(self.log)]
        for mode in modes:
            args += ["--mode", mode]
        for option in options:
            args += ["--option", option]
        for line in go or ():
            args += ["--go", line]
        return args

    def start(self, *modes, options=(), go=None, timeout=0.5, handshake=True):
        # The fake's start-up is the interpreter's, slow on a busy machine: the
        # handshake gets a bound of its own.
        engine = Engine(sys.executable, self.args(*modes, options=options, go=go), timeout=STARTUP)
        if handshake:
            engine.handshake()
        engine.timeout = timeout
        return engine

    def wire(self):
        """The lines the fake received, in order."""
        return self.log.read_text().splitlines() if self.log.exists() else []


@pytest.fixture
def fake(tmp_path):
    return Fake(tmp_path)


class Elapsed:
    def __enter__(self):
        self.start = time.monotonic()
        return self

    def __exit__(self, *_):
        self.seconds = time.monotonic() - self.start


def within(elapsed, bound):
    """At least `bound` seconds, and not five times more."""
    assert bound <= elapsed.seconds < 5 * bound + 0.2


def castled_game():
    game = Game()
    for move in ["e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "g8f6", "e1h1"]:
        game.play(move)
    return game


# ---- classes and exceptions --------------------------------------------------------


def test_exception_classes_and_their_places():
    from vorn import uci

    assert issubclass(EngineTimeout, UciError) and issubclass(EngineDied, UciError)
    assert issubclass(ProtocolError, UciError) and not issubclass(UciError, ValueError)
    assert not issubclass(EngineDied, OSError)
    assert (Engine.__module__, Search.__module__) == ("vorn.uci", "vorn.uci")
    assert uci.Engine is Engine and uci.Search is Search
    names = list(vars(native))
    order = ["Limits", "Option", "Info", "Answer", "Engine", "Search", "Command", "Message", "Session",
             "uci_parse", "UciError"]
    assert [names.index(name) for name in order] == sorted(names.index(name) for name in order)


def test_a_search_cannot_be_made_from_python():
    with pytest.raises(TypeError):
        Search()


# ---- starting ----------------------------------------------------------------------


@pytest.mark.parametrize(
    "name, error, number",
    [("missing", FileNotFoundError, errno.ENOENT), ("folder", PermissionError, errno.EACCES),
     ("not-executable", PermissionError, errno.EACCES)],
    ids=["missing", "directory", "not-executable"],
)
def test_a_program_that_cannot_start_is_pythons_own_error(tmp_path, name, error, number):
    (tmp_path / "folder").mkdir()
    (tmp_path / "not-executable").write_text("#!/bin/sh\n")
    with pytest.raises(error) as raised:
        Engine(tmp_path / name)
    assert (raised.value.errno, raised.value.filename) == (number, tmp_path / name)


def test_the_engine_inherits_only_its_three_pipes(fake):
    # A descriptor the host left inheritable, as an older library might.
    read_end, write_end = os.pipe()
    high = os.dup2(write_end, 200, inheritable=True)
    try:
        engine = fake.start()
        [(pid, _)] = children()
        inherited = {int(fd) for fd in os.listdir(f"/proc/{pid}/fd")}
        engine.quit()
    finally:
        for fd in (read_end, write_end, high):
            os.close(fd)
    assert {0, 1, 2} <= inherited and high not in inherited


# Each allocation made after the child has started fails in turn, until one
# start needs fewer than the count; each failure must end the child first.
FAILING_NEW = """
import os
from vorn.uci import Engine
for count in range(1, 1000):
    os.environ["VORN_FAILING_NEW"] = str(count)
    try:
        Engine("/bin/sh", ["-c", "read line"]).kill()
        outcome = "started"
    except MemoryError:
        outcome = "MemoryError"
    print(outcome, open(f"/proc/self/task/{os.getpid()}/children").read().split())
    if outcome == "started":
        break
"""


def test_an_allocation_failure_after_the_start_leaves_no_child(tmp_path):
    shim = build_driver(tmp_path, "failing_new.cpp", [], "the allocation failure check",
                        flags=["-shared", "-fPIC", "-ldl"])
    done = subprocess.run([sys.executable, "-c", FAILING_NEW], capture_output=True, text=True, timeout=60,
                          env={**os.environ, "LD_PRELOAD": str(shim)})
    assert (done.returncode, done.stderr) == (0, "")
    *failed, started = done.stdout.splitlines()
    assert failed and set(failed) == {"MemoryError []"} and started == "started []"


# The address space limited to a little more than the host uses: the
# process starts, but a reader thread's stack does not fit.
NO_THREAD = """
import os, resource, sys
from vorn.uci import Engine
soft, hard = resource.getrlimit(resource.RLIMIT_AS)
in_use = int(open("/proc/self/status").read().split("VmSize:")[1].split()[0]) * 1024
resource.setrlimit(resource.RLIMIT_AS, (in_use + (4 << 20), hard))
try:
    Engine("cat")
except OSError as error:
    failed = error
resource.setrlimit(resource.RLIMIT_AS, (soft, hard))
print(type(failed).__name__, failed.errno, failed.filename, *failed.args)
print(open(f"/proc/self/task/{os.getpid()}/children").read().split())
"""


def test_a_reader_thread_that_cannot_start_is_told_as_such_and_leaves_no_child():
    done = subprocess.run([sys.executable, "-c", NO_THREAD], capture_output=True, text=True, timeout=60)
    assert (done.returncode, done.stderr) == (0, "")
    assert done.stdout.splitlines() == [
        f"OSError None None cannot start a thread to read the engine: {os.strerror(errno.EAGAIN)} (os error {errno.EAGAIN})",
        "[]"]


# Engines closed each way and kept, under a low limit on descriptors: once
# its process is collected, an engine holds none, yet still tells how the
# process ended.
KEPT_CLOSED = """
import os, resource, sys, time
from vorn.uci import Engine, EngineDied
way = sys.argv[1]
resource.setrlimit(resource.RLIMIT_NOFILE, (64, resource.getrlimit(resource.RLIMIT_NOFILE)[1]))
before = len(os.listdir("/proc/self/fd"))
kept, told = [], set()
for _ in range(100):
    engine = Engine("/bin/sh", ["-c", "read line; exit 3"])
    if way == "quit":
        told.add(engine.quit())
    elif way == "kill":
        engine.kill()
    else:  # it ends by itself, and is seen to
        engine.send_line("end")
        try:
            engine.next_line(10.0)
        except EngineDied as died:
            told.add(str(died))
        told.add(engine.is_alive)
        told.add(engine.quit())
    kept.append(engine)
deadline = time.monotonic() + 10.0  # the last reader threads close their ends as they end
while len(os.listdir("/proc/self/fd")) > before and time.monotonic() < deadline:
    time.sleep(0.05)
print(len(os.listdir("/proc/self/fd")) - before, sorted(told, key=str))
files = [open(os.devnull) for _ in range(32)]
print(len(files), open(f"/proc/self/task/{os.getpid()}/children").read().split())
"""


@pytest.mark.parametrize(
    "way, told",
    [("quit", "[3]"), ("kill", "[]"), ("ended", "[3, False, 'the engine exited with code 3']")],
    ids=["quit", "kill", "ended"],
)
def test_closed_engines_kept_alive_hold_no_descriptor(way, told):
    done = subprocess.run([sys.executable, "-c", KEPT_CLOSED, way], capture_output=True, text=True, timeout=120)
    assert (done.returncode, done.stderr) == (0, "")
    assert done.stdout.splitlines() == [f"0 {told}", "32 []"]


@pytest.mark.parametrize(
    "kwargs",
    [{"command": "eng\0ine"}, {"command": sys.executable, "args": ["a\0b"]},
     {"command": sys.executable, "cwd": "/tm\0p"}],
    ids=["program", "argument", "cwd"],
)
def test_a_nul_in_what_starts_the_program_is_refused(kwargs):
    with pytest.raises(ValueError, match="^embedded null byte$"):
        Engine(**kwargs)


@pytest.mark.parametrize("args", ["one", None, 3], ids=["str", "None", "int"])
def test_args_must_be_a_sequence_of_texts(args):
    with pytest.raises(TypeError, match="args"):
        Engine(sys.executable, args)


def test_arguments_may_hold_line_breaks():
    script = "import sys\nfor line in sys.stdin:\n    print('readyok', flush=True)"
    with Engine(sys.executable, ["-c", script], timeout=STARTUP) as engine:
        engine.send_line("isready")
        assert engine.next_line() == "readyok"


def test_the_engine_starts_with_default_signals_but_sigint():
    # Python ignores SIGPIPE and SIGXFSZ; an engine must not inherit that,
    # nor a blocked signal. SIGINT is the host's alone.
    script = "grep -E '^Sig(Blk|Ign)' /proc/self/status"
    with Engine("/bin/sh", ["-c", script], timeout=STARTUP) as engine:
        blocked, ignored = (int(engine.next_line().split()[1], 16) for _ in range(2))
    assert blocked == 0
    assert ignored & (1 << (signal.SIGPIPE - 1) | 1 << (signal.SIGXFSZ - 1) | 1 << (signal.SIGINT - 1)) == (
        1 << (signal.SIGINT - 1))


def test_a_relative_program_is_found_from_cwd(tmp_path, fake):
    (tmp_path / "python").symlink_to(sys.executable)
    with Engine("./python", fake.args(), cwd=tmp_path, timeout=STARTUP) as engine:
        engine.handshake()
        assert engine.name == "Fake"


def test_a_bare_program_name_is_looked_up_on_path_not_in_cwd(tmp_path, fake, monkeypatch):
    (tmp_path / "vorn-test-python").symlink_to(sys.executable)
    with pytest.raises(FileNotFoundError) as raised:
        Engine("vorn-test-python", fake.args(), cwd=tmp_path)
    assert raised.value.filename == "vorn-test-python"
    monkeypatch.setenv("PATH", f"{tmp_path}{os.pathsep}{os.environ['PATH']}")
    with Engine("vorn-test-python", fake.args(), cwd="/", timeout=STARTUP) as engine:
        engine.handshake()
        assert engine.name == "Fake"


@pytest.mark.parametrize(
    "cwd, error, number",
    [("missing", FileNotFoundError, errno.ENOENT), ("file", NotADirectoryError, errno.ENOTDIR),
     ("file/below", NotADirectoryError, errno.ENOTDIR)],
    ids=["missing", "file", "below-a-file"],
)
def test_a_working_directory_that_cannot_be_is_named_in_the_error(tmp_path, fake, cwd, error, number):
    # As Python's subprocess does: the directory, not the program, is at fault.
    (tmp_path / "file").write_text("")
    with pytest.raises(error) as raised:
        Engine(sys.executable, fake.args(), cwd=tmp_path / cwd)
    assert (raised.value.errno, raised.value.filename) == (number, tmp_path / cwd)


def test_the_timeout_must_be_a_count_of_seconds(fake):
    with pytest.raises(ValueError, match="^timeout is a count of seconds, not -1$"):
        Engine(sys.executable, fake.args(), timeout=-1)


# ---- lines ---------------------------------------------------------------------------


def test_next_line_waits_its_own_timeout(fake):
    engine = fake.start("silent", handshake=False)
    with Elapsed() as elapsed:
        assert engine.next_line(0.2) is None
    within(elapsed, 0.2)
    assert engine.timeout == 0.5


@pytest.mark.parametrize(
    "text, field",
    [("go\nquit", "text"), ("go\rquit", "text"), ("go\0", "text")],
    ids=["line-feed", "carriage-return", "nul"],
)
def test_send_line_refuses_a_second_line(fake, text, field):
    engine = fake.start()
    with pytest.raises(ValueError, match=f"^{field} contains"):
        engine.send_line(text)
    engine.quit()
    assert "quit" in fake.wire() and not any("go" in line for line in fake.wire())


def test_line_endings_are_stripped(fake):
    engine = fake.start("crlf", handshake=False)
    engine.send_line("isready")
    assert engine.next_line(STARTUP) == "readyok"
    engine.handshake()
    assert engine.name == "Fake"


def test_invalid_utf8_on_both_streams_is_replaced_and_harmless(fake):
    engine = fake.start("bad-utf8", handshake=False)
    engine.send_line("uci")
    lines = iter(lambda: engine.next_line(STARTUP), "uciok")
    assert "info string bad \ufffd\ufffd bytes" in list(lines)
    engine.send_line("isready")
    assert engine.next_line(STARTUP) == "readyok"
    assert engine.is_alive


def test_a_long_line_is_cut(fake):
    engine = fake.start("long-line", handshake=False)
    engine.send_line("uci")
    lines = list(iter(lambda: engine.next_line(STARTUP), "uciok"))
    assert lines[2] == ("info string " + "x" * 1_000_000)[: 64 * 1024]
    assert lines[:2] == ["id name Fake", "id author Tests"]


def test_the_last_line_comes_without_its_line_feed(fake):
    engine = fake.start("no-final-lf")
    assert engine.play(Game(), Limits(depth=1)).best.uci() == "e2e4"
    with pytest.raises(EngineDied, match="^the engine exited with code 0$"):
        engine.next_line(0.5)


def test_a_full_queue_drops_the_oldest_reports(fake, tmp_path):
    mark = tmp_path / "written"
    engine = fake.start("flood=20000", f"mark={mark}", handshake=False)
    engine.send_line("uci")
    engine.send_line("go")
    while not mark.exists():
        time.sleep(0.01)
    engine.send_line("isready")
    lines = list(iter(lambda: engine.next_line(STARTUP), "readyok"))
    assert lines[:3] == ["id name Fake", "id author Tests", "uciok"], "never dropped"
    assert lines[-1] == "bestmove e2e4"
    nodes = [int(line.split()[7]) for line in lines[3:-1]]
    assert nodes == sorted(set(nodes)) and nodes[-1] == 19999, "the newest reports, in order"
    # What the pipe still held when the mark came is read in, and may push out
    # reports, while the queue empties.
    assert 4000 <= len(lines) < 4096 + 4000 and nodes[0] > 10000


# ---- ends of the process ----------------------------------------------------------------


@pytest.mark.parametrize(
    "mode, text",
    [
        ("exit-on-go=3", "the engine exited with code 3"),
        ("kill-on-go", "the engine closed its output"),
        ("close-on-go", "the engine closed its output"),
    ],
    ids=["exit-code", "killed", "output-closed"],
)
def test_an_engine_that_dies_in_a_search(fake, mode, text):
    engine = fake.start(mode, timeout=0.3)
    with Elapsed() as elapsed, pytest.raises(EngineDied) as raised:
        engine.play(Game(), Limits(depth=1))
    assert str(raised.value) == text
    assert elapsed.seconds < 1.5
    assert not engine.is_alive
    with pytest.raises(EngineDied, match=f"^{text}$"):
        engine.send_line("isready")
    assert engine.quit() == (3 if mode.startswith("exit") else None)


def test_a_grandchild_holding_the_output_does_not_hide_the_end(fake, tmp_path):
    pid_file = tmp_path / "grandchild"
    engine = fake.start(f"grandchild={pid_file}")
    try:
        with Elapsed() as elapsed, pytest.raises(EngineDied, match="^the engine exited with code 0$"):
            engine.play(Game(), Limits(depth=1))
        assert elapsed.seconds < 1.0
    finally:
        os.kill(int(pid_file.read_text()), signal.SIGKILL)


def test_an_engine_that_stops_reading_is_killed_after_the_timeout(fake):
    engine = fake.start("deaf", timeout=0.3, handshake=False)
    with Elapsed() as elapsed, pytest.raises(EngineDied, match="^the engine stopped reading its input$"):
        engine.send_line("x" * 1_000_000)
    within(elapsed, 0.3)
    assert not engine.is_alive
    with pytest.raises(EngineDied, match="^the engine stopped reading its input$"):
        engine.send_line("isready")


def test_a_broken_input_pipe_raises_no_sigpipe(fake):
    # In a process where SIGPIPE kills, as in most hosts other than Python.
    script = f"""
import signal, sys
signal.signal(signal.SIGPIPE, signal.SIG_DFL)
from vorn.uci import Engine, EngineDied
engine = Engine(sys.executable, {fake.args("close-input-on-go")!r}, timeout={STARTUP})
engine.send_line("go")
assert engine.next_line() == "info string input closed"
engine.timeout = 0.2
try:
    engine.send_line("x" * 1_000_000)
except EngineDied as died:
    print(died)
"""
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=30)
    assert (done.returncode, done.stdout, done.stderr) == (0, "the engine closed its output\n", "")


def test_a_host_that_ignores_sigchld(fake):
    # The system then reaps the engine itself: ended, its code unknown.
    script = f"""
import signal, sys
signal.signal(signal.SIGCHLD, signal.SIG_IGN)
from vorn.uci import Engine, EngineDied, Limits
from vorn import Game
engine = Engine(sys.executable, {fake.args("exit-on-go=3")!r}, timeout={STARTUP})
engine.handshake()
try:
    engine.play(Game(), Limits(depth=1))
except EngineDied as died:
    print(died)
print(engine.is_alive, engine.quit())
print(Engine(sys.executable, {fake.args()!r}, timeout={STARTUP}).quit())
"""
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=30)
    assert (done.returncode, done.stdout, done.stderr) == (0, "the engine closed its output\nFalse None\nNone\n", "")


# A host that collects its engine behind vorn's back, then starts an
# unrelated `sleep` that takes the engine's pid: in a pid namespace of its own,
# where pids are handed out in order from the one written to ns_last_pid.
REUSED = """
import gc, os, signal, subprocess, sys, time
from vorn.uci import Engine
way, collector = sys.argv[1:]
if collector == "SIGCHLD ignored":
    signal.signal(signal.SIGCHLD, signal.SIG_IGN)
engine = Engine("/bin/sh", ["-c", "echo $$; read line"], timeout=5.0)
pid = int(engine.next_line())
engine.send_line("end")
if collector == "waitpid":
    os.waitpid(pid, 0)
while os.path.exists(f"/proc/{pid}"):
    time.sleep(0.01)
with open("/proc/sys/kernel/ns_last_pid", "w") as last:
    last.write(str(pid - 1))
sleep = subprocess.Popen(["sleep", "60"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
assert sleep.pid == pid
print(engine.is_alive, flush=True)
if way == "kill":
    engine.kill()
elif way == "drop":
    del engine
    gc.collect()
# else left open for the exit hook
print(pid, sleep.poll())
"""
# The namespace's first process: it adopts the sleep once the host has ended,
# and ending, ends the namespace and the sleep with it.
NAMESPACE = """
import subprocess, sys
host = subprocess.run([sys.executable, "-c", *sys.argv[1:]], capture_output=True, text=True)
alive, pid, polled = host.stdout.split()
try:
    stat = open(f"/proc/{pid}/stat").read()
    sleeping = "(sleep)" in stat and stat[stat.rindex(")") + 2] != "Z"
except FileNotFoundError:
    sleeping = False
print(host.returncode, alive, polled, sleeping, repr(host.stderr))
"""


def in_a_pid_namespace(*command):
    return ["unshare", "--pid", "--fork", "--mount-proc", *command]


@pytest.fixture(scope="module")
def pid_namespace():
    try:
        os.close(os.pidfd_open(os.getpid()))
    except OSError:
        pytest.skip("the kernel has no pidfds, and vorn signals the pid itself")
    try:
        made = subprocess.run(in_a_pid_namespace("sh", "-c", "echo 1 > /proc/sys/kernel/ns_last_pid"),
                              capture_output=True, timeout=30).returncode == 0
    except OSError:
        made = False
    if not made:
        pytest.skip("no pid namespace with a writable ns_last_pid can be made here")


@pytest.mark.parametrize("collector", ["waitpid", "SIGCHLD ignored"])
@pytest.mark.parametrize("way", ["kill", "drop", "exit"])
def test_an_engine_collected_by_its_host_leaves_its_reused_pid_alone(pid_namespace, way, collector):
    done = subprocess.run(in_a_pid_namespace(sys.executable, "-c", NAMESPACE, REUSED, way, collector),
                          capture_output=True, text=True, timeout=60)
    assert (done.returncode, done.stderr) == (0, "")
    # The engine is dead, the sleep neither signalled nor collected by vorn.
    assert done.stdout == "0 False None True ''\n"


# The same host in a sandbox that refuses signals through a pidfd: the pid
# it kills by instead is never one the host has collected.
@pytest.mark.parametrize("collector", ["waitpid", "SIGCHLD ignored"])
@pytest.mark.parametrize("way", ["kill", "drop", "exit"])
def test_an_engine_killed_by_pid_leaves_a_reused_pid_alone(pid_namespace, tmp_path, way, collector):
    refuse = build_c(tmp_path, "refuse_calls.c")
    command = [str(refuse), "pidfd_send_signal", sys.executable, "-c", NAMESPACE, REUSED, way, collector]
    done = subprocess.run(in_a_pid_namespace(*command), capture_output=True, text=True, timeout=60)
    assert (done.returncode, done.stderr) == (0, "")
    assert done.stdout == "0 False None True ''\n"


# Where the pidfd cannot be made with the child (a sandbox refuses clone's
# flag for it), it is opened just after the start. By then a host that
# ignores SIGCHLD may have collected its engine, which ended at once, and the
# engine's pid may have gone to a stranger: tests/c/late_pidfd.c makes both
# happen before the open.
LATE_PIDFD = """
import gc, signal, sys
from vorn.uci import Engine
signal.signal(signal.SIGCHLD, signal.SIG_IGN)
engine = Engine("/bin/true")
if sys.argv[1] == "kill":
    engine.kill()
elif sys.argv[1] == "drop":
    del engine
    gc.collect()
# else left open for the exit hook
"""
# The namespace's first process, which adopts the stranger: runs the host
# with the shim preloaded, then tells whether the stranger still sleeps.
STRANGER = """
import os, subprocess, sys
shim, *host = sys.argv[1:]
done = subprocess.run(host, capture_output=True, text=True, env={**os.environ, "LD_PRELOAD": shim})
sleeping = []
for entry in filter(str.isdigit, os.listdir("/proc")):
    stat = open(f"/proc/{entry}/stat").read()
    if "(sleep)" in stat:
        sleeping.append(stat[stat.rindex(")") + 2] != "Z")
print(done.returncode, repr(done.stderr), sleeping)
"""


@pytest.mark.parametrize("way", ["kill", "drop", "exit"])
def test_a_pidfd_opened_after_the_start_never_names_a_stranger(pid_namespace, tmp_path, way):
    shim = build_c(tmp_path, "late_pidfd.c", library=True)
    refuse = build_c(tmp_path, "refuse_calls.c")
    host = [str(refuse), "clone_pidfd", sys.executable, "-c", LATE_PIDFD, way]
    done = subprocess.run(in_a_pid_namespace(sys.executable, "-c", STRANGER, str(shim), *host),
                          capture_output=True, text=True, timeout=60)
    assert (done.returncode, done.stderr) == (0, "")
    assert done.stdout == "0 '' [True]\n"


@pytest.mark.parametrize(
    "mode, wait, sent, state",
    [("close-on-go", lambda engine: engine.play(Game(), Limits(depth=1)), ["uci", "position startpos", "go depth 1"],
      "searching"),
     ("deaf", lambda engine: engine.send_line("x" * 1_000_000), [], "started")],
    ids=["output-closed-process-alive", "input-not-read"],
)
def test_a_wait_on_the_process_lets_other_threads_in(fake, mode, wait, sent, state):
    # The wait for the end of an engine that closed its output, and a write
    # the engine does not take, hold the engine a slice at a time.
    engine = fake.start(mode, timeout=4.0, handshake=mode != "deaf")
    failure = []

    def run():
        try:
            wait(engine)
        except UciError as error:
            failure.append(str(error))

    worker = threading.Thread(target=run)
    worker.start()
    while fake.wire() != sent:
        time.sleep(0.01)
    time.sleep(0.3)
    with Elapsed() as reading:
        assert engine.state == state
    with Elapsed() as quitting:
        engine.quit()
    worker.join(10)
    # Far below the engine's timeout of 4 s, with room for a busy machine.
    assert reading.seconds < 1.0 and quitting.seconds < 2.0
    assert failure == ["the engine has been closed"]


def test_quit_kills_an_engine_that_ignores_it(fake):
    engine = fake.start("ignore-quit", timeout=0.3)
    with Elapsed() as elapsed:
        assert engine.quit() is None
    within(elapsed, 0.3)
    assert engine.quit() is None


def test_a_closed_engine(fake):
    engine = fake.start()
    assert engine.quit() == 0
    assert engine.quit() is None
    engine.kill()
    with pytest.raises(EngineDied, match="^the engine has been closed$"):
        engine.handshake()
    assert (engine.state, engine.timeout, engine.is_alive, engine.name) == ("quitting", 0.0, False, None)
    assert engine.options == {} and engine.option("Hash") is None
    assert repr(engine) == "<Engine quitting>"
    engine.timeout = 3.0
    assert engine.timeout == 0.0
    # Closed, not an engine without options: as play says.
    for call in (lambda: engine.set_option("Hash", 16), lambda: engine.analyse(Game(), Limits(depth=1), multipv=2),
                 lambda: engine.play(Game())):
        with pytest.raises(EngineDied, match="^the engine has been closed$"):
            call()


# Starts in a millisecond, where the fake takes an interpreter's start-up:
# enough rounds to meet a race fit in seconds.
SHELL_ENGINE = r"""while read -r line; do case $line in
uci) printf 'option name Hash type spin default 16 min 1 max 1024\noption name MultiPV type spin default 1 min 1 max 500\nuciok\n';;
isready) echo readyok;;
go*) printf 'info depth 1 multipv 1 score cp 1 pv e2e4\nbestmove e2e4\n';;
quit) exit 0;;
esac; done"""


def test_options_set_while_another_thread_closes_the_engine_find_it_closed():
    # The option was looked up in a read of its own, after the one that
    # refuses a closed engine: a close in between read as a missing option.
    failures = []

    def set_options(call):
        try:
            while True:
                call()
        except Exception as error:
            failures.append(error)

    for round in range(300):
        engine = Engine("/bin/sh", ["-c", SHELL_ENGINE], timeout=STARTUP)
        engine.handshake()
        calls = [lambda: engine.set_option("Hash", 16), lambda: engine.analyse(Game(), Limits(depth=1), multipv=2)]
        threads = [threading.Thread(target=set_options, args=(calls[n % 2],)) for n in range(4)]
        for thread in threads:
            thread.start()
        time.sleep(round % 10 / 2000)
        (engine.kill, engine.quit)[round % 2]()
        for thread in threads:
            thread.join()
    assert {(type(error), str(error)) for error in failures} <= {
        (EngineDied, "the engine has been closed"), (EngineDied, "the engine closed its output")}


def test_an_engine_that_exits_before_quit(fake):
    engine = fake.start("exit-on-go=3")
    engine.send_line("go")
    with pytest.raises(EngineDied):
        engine.next_line(STARTUP)
    assert not engine.is_alive
    assert engine.quit() == 3


def test_with_quits_and_lets_exceptions_through(fake):
    with pytest.raises(KeyError):
        with fake.start() as engine:
            assert engine.state == "idle"
            raise KeyError("inside")
    assert engine.state == "quitting"
    assert fake.wire()[-1] == "quit"


def test_kill_does_not_wait_for_a_busy_engine(fake):
    engine = fake.start("wait-for-stop", timeout=5.0)
    failure = []

    def search():
        try:
            engine.play(Game(), Limits(depth=1))
        except UciError as error:
            failure.append(error)

    worker = threading.Thread(target=search)
    worker.start()
    while "go depth 1" not in fake.wire():
        time.sleep(0.01)
    with Elapsed() as elapsed:
        engine.kill()
    assert elapsed.seconds < 0.5
    worker.join(5)
    assert [type(error) for error in failure] == [EngineDied]
    assert engine.state == "quitting"


def test_quit_does_not_wait_for_a_search_another_thread_waits_on(fake):
    engine = fake.start("wait-for-stop", timeout=5.0)
    search = engine.go()
    failure = []

    def wait():
        try:
            search.answer()
        except UciError as error:
            failure.append(error)

    waiter = threading.Thread(target=wait)
    waiter.start()
    time.sleep(0.2)
    with Elapsed() as elapsed:
        assert engine.quit() == 0
    waiter.join(5)
    assert elapsed.seconds < 1.0
    assert [str(error) for error in failure] == ["the engine has been closed"]


def test_dropping_the_engine_reaps_it(fake):
    engine = fake.start()
    del engine  # the fixture finds no child left


# ---- the conversation ------------------------------------------------------------------


def test_handshake_and_identity(fake):
    engine = fake.start("readyok-in-handshake", "bestmove-idle", options=[HASH, NAME], handshake=False)
    assert (engine.state, engine.name, engine.options, repr(engine)) == ("started", None, {}, "<Engine started>")
    engine.handshake()
    assert (engine.name, engine.author, engine.state) == ("Fake", "Tests", "idle")
    assert list(engine.options) == ["Hash", "Name"]
    assert repr(engine.option("hash")) == "<Option Hash type spin>"
    assert repr(engine) == "<Engine Fake idle>"
    engine.is_ready()  # the stray readyok and bestmove were skipped


def test_a_silent_engine_times_out(fake):
    engine = fake.start("silent", timeout=0.3, handshake=False)
    with Elapsed() as elapsed, pytest.raises(EngineTimeout, match=r"^no uciok within 0\.300 s$"):
        engine.handshake()
    within(elapsed, 0.3)


def test_duplicate_options(fake):
    first = "option name Hash type spin default 16 min 1 max 1024"
    last = "option name Hash type spin default 32 min 1 max 64"
    engine = fake.start(options=[first, NAME, last])
    assert list(engine.options) == ["Hash", "Name"]
    assert engine.options["Hash"].max == 64
    assert engine.option("HASH").max == 1024


def test_options_are_sent_with_their_declared_names(fake):
    engine = fake.start(options=[HASH, NAME])
    engine.set_option("hash", 16)
    engine.set_option("name", "")
    engine.quit()
    assert fake.wire()[1:3] == ["setoption name Hash value 16", "setoption name Name value <empty>"]


@pytest.mark.parametrize(
    "name, value, error",
    [
        ("Threads", 1, 'the engine offers no option "Threads"'),
        ("Hash", 0, 'option "Hash": 0 is outside [1, 1024]'),
        ("Hash", True, 'option "Hash" is a spin option, which takes an integer'),
        ("Name", "a\nsetoption name Hash value 1", "option value contains a line break"),
    ],
    ids=["undeclared", "outside", "wrong-type", "injection"],
)
def test_option_refusals_send_nothing(fake, name, value, error):
    engine = fake.start(options=[HASH, NAME])
    with pytest.raises(ValueError) as raised:
        engine.set_option(name, value)
    assert str(raised.value).startswith(error)
    engine.quit()
    assert fake.wire() == ["uci", "quit"]


def test_options_need_the_handshake(fake):
    engine = fake.start(options=[HASH], handshake=False)
    with pytest.raises(ValueError, match='^the engine offers no option "Hash"$'):
        engine.set_option("Hash", 1)
    with pytest.raises(ProtocolError, match="^position cannot be sent to a started engine$"):
        engine.set_position(Game())


def test_chess960_switches_on_and_off(fake):
    engine = fake.start(options=["option name uci_chess960 type check default false"])
    engine.set_position(Game(variant=CHESS960, seed=518))
    engine.set_position(castled_game())
    engine.quit()
    assert fake.wire()[1:] == [
        "setoption name uci_chess960 value true",
        "isready",
        "position startpos",
        "setoption name uci_chess960 value false",
        "isready",
        "position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1g1",
        "quit",
    ]


def test_chess960_needs_the_engines_option(fake):
    engine = fake.start()
    with pytest.raises(ValueError, match='^the engine offers no option "UCI_Chess960"$'):
        engine.set_position(Game(variant=CHESS960, seed=518))
    engine.quit()
    assert fake.wire() == ["uci", "quit"]


def test_the_timeout_property(fake):
    engine = fake.start()
    engine.timeout = 2.5
    assert engine.timeout == 2.5
    with pytest.raises(ValueError):
        engine.timeout = -1
    with pytest.raises(TypeError, match="timeout"):
        engine.timeout = "1"
    assert engine.timeout == 2.5


def test_new_game_forgets_the_position(fake):
    engine = fake.start(go=["info depth 1 score cp 1 pv e2e4 e7e5", "-"])
    engine.set_position(castled_game())
    engine.new_game()
    search = engine.go(Limits(depth=1))
    assert [move.uci() for move in next(search).pv] == ["e2e4", "e7e5"]
    assert search.answer().best.uci() == "e2e4"


# ---- searches --------------------------------------------------------------------------


@pytest.mark.parametrize(
    "bestmove, best, text",
    [("e2e4", "e2e4", "<Answer e2e4>"), ("e2e5", None, "<Answer (none)>"), ("(none)", None, "<Answer (none)>")],
    ids=["legal", "illegal", "none"],
)
def test_the_answer_of_play(fake, bestmove, best, text):
    engine = fake.start(f"bestmove={bestmove}")
    answer = engine.play(Game(), Limits(depth=1))
    assert repr(answer) == text
    assert (answer.best.uci() if answer.best else None) == best


def test_play_sends_classic_castling_as_two_squares(fake):
    engine = fake.start()
    engine.play(castled_game(), Limits(depth=3))
    engine.quit()
    assert fake.wire()[1:3] == ["position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1g1", "go depth 3"]


def test_analyse_keeps_the_last_scored_report_of_each_variation(fake):
    reports = [
        "info depth 1 multipv 2 score cp 20 pv d2d4",
        "info depth 1 multipv 1 score cp 30 pv e2e4",
        "info depth 1 multipv 3 score cp 10 lowerbound pv c2c4",
        "info currmove e2e4 currmovenumber 1",
        "info string thinking",
        "info depth 2 score cp 35 pv e2e4 e7e5",
        "info depth 2 multipv 2 score mate 5 pv d2d4",
        "-",
    ]
    engine = fake.start(options=[MULTIPV], go=reports)
    infos = engine.analyse(Game(), Limits(depth=2), multipv=3)
    assert [(info.multipv, info.depth, info.cp, info.mate, info.bound) for info in infos] == [
        (None, 2, 35, None, None),
        (2, 2, None, 5, None),
        (3, 1, 10, None, "lowerbound"),
    ]
    engine.quit()
    assert fake.wire()[1:4] == ["setoption name MultiPV value 3", "position startpos", "go depth 2"]


def test_analyse_without_scores_is_empty(fake):
    engine = fake.start(go=["info string hello", "-"])
    assert engine.analyse(Game(), Limits(depth=1)) == []


def test_analyse_needs_the_multipv_option(fake):
    engine = fake.start()
    with pytest.raises(ValueError, match='^the engine offers no option "MultiPV"$'):
        engine.analyse(Game(), multipv=3)
    engine.quit()
    assert fake.wire() == ["uci", "quit"]


def test_analyse_sets_multipv_before_reading_its_timeout(fake):
    engine = fake.start(options=[MULTIPV])
    with pytest.raises(ValueError, match="^timeout is a count of seconds, not -1$"):
        engine.analyse(Game(), multipv=2, timeout=-1)
    engine.quit()
    assert fake.wire() == ["uci", "setoption name MultiPV value 2", "quit"]


def test_a_timed_out_play_stops_and_keeps_the_engines_timeout(fake):
    engine = fake.start("wait-for-stop", timeout=2.0)
    with Elapsed() as elapsed, pytest.raises(EngineTimeout, match=r"^no bestmove within 0\.300 s$"):
        engine.play(Game(), Limits(depth=1), timeout=0.3)
    within(elapsed, 0.3)
    assert (engine.timeout, engine.state) == (2.0, "idle")
    engine.quit()
    assert fake.wire()[-3:] == ["go depth 1", "stop", "quit"]


def test_an_engine_reporting_after_stop_cannot_hold_play(fake):
    engine = fake.start("forever", timeout=0.3)
    with Elapsed() as elapsed, pytest.raises(EngineTimeout):
        engine.play(Game(), Limits(depth=1), timeout=0.3)
    within(elapsed, 0.6)


def test_a_flood_of_reports(fake):
    engine = fake.start("flood=100000", timeout=5.0)
    assert engine.play(Game(), Limits(depth=1)).best.uci() == "e2e4"


def test_a_search_read_report_by_report(fake):
    engine = fake.start("every-50ms", timeout=2.0)
    search = engine.go(Limits(infinite=True))
    assert repr(search) == "<Search running>" and not search.done
    infos = [next(search) for _ in range(3)]
    assert [info.depth for info in infos] == [1, 2, 3] and all(isinstance(i, Info) for i in infos)
    search.stop()
    assert search.answer().best.uci() == "e2e4"
    assert (search.done, repr(search)) == (True, "<Search answered>")
    assert list(search) == [] and search.answer().best.uci() == "e2e4"
    with pytest.raises(ProtocolError, match="^stop cannot be sent to a idle engine$"):
        search.stop()


def test_a_search_stopped_from_another_thread(fake):
    engine = fake.start("every-50ms", timeout=5.0)
    search = engine.go()
    stopper = threading.Timer(0.2, search.stop)
    stopper.start()
    reports = list(search)
    # The timer holds the search, and so the engine, until its thread is gone.
    stopper.join()
    assert reports and search.answer().best.uci() == "e2e4"


def test_a_search_waiting_for_its_answer_is_stopped_from_another_thread(fake):
    # The engine answers only after stop, so the stop must get past the wait.
    engine = fake.start("wait-for-stop", timeout=5.0)
    search = engine.go()
    taken = []

    def stop():
        with Elapsed() as elapsed:
            search.stop()
        taken.append(elapsed.seconds)

    stopper = threading.Timer(0.3, stop)
    stopper.start()
    with Elapsed() as waited:
        answer = search.answer()
    stopper.join()
    assert taken[0] < 0.2 and waited.seconds < 1.0
    assert answer.best.uci() == "e2e4" and engine.state == "idle"


def test_a_bestmove_read_by_next_line_ends_the_search(fake):
    engine = fake.start(timeout=2.0)
    search = engine.go(Limits(depth=1))
    assert [engine.next_line(), engine.next_line()] == ["info depth 1 score cp 10 pv e2e4", "bestmove e2e4"]
    assert engine.state == "idle"
    assert (search.done, repr(search)) == (True, "<Search answered>"), "done once its answer has passed"
    with Elapsed() as elapsed:
        assert list(search) == [] and search.answer().best.uci() == "e2e4"
    assert elapsed.seconds < 0.2, "no wait for a second best move"
    # Read by next_line and followed by another search, it is over for good.
    first = engine.go(Limits(depth=1))
    assert [engine.next_line() for _ in range(2)][-1] == "bestmove e2e4"
    second = engine.go(Limits(depth=1))
    assert first.done
    with pytest.raises(ProtocolError, match="^the search is over$"):
        first.answer()
    assert second.answer().best.uci() == "e2e4"


def test_a_search_past_its_deadline(fake):
    engine = fake.start("wait-for-stop")
    search = engine.go(timeout=0.3)
    with Elapsed() as elapsed, pytest.raises(EngineTimeout, match=r"^no bestmove within 0\.300 s$"):
        next(search)
    within(elapsed, 0.3)
    for step in (lambda: next(search), search.answer, lambda: search.__exit__(None, None, None)):
        with pytest.raises(EngineTimeout, match="^no bestmove within the timeout$"):
            step()
    # Left unanswered, the search is drained by the next call and the engine works on.
    assert engine.play(Game(), Limits(depth=1)).best.uci() == "e2e4"
    engine.quit()
    assert fake.wire()[1:] == ["go", "stop", "position startpos", "go depth 1", "quit"], "the exit sent stop"


def test_a_dropped_search_does_not_wedge_the_engine(fake):
    engine = fake.start("wait-for-stop")
    search = engine.go(Limits(depth=9))
    del search
    assert engine.state == "searching"
    assert engine.play(Game(), Limits(depth=1)).best.uci() == "e2e4"
    engine.quit()
    assert fake.wire()[1:5] == ["go depth 9", "stop", "position startpos", "go depth 1"]


def test_is_ready_during_a_search_keeps_the_answer(fake):
    engine = fake.start("wait-for-stop")
    search = engine.go(timeout=2.0)
    search.stop()
    engine.is_ready()
    assert engine.state == "idle"
    assert list(search) == [] and search.answer().best.uci() == "e2e4"


def test_a_finished_search_cannot_stop_the_next_one(fake):
    engine = fake.start("wait-for-stop")
    first = engine.go(timeout=2.0)
    first.stop()
    first.answer()
    second = engine.go(timeout=2.0)
    with pytest.raises(ProtocolError, match="^the search is over$"):
        first.stop()
    assert not second.done
    second.stop()
    assert second.answer().best.uci() == "e2e4"


def test_exit_of_an_answered_search_sends_nothing(fake):
    engine = fake.start()
    with engine.go(Limits(depth=1)) as search:
        assert search.answer().best.uci() == "e2e4"
    engine.quit()
    assert fake.wire() == ["uci", "go depth 1", "quit"]


def test_ponderhit(fake):
    engine = fake.start("wait-for-stop")
    search = engine.go(Limits(ponder=True), timeout=2.0)
    assert engine.state == "pondering"
    search.ponderhit()
    assert engine.state == "searching"
    with pytest.raises(ProtocolError, match="^ponderhit cannot be sent to a searching engine$"):
        search.ponderhit()
    search.stop()
    search.answer()


@pytest.mark.parametrize("search", ["play", "analyse"])
def test_while_a_search_waits_short_calls_get_in_and_waiting_calls_take_their_turn(fake, search):
    engine = fake.start("think=1.0", timeout=2.0)
    worker = threading.Thread(target=getattr(engine, search), args=(Game(),))
    worker.start()
    while "go" not in fake.wire():
        time.sleep(0.01)
    with Elapsed() as elapsed:
        assert (engine.state, engine.is_alive, engine.timeout) == ("searching", True, 2.0)
    assert elapsed.seconds < 0.5  # far below the second the search thinks
    turns = [0]
    counting = True

    def count():
        while counting:
            turns[0] += 1

    counter = threading.Thread(target=count)
    counter.start()
    with Elapsed() as elapsed:
        engine.is_ready()  # waits for the play to end, other threads running meanwhile
        assert engine.state == "idle"
    counting = False
    counter.join()
    worker.join()
    assert elapsed.seconds > 0.3 and turns[0] > 10_000


def test_other_threads_run_while_an_engine_thinks(fake):
    engine = fake.start("think=1.0", timeout=2.0)
    answer = []
    worker = threading.Thread(target=lambda: answer.append(engine.play(Game())))
    worker.start()
    turns = 0
    while worker.is_alive():
        turns += 1
    assert turns > 10_000 and answer[0].best.uci() == "e2e4"


# ---- Ctrl-C ----------------------------------------------------------------------------

# Each case runs in a child interpreter, so a KeyboardInterrupt that came late
# could not end the test run: a timer sends SIGINT to that process while the
# wait runs; the wait must give way to it soon, and the engine must then work.
INTERRUPTED = """
import os, signal, sys, threading, time
from vorn import CHESS960, Game
from vorn.uci import Engine, Limits
engine = Engine(sys.executable, {args!r}, timeout={startup})
{setup}
engine.timeout = 5.0
sent = []
def interrupt():
    sent.append(time.monotonic())
    os.kill(os.getpid(), signal.SIGINT)
threading.Timer(0.3, interrupt).start()
try:
    {wait}
    print("not interrupted")
except KeyboardInterrupt:
    print("interrupted after", round(time.monotonic() - sent[0], 1))
{after}
"""
USABLE = "engine.is_ready()\nprint(engine.play(Game(), Limits(depth=1)).best.uci(), engine.quit())"
HANDSHAKE = "engine.handshake()"
# The engine is killed and reaped: the process has no child left.
CLOSED = ("print(engine.state, engine.is_alive, engine.quit(), "
          "open(f'/proc/self/task/{os.getpid()}/children').read().split())")
# A search dropped unanswered, which the next play must stop and drain first.
DROPPED = HANDSHAKE + "\nengine.go()"
# Another thread's play holds the engine's turn while the main thread waits for it.
PLAYING = HANDSHAKE + "\nthreading.Thread(target=engine.play, args=(Game(),)).start()\ntime.sleep(0.2)"


@pytest.mark.parametrize(
    "modes, setup, wait, after, last",
    [
        ((), HANDSHAKE, "engine.next_line(60)", USABLE, "e2e4 0"),
        (("slow-uci=2",), "", "engine.handshake()", USABLE, "e2e4 0"),
        (("slow-ready=2",), HANDSHAKE, "engine.is_ready()", USABLE, "e2e4 0"),
        (("wait-for-stop",), HANDSHAKE, "engine.play(Game(), Limits(depth=9))", USABLE, "e2e4 0"),
        (("wait-for-stop",), HANDSHAKE, "engine.analyse(Game(), Limits(depth=9))", USABLE, "e2e4 0"),
        (("wait-for-stop",), HANDSHAKE, "next(engine.go())", USABLE, "e2e4 0"),
        (("wait-for-stop",), HANDSHAKE, "engine.go().answer()", USABLE, "e2e4 0"),
        # Reports come faster than the slices: the wait must not end with each.
        (("every-50ms",), HANDSHAKE, "engine.go().answer()", "engine.is_ready()\nprint(engine.state, engine.quit())",
         "idle 0"),
        (("think=2",), PLAYING, "engine.is_ready()", USABLE, "e2e4 0"),
        (("ignore-quit",), HANDSHAKE, "engine.quit()", CLOSED, "quitting False None []"),
        (("wait-for-stop", "slow-stop=2"), DROPPED, "engine.play(Game(), Limits(depth=1))", USABLE, "e2e4 0"),
        # The process's end awaited after its output closed, and a write it does not take.
        (("close-on-go",), HANDSHAKE, "engine.play(Game(), Limits(depth=1))", CLOSED, "searching True 0 []"),
        (("deaf",), "", "engine.send_line('x' * 1_000_000)", CLOSED, "started True None []"),
    ],
    ids=["next_line", "handshake", "is_ready", "play", "analyse", "search-next", "search-answer", "search-reporting",
         "waiting-for-the-turn", "quit", "drain-of-a-dropped-search", "end-after-output-closed", "write-not-taken"],
)
def test_ctrl_c_ends_a_wait_and_leaves_the_engine_usable(fake, modes, setup, wait, after, last):
    script = INTERRUPTED.format(args=fake.args(*modes), startup=STARTUP, setup=setup, wait=wait, after=after)
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=60)
    assert (done.returncode, done.stderr) == (0, "")
    # The slices are 0.1 s long; the bound is generous for a busy machine.
    first, second = done.stdout.splitlines()
    assert first.startswith("interrupted after ") and float(first.split()[-1]) < 1.0
    assert second == last


def test_ctrl_c_in_a_chess960_switch_leaves_the_mode_to_be_switched_again(fake):
    script = INTERRUPTED.format(args=fake.args("slow-ready=2", options=[CHESS960_OPTION]), startup=STARTUP,
                                setup=HANDSHAKE, wait="engine.set_position(Game(variant=CHESS960, seed=518))",
                                after=USABLE)
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=60)
    assert (done.returncode, done.stderr) == (0, "")
    assert done.stdout.splitlines()[1] == "e2e4 0"
    # Unconfirmed, the switch on is undone before the classic game goes out.
    assert fake.wire()[1:] == ["setoption name UCI_Chess960 value true", "isready", "isready",
                               "setoption name UCI_Chess960 value false", "isready", "position startpos",
                               "go depth 1", "quit"]


# A handshake cut short by Ctrl-C or by its timeout; the next call waits for
# the engine's uciok first, and the engine is then identified and idle.
CUT_SHORT = """
import os, signal, sys, threading
from vorn import Game
from vorn.uci import Engine, EngineTimeout, Limits
engine = Engine(sys.executable, {args!r}, timeout={timeout})
if {interrupt}:
    threading.Timer(0.3, os.kill, (os.getpid(), signal.SIGINT)).start()
try:
    engine.handshake()
except (KeyboardInterrupt, EngineTimeout) as cut:
    print(type(cut).__name__, engine.state)
engine.timeout = {startup}
{call}
print(engine.name, engine.state, list(engine.options), engine.quit())
"""


@pytest.mark.parametrize("cut", ["KeyboardInterrupt", "EngineTimeout"])
@pytest.mark.parametrize(
    "call, wire",
    [("engine.handshake()", ["uci", "uci"]),
     ("engine.set_option('hash', 16)", ["uci", "setoption name Hash value 16"]),
     ("engine.play(Game(), Limits(depth=1))", ["uci", "position startpos", "go depth 1"]),
     ("engine.go(Limits(depth=1)).answer()", ["uci", "go depth 1"]),
     ("engine.new_game()", ["uci", "ucinewgame", "isready"])],
    ids=["handshake", "set_option", "play", "go", "new_game"],
)
def test_a_handshake_cut_short_is_finished_by_the_next_call(fake, cut, call, wire):
    interrupt = cut == "KeyboardInterrupt"
    script = CUT_SHORT.format(args=fake.args("slow-uci=2", options=[HASH]), timeout=5.0 if interrupt else 0.3,
                              interrupt=interrupt, startup=STARTUP, call=call)
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=60)
    assert (done.returncode, done.stdout, done.stderr) == (0, f"{cut} identifying\nFake idle ['Hash'] 0\n", "")
    assert fake.wire() == wire + ["quit"]


# A terminal sends Ctrl-C to its whole foreground process group; the child
# interpreter leads a session of its own, so the signal cannot reach the tests.
TERMINAL = """
import os, signal, sys, threading
from vorn import Game
from vorn.uci import Engine, Limits
engine = Engine({command!r}, {args!r}, timeout={startup})
engine.handshake()
[pid] = open(f"/proc/self/task/{{os.getpid()}}/children").read().split()
assert os.getpgid(int(pid)) == os.getpgrp()  # the signal reaches the engine too
threading.Timer(0.3, os.killpg, (os.getpgrp(), signal.SIGINT)).start()
try:
    engine.play(Game(), Limits(infinite=True))
    print("not interrupted")
except KeyboardInterrupt:
    print("interrupted")
print(engine.play(Game(), Limits(depth=4)).best in Game().legal_moves(), engine.quit())
"""


@pytest.mark.parametrize("name", ["fake", "stockfish"])
def test_a_terminals_ctrl_c_reaches_the_host_not_the_engine(fake, name):
    # The fake would die of SIGINT, as Python does by default, were it not
    # started with SIGINT ignored.
    command = [sys.executable, *fake.args("wait-for-stop")] if name == "fake" else REAL[name]
    require(command[0])
    script = TERMINAL.format(command=command[0], args=command[1:], startup=STARTUP)
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=60,
                          start_new_session=True)
    assert (done.returncode, done.stdout, done.stderr) == (0, "interrupted\nTrue 0\n", "")


# A signal handler, run inside a call of the main thread, calls one that
# waits on the same engine: it would wait for its own thread. Should it, the
# host ends itself well within the test's bound, showing where it waits.
REENTERED = """
import faulthandler, signal, sys, time
from vorn import Game
from vorn.uci import Engine, Limits
faulthandler.dump_traceback_later({wedged}, exit=True)
engine = Engine(sys.executable, {args!r}, timeout={startup})
engine.handshake()
engine.timeout = 5.0
def handler(*_):
    start = time.monotonic()
    try:
        {inner}
        print("answered")
    except RuntimeError as refused:
        print(refused, time.monotonic() - start < 0.5, engine.state)
signal.signal(signal.SIGALRM, handler)
signal.setitimer(signal.ITIMER_REAL, 0.3)
{outer}
print(engine.quit())
"""


@pytest.mark.parametrize(
    "outer, inner",
    [("print(engine.play(Game(), Limits(depth=1)).best.uci())", "engine.is_ready()"),
     ("print(engine.analyse(Game(), Limits(depth=1))[0].pv[0].uci())", "engine.set_option('Hash', 32)"),
     ("print(engine.go().answer().best.uci())", "engine.play(Game())"),
     ("print(engine.next_line(1))", "engine.next_line(0.1)")],
    ids=["is_ready-in-play", "set_option-in-analyse", "play-in-a-search", "next_line-in-next_line"],
)
def test_a_signal_handler_waiting_on_the_engine_its_thread_waits_on_is_refused(fake, outer, inner):
    script = REENTERED.format(args=fake.args("think=1", options=[HASH]), startup=STARTUP, outer=outer, inner=inner,
                              wedged=10)
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=15)
    assert (done.returncode, done.stderr) == (0, "")
    refused, *rest = done.stdout.splitlines()
    assert refused == "this thread is inside a call on the engine already True " + (
        "idle" if "next_line" in outer else "searching")
    # The call the handler interrupted goes on to its end.
    assert rest == (["None", "0"] if "next_line" in outer else ["e2e4", "0"])


# A shell with job control: it leads its session and runs the job (a host
# with an engine) in a process group of its own, as a terminal's shell does;
# a group alone in its session would be orphaned, and the kernel discards
# Ctrl-Z sent to one. As a subreaper it adopts what the job leaves behind,
# so an engine that outlives its host is found here, and killed.
SHELL = """
import ctypes, os, signal, subprocess, sys, time
ctypes.CDLL(None).prctl(36, 1)  # PR_SET_CHILD_SUBREAPER
job = subprocess.Popen([sys.executable, "-c", sys.argv[1]], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                       text=True, preexec_fn=os.setpgrp)
engine = int(job.stdout.readline())

def state(pid):
    stat = open(f"/proc/{{pid}}/stat").read()
    return stat[stat.rindex(")") + 2]

def until(done, bound=10.0):
    end = time.monotonic() + bound
    while time.monotonic() < end:
        if done():
            return True
        time.sleep(0.01)
    return False

{steps}
"""
# The job goes on when the shell tells it to.
STOPPED = """
time.sleep(0.3)
os.killpg(job.pid, signal.SIGTSTP)
until(lambda: state(job.pid) == state(engine) == "T")
print("stopped:", state(job.pid), state(engine))
os.killpg(job.pid, signal.SIGCONT)
until(lambda: state(engine) != "T")
print("resumed:", state(engine) != "T")
print(job.communicate("go on\\n")[0], end="")
"""
# The engine must end with its job; one that outlives it is killed here.
ENDED = """
os.killpg(job.pid, signal.{signal})
print("host:", signal.Signals(-job.wait()).name)
if until(lambda: os.waitpid(engine, os.WNOHANG)[0] == engine):
    print("engine: ended")
else:
    os.kill(engine, signal.SIGKILL)
    os.waitpid(engine, 0)
    print("engine: left running")
"""
JOB = """
import os, sys
from vorn import Game
from vorn.uci import Engine, Limits
engine = Engine({command!r}, {args!r}, timeout={startup})
{start}
[pid] = open(f"/proc/self/task/{{os.getpid()}}/children").read().split()
print(pid, flush=True)
sys.stdin.readline()
{finish}
"""


def run_job(command, start, finish, steps):
    require(command[0])
    job = JOB.format(command=command[0], args=command[1:], startup=STARTUP, start=start, finish=finish)
    done = subprocess.run([sys.executable, "-c", SHELL.format(steps=steps), job], capture_output=True, text=True,
                          timeout=60, start_new_session=True)
    assert (done.returncode, done.stderr) == (0, "")
    return done.stdout


def test_ctrl_z_stops_the_engine_with_its_job_and_fg_resumes_both():
    out = run_job(REAL["stockfish"], "engine.handshake()\nsearch = engine.go(Limits(infinite=True))",
                  "search.stop()\nprint(search.answer().best in Game().legal_moves(), engine.quit())", STOPPED)
    assert out == "stopped: T T\nresumed: True\nTrue 0\n"


@pytest.mark.parametrize("signal_name", ["SIGHUP", "SIGTERM"])
@pytest.mark.parametrize("engine", ["stockfish", "deaf"])
def test_a_hang_up_or_kill_of_the_job_ends_the_engine(fake, engine, signal_name):
    # The deaf engine would outlive its host: it never sees its input end.
    command = REAL["stockfish"] if engine == "stockfish" else [sys.executable, *fake.args("deaf")]
    start = "engine.handshake()" if engine == "stockfish" else ""
    out = run_job(command, start, "", ENDED.format(signal=signal_name))
    assert out == f"host: {signal_name}\nengine: ended\n"


def test_ctrl_c_stops_the_search_it_interrupts(fake):
    script = INTERRUPTED.format(args=fake.args("every-50ms"), startup=STARTUP, setup=HANDSHAKE,
                                wait="engine.play(Game())", after="engine.quit()")
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=60)
    assert (done.returncode, done.stderr) == (0, "")
    assert fake.wire()[1:] == ["position startpos", "go", "stop", "quit"]


# ---- real engines -----------------------------------------------------------------------

REAL = {
    "stockfish": ["/usr/games/stockfish"],
    "fairy-stockfish": ["/usr/games/fairy-stockfish"],
    "toga2": ["/usr/games/toga2"],
    "gnuchess": ["/usr/games/gnuchess", "--uci"],
}


def require(program):
    if not Path(program).exists():
        if os.environ.get("CI"):
            pytest.fail(f"{program} is not installed")
        pytest.skip(f"{program} is not installed")


def real_engine(name):
    command = REAL[name]
    require(command[0])
    return Engine(command[0], command[1:], timeout=5.0)


@pytest.mark.parametrize("name", list(REAL))
def test_real_engines_play_and_analyse(name):
    with real_engine(name) as engine:
        engine.handshake()
        assert engine.name and engine.state == "idle"
        engine.timeout = 1.0  # gnuchess answers quit slowly
        game = castled_game()
        answer = engine.play(game, Limits(depth=4), timeout=10.0)
        assert answer.best in game.legal_moves()
        infos = engine.analyse(game, Limits(depth=4), timeout=10.0)
        assert all(isinstance(info, Info) and (info.cp is not None or info.mate is not None) for info in infos)


def test_stockfish_follows_a_search_and_plays_chess960():
    with real_engine("stockfish") as engine:
        engine.handshake()
        infos = engine.analyse(Game(), Limits(depth=8), multipv=3)
        assert [info.multipv for info in infos] == [1, 2, 3]
        game = Game(variant=CHESS960, seed=7)
        assert engine.play(game, Limits(depth=6)).best in game.legal_moves()
        with engine.go(Limits(depth=6)) as search:
            depths = [info.depth for info in search if info.depth is not None]
        assert depths and search.answer().best in game.legal_moves()


def test_stockfish_stopped_from_another_thread_while_one_waits_for_the_answer():
    with real_engine("stockfish") as engine:
        engine.handshake()
        search = engine.go(Limits(infinite=True))
        taken = []

        def stop():
            start = time.monotonic()
            search.stop()
            taken.append(time.monotonic() - start)

        stopper = threading.Timer(0.3, stop)
        stopper.start()
        answer = search.answer()
        stopper.join()
        # A waiting step that took the slot straight back starved stop for seconds.
        assert taken[0] < 1.0
        assert answer.best in Game().legal_moves()


@pytest.mark.parametrize("search", ["play", "analyse", "go"])
def test_stockfish_killed_in_a_search_stays_dead(search):
    with real_engine("stockfish") as engine:
        engine.handshake()
        [(pid, _)] = children()
        started = engine.go(Limits(infinite=True)) if search == "go" else None
        killer = threading.Timer(0.3, os.kill, (pid, signal.SIGKILL))
        killer.start()
        with pytest.raises(EngineDied) as died:
            if started:
                started.answer()
            else:
                getattr(engine, search)(Game(), Limits(infinite=True))
        killer.join()
        text = str(died.value)
        assert (engine.state, engine.is_alive) == ("quitting", False)
        calls = [engine.handshake, engine.is_ready, engine.new_game, lambda: engine.debug(True),
                 lambda: engine.set_option("Hash", 16), lambda: engine.set_position(Game()), engine.go,
                 lambda: engine.play(Game()), lambda: engine.analyse(Game()), lambda: engine.send_line("isready")]
        if started:
            calls += [started.stop, started.answer]
        for call in calls:
            with pytest.raises(EngineDied, match=f"^{text}$"):
                call()
        # Reports the engine wrote before it died may still be read.
        with pytest.raises(EngineDied, match=f"^{text}$"):
            while engine.next_line(1.0) is not None:
                pass
        assert engine.quit() is None
