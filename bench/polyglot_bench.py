"""Times Polyglot books and opening names from Python; medians of many runs.

    python3 bench/polyglot_bench.py [BOOK]     # BOOK defaults to Debian's gnuchess book

Lookups on a real book, with `chess.polyglot` beside them when installed;
openings_lookup after the catalogue exists and the catalogue's first build
(in a fresh process); writing a book of 1,000,000 records, spread over many
keys and all under one key (duplicates merged).
"""
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time
import timeit

import vorn
from vorn.polyglot import PolyglotBook, PolyglotEntry

BOOK = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/games/gnuchess/book.bin"
START = vorn.Position.from_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1")
RUY = START
for san in ("e4", "e5", "Nf3", "Nc6", "Bb5"):
    RUY = RUY.play(RUY.parse_san(san))


def median_us(stmt, number=20000, repeat=15):
    return statistics.median(timeit.repeat(stmt, number=number, repeat=repeat)) / number * 1e6


def first_build_ms():
    """The first openings_count() of a fresh process, move generation already warm."""
    script = (
        "import time, vorn\n"
        "p = vorn.CLASSIC.start_position(0); p.parse_san('e4'); p.legal_moves(); p.polyglot_key\n"
        "t = time.perf_counter(); vorn.openings_count(); print((time.perf_counter() - t) * 1e3)\n")
    runs = [float(subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                                 check=True).stdout) for _ in range(9)]
    return statistics.median(runs)


def write_seconds(entries):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "book.bin")
        times = []
        for _ in range(5):
            start = time.perf_counter()
            PolyglotBook.write(path, entries)
            times.append(time.perf_counter() - start)
        return statistics.median(times)


def main():
    book = PolyglotBook(BOOK)
    rows = [
        ("PolyglotBook.entries(start), 13 entries", median_us(lambda: book.entries(START))),
        ("PolyglotBook.entries(after 3. Bb5)", median_us(lambda: book.entries(RUY))),
        ("PolyglotBook.best(start)", median_us(lambda: book.best(START))),
        ("PolyglotBook.raw_entries(start key)", median_us(lambda: book.raw_entries(0x463B96181691FC9C))),
        ("openings_lookup(after 3. Bb5)", median_us(lambda: vorn.openings_lookup(RUY))),
        ("openings_lookup(start), no name", median_us(lambda: vorn.openings_lookup(START))),
    ]
    try:
        import chess
        import chess.polyglot

        board = chess.Board()
        with chess.polyglot.open_reader(BOOK) as reader:
            rows.append(("chess.polyglot find_all(start), same book",
                         median_us(lambda: list(reader.find_all(board)), number=2000)))
    except ImportError:
        pass
    for name, us in rows:
        print(f"{name:44} {us:9.3f} us")
    print(f"{'catalogue built on first use':44} {first_build_ms():9.3f} ms")

    draw = random.Random(1)
    moves = START.legal_moves()
    spread = [PolyglotEntry(draw.getrandbits(64), draw.choice(moves), draw.randrange(1, 100)) for _ in range(1_000_000)]
    one_key = [PolyglotEntry(1, draw.choice(moves), draw.randrange(1, 100), i) for i in range(1_000_000)]
    print(f"{'write 1,000,000 records, many keys':44} {write_seconds(spread):9.3f} s")
    print(f"{'write 1,000,000 records under one key':44} {write_seconds(one_key):9.3f} s")


if __name__ == "__main__":
    main()
