"""Legal move generation: the exact order of the list, castling in both
variants, en passant, check and promotions, and perft node counts."""

from pathlib import Path

import pytest

import vorn

PERFT_DATA = Path(__file__).parent / "data" / "perft.txt"
# Perft runs through the Python API, so each line stops at the deepest depth
# whose leaf count stays under this many nodes.
PERFT_NODE_CAP = 1_000_000


def ucis(fen, variant=None):
    return [mv.uci() for mv in vorn.Position.from_fen(fen).legal_moves(variant=variant)]


@pytest.mark.parametrize(
    "fen, expected",
    [
        pytest.param(
            "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
            "a2a3 a2a4 b2b3 b2b4 c2c3 c2c4 d2d3 d2d4 e2e3 e2e4 f2f3 f2f4 g2g3 g2g4 h2h3 h2h4 "
            "b1a3 b1c3 g1f3 g1h3",
            id="start",
        ),
        pytest.param(
            # For Black the double step has the lower square index.
            "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
            "a7a5 a7a6 b7b5 b7b6 c7c5 c7c6 d7d5 d7d6 e7e5 e7e6 f7f5 f7f6 g7g5 g7g6 h7h5 h7h6 "
            "b8a6 b8c6 g8f6 g8h6",
            id="black-after-e4",
        ),
        pytest.param(
            "3r3k/4P3/8/8/8/8/8/K7 w - - 0 1",
            "e7d8n e7d8b e7d8r e7d8q e7e8n e7e8b e7e8r e7e8q a1b1 a1a2 a1b2",
            id="promotions-by-destination",
        ),
        pytest.param(
            "r6k/8/8/8/8/8/P6P/K7 w - - 0 1",
            "h2h3 h2h4 a2a3 a2a4 a1b1 a1b2",
            id="pinned-pawn-after-free-pawns",
        ),
        pytest.param(
            "4k3/8/8/3pP3/8/8/8/4K1N1 w - d6 0 1",
            "e5e6 e5d6 g1e2 g1f3 g1h3 e1d1 e1f1 e1d2 e1e2 e1f2",
            id="en-passant-after-pawns",
        ),
        pytest.param(
            "4r2k/8/Q7/b7/2R4b/7B/3BRQ2/4K3 w - - 0 1",
            "h3f1 h3g2 h3g4 h3f5 h3e6 h3d7 h3c8 d2c3 d2b4 d2a5 "
            "c4c1 c4c2 c4c3 c4a4 c4b4 c4d4 c4e4 c4f4 c4g4 c4h4 c4c5 c4c6 c4c7 c4c8 "
            "e2e3 e2e4 e2e5 e2e6 e2e7 e2e8 "
            "a6a5 a6b5 a6b6 a6c6 a6d6 a6e6 a6f6 a6g6 a6h6 a6a7 a6b7 a6a8 a6c8 f2g3 f2h4 "
            "e1d1 e1f1",
            id="pinned-sliders-after-free-ones",
        ),
        pytest.param(
            "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1",
            "a1b1 a1c1 a1d1 a1a2 a1a3 a1a4 a1a5 a1a6 a1a7 a1a8 "
            "h1f1 h1g1 h1h2 h1h3 h1h4 h1h5 h1h6 h1h7 h1h8 "
            "e1a1 e1d1 e1f1 e1h1 e1d2 e1e2 e1f2",
            id="castling-sorted-among-king-steps",
        ),
        pytest.param(
            # Single check: blocks and captures only, the pinned bishop stays.
            "k3r3/3P4/8/b6Q/R7/8/3B4/4KBN1 w - - 0 1",
            "d7e8n d7e8b d7e8r d7e8q g1e2 f1e2 a4e4 h5e2 h5e5 h5e8 e1d1 e1f2",
            id="single-check",
        ),
        pytest.param("4r2k/8/8/8/8/3n4/8/3RK3 w - - 0 1", "e1f1 e1d2", id="double-check"),
        pytest.param(
            "r3k2r/8/8/8/4R3/8/8/R3K2R b KQkq - 0 1", "e8d7 e8f7 e8d8 e8f8",
            id="no-castling-out-of-check",
        ),
        pytest.param("8/8/8/KPp4r/8/8/8/4k3 w - c6 0 1", "b5b6 a5a4 a5a6 a5b6",
                     id="en-passant-exposing-king-on-rank"),
        pytest.param("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "", id="stalemate"),
        pytest.param("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", "", id="checkmate"),
    ],
)
def test_exact_order(fen, expected):
    assert ucis(fen) == expected.split()


@pytest.mark.parametrize(
    "fen, expected",
    [
        pytest.param(
            # Long castling with b1 attacked; short castling crosses attacked f1.
            "1r2kr2/8/8/8/8/8/8/R3K2R w KQ - 0 1", ["e1a1"], id="attacked-path",
        ),
        pytest.param("r3k2r/8/8/8/8/8/8/RN2K2R w KQkq - 0 1", ["e1h1"], id="blocked-long"),
        pytest.param("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", ["e8h8", "e8a8"], id="black"),
        pytest.param("r3k2r/8/8/8/8/8/8/R3K2R w Kq - 0 1", ["e1h1"], id="one-right"),
        pytest.param("r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1", [], id="no-rights"),
        pytest.param("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", ["e1a1", "e1h1"],
                     id="rooks-attacked"),
    ],
)
def test_castling_classic(fen, expected):
    moves = vorn.Position.from_fen(fen).legal_moves()
    castles = [mv for mv in moves if mv.is_castling]
    assert sorted(mv.uci() for mv in castles) == sorted(expected)
    for mv in castles:
        assert mv.kind == "castling"
        assert not mv.is_capture
        assert mv.promotion is None


@pytest.mark.parametrize(
    "fen, expected",
    [
        pytest.param("1k1r4/8/8/8/8/8/8/RK6 w A - 0 1", ["b1a1"],
                     id="king-b1-rook-a1-d1-attacked"),
        pytest.param("1kr5/8/8/8/8/8/8/RK6 w A - 0 1", [], id="king-b1-rook-a1-c1-attacked"),
        pytest.param("4k3/8/8/8/8/8/8/rR1K4 w B - 0 1", [], id="castling-rook-pinned"),
        pytest.param("4k3/8/8/8/8/8/8/6KR w H - 0 1", ["g1h1"], id="king-stays-on-g1"),
        pytest.param("4k3/8/8/8/8/8/8/5RKR w HF - 0 1", ["g1f1"],
                     id="other-rook-on-rook-destination"),
        pytest.param("rkr5/pppppppp/8/8/8/8/PPPPPPPP/RKR5 w CAca - 0 1", ["b1c1"],
                     id="adjacent-rook-short"),
    ],
)
def test_castling_chess960(fen, expected):
    moves = vorn.Position.from_fen(fen).legal_moves(variant=vorn.CHESS960)
    castles = [mv.uci() for mv in moves if mv.is_castling]
    assert castles == expected


def test_castling_joins_king_steps_by_rook_square():
    moves = ucis("4k3/8/8/8/8/8/8/6KR w H - 0 1", variant=vorn.CHESS960)
    assert moves[-5:] == ["g1f1", "g1h1", "g1f2", "g1g2", "g1h2"]


def test_same_moves_under_either_variant():
    fen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
    assert ucis(fen) == ucis(fen, variant=vorn.CHESS960)
    assert ucis(fen) == ucis(fen, variant=vorn.CLASSIC)


class TestEnPassant:
    def test_flags(self):
        moves = vorn.Position.from_fen("4k3/8/8/3pP3/8/8/8/4K1N1 w - d6 0 1").legal_moves()
        (ep,) = [mv for mv in moves if mv.is_en_passant]
        assert ep.uci() == "e5d6"
        assert ep.kind == "en_passant"
        assert ep.is_capture

    @pytest.mark.parametrize(
        "fen, capture",
        [
            pytest.param("4k3/8/8/3pP3/4K3/8/8/8 w - d6 0 1", "e5d6", id="takes-checking-pawn-white"),
            pytest.param("8/8/8/2k5/3Pp3/8/8/4K3 b - d3 0 1", "e4d3", id="takes-checking-pawn-black"),
        ],
    )
    def test_answers_check_by_the_pawn(self, fen, capture):
        assert capture in ucis(fen)

    def test_does_not_answer_discovered_check(self):
        moves = ucis("8/8/7k/8/3Pp3/8/8/2B1K3 b - d3 0 1")
        assert "e4d3" not in moves
        assert "e4e3" in moves

    @pytest.mark.parametrize(
        "fen, capture",
        [
            pytest.param("8/8/8/KPp4r/8/8/8/4k3 w - c6 0 1", "b5c6", id="white"),
            pytest.param("8/8/8/8/k2Pp2Q/8/8/3K4 b - d3 0 1", "e4d3", id="black"),
        ],
    )
    def test_never_exposes_king_along_rank(self, fen, capture):
        assert capture not in ucis(fen)

    @pytest.mark.parametrize(
        "fen, capture, legal",
        [
            pytest.param("7b/8/8/3pP3/8/2K5/8/4k3 w - d6 0 1", "e5d6", False, id="leaves-pin-line"),
            pytest.param("7b/8/8/4Pp2/8/2K5/8/4k3 w - f6 0 1", "e5f6", True, id="along-pin-line"),
        ],
    )
    def test_diagonally_pinned_pawn(self, fen, capture, legal):
        assert (capture in ucis(fen)) == legal


def test_double_check_leaves_only_king_moves():
    fen = "4r2k/8/8/8/8/3n4/8/3RK3 w - - 0 1"
    position = vorn.Position.from_fen(fen)
    assert len(position.checkers()) == 2
    assert {mv.origin for mv in position.legal_moves()} == {"e1"}


def test_promotion_flags():
    moves = vorn.Position.from_fen("3r3k/4P3/8/8/8/8/8/K7 w - - 0 1").legal_moves()
    promotions = [mv for mv in moves if mv.origin == "e7"]
    assert [mv.promotion for mv in promotions] == ["n", "b", "r", "q"] * 2
    assert [mv.is_capture for mv in promotions] == [True] * 4 + [False] * 4
    assert {mv.kind for mv in promotions} == {"promotion"}


@pytest.mark.parametrize(
    "fen, depth, variant, expected",
    [
        # (captures, en passant, castling, promotions) among the leaves.
        pytest.param("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                     2, None, (351, 1, 91, 0), id="kiwipete"),
        pytest.param("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
                     4, None, (3348, 123, 0, 0), id="en-passant-pins"),
        pytest.param("r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
                     3, None, (1021, 4, 0, 120), id="promotions"),
        pytest.param("n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
                     2, None, (203, 0, 0, 252), id="both-sides-promote"),
    ],
)
def test_leaf_flags(fen, depth, variant, expected):
    totals = [0, 0, 0, 0]

    def walk(position, depth):
        moves = position.legal_moves(variant=variant)
        if depth == 1:
            for mv in moves:
                totals[0] += mv.is_capture
                totals[1] += mv.is_en_passant
                totals[2] += mv.is_castling
                totals[3] += mv.promotion is not None
            return
        for mv in moves:
            walk(position.play(mv, variant=variant), depth - 1)

    walk(vorn.Position.from_fen(fen), depth)
    assert tuple(totals) == expected


def perft_cases():
    cases = []
    for line in PERFT_DATA.read_text().splitlines():
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        fields = [field.strip() for field in line.split(";")]
        chess960 = fields[-1] == "chess960"
        counts = {}
        for field in fields[1:]:
            if field.startswith("D"):
                depth, nodes = field[1:].split()
                counts[int(depth)] = int(nodes)
        depth = max(d for d, nodes in counts.items() if nodes <= PERFT_NODE_CAP)
        fen = fields[0]
        label = " ".join(fen.split()[:2]) + (" chess960" if chess960 else "")
        cases.append(pytest.param(fen, chess960, depth, counts[depth], id=f"{label} d{depth}"))
    return cases


def perft(position, depth, variant):
    moves = position.legal_moves(variant=variant)
    if depth == 1:
        return len(moves)
    return sum(perft(position.play(mv, variant=variant), depth - 1, variant) for mv in moves)


@pytest.mark.parametrize("fen, chess960, depth, nodes", perft_cases())
def test_perft(fen, chess960, depth, nodes):
    variant = vorn.CHESS960 if chess960 else vorn.CLASSIC
    assert perft(vorn.Position.from_fen(fen), depth, variant) == nodes
