"""SAN and UCI move text in both directions, and the sweep that every legal
move's text reads back to the same move."""

import random

import pytest

import vorn
from support.quoting import quoted

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
ITALIAN = "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 6 5"
CASTLING = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"
KNIGHTS_BF = "4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1"
KNIGHTS_BB = "4k3/8/8/8/8/1N6/8/1N2K3 w - - 0 1"
QUEENS = "8/k7/8/8/4Q2Q/8/8/K6Q w - - 0 1"
# The knight on f3 and the rook on d5 are pinned to their king.
KNIGHT_TWIN_PINNED = "4k3/8/2b5/8/8/5N2/8/1N5K w - - 0 1"
ROOK_TWIN_PINNED = "4k3/8/8/K2R3r/8/8/8/3R4 w - - 0 1"
PROMOTION = "7k/4P3/8/8/8/8/8/4K3 w - - 0 1"
PROMOTION_MATE = "7k/4P1pp/8/8/8/8/8/4K3 w - - 0 1"
EN_PASSANT = "rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3"
PAWN_OR_BISHOP = "4k3/8/8/8/2n5/1P6/8/4KB2 w - - 0 1"
MATED = "R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1"
# Chess960: king b1 with its long-castling rook on a1.
KING_B1 = "1k1r4/8/8/8/8/8/8/RK6 w A - 0 1"
KING_G1 = "4k3/8/8/8/8/8/8/5RKR w HF - 0 1"

MALFORMED = "malformed move text"
NO_MOVE = "no such legal move"
AMBIGUOUS = "ambiguous move text"


def position(fen):
    return vorn.Position.from_fen(fen)


def move(fen, uci, variant=None):
    return position(fen).parse_uci(uci, variant=variant)


class TestWriteSan:
    @pytest.mark.parametrize(
        "fen, uci, san",
        [
            pytest.param(START, "e2e4", "e4", id="pawn-step"),
            pytest.param(START, "g1f3", "Nf3", id="knight"),
            pytest.param(KNIGHTS_BF, "b1d2", "Nbd2", id="by-file"),
            pytest.param(KNIGHTS_BF, "f3d2", "Nfd2", id="by-file-other"),
            pytest.param(KNIGHTS_BB, "b1d2", "N1d2", id="by-rank"),
            pytest.param(KNIGHTS_BB, "b3d2", "N3d2", id="by-rank-other"),
            # A twin pinned to its king cannot reach the target, so it needs no telling apart.
            pytest.param(KNIGHT_TWIN_PINNED, "b1d2", "Nd2", id="pinned-twin"),
            pytest.param(ROOK_TWIN_PINNED, "d1d3", "Rd3", id="pinned-twin-on-file"),
            pytest.param(QUEENS, "h4e1", "Qh4e1", id="by-square"),
            pytest.param(QUEENS, "e4e1", "Qee1", id="queen-by-file"),
            pytest.param(QUEENS, "h1e1", "Q1e1", id="queen-by-rank"),
            pytest.param("rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2", "e4d5",
                         "exd5", id="pawn-capture"),
            pytest.param(EN_PASSANT, "e5d6", "exd6", id="en-passant"),
            pytest.param(PAWN_OR_BISHOP, "b3c4", "bxc4", id="pawn-capture-file"),
            pytest.param(PAWN_OR_BISHOP, "f1c4", "Bxc4", id="bishop-capture"),
            pytest.param(PROMOTION, "e7e8q", "e8=Q+", id="promotion-check"),
            pytest.param(PROMOTION, "e7e8n", "e8=N", id="underpromotion"),
            pytest.param(PROMOTION_MATE, "e7e8q", "e8=Q#", id="promotion-mate"),
            pytest.param(PROMOTION_MATE, "e7e8r", "e8=R#", id="rook-promotion-mate"),
            pytest.param("3r3k/4P3/8/8/8/8/8/K7 w - - 0 1", "e7d8q", "exd8=Q+",
                         id="capturing-promotion"),
            pytest.param("rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2", "f1b5",
                         "Bb5+", id="check"),
            pytest.param("rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq g3 0 2", "d8h4",
                         "Qh4#", id="mate"),
            pytest.param(ITALIAN, "e1h1", "O-O", id="short-castling"),
            pytest.param(CASTLING, "e1a1", "O-O-O", id="long-castling"),
            pytest.param("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8a8", "O-O-O",
                         id="black-long-castling"),
            pytest.param("5k2/8/8/8/8/8/8/4K2R w K - 0 1", "e1h1", "O-O+", id="castling-check"),
        ],
    )
    def test_san(self, fen, uci, san):
        assert position(fen).san(move(fen, uci)) == san

    @pytest.mark.parametrize(
        "fen, uci, san",
        [
            pytest.param(KING_B1, "b1a1", "O-O-O", id="king-b1-long"),
            pytest.param("4k3/8/8/8/8/8/8/6KR w H - 0 1", "g1h1", "O-O", id="king-stays-short"),
            pytest.param(KING_G1, "g1f1", "O-O-O", id="king-g1-long"),
            pytest.param("rkr5/pppppppp/8/8/8/8/PPPPPPPP/RKR5 w CAca - 0 1", "b1c1", "O-O",
                         id="adjacent-rook-short"),
        ],
    )
    def test_chess960_castling(self, fen, uci, san):
        mv = move(fen, uci, variant=vorn.CHESS960)
        assert mv.is_castling
        assert position(fen).san(mv, variant=vorn.CHESS960) == san

    @pytest.mark.parametrize(
        "fen, expected",
        [
            pytest.param(
                KIWIPETE,
                "Bb5 Bc1 Bc4 Bd1 Bd3 Be3 Bf1 Bf4 Bg5 Bh6 Bxa6 Kd1 Kf1 Na4 Nb1 Nb5 Nc4 Nc6 Nd1 Nd3 "
                "Ng4 Nxd7 Nxf7 Nxg6 O-O O-O-O Qd3 Qe3 Qf4 Qf5 Qg3 Qg4 Qh5 Qxf6 Qxh3 Rb1 Rc1 Rd1 "
                "Rf1 Rg1 a3 a4 b3 d6 dxe6 g3 g4 gxh3",
                id="kiwipete",
            ),
            pytest.param(
                "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
                "Ba6 Bb3 Bb5 Bd2 Bd3 Bd5 Be3 Be6 Bf4 Bg5 Bh6 Bxf7 Kd2 Kf1 Kxf2 Na3 Nbc3 Nd2 Nd4 "
                "Nec3 Nf4 Ng1 Ng3 O-O Qd2 Qd3 Qd4 Qd5 Qd6 Rf1 Rg1 a3 a4 b3 b4 c3 dxc8=B dxc8=N "
                "dxc8=Q dxc8=R g3 g4 h3 h4",
                id="promotions",
            ),
            pytest.param(
                QUEENS,
                "Ka2 Kb1 Kb2 Q1e1 Q1h2 Q1h3 Q4h2 Q4h3 Qa4+ Qa8+ Qb4 Qb7# Qc1 Qc2 Qc4 Qc6 Qd1 Qd3 "
                "Qd4+ Qd5 Qd8 Qe2 Qe3+ Qe5 Qe6 Qe8 Qeb1 Qee1 Qee7+ Qef3 Qef4 Qeg2 Qeg4 Qeh7+ Qf1 "
                "Qf2+ Qf5 Qf6 Qg1+ Qg3 Qg5 Qg6 Qh4e1 Qh5 Qh6 Qh8 Qhb1 Qhe7+ Qhf3 Qhf4 Qhg2 Qhg4 "
                "Qhh7+",
                id="three-queens",
            ),
        ],
    )
    def test_every_move(self, fen, expected):
        here = position(fen)
        assert sorted(here.san(mv) for mv in here.legal_moves()) == sorted(expected.split())

    @pytest.mark.parametrize(
        "fen, mv, san",
        [
            pytest.param(ITALIAN, vorn.Move("e1", "h1"), "O-O", id="castling-built-quiet"),
            pytest.param("rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2",
                         vorn.Move("e4", "d5"), "exd5", id="pawn-capture-built-quiet"),
            pytest.param("rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
                         vorn.Move("f3", "e5"), "Nxe5", id="knight-capture-built-quiet"),
            pytest.param(EN_PASSANT, vorn.Move("e5", "d6"), "exd6", id="en-passant-built-quiet"),
            pytest.param(START, vorn.Move("g1", "f3", kind="capture", is_capture=True), "Nf3",
                         id="quiet-built-as-capture"),
        ],
    )
    def test_flags_come_from_the_legal_move(self, fen, mv, san):
        assert position(fen).san(mv) == san

    @pytest.mark.parametrize(
        "fen, mv, uci",
        [
            pytest.param(START, vorn.Move("e2", "e5"), "e2e5", id="not-legal"),
            pytest.param(START, vorn.Move("a1", "h8"), "a1h8", id="foreign"),
            pytest.param(START, vorn.Move("e4", "e5"), "e4e5", id="empty-origin"),
            pytest.param(START, vorn.Move("e2", "e4", promotion="q"), "e2e4q",
                         id="stray-promotion"),
            pytest.param(ITALIAN, vorn.Move("e1", "g1", kind="castling"), "e1g1",
                         id="castling-two-squares"),
            pytest.param(PROMOTION, vorn.Move("e7", "e8"), "e7e8", id="promotion-without-role"),
            pytest.param("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
                         vorn.Move("e2", "e5"), "e2e5", id="four-field-fen"),
        ],
    )
    def test_not_legal(self, fen, mv, uci):
        here = position(fen)
        with pytest.raises(vorn.IllegalMove) as caught:
            here.san(mv)
        assert str(caught.value) == f"{uci} is not legal in {here.fen}"

    def test_argument_types(self):
        with pytest.raises(TypeError, match="mv"):
            position(START).san("e2e4")
        with pytest.raises(TypeError, match="variant"):
            position(START).san(move(START, "e2e4"), variant="chess")


class TestReadSan:
    @pytest.mark.parametrize(
        "fen, text, uci",
        [
            pytest.param(START, "e4", "e2e4", id="pawn"),
            pytest.param(START, "E4", "e2e4", id="upper-case-square"),
            pytest.param(START, "e2e4", "e2e4", id="pawn-from-square"),
            pytest.param(START, "e2-e4", "e2e4", id="long-algebraic"),
            pytest.param(START, "Nf3", "g1f3", id="knight"),
            pytest.param(START, "Nxf3", "g1f3", id="capture-mark-not-compared"),
            pytest.param(START, "Nf3+!?", "g1f3", id="suffixes"),
            pytest.param(START, "Nf3#?!+", "g1f3", id="mixed-suffixes"),
            pytest.param(START, "Ng1f3", "g1f3", id="full-origin"),
            pytest.param(START, "Ng-f3", "g1f3", id="dash-after-file"),
            pytest.param(START, "N1f3", "g1f3", id="origin-rank"),
            pytest.param(START, "Ngf3", "g1f3", id="origin-file"),
            pytest.param(START, "N1gf3", "g1f3", id="rank-before-file"),
            pytest.param("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", "e5", "e7e5",
                         id="black-pawn"),
            pytest.param(KNIGHTS_BF, "Nbd2", "b1d2", id="by-file"),
            pytest.param(KNIGHTS_BB, "N1d2", "b1d2", id="by-rank"),
            pytest.param(QUEENS, "Qh4e1", "h4e1", id="by-square"),
            pytest.param(QUEENS, "Qee1", "e4e1", id="queen-by-file"),
            pytest.param(QUEENS, "Q1e1", "h1e1", id="queen-by-rank"),
            pytest.param(PAWN_OR_BISHOP, "Bc4", "f1c4", id="bishop"),
            pytest.param(PAWN_OR_BISHOP, "bc4", "b3c4", id="pawn-capture-without-x"),
            pytest.param(PAWN_OR_BISHOP, "bxc4", "b3c4", id="pawn-capture"),
            pytest.param(PAWN_OR_BISHOP, "Bxc4", "f1c4", id="bishop-capture"),
            pytest.param(EN_PASSANT, "exd6", "e5d6", id="en-passant"),
            pytest.param(EN_PASSANT, "ed6", "e5d6", id="en-passant-without-x"),
            pytest.param(PROMOTION, "e8=Q", "e7e8q", id="promotion"),
            pytest.param(PROMOTION, "e8=q", "e7e8q", id="promotion-lower-case"),
            pytest.param(PROMOTION, "e8=N", "e7e8n", id="underpromotion"),
            pytest.param(PROMOTION, "e8=R+", "e7e8r", id="promotion-check"),
            pytest.param(PROMOTION, "e7e8=B", "e7e8b", id="promotion-full-origin"),
            pytest.param(ITALIAN, "O-O", "e1h1", id="castling"),
            pytest.param(ITALIAN, "0-0", "e1h1", id="castling-zeros"),
            pytest.param(ITALIAN, "o-o", "e1h1", id="castling-lower-case"),
            pytest.param(ITALIAN, "O-O+", "e1h1", id="castling-suffix"),
            pytest.param(CASTLING, "O-O-O", "e1a1", id="long-castling"),
            pytest.param(CASTLING, "0-0-0", "e1a1", id="long-castling-zeros"),
            pytest.param(CASTLING, "o-o-o", "e1a1", id="long-castling-lower-case"),
        ],
    )
    def test_parse_san(self, fen, text, uci):
        here = position(fen)
        parsed = here.parse_san(text)
        expected = here.parse_uci(uci)
        assert parsed == expected
        assert (parsed.kind, parsed.is_capture) == (expected.kind, expected.is_capture)

    @pytest.mark.parametrize("text", ["O-O-O", "0-0-0", "o-o-o"])
    def test_chess960_castling(self, text):
        parsed = position(KING_B1).parse_san(text, variant=vorn.CHESS960)
        assert parsed.uci() == "b1a1"
        assert parsed.is_castling

    @pytest.mark.parametrize(
        "fen, text, kind",
        [
            pytest.param(START, "", MALFORMED, id="empty"),
            pytest.param(START, "+", MALFORMED, id="only-check-mark"),
            pytest.param(START, "+#!?", MALFORMED, id="only-suffixes"),
            pytest.param(START, "4", MALFORMED, id="one-byte"),
            pytest.param(START, "N", MALFORMED, id="role-only"),
            pytest.param(START, "Pe4", MALFORMED, id="pawn-letter"),
            pytest.param(START, "NXf3", MALFORMED, id="capital-x"),
            pytest.param(START, "e9", MALFORMED, id="rank-off-board"),
            pytest.param(START, "i4", MALFORMED, id="file-off-board"),
            pytest.param(START, "Ngg1f3", MALFORMED, id="second-file"),
            pytest.param(START, "N11f3", MALFORMED, id="second-rank"),
            pytest.param(START, "Nz1f3", MALFORMED, id="unknown-character"),
            pytest.param(START, "e4\u00e9", MALFORMED, id="non-ascii-in-square"),
            pytest.param(START, "\u00e9e4", MALFORMED, id="non-ascii-before"),
            pytest.param(START, "O-o", MALFORMED, id="mixed-castling"),
            pytest.param(START, "O-O-O-O", MALFORMED, id="too-long-castling"),
            pytest.param(START, "e4\n", MALFORMED, id="line-feed"),
            pytest.param(PROMOTION, "e8Q", MALFORMED, id="promotion-without-equals"),
            pytest.param(PROMOTION, "e8=", MALFORMED, id="equals-last"),
            pytest.param(PROMOTION, "e8=K", MALFORMED, id="king-promotion"),
            pytest.param(PROMOTION, "e8=P", MALFORMED, id="pawn-promotion"),
            pytest.param(PROMOTION, "e8=QQ", MALFORMED, id="promotion-not-last"),
            pytest.param(START, "e5", NO_MOVE, id="pawn-too-far"),
            pytest.param(START, "Nf4", NO_MOVE, id="knight-not-there"),
            pytest.param(START, "O-O", NO_MOVE, id="castling-not-legal"),
            pytest.param(START, "Ke2", NO_MOVE, id="king-blocked"),
            pytest.param(START, "Nh1f3", NO_MOVE, id="wrong-origin"),
            pytest.param(PROMOTION, "e8", NO_MOVE, id="promotion-needs-role"),
            pytest.param(START, "e4=Q", NO_MOVE, id="stray-promotion"),
            pytest.param(MATED, "Kh8", NO_MOVE, id="mated"),
            pytest.param(MATED, "O-O", NO_MOVE, id="castling-when-mated"),
            pytest.param(KNIGHTS_BF, "Nd2", AMBIGUOUS, id="two-knights"),
            pytest.param(QUEENS, "Qe1", AMBIGUOUS, id="three-queens"),
            pytest.param(QUEENS, "Q4e1", AMBIGUOUS, id="shared-rank"),
            pytest.param(QUEENS, "Qhe1", AMBIGUOUS, id="shared-file"),
        ],
    )
    def test_errors(self, fen, text, kind):
        here = position(fen)
        with pytest.raises(vorn.MoveParseError) as caught:
            here.parse_san(text)
        assert str(caught.value) == f"{kind}: {quoted(text)} in {here.fen}"
        assert isinstance(caught.value, ValueError)

    def test_message_quotes_special_characters(self):
        with pytest.raises(vorn.MoveParseError) as caught:
            position(START).parse_san('N"\\\t')
        assert str(caught.value) == f'malformed move text: "N\\"\\\\\\t" in {START}'

    def test_argument_types(self):
        with pytest.raises(TypeError, match="text"):
            position(START).parse_san(42)


class TestUci:
    @pytest.mark.parametrize(
        "fen, text, expected, kind",
        [
            pytest.param(START, "e2e4", "e2e4", "quiet", id="pawn"),
            pytest.param(START, "E2E4", "e2e4", "quiet", id="upper-case"),
            pytest.param(ITALIAN, "e1h1", "e1h1", "castling", id="king-to-rook"),
            pytest.param(ITALIAN, "e1g1", "e1h1", "castling", id="king-two-squares"),
            pytest.param(CASTLING, "e1c1", "e1a1", "castling", id="long-two-squares"),
            pytest.param(PROMOTION, "e7e8q", "e7e8q", "promotion", id="promotion"),
            pytest.param(PROMOTION, "e7e8Q", "e7e8q", "promotion", id="promotion-upper-case"),
            pytest.param(PROMOTION, "e7e8n", "e7e8n", "promotion", id="underpromotion"),
            pytest.param(EN_PASSANT, "e5d6", "e5d6", "en_passant", id="en-passant"),
            pytest.param(CASTLING, "a1a8", "a1a8", "capture", id="capture"),
        ],
    )
    def test_parse_uci(self, fen, text, expected, kind):
        parsed = position(fen).parse_uci(text)
        assert parsed.uci() == expected
        assert parsed.kind == kind

    @pytest.mark.parametrize(
        "fen, text, expected, kind",
        [
            # A king that can step onto the two-squares target takes that step.
            pytest.param(KING_B1, "b1c1", "b1c1", "quiet", id="step-before-castling"),
            pytest.param(KING_B1, "b1a1", "b1a1", "castling", id="king-to-rook"),
            pytest.param(KING_G1, "g1c1", "g1f1", "castling", id="two-squares-fallback"),
            pytest.param(KING_G1, "g1f1", "g1f1", "castling", id="onto-rook"),
        ],
    )
    def test_parse_uci_chess960(self, fen, text, expected, kind):
        parsed = position(fen).parse_uci(text, variant=vorn.CHESS960)
        assert parsed.uci() == expected
        assert parsed.kind == kind

    @pytest.mark.parametrize(
        "fen, text, kind",
        [
            pytest.param(START, "e2e9", MALFORMED, id="rank-off-board"),
            pytest.param(START, "e2e4 ", MALFORMED, id="trailing-blank"),
            pytest.param(START, " e2e4", MALFORMED, id="leading-blank"),
            pytest.param(START, "e2", MALFORMED, id="too-short"),
            pytest.param(START, "e2e4qq", MALFORMED, id="too-long"),
            pytest.param(START, "e2e4k", MALFORMED, id="king-promotion"),
            pytest.param(START, "e2e4p", MALFORMED, id="pawn-promotion"),
            pytest.param(START, "e2\u00e94", MALFORMED, id="non-ascii"),
            pytest.param(START, "0000", MALFORMED, id="null-move"),
            pytest.param(MATED, "e2e9", MALFORMED, id="malformed-before-moves"),
            pytest.param(START, "e2e5", NO_MOVE, id="not-legal"),
            pytest.param(START, "e2e4q", NO_MOVE, id="stray-promotion"),
            pytest.param(PROMOTION, "e7e8", NO_MOVE, id="promotion-needs-role"),
            pytest.param(START, "e1g1", NO_MOVE, id="castling-not-legal"),
            pytest.param(MATED, "g8h8", NO_MOVE, id="mated"),
        ],
    )
    def test_errors(self, fen, text, kind):
        here = position(fen)
        with pytest.raises(vorn.MoveParseError) as caught:
            here.parse_uci(text)
        assert str(caught.value) == f"{kind}: {quoted(text)} in {here.fen}"

    @pytest.mark.parametrize(
        "fen, uci, variant, castling, text",
        [
            pytest.param(ITALIAN, "e1h1", None, "king_to_rook", "e1h1", id="classic-default"),
            pytest.param(ITALIAN, "e1h1", None, "king_two_squares", "e1g1", id="classic-two"),
            pytest.param(CASTLING, "e1a1", None, "king_two_squares", "e1c1", id="classic-long-two"),
            pytest.param("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8h8", None, "king_two_squares",
                         "e8g8", id="black-two"),
            pytest.param(ITALIAN, "e1h1", vorn.CHESS960, "king_to_rook", "e1h1", id="960-default"),
            pytest.param(ITALIAN, "e1h1", vorn.CHESS960, "king_two_squares", "e1h1",
                         id="960-ignores-style"),
            pytest.param(KING_B1, "b1a1", vorn.CLASSIC, "king_two_squares", "b1c1",
                         id="classic-geometry-on-960-position"),
            pytest.param(KING_B1, "b1a1", vorn.CHESS960, "king_two_squares", "b1a1",
                         id="960-king-b1"),
            pytest.param(PROMOTION, "e7e8q", None, "king_two_squares", "e7e8q",
                         id="promotion-any-style"),
        ],
    )
    def test_uci(self, fen, uci, variant, castling, text):
        here = position(fen)
        mv = here.parse_uci(uci, variant=vorn.CHESS960)
        assert here.uci(mv, variant=variant, castling=castling) == text
        if castling == "king_to_rook":
            assert here.uci(mv, variant=variant) == text

    def test_castling_style_names(self):
        assert vorn.KING_TO_ROOK == "king_to_rook"
        assert vorn.KING_TWO_SQUARES == "king_two_squares"
        here = position(ITALIAN)
        mv = here.parse_uci("e1h1")
        assert here.uci(mv, castling=vorn.KING_TWO_SQUARES) == "e1g1"

    @pytest.mark.parametrize("style", ["KING_TO_ROOK", "king-to-rook", "", "king_to_rook "])
    def test_unknown_castling_style(self, style):
        here = position(ITALIAN)
        with pytest.raises(vorn.ParseError) as caught:
            here.uci(here.parse_uci("e1h1"), castling=style)
        assert str(caught.value) == f"not a castling output style: {quoted(style)}"

    def test_argument_types(self):
        here = position(START)
        mv = here.parse_uci("e2e4")
        with pytest.raises(TypeError, match="mv"):
            here.uci("e2e4")
        with pytest.raises(TypeError, match="castling"):
            here.uci(mv, castling=0)
        with pytest.raises(TypeError, match="variant"):
            here.uci(mv, variant="chess960")
        with pytest.raises(TypeError, match="text"):
            here.parse_uci(None)


SWEEP = [
    pytest.param(START, None, id="start"),
    pytest.param(KIWIPETE, None, id="kiwipete"),
    pytest.param("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", None, id="rook-endgame"),
    pytest.param("r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", None,
                 id="position-4"),
    pytest.param("rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", None, id="position-5"),
    pytest.param("n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1", None, id="promotions"),
    pytest.param(QUEENS, None, id="three-queens"),
    pytest.param(EN_PASSANT, None, id="en-passant"),
    pytest.param("4k3/8/8/3pP3/4K3/8/8/8 w - d6 0 1", None, id="en-passant-in-check"),
    pytest.param("4r2k/8/8/8/8/3n4/8/3RK3 w - - 0 1", None, id="double-check"),
    pytest.param(CASTLING, None, id="castling"),
    pytest.param("bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9",
                 vorn.CHESS960, id="960-king-g1"),
    pytest.param("rkrnnqbb/p1ppp2p/Qp6/4Pp2/5p2/8/PPPP2PP/RKRNN1BB w CAca - 0 9", vorn.CHESS960,
                 id="960-king-b1"),
    pytest.param(KING_B1, vorn.CHESS960, id="960-king-b1-rook-a1"),
    pytest.param(KING_G1, vorn.CHESS960, id="960-king-g1-rook-f1"),
    pytest.param("rkr5/pppppppp/8/8/8/8/PPPPPPPP/RKR5 w CAca - 0 1", vorn.CHESS960,
                 id="960-adjacent-rooks"),
]


@pytest.mark.parametrize("fen, variant", SWEEP)
def test_every_move_reads_back(fen, variant):
    here = position(fen)
    moves = here.legal_moves(variant=variant)
    sans = [here.san(mv, variant=variant) for mv in moves]
    assert len(set(sans)) == len(sans)
    styles = ["king_to_rook"] if variant == vorn.CHESS960 else ["king_to_rook", "king_two_squares"]
    for mv, san in zip(moves, sans):
        back = here.parse_san(san, variant=variant)
        assert (back, back.kind, back.is_capture) == (mv, mv.kind, mv.is_capture), san
        for style in styles:
            text = here.uci(mv, variant=variant, castling=style)
            back = here.parse_uci(text, variant=variant)
            assert (back, back.kind, back.is_capture) == (mv, mv.kind, mv.is_capture), text
        after = here.play(mv, variant=variant)
        if not after.in_check:
            assert san[-1] not in "+#", san
        elif after.legal_moves(variant=variant):
            assert san.endswith("+"), san
        else:
            assert san.endswith("#"), san


def random_walk_positions(seed, games, plies):
    draw = random.Random(seed)
    for _ in range(games):
        here = position(START)
        for _ in range(plies):
            moves = here.legal_moves()
            if not moves:
                break
            yield here
            here = here.play(draw.choice(moves))


# Pins, checks, blocked and doubled pawns, en passant and promotions, where a
# move may or may not be read without listing the unit's moves.
SAN_ORACLE_FENS = [
    "4k3/8/8/8/1b6/8/3N4/4K3 w - - 0 1",  # knight pinned by a bishop
    "4k3/4r3/8/8/8/8/4R3/4K3 w - - 0 1",  # rook pinned, free along its pin line
    "4k3/8/8/1b6/8/8/4P3/4K3 w - - 0 1",  # nothing pinned: the bishop aims past the pawn
    "4k3/8/8/8/1b6/8/3P4/4K3 w - - 0 1",  # pawn pinned, its step leaves the line
    "4k3/8/8/8/8/4n3/2P5/2K5 w - - 0 1",  # in check by a knight
    "4k3/8/8/8/8/8/8/r3K3 w - - 0 1",  # a king in check, its step along the rook's line still attacked
    "4k3/8/8/8/8/4P3/4P3/4K3 w - - 0 1",  # doubled pawns
    "4k3/8/8/8/8/4n3/4P3/4K3 w - - 0 1",  # a pawn blocked, its double step too
    "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1",  # en passant
    "8/1P2k3/8/8/8/8/8/4K3 w - - 0 1",  # promotion
    "4k3/8/8/2KpP2r/8/8/8/8 w - d6 0 1",  # en passant that uncovers a rook
    KNIGHT_TWIN_PINNED,  # a twin that would make "Nd2" ambiguous, were it free
    ROOK_TWIN_PINNED,
]


def san_oracle_positions():
    yield from (position(fen) for fen in SAN_ORACLE_FENS)
    yield from (position(param.values[0]) for param in SWEEP if param.values[1] is None)
    yield from random_walk_positions(17, 2, 60)


def listed_outcomes(here):
    """What reading each SAN must give, worked out from the legal list: the
    move, or the error's kind, by (role, origin file, rank or None, target, promotion)."""
    found = {}
    for mv in here.legal_moves():
        if mv.is_castling:
            continue
        role = here.piece_at(mv.origin).upper().replace("P", "")
        for hint in (None, mv.origin[0], mv.origin[1]):
            found.setdefault((role, hint, mv.destination, mv.promotion), []).append(mv)
    return {key: moves[0] if len(moves) == 1 else AMBIGUOUS for key, moves in found.items()}


def test_san_reads_as_the_legal_list_says():
    """Every role, target, origin file or rank and promotion, against the legal
    list: reading SAN without listing moves must give what the list gives."""
    squares = [f + r for f in "abcdefgh" for r in "12345678"]
    for here in san_oracle_positions():
        outcomes = listed_outcomes(here)
        white = here.side_to_move == "white"
        for role in ("", "N", "B", "R", "Q", "K"):
            origins = [sq for sq in squares if (here.piece_at(sq) or "").upper() == (role or "P")
                       and here.piece_at(sq).isupper() == white]
            hints = {None} | {sq[0] for sq in origins} | {sq[1] for sq in origins}
            for target in squares:
                last = target[1] in "18"
                for promotion in (None, "q") if role == "" and last else (None,):
                    for hint in hints:
                        text = role + (hint or "") + target + ("=Q" if promotion else "")
                        expected = outcomes.get((role, hint, target, promotion), NO_MOVE)
                        try:
                            got = here.parse_san(text)
                        except vorn.MoveParseError as error:
                            assert str(error).startswith(f"{expected}:"), (here.fen, text)
                        else:
                            assert not isinstance(expected, str), (here.fen, text, got)
                            assert (got, got.kind, got.is_capture) == \
                                (expected, expected.kind, expected.is_capture), (here.fen, text)
