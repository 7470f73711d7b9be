"""PGN costs that grow with the input: a game of many tag pairs, and walking
a deep tree of variations through PgnNode.variations. Each size is timed in
CPU seconds (median of three runs), so doubling the input should about
double the time.

    python3 bench/pgn_scaling_bench.py
"""
import statistics
import time

from vorn.pgn import pgn_read_string


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


def main():
    for label, make, sizes in [("read one game of N tag pairs", many_tags, (40_000, 200_000)),
                               ("walk a tree N variations deep", deep_walk, (5_000, 20_000))]:
        for size in sizes:
            print(f"{label}, N = {size:,}: {cpu_seconds(make(size)):.3f} s")


if __name__ == "__main__":
    main()
