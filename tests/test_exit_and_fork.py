"""The end of the interpreter, in child interpreters: a daemon thread still
inside a call when the script ends must not abort the exit, and an engine
still running then is killed."""

import json
import os
import subprocess
import sys
import textwrap
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import pytest

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


# ---- interpreter exit --------------------------------------------------------------

# A daemon thread makes the call; the script ends while the call waits. The
# engine ignores quit, SIGTERM and the end of its input, so only a kill from
# the host ends it; its pid is printed for the test to look for.
EXIT = """
import json, os, sys, threading, time
from vorn import Game
from vorn.pgn import pgn_count
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
    return path


@pytest.mark.parametrize("kind", ["play", "is_ready", "search-next", "pgn_count", "add_pgn"])
def test_the_interpreter_exits_cleanly_while_a_daemon_thread_is_inside_a_call(tmp_path, big_pgn, kind):
    def one(n):
        log = tmp_path / f"wire{n}.log"
        modes = ["ignore-quit", "wait-for-stop", "slow-ready=3600"]
        return run(EXIT.format(startup=STARTUP), kind, json.dumps(fake_args(log, *modes)), big_pgn)

    with ThreadPoolExecutor(RUNS) as pool:
        done = list(pool.map(one, range(RUNS)))
    assert [(d.returncode, d.stderr) for d in done] == [(0, "")] * RUNS
    engines = [int(pid) for d in done for pid in d.stdout.split() if pid.isdigit()]
    # The call was still waiting when the interpreter ended, and its engine is gone.
    assert all("returned" not in d.stdout for d in done)
    assert len(engines) == RUNS and not any(map(running_fake, engines))


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
