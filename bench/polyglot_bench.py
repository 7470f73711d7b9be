"""Times Polyglot books and opening names from Python; medians of many runs.

    python3 bench/polyglot_bench.py [BOOK]     # BOOK defaults to Debian's gnuchess book

Lookups on a real book, with `chess.polyglot` beside them when installed;
openings_lookup after the catalogue exists and the catalogue's first build
(in a fresh process); building a book from a PGN corpus made at run time
(2,000 random legal games of up to 80 plies, written by our own PGN writer
and repeated to 100,000 games), and the builder's memory per distinct move;
writing a book of 1,000,000 records, spread over many keys and all under one
key (duplicates merged); opening a book of 256 MiB from a file. Times are CPU time of this process, so that a busy
machine does not inflate them.
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
from vorn.polyglot import PolyglotBook, PolyglotBuilder, PolyglotEntry

BOOK = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/games/gnuchess/book.bin"
START = vorn.Position.from_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1")
RUY = START
for san in ("e4", "e5", "Nf3", "Nc6", "Bb5"):
    RUY = RUY.play(RUY.parse_san(san))


def median_us(stmt, number=20000, repeat=15):
    return statistics.median(timeit.repeat(stmt, number=number, repeat=repeat, timer=time.process_time)) / number * 1e6


def first_build_ms():
    """The first openings_count() of a fresh process, move generation already warm."""
    script = (
        "import time, vorn\n"
        "p = vorn.CLASSIC.start_position(0); p.parse_san('e4'); p.legal_moves(); p.polyglot_key\n"
        "t = time.process_time(); vorn.openings_count(); print((time.process_time() - t) * 1e3)\n")
    runs = [float(subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                                 check=True).stdout) for _ in range(9)]
    return statistics.median(runs)


def corpus(games=100_000, distinct=2000, plies=80):
    draw = random.Random(5)
    texts = []
    for _ in range(distinct):
        game = vorn.Game()
        while game.ply < plies and game.outcome() is None:
            game.play(draw.choice(game.legal_moves()))
        texts.append(str(game.to_pgn()))
    return "\n".join(texts * (games // distinct))


# Run in a fresh process, whose heap holds nothing freed to reuse.
MEMORY_SCRIPT = """
import os, sys
from vorn.polyglot import PolyglotBuilder
def resident():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")
text = open(sys.argv[1]).read()
builder, before = PolyglotBuilder(), resident()
builder.add_pgn_string(text)
print(len(builder), (resident() - before) / len(builder))
"""


def builder_rows(text):
    rows = []
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "corpus.pgn")
        with open(path, "w") as out:
            out.write(text)
        for name, add in (("add_pgn(file)", lambda b: b.add_pgn(path)),
                          ("add_pgn_string(text)", lambda b: b.add_pgn_string(text))):
            builder = PolyglotBuilder()
            start = time.process_time()
            games = add(builder)
            rows.append((f"PolyglotBuilder.{name}, games/s", games / (time.process_time() - start)))
        start = time.process_time()
        rows.append(("pgn_count(file) on the same corpus, games/s", vorn.pgn_count(path) / (time.process_time() - start)))
        # One copy of the distinct games: nearly every move a new pair.
        with open(path, "w") as out:
            out.write(text[: len(text) // 50])
        pairs, per_pair = subprocess.run([sys.executable, "-c", MEMORY_SCRIPT, path], capture_output=True,
                                         text=True, check=True).stdout.split()
        rows.append((f"builder bytes per distinct move ({pairs} moves)", float(per_pair)))
    return rows


def write_seconds(entries):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "book.bin")
        times = []
        for _ in range(5):
            start = time.process_time()
            PolyglotBook.write(path, entries)
            times.append(time.process_time() - start)
        return statistics.median(times)


def load_mib_per_second(mib=256):
    """PolyglotBook(path) on a file of random records, read from the page cache."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "big.bin")
        chunk = os.urandom(1 << 20)
        with open(path, "wb") as out:
            for _ in range(mib):
                out.write(chunk)
        times = []
        for _ in range(7):
            start = time.process_time()
            PolyglotBook(path)
            times.append(time.process_time() - start)
        return mib / statistics.median(times)


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
    for name, value in builder_rows(corpus()):
        print(f"{name:44} {value:11.1f}")

    draw = random.Random(1)
    moves = START.legal_moves()
    spread = [PolyglotEntry(draw.getrandbits(64), draw.choice(moves), draw.randrange(1, 100)) for _ in range(1_000_000)]
    one_key = [PolyglotEntry(1, draw.choice(moves), draw.randrange(1, 100), i) for i in range(1_000_000)]
    print(f"{'write 1,000,000 records, many keys':44} {write_seconds(spread):9.3f} s")
    print(f"{'write 1,000,000 records under one key':44} {write_seconds(one_key):9.3f} s")
    print(f"{'PolyglotBook(path), 256 MiB file, MiB/s':44} {load_mib_per_second():11.1f}")


if __name__ == "__main__":
    main()
