"""Times the facts from Python: the record of a position, the facts of every
legal move, reading groups and their members, the catalogue and the layout,
to_dict() against facts() on four positions, and the throughput of a data
pipeline over many FENs (single thread).

    python3 bench/facts_bench.py [positions]
"""
import random
import statistics
import sys
import time
import timeit

import vorn

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
# to_dict() should take at most five times what computing the facts takes.
TO_DICT_POSITIONS = {
    "start": START,
    "Kiwipete": KIWIPETE,
    "rook endgame": "8/8/4k3/8/2R5/5r2/4K3/8 w - - 0 1",
    "bare kings": "8/8/4k3/8/8/8/4K3/8 w - - 0 1",
}


def median_us(fn, number, repeat=15):
    return statistics.median(timeit.repeat(fn, number=number, repeat=repeat)) / number * 1e6


def cpu_us(fn, number):
    began = time.process_time()
    for _ in range(number):
        fn()
    return (time.process_time() - began) / number * 1e6


def to_dict_ratios(rounds=15, number=300):
    """CPU time of Facts.to_dict() and of Position.facts(), medians of interleaved rounds."""
    for name, fen in TO_DICT_POSITIONS.items():
        position = vorn.Position.from_fen(fen)
        facts = position.facts()
        computed, converted = [], []
        for _ in range(rounds):
            computed.append(cpu_us(position.facts, number))
            converted.append(cpu_us(facts.to_dict, number))
        made, plain = statistics.median(computed), statistics.median(converted)
        print(f"{'to_dict() / facts(), ' + name:42} {plain:10.3f}us / {made:.3f}us = {plain / made:.2f}x")


def random_fens(count, seed=1):
    """FENs of positions reached by random play, the same every run."""
    rng = random.Random(seed)
    fens = []
    while len(fens) < count:
        position = vorn.Position.from_fen(START)
        for _ in range(rng.randrange(10, 120)):
            moves = position.legal_moves()
            if not moves:
                break
            position = position.play(rng.choice(moves))
            fens.append(position.fen)
    return fens[:count]


def main():
    positions = int(sys.argv[1]) if len(sys.argv) > 1 else 100_000
    start = vorn.Position.from_fen(START)
    kiwi = vorn.Position.from_fen(KIWIPETE)
    facts = kiwi.facts()
    king = facts.king
    king.square  # made on the first read, kept afterwards
    cases = {
        "Position.facts(), start": (start.facts, 2000),
        "Position.facts(), Kiwipete": (kiwi.facts, 2000),
        "Facts(fen), Kiwipete": (lambda: vorn.Facts(KIWIPETE), 2000),
        "annotated_moves(), start (20 moves)": (start.annotated_moves, 500),
        "annotated_moves(), Kiwipete (48 moves)": (kiwi.annotated_moves, 500),
        "group getter (facts.king)": (lambda: facts.king, 100_000),
        "member read (king.square)": (lambda: king.square, 100_000),
        "plain getter read (king.distance)": (lambda: king.distance, 100_000),
        "first member read of a new group": (lambda: facts.tactics.mate_in_1, 20_000),
        "Facts.to_dict(), Kiwipete": (facts.to_dict, 500),
        "hash(Facts), Kiwipete": (lambda: hash(facts), 2000),
        "facts_layout()": (vorn.facts_layout, 50),
        "facts_catalogue()": (vorn.facts_catalogue, 200),
    }
    for name, (fn, number) in cases.items():
        print(f"{name:42} {median_us(fn, number):10.3f}us")

    to_dict_ratios()

    fens = random_fens(positions)
    began = time.perf_counter()
    for fen in fens:
        vorn.Facts(fen)
    elapsed = time.perf_counter() - began
    print(f"{'Facts(fen) over random positions':42} {positions / elapsed:10.0f} positions/s ({positions} FENs)")


if __name__ == "__main__":
    main()
