"""The facts that an independent library can also work out, compared with
it over positions reached by random play in both variants: attack sets,
attacked and hanging units, pins, checks, attack-based mobility, captures,
promotions, mates, stalemates and legal-move counts of both sides."""

import random

import pytest

import vorn
from support.oracle import python_chess

chess = python_chess()

ROLES = ["pawns", "knights", "bishops", "rooks", "queens", "kings"]
SIDES = {"white": True, "black": False}


def random_positions(count, chess960, seed):
    """Boards met along random games, a few from each game."""
    rng = random.Random(seed)
    boards = []
    while len(boards) < count:
        board = chess.Board.from_chess960_pos(rng.randrange(960)) if chess960 else chess.Board()
        board.chess960 = chess960
        for _ in range(rng.randrange(1, 120)):
            moves = list(board.legal_moves)
            if not moves:
                break
            board.push(rng.choice(moves))
            if rng.random() < 0.15:
                boards.append(board.copy(stack=False))
    return boards[:count]


def names(squares):
    """Square names in the facts' order: a1, b1, .. h8."""
    return [chess.SQUARE_NAMES[s] for s in sorted(squares)]


def board_facts(board):
    """What the facts say of the units standing on `board`, by side."""
    out = {}
    for side, colour in SIDES.items():
        own = chess.SquareSet(board.occupied_co[colour])
        by_role = {}
        for number, role in enumerate(ROLES, start=1):
            attacked = chess.SquareSet()
            for square in board.pieces(number, colour):
                attacked |= board.attacks(square)
            by_role[role] = attacked
        units = [s for s in own if board.piece_type_at(s) != chess.KING]
        attacked = [s for s in units if board.is_attacked_by(not colour, s)]
        out[side] = {
            "by_role": {role: names(squares) for role, squares in by_role.items()},
            "controlled": names(set().union(*by_role.values())),
            "mobility": {role: len(by_role[role] - own) for role in ROLES[:-1]},
            "attacked": names(attacked),
            "hanging": names(s for s in attacked if not board.is_attacked_by(colour, s)),
            "pinned": names(s for s in own if board.is_pinned(colour, s)),
        }
    return out


def move_counts(board):
    """The side to move's one-ply options."""
    moves = list(board.legal_moves)
    mates = stalemates = False
    for move in moves:
        board.push(move)
        mates |= board.is_checkmate()
        stalemates |= board.is_stalemate()
        board.pop()
    return {
        "available": True,
        "legal_move_count": len(moves),
        "check_count": sum(board.gives_check(m) for m in moves),
        "capture_count": sum(board.is_capture(m) for m in moves),
        "mate_in_1": mates,
        "stalemate_in_1": stalemates,
        "promotion_files": sorted({chess.FILE_NAMES[chess.square_file(m.to_square)]
                                   for m in moves if m.promotion}),
    }


def side_counts(tactics, side):
    return {name: tactics[name][side] for name in
            ("available", "legal_move_count", "check_count", "capture_count", "mate_in_1",
             "stalemate_in_1", "promotion_files")}


CASES = [(variant, board) for variant, chess960, seed in
         ((vorn.CLASSIC, False, 3), (vorn.CHESS960, True, 7))
         for board in random_positions(200, chess960, seed)]


@pytest.mark.parametrize("variant, board", CASES,
                         ids=[f"{v.name}-{i}" for i, (v, _) in enumerate(CASES)])
def test_facts_agree_with_an_independent_library(variant, board):
    facts = vorn.Position.from_fen(board.fen()).facts(variant=variant).to_dict()
    attacks, mobility = facts["attacks"], facts["mobility"]
    for side, expected in board_facts(board).items():
        for role, squares in expected["by_role"].items():
            assert attacks["by_" + role][side] == squares, (side, role)
            if role != "kings":
                assert mobility[role][side] == expected["mobility"][role], (side, role)
        for name in ("controlled", "attacked", "hanging", "pinned"):
            assert attacks[name][side] == expected[name], (side, name)
    assert facts["state"]["in_check"] == board.is_check()
    assert facts["state"]["double_check"] == (len(board.checkers()) > 1)
    assert facts["state"]["en_passant_capture_legal"] == any(
        board.is_en_passant(m) for m in board.legal_moves)
    us, them = ("white", "black") if board.turn else ("black", "white")
    assert side_counts(facts["tactics"], us) == move_counts(board)
    if board.is_check():
        assert not facts["tactics"]["available"][them]
        assert facts["tactics"]["legal_move_count"][them] == 0
    else:
        passed = board.copy(stack=False)
        passed.push(chess.Move.null())
        assert side_counts(facts["tactics"], them) == move_counts(passed)
