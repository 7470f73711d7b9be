"""Times the engine client against real and scripted engines:

  - the client's overhead per `play` at fixed nodes, over a bare pipe driver
    that writes the same lines and reads to the best move;
  - following an engine that reports 10,000 times a second: reports received,
    time behind the engine, and the memory the process grew by;
  - `analyse` with MultiPV 3 at depth 12 on Stockfish, side by side with the
    `chess` library's SimpleEngine on the same engine, limits and positions.

    python3 bench/engine_bench.py
"""
import os
import resource
import statistics
import subprocess
import sys
import textwrap
import time

import vorn
from vorn.uci import Engine, Limits

STOCKFISH = "/usr/games/stockfish"
OPENINGS = ["e2e4 e7e5 g1f3 b8c6 f1b5", "d2d4 g8f6 c2c4 e7e6 b1c3 f8b4", "e2e4 c7c5 g1f3 d7d6 d2d4 c5d4",
            "c2c4 e7e5 b1c3 g8f6 g2g3 d7d5", "g1f3 d7d5 g2g3 g8f6 f1g2 c7c6", "e2e4 e7e6 d2d4 d7d5 b1c3 f8b4",
            "d2d4 d7d5 c2c4 c7c6 g1f3 g8f6", "e2e4 c7c6 d2d4 d7d5 e4e5 c8f5"]


def game_of(moves):
    game = vorn.Game()
    for move in moves.split():
        game.play(move)
    return game


def median_ms(run, times):
    samples = []
    for _ in range(times):
        start = time.perf_counter()
        run()
        samples.append((time.perf_counter() - start) * 1e3)
    return statistics.median(samples)


def play_overhead(nodes=2000, times=200):
    game = game_of(OPENINGS[0])
    line = "position startpos moves " + OPENINGS[0] + "\n"
    bare = subprocess.Popen([STOCKFISH], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
    bare.stdin.write("uci\nisready\n")
    while bare.stdout.readline().strip() != "readyok":
        pass

    def bare_play():
        bare.stdin.write(line + f"go nodes {nodes}\n")
        while not bare.stdout.readline().startswith("bestmove"):
            pass

    with Engine(STOCKFISH) as engine:
        engine.handshake()
        limits = Limits(nodes=nodes)
        vorn_ms = median_ms(lambda: engine.play(game, limits), times)
    bare_ms = median_ms(bare_play, times)
    bare.stdin.write("quit\n")
    bare.wait()
    print(f"play, Stockfish at {nodes} nodes: vorn {vorn_ms:.3f} ms, bare pipe {bare_ms:.3f} ms, "
          f"client overhead {vorn_ms - bare_ms:+.3f} ms per call")


FLOOD = textwrap.dedent("""
    import sys, time
    rate, seconds = int(sys.argv[1]), float(sys.argv[2])
    for line in sys.stdin:
        if line.startswith("uci"): print("id name Flood"); print("uciok", flush=True)
        elif line.startswith("isready"): print("readyok", flush=True)
        elif line.startswith("go"):
            start, sent = time.monotonic(), 0
            while time.monotonic() - start < seconds:
                due = int((time.monotonic() - start) * rate)
                while sent < due:
                    sent += 1
                    sys.stdout.write(f"info depth 20 seldepth 30 score cp 25 nodes {sent} nps 1000000 pv e2e4 e7e5 g1f3\\n")
                sys.stdout.flush(); time.sleep(0.002)
            print(f"info string sent {sent}"); print("bestmove e2e4", flush=True)
        elif line.startswith("quit"): break
""")


def follow(rate=10_000, seconds=3.0):
    args = ["-c", FLOOD, str(rate), str(seconds)]
    rss = lambda: resource.getrusage(resource.RUSAGE_SELF).ru_maxrss  # noqa: E731  KiB
    with Engine(sys.executable, args) as engine:
        engine.handshake()
        before = rss()
        start = time.monotonic()
        search = engine.go(Limits(infinite=True), timeout=seconds + 5)
        received = sum(1 for info in search if info.string is None)
        behind = time.monotonic() - start - seconds
        print(f"following {rate} reports/s for {seconds:.0f} s: {received} reports read as Info, "
              f"done {behind * 1e3:.0f} ms after the engine, peak memory +{(rss() - before) / 1024:.1f} MiB")
        before = rss()
        engine.play(vorn.Game(), timeout=seconds + 5)
        print(f"  the same flood under play (reports not read): peak memory +{(rss() - before) / 1024:.1f} MiB")


def analyse_side_by_side(depth=12, multipv=3):
    games = [game_of(moves) for moves in OPENINGS]
    with Engine(STOCKFISH) as engine:
        engine.handshake()
        engine.set_option("MultiPV", multipv)
        engine.is_ready()
        samples = []
        for game in games:
            start = time.perf_counter()
            infos = engine.analyse(game, Limits(depth=depth))
            samples.append(time.perf_counter() - start)
            assert len(infos) == multipv
    vorn_ms = statistics.median(samples) * 1e3
    try:
        import chess
        import chess.engine
    except ImportError:
        print(f"analyse MultiPV {multipv} depth {depth}: vorn {vorn_ms:.1f} ms per call (chess not installed)")
        return
    theirs = []
    with chess.engine.SimpleEngine.popen_uci(STOCKFISH) as engine:
        for moves in OPENINGS:
            board = chess.Board()
            for move in moves.split():
                board.push_uci(move)
            start = time.perf_counter()
            infos = engine.analyse(board, chess.engine.Limit(depth=depth), multipv=multipv)
            theirs.append(time.perf_counter() - start)
            assert len(infos) == multipv
    chess_ms = statistics.median(theirs) * 1e3
    print(f"analyse MultiPV {multipv} depth {depth}, median over {len(OPENINGS)} positions: "
          f"vorn {vorn_ms:.1f} ms, chess SimpleEngine {chess_ms:.1f} ms per call")


def main():
    if not os.path.exists(STOCKFISH):
        sys.exit(f"{STOCKFISH} is not installed")
    play_overhead()
    follow()
    analyse_side_by_side()


if __name__ == "__main__":
    main()
