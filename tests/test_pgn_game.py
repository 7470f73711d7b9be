"""PgnGame and PgnNode: headers, comment and result, equality, reprs, and
the failures of their setters."""

import gc

import pytest

from support.pgn_reading import one
from vorn import Move
from vorn.pgn import PgnGame, PgnNode


def test_a_new_record():
    game = PgnGame()
    assert (game.headers, game.comment, game.result, game.mainline()) == ({}, "", "*", [])
    assert (str(game), game.to_string(), repr(game)) == ("*\n", "*\n", "<PgnGame ? ply 0 *>")


def test_set_header_keeps_the_first_place_of_a_name():
    game = PgnGame()
    for name, value in [("White", "a"), ("Event", "e"), ("White", "b"), ("result", "x")]:
        assert game.set_header(name, value) is None
    assert list(game.headers.items()) == [("White", "b"), ("Event", "e"), ("result", "x")]
    game = one('[Site "s"]\n[Event "old"]\n*')
    game.set_header("Event", "new")
    assert list(game.headers.items()) == [("Site", "s"), ("Event", "new")]


@pytest.mark.parametrize("name", ["", "a b", 'a"', "a]", "é\u0301x ", "[x"], ids=repr)
def test_set_header_refuses_what_no_reader_reads_back(name):
    game = PgnGame()
    with pytest.raises(ValueError, match="^not a tag name: ") as caught:
        game.set_header(name, "v")
    assert str(caught.value).startswith('not a tag name: "')
    assert game.headers == {}


def test_the_result_setter_leaves_the_result_tag():
    game = one('[Result "*"]\n1. e4 *')
    game.result = "1-0"
    assert game.result == "1-0"
    assert str(game) == '[Result "*"]\n\n1. e4 1-0\n'


@pytest.mark.parametrize("marker", [" 1-0", "1-0 ", "½-½", "", "draw"])
def test_the_result_setter_takes_only_the_four_markers(marker):
    game = PgnGame()
    with pytest.raises(ValueError) as caught:
        game.result = marker
    assert str(caught.value).startswith('not a result: "')
    assert game.result == "*"


@pytest.mark.parametrize(
    ("member", "value", "argument"),
    [("result", 1, "marker"), ("comment", None, "text")],
)
def test_setters_name_their_argument(member, value, argument):
    with pytest.raises(TypeError, match=argument):
        setattr(PgnGame(), member, value)


def test_set_header_arguments_must_be_text():
    with pytest.raises(TypeError, match="name"):
        PgnGame().set_header(1, "v")
    with pytest.raises(TypeError, match="value"):
        PgnGame().set_header("A", b"v")


def test_repr_counts_main_line_moves():
    game = one('[Event "Club"]\n[Event "Cup"]\n1. e4 (1. d4 d5) e5 1/2-1/2')
    assert repr(game) == "<PgnGame Cup ply 2 1/2-1/2>"


@pytest.mark.parametrize(
    ("a", "b"),
    [
        pytest.param("1. e4 $1 *", "1. e4 $2 *", id="one-glyph"),
        pytest.param("1. e4 $1 $2 *", "1. e4 $2 $1 *", id="glyph-order"),
        pytest.param("1. e4 () *", "1. e4 *", id="an-empty-variation"),
        pytest.param("1. e4 (1. d4) *", "1. e4 (1. c4) *", id="a-move-deep-in-a-variation"),
        pytest.param("1. e4 {a} *", "1. e4 {b} *", id="a-comment"),
        pytest.param("1. e4 *", "1. e4 1-0", id="the-result"),
        pytest.param('[A "1"]\n[B "2"]\n*', '[B "2"]\n[A "1"]\n*', id="tag-order"),
        pytest.param("1. Nf3 *", "1. Nf3 Nf6 *", id="length"),
    ],
)
def test_records_that_differ(a, b):
    assert one(a) != one(b)
    assert not one(a) == one(b)


def test_equality():
    text = '[Event "x"]\n{c} 1. e4 (1. d4 {v}) e5 $3 *'
    a, b = one(text), one(text)
    assert a == b and not a != b
    b.comment = "other"
    assert a != b
    assert (a == "x", a != "x") == (False, True)
    with pytest.raises(TypeError):
        a < b
    with pytest.raises(TypeError):
        hash(a)


def test_nodes_are_copies():
    game = one("1. e4!? (1. d4) e5 *")
    e4 = game.mainline()[0]
    assert isinstance(e4, PgnNode) and repr(e4) == "<PgnNode e4>"
    assert (e4.move, e4.san, e4.nags) == (Move("e2", "e4"), "e4", [5])
    e4.nags.append(1)
    e4.variations.clear()
    assert game.mainline()[0].nags == [5] and len(game.mainline()[0].variations) == 1
    assert game.mainline()[0].variations[0][0] is not game.mainline()[0].variations[0][0]
    with pytest.raises(AttributeError):
        e4.san = "d4"


def test_nodes_share_their_record_and_outlive_it():
    game = one('[Event "e"]\n1. e4 {a} (1. d4 d5) e5 *')
    e4, e5 = game.mainline()
    d4 = e4.variations[0][0]
    game.set_header("Event", "changed")
    game.comment, game.result = "new", "1-0"
    del game
    gc.collect()
    assert (e4.san, e4.comment_after, e5.san, d4.san) == ("e4", "a", "e5", "d4")
    assert [node.san for node in e4.variations[0]] == ["d4", "d5"]


def test_tags_are_found_by_name_however_many_there_are():
    names = [f"T{i}" for i in range(40_000)]
    text = "".join(f'[{name} "{i}"]\n' for i, name in enumerate(names))
    game = one(text + '[T7 "again"]\n[Event "e"]\n*')
    assert len(game.headers) == 40_001
    assert (game.headers["T7"], game.headers["T39999"], repr(game)) == ("again", "39999", "<PgnGame e ply 0 *>")
    assert list(game.headers)[:3] == ["T0", "T1", "T2"] and list(game.headers)[-1] == "Event"
    game.set_header("T0", "first")
    assert str(game).splitlines()[:2] == ['[Event "e"]', '[T0 "first"]']


def test_a_deep_tree_walks_level_by_level():
    # Each variation opens another on its first move, 20,000 deep.
    depth = 20_000
    game = one("1. e4 " + "(1. d4 " * depth + ")" * depth + " *")
    node, seen = game.mainline()[0], 0
    while node.variations:
        (line,) = node.variations
        node = line[0]
        seen += 1
    assert (seen, node.san, node.variations) == (depth, "d4", [])
