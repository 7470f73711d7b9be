"""The test of one given move against the legal list: over many positions of
both variants, every move-shaped input is accepted exactly when the list
holds a move with its origin, destination and promotion, and what is played
carries the list's own flags."""

import random

import pytest

import vorn
from support.oracle import python_chess
from vorn import CHESS960, CLASSIC as CHESS

SQUARES = [f + r for r in "12345678" for f in "abcdefgh"]
PROMOTIONS = [None, "n", "b", "r", "q", "k", "p"]

# Positions where the cheap test could part ways with the list: en-passant
# captures uncovering a slider or answering a check, pins along every kind of
# line, double check, promotions among pins, Chess960 castling with the king
# or rook already on its destination or the rook pinned.
SEEDS = [
    pytest.param(CHESS, "8/8/8/K2pP2r/8/8/8/7k w - d6 0 1", id="ep-rank-pin"),
    pytest.param(CHESS, "8/8/8/8/k2pP2Q/8/8/7K b - e3 0 1", id="ep-rank-pin-black"),
    pytest.param(CHESS, "7k/8/8/3pP3/8/1b6/8/5K2 w - d6 0 1", id="ep-diagonal"),
    pytest.param(CHESS, "4k3/8/8/2bpP3/8/8/8/K7 w - d6 0 1", id="ep-diagonal-pin-on-line"),
    pytest.param(CHESS, "8/8/3k4/2pP4/8/8/8/4K3 w - c6 0 1", id="ep-answers-pawn-check"),
    pytest.param(CHESS, "8/8/8/1k1pP3/8/8/8/4K2B w - d6 0 1", id="ep-uncovers-own-check"),
    pytest.param(CHESS, "4k3/8/8/8/8/8/4r3/R3K2R w KQ - 0 1", id="castling-in-check"),
    pytest.param(CHESS, "r3k2r/8/8/8/8/5b2/8/R3K2R w KQkq - 0 1", id="castling-path-attacked"),
    pytest.param(CHESS, "4k3/8/8/8/4q3/8/8/R3K1NR w KQ - 0 1", id="pinned-knight-castling-blocked"),
    pytest.param(CHESS, "k7/8/8/8/8/5q2/4B3/3K2r1 w - - 0 1", id="pinned-while-in-check"),
    pytest.param(CHESS, "4k3/8/8/8/8/3n4/2P5/R3K2r w Q - 0 1", id="double-check"),
    pytest.param(CHESS, "2r1k3/1P6/8/8/8/8/8/K3r3 w - - 0 1", id="promotion-in-check"),
    pytest.param(CHESS, "k7/3P4/8/5q2/8/1K6/8/8 w - - 0 1", id="promotion-pinned"),
    pytest.param(CHESS, "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", id="kiwipete"),
    pytest.param(CHESS, "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", id="rook-endgame-pins"),
    pytest.param(CHESS960, "1r4kr/8/8/8/8/8/8/RK5R w KQkq - 0 1", id="960-king-b1-rook-a1"),
    pytest.param(CHESS960, "rk4r1/8/8/8/8/8/8/6KR w Ha - 0 1", id="960-adjacent-rook"),
    pytest.param(CHESS960, "4k3/8/8/8/8/8/8/rR3K2 w B - 0 1", id="960-castling-rook-pinned"),
    pytest.param(CHESS960, "2r1k3/8/8/8/8/8/8/1R1K3R w HB - 0 1", id="960-destination-attacked"),
    pytest.param(CHESS960, "bqnbrkrn/pppppppp/8/8/8/8/PPPPPPPP/BQNBRKRN w GEge - 0 1", id="960-start"),
]

PLAYOUTS = 3
PLIES = 32


def listed(position, variant):
    return {(m.origin, m.destination, m.promotion): m for m in position.legal_moves(variant=variant)}


def reached(variant, fen, rng):
    """The seed position and those of random playouts from it, sampled every few plies."""
    start = vorn.Position.from_fen(fen)
    yield start
    for _ in range(PLAYOUTS):
        position = start
        for ply in range(PLIES):
            moves = position.legal_moves(variant=variant)
            if not moves:
                break
            position = position.play(rng.choice(moves), variant=variant)
            if ply % 8 == 7 or position.en_passant:
                yield position


def check_every_input(position, variant):
    game = vorn.Game.from_position(position, variant=variant)
    legal = listed(position, variant)
    side = position.side_to_move
    origins = sorted(position.by_colour(side)) + ["a1", "e4", "h8"]
    for origin in origins:
        for destination in SQUARES:
            last_rank = destination[1] in "18"
            for promotion in PROMOTIONS if last_rank else [None, "q"]:
                given = vorn.Move(origin, destination, promotion=promotion)
                entry = legal.get((origin, destination, promotion))
                try:
                    game.play(given)
                except vorn.IllegalMove:
                    assert entry is None, (position.fen, entry)
                    assert game.ply == 0
                    continue
                assert entry is not None, (position.fen, given)
                stored = game.moves[-1]
                assert (stored.kind, stored.is_capture) == (entry.kind, entry.is_capture), (position.fen, entry)
                assert game.position == position.play(entry, variant=variant)
                game.undo()


@pytest.mark.parametrize("variant, fen", SEEDS)
def test_one_move_agrees_with_the_list(variant, fen):
    rng = random.Random(fen)
    for position in reached(variant, fen, rng):
        check_every_input(position, variant)


@pytest.mark.parametrize("variant", [CHESS, CHESS960], ids=["chess", "chess960"])
def test_random_games_from_start_positions(variant):
    rng = random.Random(str(variant))
    for seed in rng.sample(range(960), 4) if variant is CHESS960 else [518]:
        fen = vorn.Game(variant=variant, seed=seed).position.fen
        for position in reached(variant, fen, rng):
            check_every_input(position, variant)


# Sliders on a line with the king behind units of either colour: a check only
# with nothing between, a pin only with one unit of the mover's between.
CHECK_LINES = [
    pytest.param("4k3/8/8/8/8/8/4B3/4K2r w - - 0 1", id="rook-on-rank"),
    pytest.param("4k3/8/8/8/8/4r3/4b3/4K3 w - - 0 1", id="rook-behind-their-bishop"),
    pytest.param("4k3/8/8/8/4q3/8/4N3/4K3 w - - 0 1", id="queen-pins-knight"),
    pytest.param("4k3/8/8/1b6/8/3P4/4P3/4K3 w - - 0 1", id="bishop-behind-two"),
    pytest.param("4k3/8/8/8/8/8/3n4/r3K3 w - - 0 1", id="rook-and-knight"),
    pytest.param("4k3/8/8/8/7b/8/8/1q2K3 w - - 0 1", id="queen-and-bishop"),
    pytest.param("4k3/4r3/8/8/8/8/4R3/4K3 b - - 0 1", id="black-pinned-rook"),
]


@pytest.mark.parametrize("variant, fen", SEEDS + [pytest.param(CHESS, p.values[0], id=p.id) for p in CHECK_LINES])
def test_checkers_agree_with_python_chess(variant, fen):
    """The checkers and the legal moves of positions reached by random
    playouts, set beside python-chess's (in its Chess960 mode, where castling
    is the king taking its rook, as here)."""
    chess = python_chess()
    rng = random.Random(fen)
    for position in reached(variant, fen, rng):
        board = chess.Board(position.fen, chess960=True)
        assert sorted(position.checkers()) == sorted(chess.square_name(s) for s in board.checkers()), position.fen
        ours = {(m.origin, m.destination, m.promotion) for m in position.legal_moves(variant=variant)}
        theirs = {(chess.square_name(m.from_square), chess.square_name(m.to_square),
                   chess.piece_symbol(m.promotion) if m.promotion else None) for m in board.legal_moves}
        assert ours == theirs, position.fen
