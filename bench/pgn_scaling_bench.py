"""PGN costs that grow with the input, and PGN work beside other threads.

    python3 bench/pgn_scaling_bench.py

- a game of many tag pairs, and walking a deep tree of variations through
  PgnNode.variations: CPU seconds (median of three runs) at two sizes, so
  that four times the input should take about four times as long;
- pgn_count of one file in two threads at once against twice one after the
  other (wall time, median of five interleaved runs): about 2x when the
  interpreter lock is released, 1x when it is held;
- how many times a thread's 10 ms sleep loop runs during one pgn_count;
- pgn_read of 3,000 games beside one busy Python thread against alone (wall
  time, median of five interleaved runs): the fair share of the interpreter
  lock is about 2x, and a plain Python loop as long is shown for scale;
- how late a SIGINT sent during pgn_count raises KeyboardInterrupt (median
  of nine runs in child interpreters).
"""
import os
import random
import statistics
import subprocess
import sys
import tempfile
import threading
import time

import vorn
from vorn.pgn import pgn_count, pgn_read, pgn_read_string


def cpu_seconds(function, runs=3):
    times = []
    for _ in range(runs):
        start = time.process_time()
        function()
        times.append(time.process_time() - start)
    return statistics.median(times)


def many_tags(count):
    text = "".join(f'[T{i} "{i}"]\n' for i in range(count)) + "*\n"
    return lambda: next(pgn_read_string(text))


def deep_walk(depth):
    game = next(pgn_read_string("1. e4 " + "(1. d4 " * depth + ")" * depth + " *"))

    def walk():
        node = game.mainline()[0]
        while node.variations:
            node = node.variations[0][0]

    return walk


def corpus(path, games=40_000, distinct=2_000):
    chooser = random.Random(7)
    texts = []
    for _ in range(distinct):
        game = vorn.Game()
        while game.ply < 80 and game.outcome() is None:
            game.play(chooser.choice(game.legal_moves()))
        texts.append(str(game.to_pgn()))
    with open(path, "w") as out:
        out.write("\n".join(texts * (games // distinct)))


def wall_seconds(function):
    start = time.perf_counter()
    function()
    return time.perf_counter() - start


def in_threads(path, count):
    threads = [threading.Thread(target=pgn_count, args=(path,)) for _ in range(count)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()


def sleep_loop_ticks(path):
    ticks, done = [0], threading.Event()

    def loop():
        while not done.is_set():
            time.sleep(0.01)
            ticks[0] += 1

    thread = threading.Thread(target=loop)
    thread.start()
    seconds = wall_seconds(lambda: pgn_count(path))
    done.set()
    thread.join()
    return ticks[0], seconds


def python_loop(count):
    total = 0
    for i in range(count):
        total += i


def beside_busy_thread(work, runs=5):
    """The wall time of `work` alone and beside a thread that never waits."""
    alone, beside = [], []
    for _ in range(runs):
        alone.append(wall_seconds(work))
        busy = [True]

        def spin():
            x = 0
            while busy[0]:
                x += 1

        thread = threading.Thread(target=spin)
        thread.start()
        beside.append(wall_seconds(work))
        busy[0] = False
        thread.join()
    return statistics.median(alone), statistics.median(beside)


INTERRUPT = """
import os, signal, sys, threading, time
import vorn.pgn
sent = []
threading.Timer(0.3, lambda: (sent.append(time.perf_counter()), os.kill(os.getpid(), signal.SIGINT))).start()
try:
    vorn.pgn.pgn_count(sys.argv[1])
except KeyboardInterrupt:
    print(time.perf_counter() - sent[0])
"""


def interrupt_latency(path):
    runs = [float(subprocess.run([sys.executable, "-c", INTERRUPT, path], capture_output=True, text=True,
                                 check=True).stdout) for _ in range(9)]
    return statistics.median(runs)


def main():
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "games.pgn")
        corpus(path)
        one, two = [], []
        for _ in range(5):
            one.append(wall_seconds(lambda: (pgn_count(path), pgn_count(path))))
            two.append(wall_seconds(lambda: in_threads(path, 2)))
        print(f"pgn_count twice, one after the other: {statistics.median(one):.2f} s; in two threads: "
              f"{statistics.median(two):.2f} s ({statistics.median(one) / statistics.median(two):.2f}x)")
        ticks, seconds = sleep_loop_ticks(path)
        print(f"a 10 ms sleep loop ran {ticks} times during one pgn_count of {seconds:.2f} s")
        few = os.path.join(folder, "few.pgn")
        corpus(few, games=3_000, distinct=1_000)
        alone, beside = beside_busy_thread(lambda: sum(1 for _ in pgn_read(few)))
        print(f"pgn_read of 3,000 games alone: {alone:.3f} s; beside one busy thread: {beside:.3f} s "
              f"({beside / alone:.1f}x)")
        loops = int(1e6 * alone / wall_seconds(lambda: python_loop(1_000_000)))
        alone, beside = beside_busy_thread(lambda: python_loop(loops))
        print(f"a Python loop as long, for scale: alone {alone:.3f} s; beside the same thread: {beside:.3f} s "
              f"({beside / alone:.1f}x)")
        big = os.path.join(folder, "big.pgn")
        with open(path) as source, open(big, "w") as out:
            text = source.read()
            for _ in range(10):
                out.write(text + "\n")
        print(f"SIGINT during pgn_count raised after {interrupt_latency(big) * 1e3:.0f} ms (median of 9)")
    for label, make, sizes in [("read one game of N tag pairs", many_tags, (40_000, 200_000)),
                               ("walk a tree N variations deep", deep_walk, (5_000, 20_000))]:
        for size in sizes:
            print(f"{label}, N = {size:,}: {cpu_seconds(make(size)):.3f} s")


if __name__ == "__main__":
    main()
