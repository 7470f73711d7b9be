"""PGN reading speed and memory, with a corpus made at run time: random legal
games of about 80 plies written by vorn's own writer (a few thousand made,
the text repeated to 100,000 games).

    python3 bench/pgn_bench.py              # pgn_count games/s; pgn_read next to PyPI chess
    python3 bench/pgn_bench.py --rss 1024   # also peak RSS counting a 1024 MB file in /tmp
    python3 bench/pgn_bench.py --peer       # only the side-by-side run with the Rust reader

Times are CPU seconds. pgn_count reads and checks every move; the side-by-side run reads each game
into a PgnGame and its main line's SAN, against chess.pgn.read_game doing the
same on a slice of the same file (the slower library gets fewer games).

When the Rust-backed `rust_pgn_reader_python_binding` is installed, a second
run sets vorn beside it on 20,000 distinct random legal games (seed 17),
written once plainly and once with a clock comment after every move: the
peer parses the games (one thread, handed the games as strings already split,
its best case), vorn reads the file with pgn_read and every main line's SAN,
counts it with pgn_count and builds a book of it with PolyglotBuilder.add_pgn
(its length read too, so that every move is counted).
Rounds are interleaved and each figure is the median of its rounds.
"""
import argparse
import os
import statistics
import random
import subprocess
import sys
import tempfile
import time

import vorn
from vorn.pgn import pgn_count, pgn_read, pgn_read_string

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
    plies = sum(len(next(pgn_read_string(t)).mainline()) for t in texts[:200]) / 200
    with open(path, "w") as out:
        for i in range(games):
            out.write(texts[i % UNIQUE])
            out.write("\n")
    return plies


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


PEER_GAMES = 20_000
CLOCK = "{ [%clk 0:02:58] }"


def random_sans(games, seed):
    """The SAN of each of `games` random legal games of 60 to 120 plies."""
    draw = random.Random(seed)
    start = vorn.CLASSIC.start_position(0)
    for _ in range(games):
        position, sans = start, []
        for _ in range(draw.randint(60, 120)):
            moves = position.legal_moves()
            if not moves:
                break
            move = draw.choice(moves)
            sans.append(position.san(move))
            position = position.play(move)
        yield sans


def game_text(number, sans, clocks):
    """A game as sites export them: the plain one wrapped at 80 columns, the clocked one on one line."""
    words = []
    for ply, san in enumerate(sans):
        if ply % 2 == 0:
            words.append(f"{ply // 2 + 1}.")
        elif clocks:
            words.append(f"{ply // 2 + 1}...")
        words.append(san)
        if clocks:
            words.append(CLOCK)
    words.append("*")
    lines, line = [], ""
    for word in words:
        if line and not clocks and len(line) + 1 + len(word) > 80:
            lines.append(line)
            line = word
        else:
            line = f"{line} {word}" if line else word
    lines.append(line)
    tags = (f'[Event "peer {number}"]\n[Site "?"]\n[Date "????.??.??"]\n[Round "?"]\n'
            f'[White "?"]\n[Black "?"]\n[Result "*"]\n')
    return tags + "\n" + "\n".join(lines) + "\n"


def built(builder, path):
    """add_pgn's count of games, the builder's length read too: counting may finish only when it is read."""
    games = builder.add_pgn(path)
    len(builder)
    return games


def side_by_side(folder, rounds):
    import rust_pgn_reader_python_binding as peer
    from vorn.polyglot import PolyglotBuilder

    games = list(random_sans(PEER_GAMES, 17))
    print(f"side by side with rust_pgn_reader_python_binding: {PEER_GAMES} games, "
          f"{sum(map(len, games)) / PEER_GAMES:.0f} plies each, medians of {rounds} interleaved rounds")
    for label, clocks in (("plain", False), ("clocked", True)):
        texts = [game_text(i, sans, clocks) for i, sans in enumerate(games)]
        path = os.path.join(folder, f"peer-{label}.pgn")
        with open(path, "w") as out:
            out.write("\n".join(texts))
        runs = {
            "rust reader": lambda: len(peer.parse_games_from_strings(texts, num_threads=1)),
            "pgn_read + SAN": lambda: sum(1 for game in pgn_read(path) if [n.san for n in game.mainline()]),
            "pgn_count": lambda: pgn_count(path),
            "PolyglotBuilder.add_pgn": lambda: built(PolyglotBuilder(), path),
        }
        seconds = {name: [] for name in runs}
        for _ in range(rounds):
            for name, run in runs.items():
                count, spent = timed(run)
                assert count == PEER_GAMES, (name, count)
                seconds[name].append(spent)
        rates = {name: PEER_GAMES / statistics.median(spent) for name, spent in seconds.items()}
        print(f"  {label} file, {os.path.getsize(path) / 1e6:.1f} MB:")
        for name, rate in rates.items():
            print(f"    {name:24} {rate:10,.0f} games/s  {rate / rates['rust reader']:5.2f}x the rust reader")
        print(f"    add_pgn / pgn_count      {rates['PolyglotBuilder.add_pgn'] / rates['pgn_count']:5.2f}x")


def one_game_file(folder):
    """A file of one empty game: the baseline of the peak-RSS figure."""
    path = os.path.join(folder, "one.pgn")
    with open(path, "w") as out:
        out.write("*\n")
    return path


def peak_rss_mb(path):
    """The child's own peak (VmHWM): ru_maxrss would carry this process's peak over the fork."""
    code = f"import vorn.pgn; vorn.pgn.pgn_count({path!r}); " \
           "print(next(l.split()[1] for l in open('/proc/self/status') if l.startswith('VmHWM:')))"
    out = subprocess.run([sys.executable, "-c", code], check=True, capture_output=True, text=True)
    return int(out.stdout) / 1024


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rss", type=int, default=0, help="MB of PGN to count for the peak-RSS figure")
    parser.add_argument("--peer", action="store_true", help="only the side-by-side run with the Rust reader")
    parser.add_argument("--rounds", type=int, default=5, help="interleaved rounds of the side-by-side run")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as folder:
        try:
            import rust_pgn_reader_python_binding  # noqa: F401
        except ImportError:
            print("rust_pgn_reader_python_binding not installed: no side-by-side run with it")
        else:
            side_by_side(folder, args.rounds)
        if args.peer:
            return
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
                  f"(baseline {peak_rss_mb(one_game_file(folder)):.1f} MB)")


if __name__ == "__main__":
    main()
