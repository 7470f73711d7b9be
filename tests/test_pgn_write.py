"""The export text of PGN records: tag order and escapes, move numbers,
glyphs, comments, variations, the result, and lines of at most 80
characters; text that reads back to the same record and the same text."""

import pytest

from support.pgn_reading import movetext, one
from vorn.pgn import PgnGame


def record(headers=(), text="*"):
    game = one(text)
    for name, value in headers:
        game.set_header(name, value)
    return game


def test_an_empty_record_is_its_result():
    assert str(PgnGame()) == "*\n"


def test_tags_then_an_empty_line_then_the_movetext():
    game = record([("Black", "b"), ("Variant", "Standard"), ("Event", "e")])
    assert str(game) == '[Event "e"]\n[Black "b"]\n[Variant "Standard"]\n\n*\n'


def test_roster_tags_come_first_in_roster_order():
    names = ["Zeta", "Result", "Black", "White", "Round", "Date", "Site", "Event", "Alpha"]
    game = record([(name, "v") for name in names])
    assert [line.split()[0][1:] for line in str(game).splitlines()[:9]] == [
        "Event", "Site", "Date", "Round", "White", "Black", "Result", "Zeta", "Alpha"]


@pytest.mark.parametrize(
    ("value", "written"),
    [
        pytest.param('say "hi" \\ ok', '"say \\"hi\\" \\\\ ok"', id="quote-and-backslash"),
        pytest.param("two\nlines\r\n", '"two lines  "', id="line-breaks-become-spaces"),
        pytest.param("é\t日", '"é\t日"', id="other-characters-unchanged"),
    ],
)
def test_tag_values(value, written):
    game = record([("A", value)])
    assert str(game).splitlines()[0] == f"[A {written}]"
    again = one(str(game))
    assert str(again) == str(game)


@pytest.mark.parametrize(
    ("text", "expected"),
    [
        pytest.param("e4 e5", "1. e4 e5 *", id="two-moves"),
        pytest.param("e4 $1 e5", "1. e4 $1 e5 *", id="a-glyph-keeps-the-number-away"),
        pytest.param("e4 {best} e5", "1. e4 {best} 1... e5 *", id="a-comment-brings-the-number-back"),
        pytest.param("e4 e5 (c5 Nf3) Nf3", "1. e4 e5 (1... c5 2. Nf3) 2. Nf3 *", id="variation-on-black"),
        pytest.param("e4 (d4 d5) e5", "1. e4 (1. d4 d5) 1... e5 *", id="variation-on-white"),
        pytest.param("e4 (d4 {x} d5) e5", "1. e4 (1. d4 {x} 1... d5) 1... e5 *", id="comment-inside-a-variation"),
        pytest.param("e4 ({now} d4) e5", "1. e4 ({now} 1. d4) 1... e5 *", id="comment-before-a-white-move"),
        pytest.param("e4 e5 ({now} c5) Nf3", "1. e4 e5 ({now} 1... c5) 2. Nf3 *", id="comment-before-a-black-move"),
        pytest.param("e4 () e5", "1. e4 () 1... e5 *", id="empty-variation"),
        pytest.param("e4 {} e5", "1. e4 e5 *", id="empty-comment-not-written"),
    ],
)
def test_movetext(text, expected):
    game = one(text + " *")
    assert movetext(game) == expected
    assert str(one(str(game))) == str(game)


@pytest.mark.parametrize(
    ("fen", "expected"),
    [
        pytest.param("4k3/8/8/8/8/8/4P3/4K3 b - - 0 12", "12... Kd7 13. e4 *", id="black-to-move-at-twelve"),
        pytest.param("4k3/8/8/8/8/8/4P3/4K3 b - - 0 4294967295", "4294967295... Kd7 4294967296. e4 *",
                     id="numbers-do-not-wrap"),
        pytest.param("4k3/8/8/8/8/8/4P3/4K3 b - -", "1... Kd7 2. e4 *", id="four-field-fen"),
        pytest.param("4k3/8/8/8/8/8/4P3/4K3 b - - 0 0", "1... Kd7 2. e4 *", id="full-move-zero-reads-as-one"),
    ],
)
def test_numbering_starts_at_the_fen(fen, expected):
    game = one(f'[FEN "{fen}"]\n' + expected)
    assert movetext(game) == expected
    # A FEN tag that does not read is refused rather than written.
    with pytest.raises(ValueError, match="^the FEN tag is unreadable: "):
        game.set_header("FEN", "not a fen")
    assert movetext(game) == expected


def test_the_result_field_ends_the_movetext_whatever_the_tag():
    game = one('[Result "1-0"]\n1. e4 *')
    assert str(game) == '[Result "1-0"]\n\n1. e4 *\n'


@pytest.mark.parametrize(
    ("comment", "written"),
    [
        pytest.param("  ", "{}", id="white-space-only"),
        pytest.param("a\n\n  b", "{a b}", id="white-space-runs"),
        pytest.param("one}two }", "{onetwo}", id="closing-braces-dropped"),
        pytest.param("solo", "{solo}", id="one-word"),
    ],
)
def test_game_comments(comment, written):
    game = PgnGame()
    game.comment = comment
    assert str(game) == written + " *\n"


def test_a_closing_brace_from_a_line_comment_reads_back():
    game = one("1. e4 ; a } b\n*")
    assert game.mainline()[0].comment_after == "a } b"
    written = str(game)
    assert written == "1. e4 {a b} *\n"
    assert str(one(written)) == written


def test_lines_reach_eighty_characters_at_most():
    # "1. Nf3 Nf6 2. Ng1 Ng8 ..." wraps between tokens only.
    game = one("Nf3 Nf6 Ng1 Ng8 " * 20 + "*")
    lines = str(game).splitlines()
    assert all(len(line) <= 80 for line in lines)
    assert max(len(line) for line in lines) >= 78
    assert " ".join(lines) == movetext(game)


@pytest.mark.parametrize(
    ("word", "lines"),
    [
        pytest.param("x" * 76, ["{" + "x" * 76 + "} *"], id="exactly-eighty"),
        pytest.param("x" * 77, ["{" + "x" * 77 + "}", "*"], id="eighty-one-breaks"),
        pytest.param("x" * 93, ["{" + "x" * 93 + "}", "*"], id="a-long-token-stands-alone"),
        pytest.param("é" * 76, ["{" + "é" * 76 + "} *"], id="characters-not-bytes"),
    ],
)
def test_line_breaking(word, lines):
    game = PgnGame()
    game.comment = word
    assert str(game).splitlines() == lines


# ---- hostile comments: text that reads back to the same record ----


def written_and_read(game):
    """The record `game`'s text reads back to; that text writes again unchanged
    and none of its lines starts with "%", which a reader drops as an escape."""
    text = str(game)
    assert not [line for line in text.splitlines() if line.startswith("%")]
    again = one(text)
    assert str(again) == text
    return again


@pytest.mark.parametrize(
    "words",
    [
        pytest.param("%d", id="percent-word"),
        pytest.param("% %% %x", id="percent-words-in-a-row"),
        pytest.param("[%clk 0:02:58] %eval", id="clock-command"),
        pytest.param("a { b {", id="opening-braces"),
        pytest.param("; a ;b", id="semicolons"),
        pytest.param("tab\there\t%t", id="tabs"),
        pytest.param("%" + "y" * 85, id="long-percent-word"),
        pytest.param("x" * 79 + " %z", id="long-word-then-percent"),
        pytest.param("é %é", id="non-ascii"),
    ],
)
def test_hostile_comments_read_back_whatever_column_they_reach(words):
    # The filler moves every word of the comment across the wrap column.
    for pad in range(1, 82):
        comment = "{" + "p" * pad + " " + words + "}"
        game = one(f"1. e4 {comment} e5 ({comment} 1... c5 {comment}) 2. Nf3 {comment} Nc6 *")
        assert written_and_read(game) == game, pad


@pytest.mark.parametrize(
    ("comment", "read_back"),
    [
        pytest.param("a " * 39 + "%b", "a " * 39 + "%b", id="percent-word-at-the-wrap-column"),
        pytest.param("w " * 38 + "%a %b %c", "w " * 38 + "%a %b %c", id="percent-words-across-the-wrap-column"),
        pytest.param("\t%x\n%y\r\n", "%x %y", id="percent-words-on-lines-of-their-own"),
        pytest.param("a}b %c} {d", "ab %c {d", id="closing-braces-dropped"),
        pytest.param("%", "%", id="a-lone-percent"),
    ],
)
def test_comments_set_from_python_read_back(comment, read_back):
    game = PgnGame()
    game.comment = comment
    assert written_and_read(game).comment == read_back


@pytest.mark.parametrize(
    "words",
    [
        pytest.param(["%a"] * 300, id="three-hundred-short-words"),
        pytest.param([f"%{n}" for n in range(300)], id="words-of-growing-length"),
        pytest.param(["%" + "y" * 77] * 3, id="words-of-almost-a-line-each"),
        pytest.param(["x" * 78, "%z"], id="a-long-word-then-a-percent-word"),
    ],
)
def test_a_run_of_percent_words_longer_than_a_line_wraps(words):
    # The run goes on over lines that begin with a space, wherever it starts
    # (the padding word, with its "(" in the variation, fits on a line).
    for pad in range(1, 79):
        comment = "{" + "p" * pad + " " + " ".join(words) + "}"
        game = one(f"1. e4 {comment} e5 ({comment} 1... c5) *")
        assert max(len(line) for line in str(game).splitlines()) <= 80, pad
        assert written_and_read(game) == game, pad
