#!/usr/bin/env python3
"""Throws hostile calls at every class and function of vorn for a while and
reports what went wrong: a crashed interpreter, a PanicException, a
SystemError, a class that let itself be changed, or a game left inconsistent
by a MemoryError.

    PYTHONPATH=/tmp/build/pkg python3 tools/fuzz_api.py --seconds 600 [--seed 1] [--jobs 4]

Each child process runs one seed for a slice of the time and writes every
call to its log before making it, so a crash names the call that caused it.
The calls: any method, getter, constructor or function with arguments drawn
from a pool of vorn objects and hostile values (lying sequences, dunders
that raise, lone surrogates, huge ints, bytes, NaN), keyword dicts whose
keys are not str, replacements of class dunders, and, in one child of
three, calls made under a tight address-space limit (RLIMIT_AS), after
which every game is checked against its own history.
"""

import argparse
import inspect
import os
import random
import resource
import subprocess
import sys
import tempfile
import time
import traceback

SLICE_SECONDS = 20


# ---- hostile values -----------------------------------------------------------------------------


class Liar:
    """A sequence whose length claims more items than it gives."""

    def __init__(self, items, extra):
        self.items, self.extra = list(items), extra

    def __len__(self):
        return len(self.items) + self.extra

    def __getitem__(self, i):
        return self.items[i]


class Raiser:
    """Every dunder a converter may call raises `error`."""

    def __init__(self, error):
        self.error = error

    def _raise(self, *args, **kwargs):
        raise self.error

    __index__ = __int__ = __float__ = __len__ = __getitem__ = __iter__ = __hash__ = __eq__ = __str__ = _raise
    __repr__ = lambda self: "Raiser(...)"  # noqa: E731  (the log must be able to print it)


class Shifty(str):
    """A str subclass whose dunders lie."""

    def __eq__(self, other):
        return True

    __hash__ = str.__hash__

    def __len__(self):
        return 10**9


def hostile_values(rng):
    errors = [ValueError("v"), TypeError("t"), IndexError("i"), MemoryError(), KeyboardInterrupt(), RecursionError()]
    texts = ["e4", "e2e4", "g1f3", "e8g8", "Nf3", "O-O", "white", "b", "a", "k", "chess", "chess960", "king_to_rook",
             "quiet", "capture", "", " ", "\ud800", "é", "\0", "x" * 1000, Shifty("e4"),
             "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", "8/8/8/8/8/8/8/8 w - - 0 1",
             "option name Hash type spin default 16 min 1 max 1024", "bestmove e2e4 ponder e7e5",
             "info depth 3 pv e2e4 e7e5 score cp 20", "id name X", "readyok", "uciok"]
    numbers = [0, 1, -1, 7, 63, 64, 518, 959, 960, 2**31, 2**63, -(2**63) - 1, 2**70, 1.5, float("nan"),
               float("inf"), True, False]
    sequences = [[], ["e2e4"], ["e4", "d5"], ("a", "h"), Liar(["e4"], rng.choice([1, 5, 2**40])),
                 Liar([], 1), [Raiser(rng.choice(errors))], ["\ud800"], list(range(3))]
    return texts + numbers + sequences + [None, b"e4", object(), Raiser(rng.choice(errors)), {}, {"a": 1}]


# ---- the child ------------------------------------------------------------------------------------


def targets(native):
    """(name, callable) for every constructor, method, getter and function."""
    found = []
    for name, value in vars(native).items():
        if isinstance(value, type) and not issubclass(value, BaseException):
            found.append((name, value))
            for attr, member in vars(value).items():
                if inspect.isgetsetdescriptor(member):
                    found.append((f"{name}.{attr}", lambda obj, _a=attr: getattr(obj, _a)))
                elif callable(member) or isinstance(member, (classmethod, staticmethod)):
                    found.append((f"{name}.{attr}", getattr(value, attr)))
        elif callable(value) and not isinstance(value, type):
            found.append((name, value))
    return found


def seed_pool(vorn):
    game = vorn.Game()
    for text in ("e2e4", "e7e5", "g1f3"):
        game.play(text)
    position = game.position
    pool = [game, position, vorn.Move("e2", "e4"), vorn.SquareSet(["e4", "d5"]), vorn.FileSet(["a"]),
            vorn.ByColour(1, 2), vorn.CLASSIC, vorn.CHESS960, vorn.uci.Limits(depth=3), vorn.uci.protocol.Session()]
    for make in (lambda: position.castling("white"), lambda: position.en_passant_status(), lambda: game.draw_status(),
                 lambda: game.repetition_status(), lambda: position.ending(), lambda: vorn.uci.uci_parse("readyok"),
                 lambda: vorn.uci.uci_parse("option name Hash type spin default 16 min 1 max 1024").option):
        try:
            pool.append(make())
        except Exception:
            pass
    return pool


def shown(value):
    """repr(value) for the log, even once a class's __repr__ was replaced."""
    try:
        return repr(value)[:300]
    except BaseException:
        return "<unprintable>"


def check_games(games):
    """Every game agrees with its own history; returns a complaint or None."""
    for game in games:
        try:
            moves, positions = game.moves, game.positions
            if not (game.ply == len(moves) == len(positions) - 1):
                return f"ply {game.ply}, {len(moves)} moves, {len(positions)} positions"
            game.repetitions()
            copy = game.copy()
            if copy.moves and copy.undo() is None:
                return "undo of a copy with moves gave None"
        except MemoryError:
            continue
        except Exception as error:
            return f"inconsistent game: {error!r}"
    return None


def child(seed, seconds, log_path):
    import vorn
    import vorn._vorn as native

    rng = random.Random(seed)
    calls = targets(native)
    pool = seed_pool(vorn)
    values = hostile_values(rng)
    classes = [value for value in vars(native).values() if isinstance(value, type)
               and not issubclass(value, BaseException)]
    squeeze = seed % 3 == 0
    findings = []
    log = open(log_path, "w", buffering=1)
    deadline = time.monotonic() + seconds
    count = 0
    while time.monotonic() < deadline:
        count += 1
        kind = rng.random()
        if kind < 0.05:
            cls, name = rng.choice(classes), rng.choice(["__new__", "__init__", "__repr__", "__hash__", "x", "__eq__"])
            log.write(f"{count} setattr {cls.__name__}.{name}\n")
            try:
                setattr(cls, name, lambda *a, **k: None)
                findings.append(f"{cls.__name__}.{name} could be replaced")
            except TypeError:
                pass
            continue
        name, target = rng.choice(calls)
        receiver = [rng.choice(pool)] if rng.random() < 0.7 else []
        args = receiver + [rng.choice(values + pool) for _ in range(rng.choice([0, 1, 1, 2, 3]))]
        keywords = {}
        if rng.random() < 0.3:
            key = rng.choice(["variant", "seed", "castling", "depth", "search_moves", "colour", b"x", ("t",), 1, "zz"])
            keywords[key] = rng.choice(values + pool)
        limit = squeeze and rng.random() < 0.3
        log.write(f"{count} {name} {shown(args)} {shown(keywords)} squeezed={limit}\n")
        soft, hard = resource.getrlimit(resource.RLIMIT_AS)
        try:
            if limit:
                in_use = int(open("/proc/self/status").read().split("VmSize:")[1].split()[0]) * 1024
                resource.setrlimit(resource.RLIMIT_AS, (in_use + rng.randrange(1 << 22), hard))
            result = target(*args, **keywords)
        except (KeyboardInterrupt, MemoryError, RecursionError, SystemExit):
            result = None
        except SystemError as error:
            findings.append(f"SystemError from {name}: {error}")
            result = None
        except Exception:
            result = None
        except BaseException as error:  # PanicException, the one base class left
            findings.append(f"{type(error).__name__} from {name}: {error}")
            result = None
        finally:
            if limit:
                resource.setrlimit(resource.RLIMIT_AS, (soft, hard))
        if result is not None and len(pool) < 200 and type(result).__module__.startswith("vorn"):
            pool.append(result)
        complaint = check_games([obj for obj in pool if isinstance(obj, vorn.Game)])
        if complaint:
            findings.append(f"after {name}: {complaint}")
            pool = [obj for obj in pool if not isinstance(obj, vorn.Game)] + [vorn.Game()]
    log.write(f"done {count}\n")
    for finding in sorted(set(findings)):
        print(finding)
    print(f"calls {count}")


# ---- the parent --------------------------------------------------------------------------------------


def run(seconds, seed, jobs):
    deadline = time.monotonic() + seconds
    total_calls, bad, seeds = 0, 0, 0
    with tempfile.TemporaryDirectory() as logs:
        while time.monotonic() < deadline:
            running = []
            for _ in range(jobs):
                slice_seconds = max(1.0, min(SLICE_SECONDS, deadline - time.monotonic()))
                log_path = os.path.join(logs, f"{seed}.log")
                command = [sys.executable, os.path.abspath(__file__), "--child", str(seed), "--seconds", str(slice_seconds),
                           "--log", log_path]
                # In the scratch folder: calls may write files (books, games) wherever a path says.
                running.append((seed, log_path, subprocess.Popen(command, stdout=subprocess.PIPE, cwd=logs,
                                                                 stderr=subprocess.PIPE, text=True)))
                seed += 1
            for child_seed, log_path, process in running:
                out, err = process.communicate()
                seeds += 1
                lines = out.splitlines()
                if lines and lines[-1].startswith("calls "):
                    total_calls += int(lines.pop().split()[1])
                if process.returncode != 0:
                    bad += 1
                    with open(log_path) as log:
                        last = log.readlines()[-3:]
                    print(f"seed {child_seed}: exit {process.returncode}; last calls:\n  " + "  ".join(last) + err[-2000:])
                for line in lines:
                    bad += 1
                    print(f"seed {child_seed}: {line}")
    print(f"{total_calls} calls in {seeds} children over {seconds:.0f} s; {bad} findings")
    return 1 if bad else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--seed", type=int, default=int(time.time()))
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    parser.add_argument("--child", type=int)
    parser.add_argument("--log")
    options = parser.parse_args()
    if options.child is not None:
        try:
            child(options.child, options.seconds, options.log)
        except BaseException:
            traceback.print_exc()
            raise
        return 0
    return run(options.seconds, options.seed, options.jobs)


if __name__ == "__main__":
    sys.exit(main())
