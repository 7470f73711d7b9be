"""The end of the interpreter and fork(), each in child interpreters: a daemon
thread still inside a call when the script ends must not abort the exit, an
engine still running then is killed, and a forked child's copy of an engine
is dead to it and harmless to the parent's."""

import json
import os
import resource
import shutil
import signal
import subprocess
import sys
import sysconfig
import textwrap
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import pytest

from support.c_programs import build_c
from support.pgn_reading import STALLED

FAKE = Path(__file__).parent / "support" / "fake_engine.py"
STARTUP = 10.0
# Runs per case of the exit: the abort came in up to 9 runs of 10.
RUNS = 10


def fake_args(log, *modes):
    args = [str(FAKE), "--log", str(log)]
    for mode in modes:
        args += ["--mode", mode]
    return args


def run(code, *args, timeout=60):
    return subprocess.run([sys.executable, "-c", textwrap.dedent(code), *map(str, args)],
                          capture_output=True, text=True, timeout=timeout)


def running_fake(pid):
    """Whether `pid` is still one of the fake engines (a reused pid is not)."""
    try:
        return str(FAKE).encode() in Path(f"/proc/{pid}/cmdline").read_bytes()
    except OSError:
        return False


def running_cat(pid):
    try:
        return Path(f"/proc/{pid}/cmdline").read_bytes().split(b"\0")[0].endswith(b"cat")
    except OSError:
        return False


# ---- interpreter exit --------------------------------------------------------------

# Put before a child script: the interpreter's finalization lingers with the
# lock released, so a daemon thread that asks for the lock then is ended.
LINGERING = """
import sys, time

class Slow:
    def __del__(self, sleep=time.sleep):
        sleep(0.3)

sys.slow = Slow()  # deleted late in the finalization, after the modules
"""

# A daemon thread makes the call; the script ends while the call waits. The
# engine ignores quit, SIGTERM and the end of its input, so only a kill from
# the host ends it; its pid is printed for the test to look for.
EXIT = """
import json, os, sys, threading, time
from vorn import Game
from vorn.pgn import pgn_count, pgn_read
from vorn.polyglot import PolyglotBuilder
from vorn.uci import Engine, Limits

kind, args, pgn = sys.argv[1], json.loads(sys.argv[2]), sys.argv[3]
engine = Engine(sys.executable, args, timeout={startup})
engine.handshake()
engine.timeout = 3600.0
calls = {{
    "play": lambda: engine.play(Game(), Limits(depth=1)),
    "is_ready": engine.is_ready,
    "search-next": lambda: next(engine.go()),
    "pgn_count": lambda: pgn_count(pgn),
    "pgn_read": lambda: list(pgn_read(pgn)),
    "add_pgn": lambda: PolyglotBuilder().add_pgn(pgn),
}}

def call():
    calls[kind]()
    print("returned", flush=True)

threading.Thread(target=call, daemon=True).start()
log = args[args.index("--log") + 1]
deadline = time.monotonic() + {startup}
while kind in ("play", "search-next", "is_ready") and not any(
        line.startswith(("go", "isready")) for line in open(log).read().splitlines()):
    assert time.monotonic() < deadline
    time.sleep(0.01)
time.sleep(0.3)
print(*open(f"/proc/self/task/{{os.getpid()}}/children").read().split())
"""

# Knights out and back, about 0.6 kB: 100 MB of them take the calls seconds.
GAME = ('[Event "x"]\n[Result "*"]\n\n'
        + " ".join(f"{n}. Nf3 Nf6 {n + 1}. Ng1 Ng8" for n in range(1, 60, 2)) + " *\n\n")


@pytest.fixture(scope="module")
def big_pgn(tmp_path_factory):
    path = tmp_path_factory.mktemp("pgn") / "big.pgn"
    path.write_text(GAME * (100_000_000 // len(GAME)))
    yield path
    path.unlink()  # not kept with the last runs' temporary files


@pytest.mark.parametrize("kind", ["play", "is_ready", "search-next", "pgn_count", "pgn_read", "add_pgn"])
def test_the_interpreter_exits_cleanly_while_a_daemon_thread_is_inside_a_call(tmp_path, big_pgn, kind):
    def one(n):
        log = tmp_path / f"wire{n}.log"
        modes = ["ignore-quit", "wait-for-stop", "slow-ready=3600"]
        return run(LINGERING + EXIT.format(startup=STARTUP), kind, json.dumps(fake_args(log, *modes)), big_pgn)

    with ThreadPoolExecutor(RUNS) as pool:
        done = list(pool.map(one, range(RUNS)))
    assert [(d.returncode, d.stderr) for d in done] == [(0, "")] * RUNS
    engines = [int(pid) for d in done for pid in d.stdout.split() if pid.isdigit()]
    # The call was still waiting when the interpreter ended, and its engine is gone.
    assert all("returned" not in d.stdout for d in done)
    assert len(engines) == RUNS and not any(map(running_fake, engines))


# A daemon thread blocked on a pipe in a call that reads a file; a signal cuts
# the open or the read short, and its handlers then ask for the interpreter
# lock, which the main thread keeps until the interpreter is finalizing: the
# thread ends there, deep in the reading.
SIGNALLED = """
import os, signal, sys, threading, time
from vorn.pgn import pgn_count, pgn_read
from vorn.polyglot import PolyglotBook, PolyglotBuilder

path, call, feed = sys.argv[1:]
os.mkfifo(path)
if feed == "silent":  # a writer that never writes: the read blocks; else the open does
    writer = os.open(path, os.O_RDWR)
calls = {
    "pgn_count": lambda: pgn_count(path),
    "pgn_read": lambda: list(pgn_read(path)),
    "add_pgn": lambda: PolyglotBuilder().add_pgn(path),
    "PolyglotBook": lambda: PolyglotBook(path),
}
signal.signal(signal.SIGURG, lambda *_: None)
reader = threading.Thread(target=calls[call], daemon=True)
reader.start()
time.sleep(0.3)
sys.setswitchinterval(1000)  # from here this thread lets go of the lock only when it must
signal.pthread_kill(reader.ident, signal.SIGURG)
end = time.monotonic() + 0.2
while time.monotonic() < end:  # the (empty) handler runs here
    pass
"""


@pytest.mark.parametrize(
    "call, feed",
    [("pgn_count", "silent"), ("pgn_count", "absent"), ("pgn_read", "silent"), ("add_pgn", "silent"),
     ("PolyglotBook", "silent"), ("PolyglotBook", "absent")],
    ids=["pgn_count-blocked-read", "pgn_count-blocked-open", "pgn_read-blocked-read", "add_pgn-blocked-read",
         "book-blocked-read", "book-blocked-open"],
)
def test_the_interpreter_exits_cleanly_while_a_daemon_thread_runs_signal_handlers_in_a_read(tmp_path, call, feed):
    done = run(LINGERING + SIGNALLED, tmp_path / "pipe", call, feed)
    assert (done.returncode, done.stderr) == (0, "")


# Daemon threads read pipes that never end their games while a few hundred
# engines are still held at exit (references no one gives back): the exit
# hook that kills and reaps them runs after CPython has freed the thread
# states, and the reading threads' checks for signals go on meanwhile. Each
# thread checks every 0.1 s; started a tenth of that apart, some thread checks
# within any 10 ms of the hook, so it need not last long. A system that
# refuses to start the engines (a limit on processes) says so instead.
HELD_AT_EXIT = """
import ctypes, os, resource, sys, threading, time
from vorn.pgn import pgn_count
from vorn.polyglot import PolyglotBuilder
from vorn.uci import Engine

folder, call, count, readers = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
resource.setrlimit(resource.RLIMIT_NOFILE, (resource.getrlimit(resource.RLIMIT_NOFILE)[1],) * 2)
try:
    for _ in range(count):
        ctypes.pythonapi.Py_IncRef(ctypes.py_object(Engine("cat")))
except BlockingIOError as refused:
    print("refused:", refused)
    sys.exit()
calls = {"pgn_count": pgn_count, "add_pgn": lambda path: PolyglotBuilder().add_pgn(path)}
for n in range(readers):
    path = os.path.join(folder, f"pipe{n}")
    os.mkfifo(path)
    writer = os.open(path, os.O_RDWR)
    threading.Thread(target=calls[call], args=(path,), daemon=True).start()
    time.sleep(0.1 / readers)
time.sleep(0.3)
print(*open(f"/proc/self/task/{os.getpid()}/children").read().split(), flush=True)
"""


@pytest.mark.parametrize("call", ["pgn_count", "add_pgn"])
def test_a_reading_daemon_thread_outlives_the_exit_hook_that_kills_engines(tmp_path, call):
    # 200 engines and 10 readers: a crash came in 40 runs of 40, and in 7 of
    # 10 with 20 engines.
    engines, readers = 200, 10
    if resource.getrlimit(resource.RLIMIT_NOFILE)[1] < 4 * engines:
        pytest.skip("the descriptor limit is too low for the engines' pipes")
    for n in range(2):
        (tmp_path / str(n)).mkdir()
        done = run(HELD_AT_EXIT, tmp_path / str(n), call, engines, readers)
        if done.stdout.startswith("refused:"):
            pytest.skip(f"the system starts no more processes ({done.stdout.strip()})")
        left = [int(pid) for pid in done.stdout.split() if running_cat(pid)]
        for pid in left:  # a crashed host leaves its engines; they go before the test fails
            os.kill(pid, signal.SIGKILL)
        assert (done.returncode, done.stderr, len(left)) == (0, "", 0)


# A deaf engine, which never reads its input, alone or with a daemon thread
# blocked in a write to it.
DEAF = """
import os, sys, threading, time
from vorn.uci import Engine
engine = Engine(sys.executable, {args!r}, timeout=3600.0)
if {writer}:
    threading.Thread(target=engine.send_line, args=("x" * 1_000_000,), daemon=True).start()
    time.sleep(0.5)
print(*open(f"/proc/self/task/{{os.getpid()}}/children").read().split())
"""


@pytest.mark.parametrize("writer", [False, True], ids=["idle", "written-to"])
def test_an_engine_that_does_not_read_its_input_is_killed_at_exit(tmp_path, writer):
    done = run(DEAF.format(args=fake_args(tmp_path / "wire.log", "deaf"), writer=writer))
    assert (done.returncode, done.stderr) == (0, "")
    [pid] = map(int, done.stdout.split())
    assert not running_fake(pid)


# CPython's table of exit functions filled first (32 places in 3.11): only
# starting an engine, which needs one of them, fails.
FULL_EXIT_TABLE = """
import ctypes, os, sys
Py_AtExit = ctypes.pythonapi.Py_AtExit
Py_AtExit.argtypes = [ctypes.c_void_p]
harmless = ctypes.cast(ctypes.CDLL(None).getpid, ctypes.c_void_p)  # called at exit: it must not need Python
if not any(Py_AtExit(harmless) < 0 for _ in range(1000)):
    print("never full")
    sys.exit()
from vorn import Game
from vorn.pgn import pgn_count, pgn_read_string
from vorn.uci import Engine
print([game.headers["Result"] for game in pgn_read_string('[Result "1-0"]\\n\\n1. e4 1-0\\n')], pgn_count(sys.argv[1]))
for attempt in range(2):
    try:
        Engine(sys.executable, {args!r})
    except RuntimeError as refused:
        print(refused)
print(open(f"/proc/self/task/{{os.getpid()}}/children").read().split())
"""


def test_a_full_table_of_exit_functions_fails_only_the_engine(tmp_path):
    pgn = tmp_path / "games.pgn"
    pgn.write_text(GAME * 3)
    done = run(FULL_EXIT_TABLE.format(args=fake_args(tmp_path / "wire.log")), pgn)
    if done.stdout == "never full\n":
        pytest.skip("this Python's table of exit functions does not fill")
    assert (done.returncode, done.stderr) == (0, "")
    assert done.stdout.splitlines() == ["['1-0'] 3", *["no room left to kill the engines at exit"] * 2, "[]"]


# Run in each of two lifetimes of an embedded interpreter: an engine held
# past the finalization by a daemon thread's frame, which finalization never
# unwinds, so only the exit function can kill it. (Not ctypes: some CPython
# releases cannot import it in a second lifetime.)
EMBEDDED = """
import os, threading
from vorn.uci import Engine
engine = Engine({python!r}, {args!r})
threading.Thread(target=lambda held=engine: threading.Event().wait(), daemon=True).start()
print(*open(f"/proc/self/task/{{os.getpid()}}/children").read().split(), flush=True)
"""


def test_an_embedder_that_initializes_python_again_has_its_engines_killed_at_each_exit(tmp_path):
    if not sysconfig.get_config_var("Py_ENABLE_SHARED"):
        pytest.skip("this Python has no shared library to embed")
    library = sysconfig.get_config_var("LIBDIR")
    embedder = build_c(tmp_path, "embed_twice.c", flags=[
        f"-I{sysconfig.get_paths()['include']}", f"-L{library}", f"-Wl,-rpath,{library}",
        f"-lpython{sysconfig.get_config_var('LDVERSION')}"])
    code = EMBEDDED.format(python=sys.executable, args=fake_args(os.devnull, "deaf"))
    done = subprocess.run([embedder, code], capture_output=True, text=True, timeout=60,
                          env={**os.environ, "PYTHONHOME": sys.base_prefix,
                               # a virtual environment's packages, which the embedded one does not know
                               "PYTHONPATH": os.pathsep.join(filter(None, sys.path))})
    engines = [int(pid) for pid in done.stdout.split()]
    left = [pid for pid in engines if running_fake(pid)]
    for pid in left:
        os.kill(pid, signal.SIGKILL)
    assert (done.returncode, done.stderr, len(engines), left) == (0, "", 2, [])


# ---- fork ------------------------------------------------------------------------------

# Every member of an Engine and of a Search, called in the forked child: each
# raises the same EngineDied, but repr, which tracebacks, loggers and
# debuggers call, answers.
IN_THE_CHILD = """
from vorn import Game
from vorn.uci import EngineDied
members = {
    "handshake": engine.handshake, "is_ready": engine.is_ready, "new_game": engine.new_game,
    "debug": lambda: engine.debug(True), "set_option": lambda: engine.set_option("Hash", 16),
    "option": lambda: engine.option("Hash"), "set_position": lambda: engine.set_position(Game()),
    "go": engine.go, "play": lambda: engine.play(Game()), "analyse": lambda: engine.analyse(Game()),
    "send_line": lambda: engine.send_line("isready"), "next_line": lambda: engine.next_line(0.1),
    "timeout": lambda: engine.timeout, "set timeout": lambda: setattr(engine, "timeout", 1.0),
    "name": lambda: engine.name, "options": lambda: engine.options, "state": lambda: engine.state,
    "is_alive": lambda: engine.is_alive, "kill": engine.kill,
    "quit": engine.quit, "exit": lambda: engine.__exit__(None, None, None),
    "search next": lambda: next(search), "search answer": search.answer, "search stop": search.stop,
    "search ponderhit": search.ponderhit, "search done": lambda: search.done,
    "search exit": lambda: search.__exit__(None, None, None),
}
print(repr(engine), repr(search))
raised = set()
for name, member in members.items():
    try:
        member()
        raised.add(name + " answered")
    except EngineDied as died:
        raised.add(str(died))
print(*sorted(raised), flush=True)
"""

# The parent's engine answers a search left open across the fork and plays
# on; then nothing of it is left.
FORKED = """
import gc, os, sys, warnings
warnings.simplefilter("ignore", DeprecationWarning)  # fork() with the engine's reader threads running
from vorn import Game
from vorn.uci import Engine, Limits
fds = len(os.listdir("/proc/self/fd"))
engine = Engine(sys.executable, {args!r}, timeout={startup})
engine.handshake()
search = engine.go(Limits(depth=1))
child = os.fork()
if child == 0:
{in_the_child}
    {drop}
    os._exit(0)
_, status = os.waitpid(child, 0)
print(os.waitstatus_to_exitcode(status))
print(search.answer().best.uci(), engine.play(Game(), Limits(depth=1)).best.uci(), engine.quit())
del engine, search
gc.collect()
print(open(f"/proc/self/task/{{os.getpid()}}/children").read().split(), len(os.listdir("/proc/self/fd")) - fds)
"""


# Dropped, the child's copy closes all three of the engine's descriptors,
# the reader threads' two included, though those threads do not run there.
DROP = "del engine, search, members, member; gc.collect(); print(len(os.listdir('/proc/self/fd')) - fds, flush=True)"


@pytest.mark.parametrize("drop, code, dropped", [(DROP, 0, ["0"]), ("sys.exit(3)", 3, [])], ids=["del", "sys.exit"])
def test_a_forked_child_cannot_touch_the_parents_engine(tmp_path, drop, code, dropped):
    script = FORKED.format(args=fake_args(tmp_path / "wire.log"), startup=STARTUP,
                           in_the_child=textwrap.indent(IN_THE_CHILD, "    "), drop=drop)
    done = run(script)
    assert (done.returncode, done.stderr) == (0, "")
    assert done.stdout.splitlines() == [
        "<Engine of another process> <Search of another process>", "the engine belongs to another process",
        *dropped, str(code), "e2e4 e2e4 0", "[] 0"]
    # Nothing of the child's reached the engine.
    assert (tmp_path / "wire.log").read_text().splitlines() == [
        "uci", "go depth 1", "position startpos", "go depth 1", "quit"]


# A thread of the parent holds the engine's turn and slot, waiting for a
# slow readyok, when the process forks.
FORKED_WHILE_WAITING = """
import os, sys, threading, time, warnings
warnings.simplefilter("ignore", DeprecationWarning)
from vorn.uci import Engine, EngineDied
engine = Engine(sys.executable, {args!r}, timeout={startup})
engine.handshake()
waiter = threading.Thread(target=engine.is_ready)
waiter.start()
time.sleep(0.5)
child = os.fork()
if child == 0:
    start = time.monotonic()
    try:
        engine.{call}
    except EngineDied as died:
        print(died, time.monotonic() - start < 1.0, flush=True)
    os._exit(0)
os.waitpid(child, 0)
waiter.join()
print(engine.state, engine.quit())
"""


@pytest.mark.parametrize("call", ["is_ready()", "state", "quit()"])
def test_a_child_forked_while_a_thread_waits_on_the_engine_is_told_at_once(tmp_path, call):
    script = FORKED_WHILE_WAITING.format(args=fake_args(tmp_path / "wire.log", "slow-ready=2"), startup=STARTUP,
                                         call=call)
    done = run(script, timeout=30)
    assert (done.returncode, done.stderr) == (0, "")
    assert done.stdout.splitlines() == ["the engine belongs to another process True", "idle 0"]


# A multiprocessing Process forked from the host starts its own engine in
# the place of the global, dropping its copy of the parent's.
REBOUND = """
import multiprocessing, os, sys, warnings
warnings.simplefilter("ignore", DeprecationWarning)
from vorn import Game
from vorn.uci import Engine, Limits
ARGS = {args!r}
engine = Engine(sys.executable, ARGS, timeout={startup})
engine.handshake()

def work(answers):
    global engine
    engine = Engine(sys.executable, ARGS, timeout={startup})
    engine.handshake()
    answers.put(engine.play(Game(), Limits(depth=1)).best.uci())
    engine.quit()

context = multiprocessing.get_context("fork")
answers = context.Queue()
process = context.Process(target=work, args=(answers,))
process.start()
print(answers.get(timeout=60))
process.join(60)
print(process.exitcode, engine.play(Game(), Limits(depth=1)).best.uci(), engine.quit())
print(open(f"/proc/self/task/{{os.getpid()}}/children").read().split())
"""


def test_a_multiprocessing_child_that_rebinds_the_engine_leaves_the_parents_alone(tmp_path):
    done = run(REBOUND.format(args=fake_args(tmp_path / "wire.log"), startup=STARTUP))
    assert (done.returncode, done.stderr) == (0, "")
    assert done.stdout.splitlines() == ["e2e4", "0 e2e4 0", "[]"]


# A thread of the parent is inside next() of one reader, waiting on a stalled
# pipe, when the process forks; another reader is idle. In the child the
# first refuses at once, saying why, and the second reads on. The parent's
# thread gets its game once the writer goes on, and the parent reads the rest.
FORKED_WHILE_READING = STALLED + """
    import warnings
    warnings.simplefilter("ignore", DeprecationWarning)
    idle = vorn.pgn.pgn_read_string('[Event "x"]\\n\\n1. e4 *\\n\\n[Event "y"]\\n\\n1. d4 *\\n')
    next(idle)
    first = []
    holder = threading.Thread(target=lambda: first.append(next(reader).headers["Event"]))
    holder.start()
    time.sleep(0.5)
    child = os.fork()
    if child == 0:
        signal.alarm(10)  # a child that waits for ever ends all the same
        began = time.monotonic()
        try:
            next(reader)
            print("no error", flush=True)
        except RuntimeError as error:
            print(error, time.monotonic() - began < 1.0, flush=True)
        print(*(game.headers["Event"] for game in idle), flush=True)
        os._exit(0)
    _, status = os.waitpid(child, 0)
    go_on.set()
    holder.join()
    print(os.waitstatus_to_exitcode(status), *first, *(game.headers["Event"] for game in reader))
    """


def test_a_child_forked_while_a_thread_reads_a_pgn_reader_is_told_at_once(tmp_path):
    done = run(FORKED_WHILE_READING, tmp_path / "pipe", timeout=30)
    assert (done.returncode, done.stderr) == (0, "")
    assert done.stdout.splitlines() == [
        "another thread was using this object when the process forked, and that thread does not exist in this "
        "process True", "y", "0 a b"]


# A forked child that starts afresh, as daemons and workers do: it closes
# every descriptor it inherited and opens files of its own, which take the
# freed numbers, then drops its copy of what the parent holds open. Each of
# its files must still be its own; the parent's engine and reader go on.
REOPENED = """
import gc, os, resource, sys, warnings
warnings.simplefilter("ignore", DeprecationWarning)
from vorn.pgn import pgn_read
from vorn.uci import Engine
held, folder, pgn = sys.argv[1:]
engine = Engine("cat")
games = pgn_read(pgn)
next(games)
child = os.fork()
if child == 0:
    os.closerange(3, resource.getrlimit(resource.RLIMIT_NOFILE)[0])
    paths = [os.path.join(folder, f"own{n}") for n in range(32)]
    files = [os.open(path, os.O_RDWR | os.O_CREAT | os.O_TRUNC) for path in paths]
    if held == "engine":
        del engine
    else:
        del games
    gc.collect()
    lost = []
    for n, (path, fd) in enumerate(zip(paths, files)):
        try:
            os.write(fd, b"%d" % n)
        except OSError as error:
            lost.append(error.strerror)
    lost += [path for n, path in enumerate(paths) if open(path).read() not in ("", str(n))]
    print(lost, flush=True)
    os._exit(0)
os.waitpid(child, 0)
engine.send_line("still mine")
print(engine.next_line(5.0), len(list(games)), engine.quit())
"""


@pytest.mark.parametrize("held", ["engine", "pgn reader"])
def test_a_forked_child_that_reopens_its_files_keeps_them_when_it_drops_what_it_inherited(tmp_path, held):
    pgn = tmp_path / "games.pgn"
    pgn.write_text(GAME * 3)
    folder = tmp_path / "child"
    folder.mkdir()
    done = run(REOPENED, held, folder, pgn)
    assert (done.returncode, done.stderr) == (0, "")
    assert done.stdout.splitlines() == ["[]", "still mine 2 0"]


# ---- an engine the host may not kill -------------------------------------------------

# The host starts a deaf engine (it ignores its input closing), so only a
# signal could end it, then closes it one way. Its first line tells the
# keeper that the engine runs: the fake itself, past any change of user.
UNKILLABLE_HOST = """
import gc, os, sys, time
from vorn.uci import Engine
way, command = sys.argv[1], sys.argv[2:]

def pipes():
    return sum(os.readlink(f"/proc/self/fd/{{fd}}").startswith("pipe:") for fd in os.listdir("/proc/self/fd")
               if os.path.exists(f"/proc/self/fd/{{fd}}"))

before = pipes()
engine = Engine(command[0], command[1:], timeout={startup})
engine.timeout = 3600.0 if way == "ctrl-c" else 0.5
[pid] = open(f"/proc/self/task/{{os.getpid()}}/children").read().split()
while not open(f"/proc/{{pid}}/cmdline", "rb").read().split(b"\\0")[1:2] == [{fake!r}]:
    time.sleep(0.01)
print("started", flush=True)
start = time.monotonic()
try:
    if way == "kill":
        engine.kill()
    elif way in ("quit", "ctrl-c"):
        print(engine.quit())
    elif way == "drop":
        del engine
        gc.collect()
    # else left open for the exit hook
except (OSError, KeyboardInterrupt) as error:
    print(type(error).__name__, error)
if way != "exit":  # closed: its pipes go, those of the reader threads within a second or so
    while pipes() > before and time.monotonic() < start + 10.0:
        time.sleep(0.05)
    print("pipes held", pipes() - before)
print("within", time.monotonic() - start < 30.0, flush=True)
"""

# The host's parent, a subreaper, so that the engine the host leaves becomes
# its child: it tells whether the engine outlived the host, then kills and
# reaps it whatever happened, a host that hung included.
KEEPER = """
import ctypes, json, os, signal, subprocess, sys, time
ctypes.CDLL(None).prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER
command, interrupt = json.loads(sys.argv[1]), sys.argv[2] == "ctrl-c"
host = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
first = host.stdout.readline()
if interrupt:
    time.sleep(0.5)
    host.send_signal(signal.SIGINT)
try:
    host.wait(timeout=30)
    hung = False
except subprocess.TimeoutExpired:
    host.kill()
    host.wait()
    hung = True
rest, errors = host.stdout.read(), "hung" if hung else host.stderr.read()

def children():
    found = {}
    for pid in open(f"/proc/self/task/{os.getpid()}/children").read().split():
        stat = open(f"/proc/{pid}/stat").read()
        found[int(pid)] = stat[stat.rindex(")") + 2]
    return found

left = children()
for pid in left:
    os.kill(pid, signal.SIGKILL)
    os.waitpid(pid, 0)
print(json.dumps([host.returncode, errors, (first + rest).splitlines(), [s != "Z" for s in left.values()]]))
"""

REFUSED = "OSError the engine could not be killed: Operation not permitted (os error 1)"
# Per way of closing: what the host says when the engine may not be killed,
# and when it can be.
CLOSING = {
    "kill": ([REFUSED], []),
    "quit": ([REFUSED], ["None"]),
    "drop": ([], []),
    "exit": ([], []),
    "ctrl-c": (["KeyboardInterrupt "], ["KeyboardInterrupt "]),
}
DEAF_ENGINE = [str(FAKE), "--log", os.devnull, "--mode", "deaf"]


@pytest.fixture(scope="module")
def refuse_calls(tmp_path_factory):
    return build_c(tmp_path_factory.mktemp("seccomp"), "refuse_calls.c")


AS_NOBODY = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]


def another_user(_refuse_calls):
    """The host as root without CAP_KILL, its engine as nobody, under the
    system's interpreter, which nobody may run (root's own may be shut)."""
    python = shutil.which("python3", path="/usr/bin:/bin")
    if os.geteuid() != 0 or shutil.which("setpriv") is None or python is None:
        pytest.skip("needs root, setpriv and a system python3")
    as_nobody = [*AS_NOBODY, python]
    if subprocess.run([*as_nobody, "-c", f"open({str(FAKE)!r}).close()"], capture_output=True).returncode:
        pytest.skip("nobody cannot run the fake engine here")
    return ["setpriv", "--bounding-set=-kill"], [*as_nobody, *DEAF_ENGINE]


def sandboxed(calls):
    return lambda refuse_calls: ([str(refuse_calls), calls], [sys.executable, *DEAF_ENGINE])


# How the host is kept from signalling or waiting for its engine, and whether
# it can still kill it: a sandbox that refuses signals through a pidfd alone
# leaves the pid.
SANDBOXES = {
    "another user": (another_user, False),
    "no signals": (sandboxed("kill,pidfd_send_signal"), False),
    "no pidfd signals": (sandboxed("pidfd_send_signal"), True),
    # The C library's waitpid is wait4, which such a sandbox lets through.
    "no waitid": (sandboxed("waitid"), True),
    "no waitid nor pidfd signals": (sandboxed("waitid,pidfd_send_signal"), True),
}


@pytest.mark.parametrize("way", list(CLOSING))
@pytest.mark.parametrize("sandbox", list(SANDBOXES))
def test_an_engine_the_host_may_not_signal_never_hangs_its_closing(refuse_calls, sandbox, way):
    make, killable = SANDBOXES[sandbox]
    launcher, engine = make(refuse_calls)
    host = [*launcher, sys.executable, "-c", UNKILLABLE_HOST.format(startup=STARTUP, fake=bytes(FAKE)), way, *engine]
    done = run(KEEPER, json.dumps(host), way, timeout=90)
    assert (done.returncode, done.stderr) == (0, "")
    code, errors, lines, left_running = json.loads(done.stdout)
    assert (code, errors) == (0, "")
    held = [] if way == "exit" else ["pipes held 0"]
    assert lines == ["started", *CLOSING[way][killable], *held, "within True"]
    # An engine that could be killed is gone; one that could not, the host left running.
    assert left_running == ([] if killable else [True])


# A reader of a file, between two games when the process forks: the child
# reads the rest to the end first, then the parent does, each from the game
# it stood at, as neither moves the other's place in the file.
FORKED_BETWEEN_GAMES = """
import os, sys
import vorn.pgn

path = sys.argv[1]
with open(path, "w") as out:
    for number in range(5000):
        out.write(f'[Event "{number}"]\\n\\n1. e4 e5 2. Nf3 {{a comment}} Nc6 *\\n\\n')
games = vorn.pgn.pgn_read(path)
for _ in range(10):
    next(games)

def rest():
    events = [int(game.headers["Event"]) for game in games]
    return events == list(range(10, 5000)) or (len(events), events[:3], events[-3:])

child = os.fork()
if child == 0:
    print("child", rest(), flush=True)
    os._exit(0)
os.waitpid(child, 0)
print("parent", rest())
"""


def test_a_file_read_on_in_a_forked_child_and_its_parent_gives_each_the_rest(tmp_path):
    done = run(FORKED_BETWEEN_GAMES, tmp_path / "games.pgn", timeout=60)
    assert (done.returncode, done.stderr) == (0, "")
    assert done.stdout.splitlines() == ["child True", "parent True"]


def test_a_host_that_may_not_wait_never_kills_by_a_pid_it_cannot_vouch_for(refuse_calls):
    # Without a wait the host cannot tell its engine's pid from one given away.
    launcher, engine = sandboxed("waitid,wait4,pidfd_send_signal")(refuse_calls)
    host = [*launcher, sys.executable, "-c", UNKILLABLE_HOST.format(startup=STARTUP, fake=bytes(FAKE)), "kill", *engine]
    done = run(KEEPER, json.dumps(host), "kill", timeout=90)
    assert (done.returncode, done.stderr) == (0, "")
    assert json.loads(done.stdout) == [0, "", ["started", REFUSED, "pipes held 0", "within True"], [True]]


LEAVING_HOST = """
import gc, os, sys, time
from vorn.uci import Engine
way, command = sys.argv[1], sys.argv[2:]

def state(pid):
    try:
        return open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()[0]
    except OSError:
        return "gone"

left = []
for _ in range(3):
    engine = Engine(command[0], command[1:])
    [pid] = set(open(f"/proc/self/task/{os.getpid()}/children").read().split()) - set(left)
    left.append(pid)
    while not open(f"/proc/{pid}/cmdline", "rb").read().startswith(b"cat\\0"):  # as nobody
        time.sleep(0.01)
    if way == "kill":
        try:
            engine.kill()
        except OSError:  # it may not be killed: closed all the same
            pass
    del engine
    gc.collect()
# Closed, each ends at the end of its input: a zombie until collected.
deadline = time.monotonic() + 10.0
while any(state(pid) not in ("Z", "gone") for pid in left) and time.monotonic() < deadline:
    time.sleep(0.05)
Engine("cat").kill()
print(sorted(set(map(state, left))))
"""


@pytest.mark.parametrize("way", ["kill", "drop"])
def test_an_engine_the_host_may_not_kill_is_collected_once_it_ends(refuse_calls, way):
    launcher, _ = another_user(refuse_calls)
    host = [*launcher, sys.executable, "-c", LEAVING_HOST, way, *AS_NOBODY, "cat"]
    done = run(KEEPER, json.dumps(host), way, timeout=90)
    assert (done.returncode, done.stderr) == (0, "")
    code, errors, lines, left_running = json.loads(done.stdout)
    # Ended, then collected by the next start rather than left a zombie for the host's life.
    assert (code, errors, lines, left_running) == (0, "", ["['gone']"], [])


WAITING_HOST = """
import os, sys
from vorn.uci import Engine
engine = Engine(sys.argv[1], sys.argv[2:])
engine.handshake()
print(engine.is_alive, engine.state, engine.quit(), flush=True)
"""


@pytest.mark.parametrize("calls", ["waitid", "waitid,pidfd_send_signal"])
def test_a_host_whose_sandbox_refuses_waitid_sees_its_engine_run_and_exit(refuse_calls, calls):
    host = [str(refuse_calls), calls, sys.executable, "-c", WAITING_HOST, sys.executable, *fake_args(os.devnull)]
    done = run(KEEPER, json.dumps(host), "quit", timeout=90)
    assert (done.returncode, done.stderr) == (0, "")
    code, errors, lines, left_running = json.loads(done.stdout)
    assert (code, errors, lines, left_running) == (0, "", ["True idle 0"], [])
