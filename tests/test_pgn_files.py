"""PGN files: opening, counting and read failures, and the real exports of
the Debian packages pychess and pgn-extract, read against the independent
PyPI library `chess` and written back."""

import io
import re

import pytest

from support.oracle import python_chess
from support.pgn_files import ECO, PUZZLES, STUDIES, ids, require
from support.pgn_reading import drain, items, one
from vorn.pgn import pgn_count, pgn_read, pgn_read_string

THREE_GAMES = '[Event "1"]\n1. e4 e5 *\n\n[Event "2"]\n1. e4 Ke7 *\n\n[Event "3"]\n1. d4 d5 1/2-1/2\n'


def test_count_skips_the_games_that_do_not_read(tmp_path):
    path = tmp_path / "three.pgn"
    path.write_text(THREE_GAMES)
    assert pgn_count(path) == 2
    assert pgn_count(str(path)) == 2
    assert pgn_count(bytes(path)) == 2
    assert [g if isinstance(g, str) else g.headers["Event"] for g in items(THREE_GAMES)] == [
        "1", "line 5, column 7: no such legal move: Ke7", "3"]


@pytest.mark.parametrize("function", [pgn_read, pgn_count], ids=["pgn_read", "pgn_count"])
def test_opening_fails_at_the_call(tmp_path, function):
    with pytest.raises(FileNotFoundError) as caught:
        function(tmp_path / "missing.pgn")
    assert caught.value.filename == str(tmp_path / "missing.pgn")
    with pytest.raises(IsADirectoryError):
        function(tmp_path)


def test_a_read_failure_raises_os_error_and_ends_the_reader():
    # The process's own memory file opens but fails at its first read.
    reader = pgn_read("/proc/self/mem")
    with pytest.raises(OSError):
        next(reader)
    with pytest.raises(StopIteration):
        next(reader)
    with pytest.raises(OSError):
        pgn_count("/proc/self/mem")


@pytest.mark.parametrize(
    ("call", "argument"),
    [
        pytest.param(lambda: pgn_read(3), "path", id="pgn_read-path"),
        pytest.param(lambda: pgn_count(None), "path", id="pgn_count-path"),
        pytest.param(lambda: pgn_read("x.pgn", skip_errors=1), "skip_errors", id="skip_errors"),
        pytest.param(lambda: pgn_read_string(b"1. e4"), "text", id="text"),
        pytest.param(lambda: pgn_read_string("", skip_errors="yes"), "skip_errors", id="string-skip_errors"),
    ],
)
def test_arguments_of_the_wrong_type(call, argument):
    with pytest.raises(TypeError, match=argument):
        call()


def test_a_reader_is_its_own_iterator():
    reader = pgn_read_string("")
    assert iter(reader) is reader and repr(reader) == "<PgnReader>"
    with pytest.raises(StopIteration):
        next(reader)


# ---- real files ----


def chunks(path, encoding="utf-8"):
    """The texts of a file's games: a game starts at a tag after a blank line."""
    text = path.read_text(encoding=encoding, errors="replace")
    return [chunk for chunk in re.split(r"\n(?=\s*\n\[)", text) if chunk.strip()]


def independent_reading(text):
    game = python_chess("chess.pgn").read_game(io.StringIO(text))
    assert not game.errors, game.errors
    board, sans = game.board(), []
    for move in game.mainline_moves():
        sans.append(board.san(move))
        board.push(move)
    return sans, board.fen(en_passant="fen")


def our_reading(game):
    played, variant = game.game(), game.variant
    return [p.san(m, variant=variant) for p, m in zip(played.positions, played.moves)], played.position.fen


@pytest.mark.parametrize("path", [*STUDIES, ECO], ids=[*ids(STUDIES), "eco"])
def test_main_lines_agree_with_an_independent_reader(path):
    require([path], "pychess" if path != ECO else "pgn-extract")
    read = 0
    for text in chunks(path):
        games = list(pgn_read_string(text, skip_errors=True))
        if games:
            (game,) = games
            assert our_reading(game) == independent_reading(text)
            read += 1
    assert read == pgn_count(path) > 0


def tree(nodes):
    return [(n.move, n.san, n.nags, [tree(line) for line in n.variations]) for n in nodes]


def width_ok(line):
    return len(line) <= 80 or " " not in line


@pytest.mark.parametrize("path", [*STUDIES, ECO], ids=[*ids(STUDIES), "eco"])
def test_every_game_writes_text_that_reads_back(path):
    require([path], "pychess" if path != ECO else "pgn-extract")
    for game in pgn_read(path, skip_errors=True):
        text = str(game)
        again = one(text)
        assert again.headers == game.headers
        assert (tree(again.mainline()), again.result) == (tree(game.mainline()), game.result)
        assert str(again) == text
        movetext = text.split("\n\n", 1)[-1]
        assert all(width_ok(line) for line in movetext.splitlines())


def test_eco_file():
    require([ECO], "pgn-extract")
    games = list(pgn_read(ECO))
    # The file opens with a brace comment: a game of its own, without tags.
    assert games[0].headers == {} and games[0].comment.startswith("A PGN file of ECO classifications")
    assert len(games) == 2015 and all(g.headers for g in games[1:])


def test_study_files_hold_what_their_tests_are_for():
    require(STUDIES, "pychess")
    games = [g for path in STUDIES for g in pgn_read(path, skip_errors=True)]
    assert len(games) == 400
    assert sum(1 for g in games if "FEN" in g.headers) > 100
    assert any("[%cal" in str(g) for g in games)
    assert any(re.search(r"\([^)]*\(", str(g)) for g in games)  # nested variations


@pytest.mark.parametrize("path", PUZZLES, ids=ids(PUZZLES))
def test_puzzles_with_full_move_number_zero_read(path):
    require(PUZZLES, "pychess")
    data = path.read_bytes()
    results = items(data.decode("latin-1"))
    assert len(results) == data.count(b"\n[Event ") + data.startswith(b"[Event ")
    tag = re.compile(r"line \d+, column 1: malformed tag pair")  # [White ""Socrates Expert""]
    assert all(tag.fullmatch(r) for r in results if isinstance(r, str))
    games = [r for r in results if not isinstance(r, str)]
    assert sum(g.headers["FEN"].endswith(" 0") for g in games) > len(results) // 2
    pairs = [(text, item) for text in chunks(path, "latin-1") for item in items(text) if not isinstance(item, str)]
    assert [game for _, game in pairs] == games
    assert [our_reading(game) for game in games] == [independent_reading(text) for text, _ in pairs]
    assert drain(pgn_read(path)) == results
    assert pgn_count(path) == len(games)
