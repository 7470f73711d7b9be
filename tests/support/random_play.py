"""Positions reached by random play from the start, the same on every run."""

import random

import vorn

START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"


def random_positions(count, seed, most_plies=40):
    """The FENs of `count` games of up to `most_plies` random plies each, drawn from `seed`."""
    draw = random.Random(seed)
    fens = []
    for _ in range(count):
        position = vorn.Position.from_fen(START_FEN)
        for _ in range(draw.randrange(0, most_plies)):
            moves = position.legal_moves()
            if not moves:
                break
            position = position.play(draw.choice(moves))
        fens.append(position.fen)
    return fens
