"""Reading PGN text: tags, movetext, comments, glyphs, variations, results,
located errors and recovery at the next game."""

import os
import sys
import threading
import time

import pytest

from support import unicode_table
from support.pgn_reading import drain, items, one, outline
from vorn import Move
from vorn.pgn import pgn_count, pgn_read, pgn_read_string


@pytest.mark.parametrize(
    ("text", "expected"),
    [
        pytest.param("", [], id="empty"),
        pytest.param("  \n\t\n%comment line\n\n", [], id="white-space-and-percent-lines"),
        pytest.param("1. e4 e5 *", ["1. e4 e5 *"], id="movetext-without-tags"),
        pytest.param("1. e4 ( ) e5 *", ["1. e4 () 1... e5 *"], id="empty-variation"),
        pytest.param("1. e4 (1. d4) (1. c4) e5 *", ["1. e4 (1. d4) (1. c4) 1... e5 *"], id="two-variations"),
        pytest.param("1. e4 (1. d4 (1. c4) d5) e5 *", ["1. e4 (1. d4 (1. c4) 1... d5) 1... e5 *"], id="nested"),
        pytest.param("1. e4 (1. d4) $1 {c} e5 *", ["1. e4 $1 {c} (1. d4) 1... e5 *"],
                     id="glyph-and-comment-after-a-variation-go-to-its-move"),
        pytest.param("1. e4 ({head} 1. d4) *", ["1. e4 ({head} 1. d4) *"], id="comment-at-the-head-of-a-variation"),
        pytest.param("1. e4 ({lost}) *", ["1. e4 () *"], id="comment-of-a-variation-without-moves"),
        pytest.param("1. e4 ($1 1. d4) *", ["1. e4 (1. d4) *"], id="glyph-at-the-head-of-a-variation"),
        pytest.param("$3 1. e4 *", ["1. e4 *"], id="glyph-before-the-first-move"),
        pytest.param("12. 1.e4 12...e5 *", ["1. e4 e5 *"], id="move-numbers"),
        pytest.param("1. e4 !! e5 ?! *", ["1. e4 $3 e5 $6 *"], id="glyph-words"),
        pytest.param("1. e4!!! e5?!? *", ["1. e4 $3 $1 e5 $6 $2 *"], id="glyph-suffixes"),
        pytest.param("1. e4 $+12 $0 $65535 *", ["1. e4 $12 $0 $65535 *"], id="nag-numbers"),
        pytest.param("1. e4 <> e5 <\n> *", ["1. e4 e5 *"], id="angle-brackets-are-skipped"),
        pytest.param("{a} {b} 1. e4 *", ["{a b} 1. e4 *"], id="comments-before-the-first-move-join"),
        pytest.param("1. e4 ; rest of line } (\ne5 *", ["1. e4 {rest of line (} 1... e5 *"],
                     id="line-comment-holds-what-braces-would-end"),
        pytest.param("1. e4 {one\n  two\n\nthree} *", ["1. e4 {one two three} *"], id="comment-over-lines"),
        pytest.param("1. e4 {  a   b  } *", ["1. e4 {a b} *"], id="comment-spacing-collapses"),
        pytest.param("1. e4 { a\tb\u00a0 c\u3000} *", ["1. e4 {a b c} *"], id="comment-white-space-beyond-spaces"),
        pytest.param("1. e4 {\u00e9 [%clk 0:02:58]  } *", ["1. e4 {\u00e9 [%clk 0:02:58]} *"],
                     id="comment-beyond-ascii-keeps-its-words"),
        pytest.param("1. e4 e5 1-0 {after}", ["1. e4 e5 1-0", "{after} *"], id="text-after-a-result-word"),
        pytest.param("[Result \"1-0\"]\n1. e4 *", ["1. e4 *"], id="result-word-wins-over-the-tag"),
        pytest.param("[Result \"0-1\"]\n1. e4", ["1. e4 0-1"], id="result-tag-without-result-word"),
        pytest.param("[Result \" 1-0\"]\n1. e4", ["1. e4 *"], id="result-tag-with-spacing"),
        pytest.param("1. e4 e5 2. Nf3 Nc6 3. Bc4 Nf6 4. 0-0 *", ["1. e4 e5 2. Nf3 Nc6 3. Bc4 Nf6 4. 0-0 *"],
                     id="castling-written-with-zeros"),
        pytest.param("[FEN \"r3k3/8/8/8/8/8/8/4K3 b q - 0 1\"]\n1... 0-0-0+ *", ["1... 0-0-0+ *"],
                     id="long-castling-with-zeros-and-check"),
        pytest.param("1. e4\u3000e5\u00a0*", ["1. e4 e5 *"], id="unicode-white-space"),
    ],
)
def test_reading(text, expected):
    assert outline(text) == expected


@pytest.mark.parametrize(
    ("text", "expected"),
    [
        pytest.param("[A \"1\"]\n[B \"2\"]\n\n[C \"3\"]\n1. e4 *", [{"A": "1", "B": "2", "C": "3"}],
                     id="empty-lines-between-tags"),
        pytest.param("[A \"1\"] [B \"2\"]\t\n1. e4 *", [{"A": "1", "B": "2"}], id="tags-on-one-line"),
        pytest.param("[A \"1\"]  \n   \n\t\n[B \"2\"]\n1. e4 *", [{"A": "1", "B": "2"}],
                     id="white-space-only-lines-between-tags"),
        pytest.param("[ Name   \"v\"  ]\n*", [{"Name": "v"}], id="spaces-inside-a-tag-pair"),
        pytest.param("[A \"say \\\"hi\\\" \\\\ \\é\"]\n*", [{"A": "say \"hi\" \\ é"}], id="backslash-escapes"),
        pytest.param("[A \"1\"]\n[A \"2\"]\n[B \"3\"]\n*", [{"A": "2", "B": "3"}], id="a-repeated-tag-replaces"),
        pytest.param("[A_1\u00e9\u0663 \"v\"]\n*", [{"A_1\u00e9\u0663": "v"}], id="name-characters-beyond-ascii"),
        pytest.param("[A \"1\"]\n", [{"A": "1"}], id="tags-without-movetext"),
    ],
)
def test_tag_sections(text, expected):
    assert [game.headers for game in items(text)] == expected


@pytest.mark.parametrize(
    ("text", "expected"),
    [
        pytest.param("[A \"v]\n*", "line 1, column 1: unterminated tag value", id="unterminated-value"),
        pytest.param("[A \"v\\\n*", "line 1, column 1: unterminated tag value", id="backslash-at-line-end"),
        pytest.param("  [A v]\n*", "line 1, column 3: malformed tag pair", id="value-without-quotes"),
        pytest.param("[A \"v\"\n*", "line 1, column 1: malformed tag pair", id="no-closing-bracket"),
        pytest.param("[ \"v\"]\n*", "line 1, column 1: malformed tag pair", id="no-name"),
        pytest.param("[A\n*", "line 1, column 1: malformed tag pair", id="line-ends-after-the-name"),
        pytest.param("1. e4 {never closed\n\n", "line 1, column 7: unterminated comment", id="unterminated-comment"),
        pytest.param("1. e4 {\u00e9\u00e9} {never closed\n", "line 1, column 12: unterminated comment",
                     id="unterminated-comment-after-one-beyond-ascii"),
        pytest.param("(1. e4) *", "line 1, column 1: a variation of no move", id="variation-before-any-move"),
        pytest.param("1. e4 ) *", "line 1, column 7: no variation to close", id="closing-in-the-main-line"),
        pytest.param("1. e4 (1. d4 *", "line 1, column 15: unterminated variation", id="result-in-a-variation"),
        pytest.param("1. e4 (1. d4\n\n", "line 2, column 1: unterminated variation", id="input-ends-in-a-variation"),
        pytest.param("1. e4 $ e5", "line 1, column 7: malformed movetext: ", id="empty-nag"),
        pytest.param("1. e4 $-1", "line 1, column 7: malformed movetext: -1", id="negative-nag"),
        pytest.param("1. e4 $65536", "line 1, column 7: malformed movetext: 65536", id="nag-too-large"),
        pytest.param("1. e4 $1x", "line 1, column 7: malformed movetext: 1x", id="nag-with-letters"),
        pytest.param("1. e4 }", "line 1, column 7: malformed movetext: }", id="stray-closing-brace"),
        pytest.param("1. e4 ]", "line 1, column 7: malformed movetext: ]", id="stray-closing-bracket"),
        pytest.param("1. e4 2.Ke3!", "line 1, column 7: no such legal move: 2.Ke3!", id="illegal-move"),
        pytest.param("1. e4 e5 2. Zz9", "line 1, column 13: malformed movetext: Zz9", id="malformed-san"),
        pytest.param("[FEN \"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1\"]\n\n1. Nd2", "line 3, column 4: ambiguous move text: Nd2",
                     id="ambiguous-san"),
        pytest.param("{éé} )", "line 1, column 6: no variation to close", id="columns-count-characters"),
        pytest.param("%skip\n1. e4 )", "line 2, column 7: no variation to close", id="percent-lines-count"),
        pytest.param("[Variant \"Atomic\"]\n*", "line 1, column 1: unknown variant: Atomic", id="unknown-variant"),
        pytest.param("[White \"x\"]\n  [FEN \"8/8 w - - 0 1\"]\n*",
                     "line 2, column 3: the FEN tag is unreadable: invalid placement field", id="unreadable-fen"),
        pytest.param("[FEN \"4k3/8/8/8/8/8/8/4K3 w - - 0 -1\"]\n*",
                     "line 1, column 1: the FEN tag is unreadable: invalid full-move number", id="negative-fullmove"),
        pytest.param("[FEN \"4k3/8/8/8/8/8/8/R3K1R1 w G - 0 1\"]\n*",
                     "line 1, column 1: the FEN tag is unplayable: castling rights this variant cannot have",
                     id="unplayable-fen"),
    ],
)
def test_located_errors(text, expected):
    assert items(text)[0] == expected


@pytest.mark.parametrize(
    ("text", "expected"),
    [
        pytest.param("1. e4 Ke3\n1. d4 *\n\n[A \"1\"]\n1. c4 *",
                     ["line 1, column 7: no such legal move: Ke3", "1. c4 *"],
                     id="recovery-at-a-tag-after-a-blank-line"),
        pytest.param("1. e4 Ke3\n[A \"1\"]\n1. d4 *\n  \n[B \"2\"]\n1. c4 *",
                     ["line 1, column 7: no such legal move: Ke3", "1. c4 *"],
                     id="a-tag-line-right-after-the-error-line-is-passed"),
        pytest.param("1. e4 (1. d4\n[A \"1\"]\n1. c4 *\n",
                     ["line 2, column 1: unterminated variation", "1. c4 *"],
                     id="an-open-variation-at-the-next-tags-keeps-that-game"),
        pytest.param("1. e4 (1. d4 [A \"1\"]\n1. c4 *\n",
                     ["line 1, column 14: unterminated variation", "1. c4 *"],
                     id="an-open-variation-at-a-bracket-within-the-line"),
        pytest.param("1. e4 {open\n[A \"1\"]\n1. c4 *\n", ["line 1, column 7: unterminated comment"],
                     id="nothing-in-a-comment-is-special"),
    ],
)
def test_recovery(text, expected):
    assert outline(text) == expected


def test_skip_errors_drops_failing_games():
    text = "1. e4 Ke3 *\n\n[A \"1\"]\n1. d4 *\n\n[B \"2\"]\n1. e4 )\n\n[C \"3\"]\n1. c4 *"
    assert outline(text, skip_errors=True) == ["1. d4 *", "1. c4 *"]


def test_nodes_hold_text_glyphs_and_comments():
    game = one("{before all} 1. e4!? {after e4} {more} e5 (1... c5 $2 {sicilian}) 2. Qh5 Nc6 3. Bc4 Nf6 4. Qxf7# 1-0")
    e4, e5, qh5, nc6, bc4, nf6, qxf7 = game.mainline()
    assert game.comment == "before all"
    assert (e4.san, e4.nags, e4.comment_before, e4.comment_after) == ("e4", [5], "", "after e4 more")
    assert e4.move == Move("e2", "e4")
    ((c5,),) = e5.variations
    assert (c5.san, c5.nags, c5.comment_after, c5.variations) == ("c5", [2], "sicilian", [])
    assert qxf7.san == "Qxf7#"
    assert game.result == "1-0"


def test_empty_comments_join_with_a_space():
    (e4,) = one("1. e4 {a} {} *").mainline()
    assert e4.comment_after == "a "


@pytest.mark.parametrize(
    ("data", "expected"),
    [
        pytest.param(b"\xef\xbb\xbf[Event \"x\"]\n1. e4 *", ({"Event": "x"}, "1. e4 *"), id="byte-order-mark"),
        pytest.param(b"[Event \"x\"]\r\n\r\n1. e4 {a}\r\r\n e5 *\r\n", ({"Event": "x"}, "1. e4 {a} 1... e5 *"),
                     id="crlf"),
        pytest.param(b"[Event \"Caf\xe9\"]\n1. e4 {na\xefve} *", ({"Event": "Café"}, "1. e4 {naïve} *"),
                     id="latin-1-lines"),
        pytest.param(b"[A \"x\"]\n%\xff\xfe not UTF-8\n1. e4 *", ({"A": "x"}, "1. e4 *"), id="percent-line"),
    ],
)
def test_bytes_of_files(tmp_path, data, expected):
    from support.pgn_reading import movetext
    from vorn.pgn import pgn_read

    path = tmp_path / "game.pgn"
    path.write_bytes(data)
    (game,) = list(pgn_read(path))
    assert (game.headers, movetext(game)) == expected


def test_a_latin_1_line_neither_ends_nor_splits_the_input(tmp_path):
    from vorn.pgn import pgn_count, pgn_read

    path = tmp_path / "games.pgn"
    path.write_bytes(b"[Event \"1\"]\n1. e4 {\xe9t\xe9}\ne5 2. Nf3 *\n\n[Event \"2\"]\n1. d4 )\n\n[Event \"3\"]\n1. c4 *\n")
    reader = pgn_read(path)
    assert str(next(reader)).endswith("1. e4 {été} 1... e5 2. Nf3 *\n")
    with pytest.raises(ValueError, match="^line 6, column 7: no variation to close$"):
        next(reader)
    assert next(reader).headers == {"Event": "3"}
    assert pgn_count(path) == 2


def test_an_ended_reader_stays_ended():
    reader = pgn_read_string("1. e4 *")
    next(reader)
    for _ in range(3):
        with pytest.raises(StopIteration):
            next(reader)


def test_the_reader_goes_on_after_an_error():
    reader = pgn_read_string("1. e4 Ke3\n\n[A \"1\"]\n*")
    with pytest.raises(ValueError):
        next(reader)
    assert next(reader).headers == {"A": "1"}


DEPTH = 200_000


def test_deep_nesting_reads_copies_compares_and_writes():
    text = "1. e4 " + "(1. d4 " * DEPTH + ")" * DEPTH + " *"
    game = one(text)
    assert game == one(text)
    (e4,) = game.mainline()
    assert e4.san == "e4" and len(e4.variations) == 1
    written = str(game)
    assert written.count("(") == written.count(")") == DEPTH
    assert one(written) == game
    del game, e4  # freed without recursion


def test_a_one_megabyte_line():
    moves = "Nf3 Nf6 Ng1 Ng8 " * 65_000
    game = one("1. " + moves + "*")
    assert len(game.mainline()) == 4 * 65_000
    assert len(str(game).splitlines()[0]) <= 80


def test_tag_names_are_letters_digits_and_underscores():
    # Letters and digits as the module's own Unicode table has them, whatever
    # Unicode version this Python carries.
    def in_name(cp):
        return cp in unicode_table.ALPHABETIC or cp in unicode_table.NUMERIC

    names, refused = [], []
    for start in range(0x80, sys.maxunicode + 1, 0x1000):
        points = [cp for cp in range(start, min(start + 0x1000, sys.maxunicode + 1)) if not 0xD800 <= cp <= 0xDFFF]
        name = "".join(chr(cp) for cp in points if in_name(cp))
        if name:
            names.append(name)
        refused += [chr(cp) for cp in points[:: 97]
                    if not (in_name(cp) or cp in unicode_table.WHITE_SPACE) and chr(cp) != '"']
    text = "".join(f"[{name} \"v\"]\n*\n\n" for name in names)
    assert [list(game.headers) for game in items(text)] == [[name] for name in names]
    text = "".join(f"[A{char} \"v\"]\n*\n\n" for char in refused)
    assert list(pgn_read_string(text, skip_errors=True)) == []


def test_a_comment_of_megabytes_reads_whole(tmp_path):
    # Long comments are scanned to their end before they are kept; what is
    # kept is the same as for a short one, line changes made single spaces.
    lines = [f"word{i} " * 12 for i in range(14_000)]
    body = "\n".join(lines[:7_000]) + "\n%percent line\n" + "\n".join(lines[7_000:])
    path = tmp_path / "long.pgn"
    path.write_bytes(f'[A "1"]\n1. e4 {{{body}}} e5 *\n\n[A "2"]\n1. d4 *\n'.encode())
    expected = " ".join(" ".join(lines).split())
    for games in (list(pgn_read(path)), items(path.read_text())):
        (e4, e5), second = games[0].mainline(), games[1]
        assert (e4.comment_after, e5.san, second.headers) == (expected, "e5", {"A": "2"})


def test_an_unterminated_comment_of_megabytes_is_an_error(tmp_path):
    path = tmp_path / "open.pgn"
    path.write_bytes(b"1. e4 {" + b"\xe9t\xe9 and more words\n" * 80_000)
    assert drain(pgn_read(path)) == ["line 1, column 7: unterminated comment"]


MIB = 1 << 20
LONGEST_LINE = 16 * MIB


def bounded_lines_text(ending):
    """A game with a comment line of just the longest length, one with a line a byte longer, then a short one;
    the line ending is no part of a line's length."""
    at_bound = "1. e4 {" + "a" * (LONGEST_LINE - 8) + "}"
    past_bound = "{" + "b" * (LONGEST_LINE - 1) + "}"
    assert (len(at_bound), len(past_bound)) == (LONGEST_LINE, LONGEST_LINE + 1)
    return f'[A "1"]\n{at_bound}\n*\n\n[A "2"]\n{past_bound}\n*\n\n[A "3"]\n1. d4 *\n'.replace("\n", ending)


@pytest.mark.parametrize("ending", [pytest.param("\n", id="lf"), pytest.param("\r\n", id="cr-lf")])
@pytest.mark.parametrize("source", ["string", "file"])
def test_a_line_past_the_bound_is_a_located_error(tmp_path, source, ending):
    text = bounded_lines_text(ending)
    if source == "file":
        path = tmp_path / "long.pgn"
        path.write_bytes(text.encode())
        got = drain(pgn_read(path))
    else:
        got = items(text)
    first, error, last = got
    assert len(first.mainline()[0].comment_after) == LONGEST_LINE - 8
    assert error == "line 6, column 1: a line longer than 16 MiB"
    assert last.headers == {"A": "3"}


def test_a_line_of_the_bound_reads_when_a_pipe_brings_its_line_feed_after_its_carriage_return(tmp_path):
    # The reader sees the carriage return at the end of what it holds, and
    # cannot tell yet whether it ends the line.
    line = b"1. e4 {" + b"a" * (LONGEST_LINE - 8) + b"}\r"
    path = tmp_path / "pipe"
    os.mkfifo(path)

    def write():
        with open(path, "wb", buffering=0) as out:
            out.write(b'[A "1"]\r\n' + line)
            time.sleep(0.3)  # for the reader to take in all there is
            out.write(b"\n*\r\n")

    writer = threading.Thread(target=write, daemon=True)
    writer.start()
    try:
        got = drain(pgn_read(path))
    finally:
        writer.join(30)
    assert [len(game.mainline()[0].comment_after) for game in got] == [LONGEST_LINE - 8]


def test_a_game_past_the_bound_is_a_located_error(tmp_path):
    # Percent lines count for the game's length and cost the reader nothing.
    filler = ("%" + "x" * (MIB - 2) + "\n") * 65
    path = tmp_path / "long.pgn"
    path.write_text(f'[A "1"]\n1. e4\n{filler}e5 *\n\n[A "2"]\n1. d4 *\n')
    error, second = drain(pgn_read(path))
    # The first two lines take 14 bytes, so the 65th percent line, line 67, is the first to start past 64 MiB.
    assert error == "line 67, column 1: a game longer than 64 MiB"
    assert second.headers == {"A": "2"}
    assert pgn_count(path) == 1


GAME_BOUND = 64 * MIB
NEXT_GAME = b'[A "2"]\n1. d4 *\n'


def game_of(size, start, rest, before=b""):
    """`before`, then a game whose text up to the line `rest` begins with takes `size` bytes: `start`, then
    percent lines (which count for a game's length and cost the reader nothing)."""
    filler = size - len(start)
    whole, part = divmod(filler, MIB)
    last = b"%" + b"x" * (part - 2) + b"\n" if part > 1 else b"\n" * part
    return before + start + (b"%" + b"x" * (MIB - 2) + b"\n") * whole + last + rest


@pytest.mark.parametrize(("ending", "line"), [pytest.param(b"", 67, id="no-final-line-feed"),
                                              pytest.param(b"\n", 68, id="final-line-feed")])
def test_a_game_refused_at_the_end_of_the_input_is_located_after_its_last_line_feed(tmp_path, ending, line):
    # Line 67 begins at the bound and passes it; the game, with no result,
    # needs what follows it, past the bound: the line after a final line feed,
    # or nothing past line 67, the last, without one.
    path = tmp_path / "long.pgn"
    path.write_bytes(game_of(GAME_BOUND, b'[A "1"]\n1. e4\n', b"e5" + ending))
    expected = [f"line {line}, column 1: a game longer than 64 MiB"]
    assert drain(pgn_read(path)) == expected
    assert items(path.read_text()) == expected


def between_games(line):
    return b'[A "1"]\n1. e4 *\n' + line + b"\n" + NEXT_GAME


# Each game's "A" tag, or an error's message, in the order read. The sized
# games take 2 lines before their 64 percent lines, so line 67 begins after them.
@pytest.mark.parametrize(
    ("build", "expected"),
    [
        pytest.param(lambda: game_of(GAME_BOUND, b'[A "1"]\n1. e4\n', NEXT_GAME), ["1", "2"],
                     id="game-of-the-bound-ending-at-the-next-tag-line"),
        pytest.param(lambda: game_of(GAME_BOUND + 1, b'[A "1"]\n1. e4\n', NEXT_GAME),
                     ["line 67, column 1: a game longer than 64 MiB", "2"],
                     id="game-past-the-bound-ending-at-the-next-tag-line"),
        pytest.param(lambda: game_of(GAME_BOUND - 1000, b'[A "2"] 1. d4\n', b"d5 *\n",
                                     before=b'[A "1"]\n1. e4 {' + b" " * (10 * MIB) + b"} * "),
                     ["1", "2"], id="game-begun-where-one-ends-counts-its-own-bytes"),
        pytest.param(lambda: game_of(GAME_BOUND, b'[A "2"] 1. d4\n', b"d5 *\n",
                                     before=b'[A "1"]\n1. e4 {' + b" " * (10 * MIB) + b"} * "),
                     ["1", "2"], id="game-of-the-bound-begun-where-one-ends"),
        pytest.param(lambda: game_of(GAME_BOUND + 1, b'[A "2"] 1. d4\n', b"d5 *\n",
                                     before=b'[A "1"]\n1. e4 {' + b" " * (10 * MIB) + b"} * "),
                     ["1", "line 67, column 1: a game longer than 64 MiB"], id="game-past-the-bound-begun-where-one-ends"),
        pytest.param(lambda: game_of(GAME_BOUND, b'[A "1"]\n1. e4\n', NEXT_GAME, before=b"\xef\xbb\xbf"), ["1", "2"],
                     id="game-of-the-bound-after-a-byte-order-mark"),
        pytest.param(lambda: between_games(b" " * (LONGEST_LINE + 1)),
                     ["1", "line 3, column 1: a line longer than 16 MiB", "2"], id="spaces-past-the-line-bound-between-games"),
        pytest.param(lambda: between_games(b"%" * (LONGEST_LINE + 1)),
                     ["1", "line 3, column 1: a line longer than 16 MiB", "2"],
                     id="percent-line-past-the-line-bound-between-games"),
        pytest.param(lambda: b'[A "1"]\n1. e4 {' + b"x" * LONGEST_LINE + b"}\n" + NEXT_GAME,
                     ["line 2, column 1: a line longer than 16 MiB", "2"], id="comment-line-past-the-line-bound-then-a-game"),
        # What a bound refuses ends where reading would end the game: at the
        # next line that begins with "[" outside a brace comment.
        pytest.param(lambda: game_of(GAME_BOUND + 1, b'[A "1"]\n1. e4\n', b"e5 Nf3\n" + NEXT_GAME),
                     ["line 67, column 1: a game longer than 64 MiB", "2"],
                     id="rest-of-a-game-past-the-bound-then-a-tag-line"),
        pytest.param(lambda: b'[A "1"]\n1. e4 {' + b"x" * LONGEST_LINE + b"}\ne5 Nf3\n" + NEXT_GAME,
                     ["line 2, column 1: a line longer than 16 MiB", "2"],
                     id="rest-of-a-game-after-a-line-past-the-line-bound-then-a-tag-line"),
        pytest.param(lambda: game_of(GAME_BOUND + 1, b'[A "1"]\n1. e4\n',
                                     b'e5 {a comment\n[B "x"] in it\n} Nf3 *\n' + NEXT_GAME),
                     ["line 67, column 1: a game longer than 64 MiB", "2"],
                     id="rest-of-a-game-past-the-bound-with-a-tag-line-in-a-comment"),
        pytest.param(lambda: game_of(GAME_BOUND + 1, b'[A "1"]\n1. e4 {a comment\n',
                                     b'[B "x"] in it\n} e5 *\n' + NEXT_GAME),
                     ["line 67, column 1: a game longer than 64 MiB", "2"],
                     id="game-past-the-bound-in-a-comment-with-a-tag-line"),
        pytest.param(lambda: game_of(GAME_BOUND + 1, b'[A "1"]\n1. e4\n', b"e5 {a} ; {no comment\n" + NEXT_GAME),
                     ["line 67, column 1: a game longer than 64 MiB", "2"],
                     id="rest-of-a-game-past-the-bound-with-a-brace-after-a-semicolon"),
        # Met among the tags (one line, then the percent lines), the bound
        # refuses the rest of them with the game, not as a game of their own.
        pytest.param(lambda: game_of(GAME_BOUND + 1, b'[A "1"]\n', b'[B "x"]\n[C "{"]\n1. e4\n' + NEXT_GAME),
                     ["line 66, column 1: a game longer than 64 MiB", "2"],
                     id="tags-past-the-bound-then-movetext-then-a-tag-line"),
    ],
)
def test_a_bound_error_loses_no_following_game(tmp_path, build, expected):
    path = tmp_path / "bounds.pgn"
    path.write_bytes(build())
    text = path.read_text()
    games = [item for item in expected if not item.startswith("line ")]
    for skip_errors in (False, True):
        for got in (drain(pgn_read(path, skip_errors=skip_errors)), items(text, skip_errors)):
            assert [item if isinstance(item, str) else item.headers.get("A") for item in got] == \
                   (games if skip_errors else expected)
    assert pgn_count(path) == len(games)


@pytest.mark.parametrize(
    ("size", "expected"),
    [
        pytest.param(GAME_BOUND, ["1", "2"], id="of-the-bound"),
        pytest.param(GAME_BOUND + 1, ["1", "line 67, column 1: a game longer than 64 MiB"], id="past-the-bound"),
    ],
)
def test_a_game_begun_on_a_line_read_as_latin_1_counts_its_bytes_in_the_file(tmp_path, size, expected):
    # Each byte of the first game's comment is two in the line as read.
    path = tmp_path / "latin-1.pgn"
    path.write_bytes(game_of(size, b'[A "2"] 1. d4\n', b"d5 *\n",
                             before=b'[A "1"]\n1. e4 {' + b"\xe9" * (5 * MIB) + b"} * "))
    assert [item if isinstance(item, str) else item.headers["A"] for item in drain(pgn_read(path))] == expected
    assert pgn_count(path) == 1 + (size == GAME_BOUND)


def test_a_source_without_line_feeds_is_refused_at_the_bound():
    reader = pgn_read("/dev/zero")
    with pytest.raises(ValueError, match="^line 1, column 1: a line longer than 16 MiB$"):
        next(reader)
