"""vorn side by side with the other Python chess libraries that are installed:
`chess` (pure Python), `rust-chess`, `cozy-chess-py` and `bulletchess` (a C
extension that needs CPython 3.13). Within each repeat every library runs each
operation in turn, so a busy machine weighs on all alike; times are the
process's CPU time, medians in microseconds, and each peer's time as a
multiple of vorn's. "Position.play" sets vorn's new position beside each
peer's cheapest way to play one move and be back where it started
(bulletchess and chess: apply and undo on one board); "Game.play + undo"
plays and takes back on a game, which keeps the history a bare board does not.

    python3 bench/compare.py            # the libraries of this interpreter
    python3.13 bench/compare.py         # with bulletchess too
"""
import copy
import importlib
import random
import statistics
import time

from bench import KIWIPETE, START, chess_perft, vorn_perft
MIDDLEGAME = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w KQ - 0 8"
REPEATS = 7


def game_sans(plies=100, seed=1):
    """The SAN of a 100-ply game that does not end early, written by `chess`."""
    import chess

    rng = random.Random(seed)
    while True:
        board = chess.Board()
        sans = []
        while len(sans) < plies and not board.is_game_over():
            move = rng.choice(list(board.legal_moves))
            sans.append(board.san(move))
            board.push(move)
        if len(sans) == plies:
            return sans


def vorn_cases(sans):
    import vorn

    kiwi = vorn.Position.from_fen(KIWIPETE)
    kiwi_moves = kiwi.legal_moves()
    kiwi_sans = [kiwi.san(m) for m in kiwi_moves]
    e4 = vorn.Position.from_fen(START).parse_uci("e2e4")
    start = vorn.Position.from_fen(START)
    game = vorn.Game()
    long_game = vorn.Game()
    for san in sans:
        long_game.play_san(san)

    def replay():
        g = vorn.Game()
        for san in sans:
            g.play_san(san)
        return g.outcome()

    def game_play_undo():
        game.play(e4)
        game.undo()

    return {
        "from_fen + legal moves, start": lambda: vorn.Position.from_fen(START).legal_moves(),
        "from_fen + legal moves, Kiwipete": lambda: vorn.Position.from_fen(KIWIPETE).legal_moves(),
        "from_fen + legal moves, middlegame": lambda: vorn.Position.from_fen(MIDDLEGAME).legal_moves(),
        "legal moves, Kiwipete": kiwi.legal_moves,
        "SAN write, 48 Kiwipete moves": lambda: [kiwi.san(m) for m in kiwi_moves],
        "SAN read, 48 Kiwipete moves": lambda: [kiwi.parse_san(s) for s in kiwi_sans],
        "100-ply game from SAN + outcome": replay,
        "FEN write": lambda: kiwi.fen,
        "Position.play": lambda: start.play(e4),
        "Game.play + undo": game_play_undo,
        "Game.copy, 100 plies": long_game.copy,
        "perft(4) Kiwipete": lambda: vorn_perft(kiwi, 4),
    }


def chess_cases(sans):
    import chess

    kiwi = chess.Board(KIWIPETE)
    kiwi_moves = list(kiwi.legal_moves)
    kiwi_sans = [kiwi.san(m) for m in kiwi_moves]
    e4 = chess.Move.from_uci("e2e4")
    start = chess.Board(START)

    def replay():
        board = chess.Board()
        for san in sans:
            board.push_san(san)
        return board.outcome()

    long_board = chess.Board()
    for san in sans:
        long_board.push_san(san)

    def play_undo():
        start.push(e4)
        start.pop()

    return {
        "from_fen + legal moves, start": lambda: list(chess.Board(START).legal_moves),
        "from_fen + legal moves, Kiwipete": lambda: list(chess.Board(KIWIPETE).legal_moves),
        "from_fen + legal moves, middlegame": lambda: list(chess.Board(MIDDLEGAME).legal_moves),
        "legal moves, Kiwipete": lambda: list(kiwi.legal_moves),
        "SAN write, 48 Kiwipete moves": lambda: [kiwi.san(m) for m in kiwi_moves],
        "SAN read, 48 Kiwipete moves": lambda: [kiwi.parse_san(s) for s in kiwi_sans],
        "100-ply game from SAN + outcome": replay,
        "FEN write": kiwi.fen,
        "Position.play": play_undo,
        "Game.play + undo": play_undo,
        "Game.copy, 100 plies": long_board.copy,
        "perft(4) Kiwipete": lambda: chess_perft(kiwi, 4),
    }


def bulletchess_cases(sans):
    import bulletchess as bc

    kiwi = bc.Board.from_fen(KIWIPETE)
    kiwi_moves = kiwi.legal_moves()
    kiwi_sans = [m.san(kiwi) for m in kiwi_moves]
    start = bc.Board.from_fen(START)
    e4 = bc.Move.from_uci("e2e4")

    def replay():
        board = bc.Board()
        for san in sans:
            board.apply(bc.Move.from_san(san, board))
        return board in bc.CHECKMATE or board in bc.DRAW

    long_board = bc.Board()
    for san in sans:
        long_board.apply(bc.Move.from_san(san, long_board))

    def play_undo():
        start.apply(e4)
        start.undo()

    def perft(board, depth):
        if depth == 1:
            return len(board.legal_moves())
        total = 0
        for m in board.legal_moves():
            board.apply(m)
            total += perft(board, depth - 1)
            board.undo()
        return total

    return {
        "from_fen + legal moves, start": lambda: bc.Board.from_fen(START).legal_moves(),
        "from_fen + legal moves, Kiwipete": lambda: bc.Board.from_fen(KIWIPETE).legal_moves(),
        "from_fen + legal moves, middlegame": lambda: bc.Board.from_fen(MIDDLEGAME).legal_moves(),
        "legal moves, Kiwipete": kiwi.legal_moves,
        "SAN write, 48 Kiwipete moves": lambda: [m.san(kiwi) for m in kiwi_moves],
        "SAN read, 48 Kiwipete moves": lambda: [bc.Move.from_san(s, kiwi) for s in kiwi_sans],
        "100-ply game from SAN + outcome": replay,
        "FEN write": kiwi.fen,
        "Position.play": play_undo,
        "Game.play + undo": play_undo,
        "Game.copy, 100 plies": long_board.copy,
        "perft(4) Kiwipete": lambda: perft(kiwi, 4),
    }


def rust_chess_cases(sans):
    import rust_chess as rc

    kiwi = rc.Board(KIWIPETE)
    kiwi_sans = chess_sans(KIWIPETE)
    start = rc.Board(START)
    e4 = rc.Move.from_uci("e2e4")

    def legal(board):
        board.reset_move_generator()  # the generator is the board's own and runs once
        return list(board.generate_legal_moves())

    def replay():
        board = rc.Board(START)
        for san in sans:
            board = board.make_move_new(board.get_move_from_san(san))
        return board.get_status()

    def perft(board, depth):
        if depth == 1:
            return len(legal(board))
        return sum(perft(board.make_move_new(m), depth - 1) for m in legal(board))

    return {
        "from_fen + legal moves, start": lambda: list(rc.Board(START).generate_legal_moves()),
        "from_fen + legal moves, Kiwipete": lambda: list(rc.Board(KIWIPETE).generate_legal_moves()),
        "from_fen + legal moves, middlegame": lambda: list(rc.Board(MIDDLEGAME).generate_legal_moves()),
        "legal moves, Kiwipete": lambda: legal(kiwi),
        "SAN read, 48 Kiwipete moves": lambda: [kiwi.get_move_from_san(s) for s in kiwi_sans],
        "100-ply game from SAN + outcome": replay,
        "FEN write": kiwi.get_fen,
        "Position.play": lambda: start.make_move_new(e4),
        "perft(4) Kiwipete": lambda: perft(kiwi, 4),
    }


def cozy_chess_cases(sans):
    import cozy_chess as cc

    kiwi = cc.Board.from_fen(KIWIPETE, False)
    start = cc.Board.from_fen(START, False)
    e4 = cc.Move.from_str("e2e4")

    def play():
        board = copy.copy(start)
        board.play(e4)
        return board

    def perft(board, depth):
        if depth == 1:
            return len(board.generate_moves())
        total = 0
        for m in board.generate_moves():
            child = copy.copy(board)
            child.play_unchecked(m)
            total += perft(child, depth - 1)
        return total

    return {
        "from_fen + legal moves, start": lambda: cc.Board.from_fen(START, False).generate_moves(),
        "from_fen + legal moves, Kiwipete": lambda: cc.Board.from_fen(KIWIPETE, False).generate_moves(),
        "from_fen + legal moves, middlegame": lambda: cc.Board.from_fen(MIDDLEGAME, False).generate_moves(),
        "legal moves, Kiwipete": kiwi.generate_moves,
        "FEN write": kiwi.fen,
        "Position.play": play,
        "perft(4) Kiwipete": lambda: perft(kiwi, 4),
    }


def chess_sans(fen):
    import chess

    board = chess.Board(fen)
    return [board.san(m) for m in board.legal_moves]


PEERS = {
    "chess": ("chess", chess_cases),
    "bulletchess": ("bulletchess", bulletchess_cases),
    "rust-chess": ("rust_chess", rust_chess_cases),
    "cozy-chess": ("cozy_chess", cozy_chess_cases),
}


def installed(module):
    try:
        importlib.import_module(module)
        return True
    except ImportError:
        return False


def calls_for(fn, budget=0.02):
    """How many calls make one timing last about `budget` seconds."""
    start = time.process_time()
    fn()
    once = max(time.process_time() - start, 1e-7)
    return max(1, int(budget / once))


def main():
    sans = game_sans()
    libraries = {"vorn": vorn_cases(sans)}
    for name, (module, cases) in PEERS.items():
        if installed(module):
            libraries[name] = cases(sans)
    operations = list(libraries["vorn"])
    calls = {(lib, op): calls_for(cases[op]) for lib, cases in libraries.items() for op in cases}
    samples = {key: [] for key in calls}
    for _ in range(REPEATS):
        for op in operations:
            for lib, cases in libraries.items():
                if op not in cases:
                    continue
                fn, number = cases[op], calls[(lib, op)]
                start = time.process_time()
                for _ in range(number):
                    fn()
                samples[(lib, op)].append((time.process_time() - start) / number * 1e6)
    peers = [lib for lib in libraries if lib != "vorn"]
    print(f"{'operation (median µs; peer / vorn)':38}{'vorn':>12}" + "".join(f"{p:>24}" for p in peers))
    for op in operations:
        ours = statistics.median(samples[("vorn", op)])
        row = f"{op:38}{ours:12.3f}"
        for peer in peers:
            if (peer, op) in samples:
                theirs = statistics.median(samples[(peer, op)])
                row += f"{theirs:15.3f} {theirs / ours:6.2f}x  "
            else:
                row += f"{'-':>24}"
        print(row)


if __name__ == "__main__":
    main()
