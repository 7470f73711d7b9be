"""Times `uci_parse` of a Stockfish info line whose principal variation has
20 moves, read against the start position; median of many runs.

    python3 bench/uci_bench.py
"""
import statistics
import timeit

from vorn._vorn import uci_parse

# The closed Ruy Lopez, 20 plies, castling spelled as Stockfish does.
PV = ("e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6 e1g1 f8e7 "
      "f1e1 b7b5 a4b3 d7d6 c2c3 e8g8 h2h3 c6a5 b3c2 c7c5")
BARE = ("info depth 24 seldepth 32 multipv 1 score cp 35 nodes 2817391 nps 1523456 "
        "hashfull 812 tbhits 0 time 1849")
LINE = BARE + " pv " + PV


def median_us(stmt, number=20000, repeat=25):
    times = timeit.repeat(stmt, number=number, repeat=repeat)
    return statistics.median(times) / number * 1e6


def main():
    report = uci_parse(LINE).info
    assert len(report.pv) == 20, "every move of the line is legal"
    cases = {
        "uci_parse(info line, 20-move pv)": lambda: uci_parse(LINE),
        "uci_parse(...).info": lambda: uci_parse(LINE).info,
        "uci_parse(the line without its pv)": lambda: uci_parse(BARE),
        "uci_parse(readyok)": lambda: uci_parse("readyok"),
    }
    for name, stmt in cases.items():
        print(f"{name:36} {median_us(stmt):8.2f} µs")


if __name__ == "__main__":
    main()
