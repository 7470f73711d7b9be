"""Times vorn's Python API, median of many runs; with the independent pure-Python
library `chess` installed, the same operations side by side as ratios.

    python3 bench/bench.py
"""
import statistics
import timeit

import vorn

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"


def vorn_perft(position, depth):
    """Leaves at `depth`, every level listed as a user would list it."""
    if depth == 1:
        return len(position.legal_moves())
    return sum(vorn_perft(position.play(m), depth - 1) for m in position.legal_moves())


def chess_perft(board, depth):
    """The same count through the `chess` library, playing and taking back."""
    if depth == 1:
        return board.legal_moves.count()
    total = 0
    for m in list(board.legal_moves):
        board.push(m)
        total += chess_perft(board, depth - 1)
        board.pop()
    return total


def median_us(stmt, number=2000, repeat=15):
    times = timeit.repeat(stmt, number=number, repeat=repeat)
    return statistics.median(times) / number * 1e6


def vorn_cases():
    start = vorn.Position.from_fen(START)
    kiwi = vorn.Position.from_fen(KIWIPETE)
    e4 = start.parse_uci("e2e4")

    class Plain:
        side_to_move = "white"

    plain = Plain()

    return {
        "from_fen(START).legal_moves()": lambda: vorn.Position.from_fen(START).legal_moves(),
        "from_fen + fen": lambda: vorn.Position.from_fen(START).fen,
        "legal_moves() on Kiwipete": kiwi.legal_moves,
        "play one move": lambda: start.play(e4),
        "san of a move": lambda: start.san(e4),
        "parse_san of a move": lambda: start.parse_san("e4"),
        "side_to_move": lambda: start.side_to_move,
        "attribute of a plain object": lambda: plain.side_to_move,
        "perft(4) Kiwipete": (lambda: vorn_perft(kiwi, 4), 1, 3),
    }


def chess_cases():
    import chess

    start = chess.Board(START)
    kiwi = chess.Board(KIWIPETE)
    e4 = chess.Move.from_uci("e2e4")

    def play(board, move):
        board = board.copy(stack=False)
        board.push(move)
        return board

    return {
        "from_fen(START).legal_moves()": lambda: list(chess.Board(START).legal_moves),
        "from_fen + fen": lambda: chess.Board(START).fen(),
        "legal_moves() on Kiwipete": lambda: list(kiwi.legal_moves),
        "play one move": lambda: play(start, e4),
        "san of a move": lambda: start.san(e4),
        "parse_san of a move": lambda: start.parse_san("e4"),
        "side_to_move": lambda: start.turn,
        "perft(4) Kiwipete": (lambda: chess_perft(kiwi, 4), 1, 3),
    }


# ---- Game: the costs that grow with a game's length -------------------------


def long_game(plies=200):
    """A random legal game of `plies` plies that has not ended, the same every run."""
    import random

    for seed in range(100):
        rng = random.Random(seed)
        game = vorn.Game()
        while game.ply < plies and game.outcome() is None:
            game.play(rng.choice(game.legal_moves()))
        if game.ply == plies and game.outcome() is None:
            return game
    raise RuntimeError(f"no random game reached {plies} plies")


def game_cases():
    game = long_game()
    uci = game.move_to_uci(game.legal_moves()[0])
    move = game.legal_moves()[0]

    def play_undo():
        game.play(uci)
        game.undo()

    def play_move_undo():
        game.play(move)
        game.undo()

    return {
        "Game.play(uci) + undo, ply 200": play_undo,
        "Game.play(Move) + undo, ply 200": play_move_undo,
        "Game.claims(), ply 200": game.claims,
        "Game.outcome(), ply 200": game.outcome,
        "Game.repetitions(), ply 200": game.repetitions,
        "Game.draw_status(), ply 200": game.draw_status,
        "Game.claims_after(mv), ply 200": lambda: game.claims_after(move),
        "Game.copy(), ply 200": game.copy,
        "Game.__setstate__, ply 200": (lambda state=game.__getstate__(): vorn.Game().__setstate__(state),
                                       200, 15),
    }


def run(cases):
    out = {}
    for name, case in cases.items():
        fn, number, repeat = case if isinstance(case, tuple) else (case, 2000, 15)
        out[name] = median_us(fn, number, repeat)
    return out


def main():
    ours = run(vorn_cases())
    try:
        theirs = run(chess_cases())
    except ImportError:
        theirs = {}
    print(f"{'operation':34} {'vorn':>12} {'chess':>12} {'ratio':>8}")
    for name, us in ours.items():
        other = theirs.get(name)
        extra = f"{other:10.3f}us {other / us:7.1f}x" if other else ""
        print(f"{name:34} {us:10.3f}us {extra}")
    print()
    for name, us in run(game_cases()).items():
        print(f"{name:34} {us:10.3f}us")


if __name__ == "__main__":
    main()
