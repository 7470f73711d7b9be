"""The Position class: properties, board queries, text forms, equality,
hashing, pickling and the two keys."""

import copy
import os
import pickle
import subprocess
import sys

import pytest

import vorn

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
START4 = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"
KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
# Black units around e4: pawn d5, knight f6, bishop h7, queen a4, king f3;
# the rook on e8 is shut off by the White pawn on e6.
ATTACKS = "4r3/7b/4Pn2/3pp3/q3P3/5k2/8/4K3 w - - 0 1"
# The Black knight on e7 is pinned to its king by the rook on e1.
PINNED = "4k3/4n3/8/8/8/8/8/4RK2 w - - 0 1"


def position(fen=START):
    return vorn.Position.from_fen(fen)


def after(moves, fen=START):
    here = position(fen)
    for text in moves.split():
        here = here.play(text)
    return here


class TestProperties:
    def test_start(self):
        start = position()
        assert start.fen == START
        assert start.epd == START4
        assert start.side_to_move == "white"
        assert start.castling_rights == "KQkq"
        assert start.en_passant is None
        assert (start.halfmove_clock, start.fullmove_number) == (0, 1)
        assert start.clocks_known is True
        assert start.in_check is False
        assert start.occupied.bits == 0xFFFF_0000_0000_FFFF
        assert start.checkers().bits == 0

    def test_after_a_move(self):
        here = after("e2e4")
        assert here.side_to_move == "black"
        assert here.en_passant == "e3"
        assert here.occupied.bits == 0xFFFF_0000_1000_EFFF

    def test_in_check(self):
        here = position("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3")
        assert here.in_check is True
        assert here.checkers().squares == ["h4"]

    def test_double_check(self):
        assert position("4r2k/8/8/8/8/3n4/8/3RK3 w - - 0 1").checkers().squares == ["d3", "e8"]

    def test_keys_are_non_negative_ints(self):
        for fen in (START, KIWIPETE, ATTACKS):
            here = position(fen)
            assert isinstance(here.key, int) and 0 <= here.key < 2**64
            assert isinstance(here.polyglot_key, int) and 0 <= here.polyglot_key < 2**64

    def test_frozen(self):
        here = position()
        with pytest.raises((AttributeError, TypeError)):
            here.fen = START
        with pytest.raises(TypeError):
            vorn.Position()


class TestBoardQueries:
    @pytest.mark.parametrize(
        "square, piece",
        [("e1", "K"), ("d8", "q"), ("a2", "P"), ("g8", "n"), ("E4", None), ("h6", None), ("C1", "B")],
    )
    def test_piece_at(self, square, piece):
        assert position().piece_at(square) == piece

    @pytest.mark.parametrize(
        "role, squares",
        [
            ("n", ["b1", "g1", "b8", "g8"]),
            ("N", ["b1", "g1", "b8", "g8"]),
            ("k", ["e1", "e8"]),
            ("Q", ["d1", "d8"]),
        ],
    )
    def test_by_role(self, role, squares):
        assert position().by_role(role).squares == squares

    @pytest.mark.parametrize("colour, bits", [
        ("white", 0xFFFF), ("W", 0xFFFF), ("White", 0xFFFF),
        ("b", 0xFFFF << 48), ("BLACK", 0xFFFF << 48),
    ])
    def test_by_colour(self, colour, bits):
        assert position().by_colour(colour).bits == bits

    def test_by_piece(self):
        assert position().by_piece("p", "b").bits == 0xFF << 48
        assert position().by_piece("R", "white").squares == ["a1", "h1"]
        assert position(KIWIPETE).by_piece("b", "black").squares == ["a6", "g7"]

    def test_king_of(self):
        assert position(KIWIPETE).king_of("white") == "e1"
        assert position(ATTACKS).king_of("Black") == "f3"

    @pytest.mark.parametrize(
        "fen, square, colour, squares",
        [
            pytest.param(ATTACKS, "e4", "black", ["f3", "a4", "d5", "f6", "h7"], id="every-role"),
            pytest.param(ATTACKS, "e6", "black", ["e8"], id="rook"),
            pytest.param(ATTACKS, "e4", "white", [], id="not-its-own-attacker"),
            pytest.param(ATTACKS, "E4", "b", ["f3", "a4", "d5", "f6", "h7"], id="names-any-case"),
            pytest.param(PINNED, "d5", "black", ["e7"], id="pin-ignored"),
            pytest.param(PINNED, "e2", "white", ["e1", "f1"], id="rook-and-king"),
            pytest.param(PINNED, "e8", "white", [], id="no-x-ray"),
            pytest.param(START, "f3", "white", ["g1", "e2", "g2"], id="start-f3"),
        ],
    )
    def test_attackers(self, fen, square, colour, squares):
        assert position(fen).attackers(square, colour).squares == squares

    @pytest.mark.parametrize(
        "origin, destination, squares",
        [
            ("a1", "h8", ["b2", "c3", "d4", "e5", "f6", "g7"]),
            ("h8", "a1", ["b2", "c3", "d4", "e5", "f6", "g7"]),
            ("a1", "a8", ["a2", "a3", "a4", "a5", "a6", "a7"]),
            ("h1", "a8", ["g2", "f3", "e4", "d5", "c6", "b7"]),
            ("b1", "e1", ["c1", "d1"]),
            ("E4", "e6", ["e5"]),
            ("a1", "b3", []),
            ("e4", "e4", []),
            ("e4", "e5", []),
            ("e4", "f5", []),
        ],
    )
    def test_between(self, origin, destination, squares):
        assert position().between(origin, destination).squares == squares

    @pytest.mark.parametrize(
        "call, message",
        [
            pytest.param(lambda p: p.piece_at("e9"), 'not a square: "e9"', id="piece_at"),
            pytest.param(lambda p: p.piece_at("e"), 'not a square: "e"', id="piece_at-short"),
            pytest.param(lambda p: p.by_role("knight"), 'not a role: "knight"', id="by_role-word"),
            pytest.param(lambda p: p.by_role(""), 'not a role: ""', id="by_role-empty"),
            pytest.param(lambda p: p.by_colour("red"), 'not a colour: "red"', id="by_colour"),
            pytest.param(lambda p: p.by_colour(" white"), 'not a colour: " white"',
                         id="by_colour-blank"),
            pytest.param(lambda p: p.by_colour("whites"), 'not a colour: "whites"',
                         id="by_colour-long"),
            pytest.param(lambda p: p.by_piece("x", "red"), 'not a role: "x"', id="by_piece-role-first"),
            pytest.param(lambda p: p.by_piece("n", "red"), 'not a colour: "red"', id="by_piece-colour"),
            pytest.param(lambda p: p.king_of("wh"), 'not a colour: "wh"', id="king_of"),
            pytest.param(lambda p: p.attackers("z9", "red"), 'not a square: "z9"',
                         id="attackers-square-first"),
            pytest.param(lambda p: p.attackers("e4", "red"), 'not a colour: "red"',
                         id="attackers-colour"),
            pytest.param(lambda p: p.between("z0", "z9"), 'not a square: "z0"',
                         id="between-origin-first"),
            pytest.param(lambda p: p.between("a1", "a\n"), 'not a square: "a\\n"',
                         id="between-destination"),
        ],
    )
    def test_bad_names(self, call, message):
        with pytest.raises(vorn.ParseError) as caught:
            call(position())
        assert str(caught.value) == message
        assert isinstance(caught.value, ValueError)

    @pytest.mark.parametrize(
        "call, parameter",
        [
            pytest.param(lambda p: p.piece_at(28), "square", id="piece_at"),
            pytest.param(lambda p: p.by_role(None), "role", id="by_role"),
            pytest.param(lambda p: p.by_piece("x", 0), "colour", id="by_piece-types-first"),
            pytest.param(lambda p: p.attackers("z9", None), "colour", id="attackers-types-first"),
            pytest.param(lambda p: p.between("z0", 5), "destination", id="between-types-first"),
        ],
    )
    def test_bad_types(self, call, parameter):
        with pytest.raises(TypeError, match=parameter):
            call(position())

    def test_keyword_arguments(self):
        here = position(ATTACKS)
        assert here.attackers(square="e6", colour="black").squares == ["e8"]
        assert here.between(origin="a1", destination="c3").squares == ["b2"]
        assert here.by_piece(role="k", colour="white").squares == ["e1"]


class TestTextForms:
    def test_str_is_six_field_fen(self):
        assert str(position(START4)) == START
        assert str(position(KIWIPETE)) == KIWIPETE

    @pytest.mark.parametrize(
        "fen, text",
        [
            pytest.param(START, f"<Position {START}>", id="six-fields"),
            pytest.param(START4, f"<Position {START4}>", id="four-fields"),
            pytest.param("  " + START4 + "  ", f"<Position {START4}>", id="normalised"),
        ],
    )
    def test_repr(self, fen, text):
        assert repr(position(fen)) == text


class TestEquality:
    def test_equal_positions(self):
        assert position(START) == position("  " + START)
        assert after("g1f3 g8f6 f3g1 f6g8") != position(START)
        assert after("g1f3 g8f6 f3g1 f6g8") == position(
            "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 4 3")

    @pytest.mark.parametrize(
        "other",
        [
            pytest.param(START, id="fen-text"),
            pytest.param(None, id="none"),
            pytest.param(0, id="int"),
            pytest.param(vorn.Move("e2", "e4"), id="move"),
            pytest.param(vorn.CLASSIC, id="variant"),
        ],
    )
    def test_other_types(self, other):
        here = position()
        assert here.__eq__(other) is NotImplemented
        assert here.__ne__(other) is NotImplemented
        assert (here == other) is False
        assert (here != other) is True

    @pytest.mark.parametrize("op", ["__lt__", "__le__", "__gt__", "__ge__"])
    def test_no_ordering(self, op):
        here = position()
        assert getattr(here, op)(position()) is NotImplemented
        with pytest.raises(TypeError):
            here < position()

    def test_hash(self):
        fens = [START, START4, KIWIPETE, ATTACKS, PINNED, "8/8/8/KPp4r/8/8/8/4k3 w - c6 0 1"]
        for fen in fens:
            assert hash(position(fen)) == hash(position(fen))
            assert hash(position(fen)) != -1
        assert len({hash(position(fen)) for fen in fens}) == len(fens)
        by_file = position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w HAha - 0 1")
        assert hash(position(START)) == hash(by_file)
        assert {position(START): 1}[position(START)] == 1

    def test_hash_is_the_same_in_another_process(self):
        code = (
            "import vorn\n"
            f"print(hash(vorn.Position.from_fen({KIWIPETE!r})))\n"
        )
        env = dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path), PYTHONHASHSEED="random")
        out = subprocess.run([sys.executable, "-c", code], env=env, capture_output=True,
                             text=True, check=True).stdout
        assert int(out) == hash(position(KIWIPETE))


class TestPickling:
    FENS = [
        pytest.param(START, id="start"),
        pytest.param(START4, id="four-fields"),
        pytest.param("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", id="en-passant"),
        pytest.param("nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w Gb - 7 31", id="chess960"),
        pytest.param(f"4k3/8/8/8/8/8/8/4K2R w K - {2**32 - 1} {2**32 - 1}", id="largest-clocks"),
    ]

    @pytest.mark.parametrize("fen", FENS)
    def test_round_trips(self, fen):
        here = position(fen)
        for clone in (pickle.loads(pickle.dumps(here)), copy.copy(here), copy.deepcopy(here)):
            assert clone == here
            assert clone.clocks_known == here.clocks_known
            assert repr(clone) == repr(here)
            assert hash(clone) == hash(here)

    @pytest.mark.parametrize(
        "fen, argument",
        [
            pytest.param(START, START, id="six-fields"),
            pytest.param(START4, START4, id="four-fields"),
        ],
    )
    def test_reduce(self, fen, argument):
        function, arguments = position(fen).__reduce__()
        assert arguments == (argument,)
        assert function(*arguments) == position(fen)


class TestPolyglotKey:
    @pytest.mark.parametrize(
        "moves, key",
        [
            pytest.param("", 0x463B96181691FC9C, id="start"),
            pytest.param("e2e4", 0x823C9B50FD114196, id="e4"),
            pytest.param("e2e4 d7d5", 0x0756B94461C50FB0, id="e4-d5"),
            pytest.param("e2e4 d7d5 e4e5", 0x662FAFB965DB29D4, id="e4-d5-e5"),
            pytest.param("e2e4 d7d5 e4e5 f7f5", 0x22A48B5A8E47FF78, id="e4-d5-e5-f5"),
            pytest.param("e2e4 d7d5 e4e5 f7f5 e1e2", 0x652A607CA3F242C1, id="e4-d5-e5-f5-Ke2"),
            pytest.param("e2e4 d7d5 e4e5 f7f5 e1e2 e8f7", 0x00FDD303C946BDD9,
                         id="e4-d5-e5-f5-Ke2-Kf7"),
            pytest.param("a2a4 b7b5 h2h4 b5b4 c2c4", 0x3C8123EA7B067637, id="a4-b5-h4-b4-c4"),
            pytest.param("a2a4 b7b5 h2h4 b5b4 c2c4 b4c3 a1a3", 0x5C3F9B829B279560,
                         id="a4-b5-h4-b4-c4-bxc3-Ra3"),
        ],
    )
    def test_published_keys(self, moves, key):
        assert after(moves).polyglot_key == key

    def test_clocks_do_not_count(self):
        assert position(START4).polyglot_key == 0x463B96181691FC9C
        assert position(START.replace(" 0 1", " 12 40")).polyglot_key == 0x463B96181691FC9C

    @pytest.mark.parametrize(
        "fen, key",
        [
            # The en-passant entry counts whenever a pawn stands ready, even
            # when the capture would expose its king.
            pytest.param("8/8/8/KPp4r/8/8/8/4k3 w - c6 0 1", 0x3D665CC1F5DA1059, id="pinned-capturer"),
            pytest.param("8/8/8/KPp4r/8/8/8/4k3 w - - 0 1", 0x3D5CCF19475A793B, id="no-ep"),
            pytest.param("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq - 0 3",
                         0xF240C920DB53040A, id="ep-file-cleared"),
        ],
    )
    def test_en_passant(self, fen, key):
        assert position(fen).polyglot_key == key

    def test_chess960_rights_count_as_corner_rights(self):
        def rights_part(board, rights, other):
            with_rights = position(f"{board} w {rights} - 0 1").polyglot_key
            return with_rights ^ position(f"{board} w {other} - 0 1").polyglot_key

        start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR"
        chess960 = "nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN"
        assert rights_part(chess960, "GBgb", "-") == rights_part(start, "KQkq", "-")
        assert rights_part(chess960, "Gb", "-") == rights_part(start, "Kq", "-")
        assert rights_part(chess960, "B", "-") == rights_part(start, "Q", "-")

    def test_equal_boards_equal_keys(self):
        transposed = after("g1f3 g8f6 b1c3 b8c6")
        other_order = after("b1c3 b8c6 g1f3 g8f6")
        assert transposed.polyglot_key == other_order.polyglot_key
        assert transposed.key == other_order.key
        assert transposed.key != position().key
        assert transposed.polyglot_key != position().polyglot_key


DOCSTRINGS = {
    "Position": "Placement and state, with no rules attached.",
    "fen": "The six-field FEN.",
    "epd": "The first four FEN fields.",
    "castling_rights": "The FEN castling field.",
    "en_passant": "The square a pawn skipped on the previous ply.",
    "clocks_known": "False when the position came from a four-field FEN.",
    "occupied": "Every square holding a unit.",
    "key": "The Zobrist key. An identity within one process run only.",
    "polyglot_key":
        "The Polyglot key: the same number in every run and in every program\n"
        "that implements the format.",
    "from_fen":
        "Reads a six-field FEN, or a four-field one, which leaves the clocks\nunknown.",
    "piece_at": "The FEN letter of the unit on `square`, if any.",
    "attackers": "The units of `colour` attacking `square`, pins ignored.",
    "between":
        "The squares strictly between two squares; empty when they share no\n"
        "rank, file or diagonal.",
    "legal_moves": "Every legal move here, under `variant`.",
    "play": "The position after `mv`, given as a `Move` or as UCI text.",
    "outcome":
        "The terminal condition this position has reached on its own.\n"
        "Repetition needs the moves played, so it is `Game.outcome()`.",
}


@pytest.mark.parametrize("name", DOCSTRINGS)
def test_docstrings(name):
    member = vorn.Position if name == "Position" else getattr(vorn.Position, name)
    assert member.__doc__ == DOCSTRINGS[name]


@pytest.mark.parametrize(
    "method, signature",
    [
        ("from_fen", "(fen)"),
        ("piece_at", "($self, square)"),
        ("by_piece", "($self, role, colour)"),
        ("attackers", "($self, square, colour)"),
        ("between", "($self, origin, destination)"),
        ("legal_moves", "($self, *, variant=None)"),
        ("san", "($self, mv, *, variant=None)"),
        ("uci", '($self, mv, *, variant=None, castling="king_to_rook")'),
        ("play", "($self, mv, *, variant=None)"),
    ],
)
def test_text_signatures(method, signature):
    assert getattr(vorn.Position, method).__text_signature__ == signature
