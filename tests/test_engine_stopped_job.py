"""A job stopped and resumed (Ctrl-Z and fg, or SIGSTOP and SIGCONT to its
process group) stops the engine with its host: the stretch it spends stopped
is nobody's silence, so a call waiting on the engine answers once the job goes
on, while an engine that is really silent still times out near its bound.

Each case runs a host interpreter that leads a session of its own, so the
signals sent to its group reach its engine and never the tests."""

import os
import signal
import subprocess
import sys
import time
from pathlib import Path

import pytest

FAKE = Path(__file__).parent / "support" / "fake_engine.py"
STOCKFISH = "/usr/games/stockfish"
STARTUP = 10.0
BOUND = 1.0  # the engine's timeout in the host
STOPPED = 2.5  # longer than the bound, and than a movetime search's bound of 1 s more

HOST = """
import sys, time
from vorn import Game
from vorn.uci import Engine, EngineDied, EngineTimeout, Limits
engine = Engine({command!r}, {args!r}, timeout={startup})
engine.handshake()
engine.timeout = {bound}
print("waiting", flush=True)
start = time.monotonic()
try:
    {call}
    outcome = "answered"
except (EngineDied, EngineTimeout) as error:
    outcome = f"{{type(error).__name__}}: {{error}}"
print(time.monotonic() - start, outcome, flush=True)
engine.kill()
"""


def fake(log, *modes):
    return [sys.executable, str(FAKE), "--log", str(log), *[arg for mode in modes for arg in ("--mode", mode)]]


def stockfish():
    if not Path(STOCKFISH).exists():
        if os.environ.get("CI"):
            pytest.fail(f"{STOCKFISH} is not installed")
        pytest.skip(f"{STOCKFISH} is not installed")
    return [STOCKFISH]


def run_stopped(command, call, stop_after=0.2):
    """Runs `call` in a host, stops the host's job `stop_after` seconds into
    it for STOPPED seconds; answers the outcome, the seconds the call took,
    and the seconds the job was stopped."""
    script = HOST.format(command=command[0], args=command[1:], startup=STARTUP, bound=BOUND, call=call)
    host = subprocess.Popen([sys.executable, "-c", script], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            text=True, start_new_session=True)
    try:
        assert host.stdout.readline() == "waiting\n", host.communicate(timeout=30)
        time.sleep(stop_after)
        stopped = time.monotonic()
        os.killpg(host.pid, signal.SIGSTOP)
        time.sleep(STOPPED)
        os.killpg(host.pid, signal.SIGCONT)
        stopped = time.monotonic() - stopped
        out, err = host.communicate(timeout=60)
    finally:
        # The engine is in the host's group: a failed case leaves neither.
        try:
            os.killpg(host.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        host.wait()
    assert (host.returncode, err) == (0, "")
    took, outcome = out.rstrip("\n").split(" ", 1)
    return outcome, float(took), stopped


# Each engine answers soon after the job goes on: a stockfish search timed
# by its own clock, a fake that reports on while it thinks, or one slow to
# answer isready; a whole-search bound does not run on while stopped either.
# A line the engine's input takes only once its search is over is written
# in the end, and a process that closes its output and lingers is let end
# with its exit code.
WRITE_WHILE_THINKING = "engine.go(Limits(depth=9)); engine.send_line('x' * 1_000_000)"


@pytest.mark.parametrize(
    "modes, call, outcome",
    [
        (None, "engine.play(Game(), Limits(movetime=1.0))", "answered"),
        (None, "engine.analyse(Game(), Limits(movetime=1.0))", "answered"),
        (("think=0.6",), "engine.play(Game(), Limits(depth=9))", "answered"),
        (("think=0.6",), "engine.go(Limits(depth=9)).answer()", "answered"),
        (("think=0.6",), "list(engine.go(Limits(depth=9)))", "answered"),
        (("slow-ready=0.6",), "engine.is_ready()", "answered"),
        (("think=0.6",), WRITE_WHILE_THINKING, "answered"),
        (("exit-on-go=3", "linger=0.6"), "engine.play(Game(), Limits(depth=9))",
         "EngineDied: the engine exited with code 3"),
    ],
    ids=["stockfish-play", "stockfish-analyse", "fake-play", "fake-go-answer", "fake-go-reports", "fake-is_ready",
         "fake-slow-to-read", "fake-lingering-exit"],
)
def test_a_call_answers_after_its_stopped_job_goes_on(tmp_path, modes, call, outcome):
    command = stockfish() if modes is None else fake(tmp_path / "wire.log", *modes)
    answered, took, stopped = run_stopped(command, call)
    assert answered == outcome
    assert took > stopped, "the call was waiting while the job was stopped"


# The engine never answers, never reads its input, or never ends once its
# output is closed: the time before the stop and after it adds up to the
# bound; the stop itself does not count.
@pytest.mark.parametrize(
    "modes, call, outcome",
    [
        (("wait-for-stop",), "engine.play(Game(), Limits(depth=9))", "EngineTimeout: no bestmove within 1.000 s"),
        (("wait-for-stop",), "engine.go(Limits(depth=9)).answer()", "EngineTimeout: no bestmove within 1.000 s"),
        (("slow-ready=3600",), "engine.is_ready()", "EngineTimeout: no readyok within 1.000 s"),
        (("think=3600",), WRITE_WHILE_THINKING, "EngineDied: the engine stopped reading its input"),
        (("close-on-go",), "engine.play(Game(), Limits(depth=9))", "EngineDied: the engine closed its output"),
    ],
    ids=["play", "go-answer", "is_ready", "deaf", "lingering"])
def test_a_silent_engine_still_times_out_after_its_bound_of_running_time(tmp_path, modes, call, outcome):
    answered, took, stopped = run_stopped(fake(tmp_path / "wire.log", *modes), call, stop_after=0.4)
    assert answered == outcome
    # Running time short of the bound would count the stop; the upper bound
    # is generous for a loaded machine.
    assert BOUND - 0.2 <= took - stopped < 5 * BOUND


def test_the_hosts_own_time_between_reports_counts_toward_a_whole_search_bound(tmp_path):
    # Only a gap inside a wait is taken for a stopped job: time the host
    # spends elsewhere, between two reports, is the search's.
    from vorn.uci import Engine, EngineTimeout

    with Engine(sys.executable, fake(tmp_path / "wire.log", "every-50ms")[1:], timeout=STARTUP) as engine:
        engine.handshake()
        start = time.monotonic()
        search = engine.go(timeout=2.0)
        next(search)
        time.sleep(1.5)
        with pytest.raises(EngineTimeout, match=r"^no bestmove within 2\.000 s$"):
            for _ in search:
                pass
        assert time.monotonic() - start < 3.0, "the sleep counted whole, not as a stop"
        engine.kill()  # it reports on, and would not read quit
