"""PGN reading speed and memory, with a corpus made at run time: random legal
games of about 80 plies written by vorn's own writer (a few thousand made,
the text repeated to 100,000 games).

    python3 bench/pgn_bench.py              # pgn_count games/s; pgn_read next to PyPI chess
    python3 bench/pgn_bench.py --rss 1024   # also peak RSS counting a 1024 MB file in /tmp

Times are CPU seconds. pgn_count reads and checks every move; the side-by-side run reads each game
into a PgnGame and its main line's SAN, against chess.pgn.read_game doing the
same on a slice of the same file (the slower library gets fewer games).
"""
import argparse
import os
import random
import resource
import subprocess
import sys
import tempfile
import time

import vorn
from vorn.pgn import pgn_count, pgn_read

UNIQUE = 4000
GAMES = 100_000


def random_game(chooser):
    game = vorn.Game()
    plies = chooser.randint(60, 100)
    for _ in range(plies):
        moves = game.legal_moves()
        if not moves or game.outcome():
            break
        game.play(chooser.choice(moves))
    record = game.to_pgn()
    record.set_header("Event", f"bench {chooser.random():.6f}")
    return str(record)


def corpus(path, games):
    chooser = random.Random(2024)
    texts = [random_game(chooser) for _ in range(UNIQUE)]
    plies = sum(len(next(pgn_read(write_one(t))).mainline()) for t in texts[:200]) / 200
    with open(path, "w") as out:
        for i in range(games):
            out.write(texts[i % UNIQUE])
            out.write("\n")
    return plies


def write_one(text):
    handle, name = tempfile.mkstemp(suffix=".pgn")
    with os.fdopen(handle, "w") as out:
        out.write(text)
    return name


def timed(function):
    """The result and the CPU seconds it took: a busy machine does not inflate it."""
    start = time.process_time()
    result = function()
    return result, time.process_time() - start


def read_vorn(path):
    sans = 0
    for game in pgn_read(path):
        sans += len([node.san for node in game.mainline()])
    return sans


def read_chess(path, limit):
    import chess.pgn

    games = 0
    with open(path) as handle:
        while games < limit:
            game = chess.pgn.read_game(handle)
            if game is None:
                break
            board = game.board()
            for move in game.mainline_moves():
                board.san(move)
                board.push(move)
            games += 1
    return games


def peak_rss_mb(path):
    code = f"import resource, vorn.pgn; vorn.pgn.pgn_count({path!r}); " \
           "print(resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)"
    out = subprocess.run([sys.executable, "-c", code], check=True, capture_output=True, text=True)
    return int(out.stdout) / 1024


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rss", type=int, default=0, help="MB of PGN to count for the peak-RSS figure")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "bench.pgn")
        plies = corpus(path, GAMES)
        size = os.path.getsize(path) / 1e6
        print(f"corpus: {GAMES} games, ~{plies:.0f} plies each, {size:.1f} MB")
        count, seconds = timed(lambda: pgn_count(path))
        assert count == GAMES
        print(f"pgn_count: {count / seconds:,.0f} games/s ({seconds:.2f} s)")
        _, seconds = timed(lambda: read_vorn(path))
        ours = GAMES / seconds
        print(f"pgn_read + mainline SAN: {ours:,.0f} games/s ({seconds:.2f} s)")
        try:
            import chess  # noqa: F401
        except ImportError:
            print("PyPI chess not installed: no side-by-side figure")
        else:
            games, seconds = timed(lambda: read_chess(path, 2000))
            theirs = games / seconds
            print(f"chess.pgn.read_game + SAN: {theirs:,.0f} games/s; vorn is {ours / theirs:,.0f}x faster")
        if args.rss:
            with open(path, "rb") as source:
                chunk = source.read()
            big = os.path.join(folder, "big.pgn")
            with open(big, "wb") as out:
                for _ in range(max(1, int(args.rss * 1e6 / len(chunk)))):
                    out.write(chunk)
            print(f"peak RSS counting {os.path.getsize(big) / 1e6:,.0f} MB: {peak_rss_mb(big):.1f} MB "
                  f"(baseline {peak_rss_mb(write_one('*')):.1f} MB)")


if __name__ == "__main__":
    main()
