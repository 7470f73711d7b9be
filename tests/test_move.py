"""The Move class: construction and its checks, the kind read back from the
flags, UCI text, equality, hashing and pickling."""

import copy
import pickle

import pytest

import vorn

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"


@pytest.mark.parametrize(
    "args, kwargs, fields",
    [
        # fields: origin, destination, promotion, kind, is_capture, is_castling, is_en_passant, uci
        pytest.param(("e2", "e4"), {}, ("e2", "e4", None, "quiet", False, False, False, "e2e4"),
                     id="quiet"),
        pytest.param(("E2", "E4"), {}, ("e2", "e4", None, "quiet", False, False, False, "e2e4"),
                     id="upper-case-squares"),
        pytest.param(("d4", "e5"), {"kind": "capture", "is_capture": True},
                     ("d4", "e5", None, "capture", True, False, False, "d4e5"), id="capture"),
        pytest.param(("e5", "d6"), {"kind": "en_passant", "is_capture": True},
                     ("e5", "d6", None, "en_passant", True, False, True, "e5d6"), id="en-passant"),
        pytest.param(("e1", "h1"), {"kind": "castling"},
                     ("e1", "h1", None, "castling", False, True, False, "e1h1"), id="castling"),
        pytest.param(("e7", "e8"), {"promotion": "Q"},
                     ("e7", "e8", "q", "promotion", False, False, False, "e7e8q"),
                     id="role-with-kind-quiet"),
        pytest.param(("e7", "e8", "n", "promotion", False), {},
                     ("e7", "e8", "n", "promotion", False, False, False, "e7e8n"), id="positional"),
        pytest.param(("e7", "d8"), {"promotion": "r", "kind": "promotion", "is_capture": True},
                     ("e7", "d8", "r", "promotion", True, False, False, "e7d8r"),
                     id="capturing-promotion"),
        pytest.param(("e7", "d8"), {"promotion": "b", "kind": "capture", "is_capture": True},
                     ("e7", "d8", "b", "promotion", True, False, False, "e7d8b"),
                     id="capture-with-role-reads-promotion"),
        pytest.param(("e7", "e8"), {"kind": "promotion"},
                     ("e7", "e8", None, "quiet", False, False, False, "e7e8"),
                     id="promotion-without-role-reads-quiet"),
        pytest.param(("e7", "e8"), {"kind": "promotion", "is_capture": True},
                     ("e7", "e8", None, "capture", True, False, False, "e7e8"),
                     id="capturing-promotion-without-role"),
        pytest.param(("e7", "e8"), {"promotion": "K"},
                     ("e7", "e8", "k", "promotion", False, False, False, "e7e8k"), id="king-role"),
        pytest.param(("e7", "e8"), {"promotion": "p"},
                     ("e7", "e8", "p", "promotion", False, False, False, "e7e8p"), id="pawn-role"),
        pytest.param(("e4", "e4"), {}, ("e4", "e4", None, "quiet", False, False, False, "e4e4"),
                     id="same-square"),
        pytest.param(("h8", "a1"), {}, ("h8", "a1", None, "quiet", False, False, False, "h8a1"),
                     id="any-squares"),
    ],
)
def test_construct(args, kwargs, fields):
    mv = vorn.Move(*args, **kwargs)
    got = (mv.origin, mv.destination, mv.promotion, mv.kind, mv.is_capture, mv.is_castling,
           mv.is_en_passant, mv.uci())
    assert got == fields
    assert str(mv) == fields[-1]
    assert repr(mv) == f"<Move {fields[-1]}>"


@pytest.mark.parametrize(
    "args, kwargs, message",
    [
        pytest.param(("e7", "e8"), {"promotion": "queen"}, 'not a role: "queen"', id="role-word"),
        pytest.param(("e7", "e8"), {"promotion": ""}, 'not a role: ""', id="role-empty"),
        pytest.param(("e7", "e8"), {"promotion": "x"}, 'not a role: "x"', id="role-letter"),
        pytest.param(("e2", "e4"), {"kind": "Quiet"}, 'not a move kind: "Quiet"', id="kind-case"),
        pytest.param(("e2", "e4"), {"kind": "en-passant"}, 'not a move kind: "en-passant"',
                     id="kind-dash"),
        pytest.param(("e2", "e4"), {"kind": "capture"},
                     'not a move whose kind and is_capture agree: "capture, is_capture=false"',
                     id="capture-without-flag"),
        pytest.param(("e5", "d6"), {"kind": "en_passant"},
                     'not a move whose kind and is_capture agree: "en_passant, is_capture=false"',
                     id="en-passant-without-flag"),
        pytest.param(("e2", "e4"), {"is_capture": True},
                     'not a move whose kind and is_capture agree: "quiet, is_capture=true"',
                     id="quiet-with-flag"),
        pytest.param(("e1", "h1"), {"kind": "castling", "is_capture": True},
                     'not a move whose kind and is_capture agree: "castling, is_capture=true"',
                     id="castling-with-flag"),
        pytest.param(("e9", "e4"), {}, 'not a square: "e9"', id="origin"),
        pytest.param(("e2", "i1"), {}, 'not a square: "i1"', id="destination"),
        pytest.param(("e2", "e44"), {}, 'not a square: "e44"', id="destination-long"),
        # The first failing check decides: role, kind, agreement, then squares.
        pytest.param(("z9", "z8"), {"promotion": "x", "kind": "bad"}, 'not a role: "x"',
                     id="order-role"),
        pytest.param(("z9", "z8"), {"kind": "bad"}, 'not a move kind: "bad"', id="order-kind"),
        pytest.param(("z9", "z8"), {"kind": "capture"},
                     'not a move whose kind and is_capture agree: "capture, is_capture=false"',
                     id="order-agreement"),
        pytest.param(("z9", "z8"), {}, 'not a square: "z9"', id="order-origin"),
    ],
)
def test_construct_errors(args, kwargs, message):
    with pytest.raises(vorn.ParseError) as caught:
        vorn.Move(*args, **kwargs)
    assert str(caught.value) == message


@pytest.mark.parametrize(
    "args, kwargs, parameter",
    [
        pytest.param((5, "e4"), {}, "origin", id="origin"),
        pytest.param(("e2", None), {}, "destination", id="destination"),
        pytest.param(("e7", "e8"), {"promotion": 4}, "promotion", id="promotion"),
        pytest.param(("e2", "e4"), {"kind": None}, "kind", id="kind"),
        pytest.param(("d4", "e5"), {"kind": "capture", "is_capture": 1}, "is_capture",
                     id="is_capture-int"),
        pytest.param(("z9", "e4"), {"promotion": "queen", "is_capture": "yes"}, "is_capture",
                     id="types-before-names"),
    ],
)
def test_construct_types(args, kwargs, parameter):
    with pytest.raises(TypeError, match=parameter):
        vorn.Move(*args, **kwargs)


class TestUci:
    @pytest.mark.parametrize(
        "mv, two_squares",
        [
            pytest.param(vorn.Move("e1", "h1", kind="castling"), "e1g1", id="white-short"),
            pytest.param(vorn.Move("e1", "a1", kind="castling"), "e1c1", id="white-long"),
            pytest.param(vorn.Move("e8", "h8", kind="castling"), "e8g8", id="black-short"),
            pytest.param(vorn.Move("e8", "a8", kind="castling"), "e8c8", id="black-long"),
            pytest.param(vorn.Move("b1", "a1", kind="castling"), "b1c1", id="king-b1-rook-a1"),
            pytest.param(vorn.Move("b1", "c1", kind="castling"), "b1g1", id="king-b1-rook-c1"),
            pytest.param(vorn.Move("g1", "h1", kind="castling"), "g1g1", id="king-g1-rook-h1"),
            pytest.param(vorn.Move("e1", "h1"), "e1h1", id="not-castling"),
            pytest.param(vorn.Move("e7", "e8", "q"), "e7e8q", id="promotion"),
        ],
    )
    def test_castling_styles(self, mv, two_squares):
        assert mv.uci(castling="king_two_squares") == two_squares
        assert mv.uci(castling="king_to_rook") == str(mv)
        assert mv.uci() == str(mv)

    @pytest.mark.parametrize("style", ["KING_TO_ROOK", "king_two_squares ", "", "chess960"])
    def test_unknown_style(self, style):
        with pytest.raises(vorn.ParseError) as caught:
            vorn.Move("e1", "h1", kind="castling").uci(castling=style)
        assert str(caught.value) == f'not a castling output style: "{style}"'

    def test_style_must_be_text(self):
        with pytest.raises(TypeError, match="castling"):
            vorn.Move("e1", "h1").uci(castling=None)


class TestFromUci:
    @pytest.mark.parametrize(
        "text, uci, promotion",
        [
            pytest.param("e2e4", "e2e4", None, id="plain"),
            pytest.param("E2E4", "e2e4", None, id="upper-case"),
            pytest.param("e7e8q", "e7e8q", "q", id="promotion"),
            pytest.param("e7e8Q", "e7e8q", "q", id="promotion-upper-case"),
            pytest.param("a7b8n", "a7b8n", "n", id="knight"),
            pytest.param("a1a1", "a1a1", None, id="same-square"),
        ],
    )
    def test_reads(self, text, uci, promotion):
        mv = vorn.Move.from_uci(text)
        assert (mv.uci(), mv.promotion) == (uci, promotion)
        assert mv.kind == ("promotion" if promotion else "quiet")
        assert not (mv.is_capture or mv.is_castling or mv.is_en_passant)

    @pytest.mark.parametrize(
        "text",
        ["e7e8k", "e7e8p", "e2e4 ", " e2e4", "e2e", "", "e2e4qq", "e2\u00e94", "0000", "e2e9",
         "i2e4", "e2-e4"],
    )
    def test_rejects(self, text):
        with pytest.raises(vorn.ParseError) as caught:
            vorn.Move.from_uci(text)
        assert str(caught.value) == f'not a move: "{text}"'

    def test_text_must_be_text(self):
        with pytest.raises(TypeError, match="text"):
            vorn.Move.from_uci(None)


class TestEquality:
    def test_equals_the_legal_move(self):
        legal = vorn.Position.from_fen(START).parse_uci("e2e4")
        built = vorn.Move("e2", "e4")
        assert built == legal
        assert hash(built) == hash(legal)

    def test_flags_do_not_count(self):
        quiet = vorn.Move("d4", "e5")
        capture = vorn.Move("d4", "e5", kind="capture", is_capture=True)
        en_passant = vorn.Move("d4", "e5", kind="en_passant", is_capture=True)
        assert quiet == capture == en_passant
        assert hash(quiet) == hash(capture) == hash(en_passant)
        assert vorn.Move("e1", "h1") == vorn.Move("e1", "h1", kind="castling")

    def test_promotion_counts(self):
        moves = [vorn.Move("e7", "e8"), vorn.Move("e7", "e8", "q"), vorn.Move("e7", "e8", "r")]
        assert len(set(moves)) == 3
        assert vorn.Move("e7", "e8", "Q") == vorn.Move.from_uci("e7e8q")
        assert vorn.Move("e7", "e8", "q") != vorn.Move("e7", "e8")
        assert vorn.Move("e2", "e4") != vorn.Move("e4", "e2")

    @pytest.mark.parametrize(
        "mv, value",
        [
            # SipHash-1-3 with zero keys over origin, destination, a promotion
            # presence word and the role: the same in every process.
            pytest.param(vorn.Move("e2", "e4"), -2148315182596329640, id="e2e4"),
            pytest.param(vorn.Move("e7", "e8", "q"), 2088209583582529180, id="e7e8q"),
            pytest.param(vorn.Move("e7", "e8", "n", "promotion", True), -3184861468777509205,
                         id="e7e8n"),
            pytest.param(vorn.Move("e1", "h1", kind="castling"), -4052362506557607212, id="e1h1"),
            pytest.param(vorn.Move("a1", "a1"), 764595047648559848, id="a1a1"),
        ],
    )
    def test_hash_value(self, mv, value):
        assert hash(mv) == value

    @pytest.mark.parametrize("other", ["e2e4", None, 0, ("e2", "e4")], ids=repr)
    def test_other_types(self, other):
        mv = vorn.Move("e2", "e4")
        assert mv.__eq__(other) is NotImplemented
        assert mv.__ne__(other) is NotImplemented
        assert (mv == other) is False
        assert (mv != other) is True

    def test_no_ordering(self):
        a, b = vorn.Move("e2", "e4"), vorn.Move("d2", "d4")
        assert a.__lt__(b) is NotImplemented
        with pytest.raises(TypeError):
            a < b
        with pytest.raises(TypeError):
            sorted([a, b])


class TestPickling:
    @pytest.mark.parametrize(
        "mv, args",
        [
            pytest.param(vorn.Move("e2", "e4"), ("e2", "e4", None, "quiet", False), id="quiet"),
            pytest.param(vorn.Move("e7", "d8", "q", "capture", True),
                         ("e7", "d8", "q", "promotion", True), id="capturing-promotion"),
            pytest.param(vorn.Move("e1", "h1", kind="castling"),
                         ("e1", "h1", None, "castling", False), id="castling"),
            pytest.param(vorn.Move("e5", "d6", kind="en_passant", is_capture=True),
                         ("e5", "d6", None, "en_passant", True), id="en-passant"),
            pytest.param(vorn.Move("e7", "e8", kind="promotion"), ("e7", "e8", None, "quiet", False),
                         id="promotion-without-role"),
        ],
    )
    def test_getnewargs(self, mv, args):
        assert mv.__getnewargs__() == args

    @pytest.mark.parametrize(
        "fen",
        [
            pytest.param(START, id="start"),
            pytest.param("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                         id="kiwipete"),
            pytest.param("rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3", id="ep"),
            pytest.param("n1n5/PPPk4/8/8/8/8/4Kppp/5N1N w - - 0 1", id="promotions"),
        ],
    )
    def test_legal_moves_round_trip(self, fen):
        for mv in vorn.Position.from_fen(fen).legal_moves():
            for clone in (pickle.loads(pickle.dumps(mv)), copy.copy(mv), copy.deepcopy(mv)):
                assert clone == mv
                assert (clone.kind, clone.is_capture, clone.is_castling, clone.is_en_passant) == (
                    mv.kind, mv.is_capture, mv.is_castling, mv.is_en_passant)
                assert hash(clone) == hash(mv)


def test_frozen():
    mv = vorn.Move("e2", "e4")
    with pytest.raises((AttributeError, TypeError)):
        mv.origin = "d2"


DOCSTRINGS = {
    "Move": "One action: origin, destination, promotion role and kind.",
    "origin": "The square the moving unit starts on; for castling, the king's.",
    "destination": "The square it ends on; for castling, the rook's own square.",
    "promotion": "The role a promoting pawn becomes.",
    "kind": "`quiet`, `capture`, `en_passant`, `castling` or `promotion`.",
    "uci":
        "The UCI text, castling spelled as `castling` asks: `king_to_rook`,\n"
        "correct in every variant, or `king_two_squares`, classic geometry\n"
        "only. A Chess960 game spells its own castlings with\n"
        "`Game.move_to_uci`.",
    "from_uci":
        "The move `text` names in UCI notation, four or five characters.\n\n"
        "The move carries no kind: only a position says what it captures and\n"
        "whether it castles, so a move to play is read with\n"
        "`Position.parse_uci` or played with `Game.play`.",
}


@pytest.mark.parametrize("name", DOCSTRINGS)
def test_docstrings(name):
    member = vorn.Move if name == "Move" else getattr(vorn.Move, name)
    assert member.__doc__ == DOCSTRINGS[name]


def test_constructor_signature():
    assert vorn.Move.__text_signature__ == (
        '(origin, destination, promotion=None, kind="quiet", is_capture=False)')
    assert vorn.Move.__module__ == "vorn"
