"""Opening names: the committed ECO tables, the catalogue built from them, the
Opening class, openings_lookup, openings_count and Game.opening. Expected
names and counts come from the tables themselves, replayed by the `chess`
library as an independent reader."""

import collections
import pathlib
import re
import struct

import pytest

import vorn
from support.oracle import python_chess
from support.siphash13 import siphash13
from vorn.openings import Opening, openings_count, openings_lookup

chess = python_chess()
python_chess("chess.polyglot")  # reached as chess.polyglot

TABLES = pathlib.Path(__file__).resolve().parent.parent / "data" / "openings"
VOLUMES = "ABCDE"
HEADER = "eco\tname\tpgn\n"
START = vorn.Position.from_fen(chess.STARTING_FEN)

Row = collections.namedtuple("Row", "volume eco name pgn")


def table_text(volume):
    return (TABLES / f"{volume.lower()}.tsv").read_bytes().decode("utf-8")


def read_rows():
    rows = []
    for volume in VOLUMES:
        for line in table_text(volume).split("\n")[1:-1]:
            rows.append(Row(volume, *line.split("\t")))
    return rows


ROWS = read_rows()


def sans(pgn):
    return [token for token in pgn.split(" ") if not token[0].isdigit()]


def oracle_board(pgn):
    board = chess.Board()
    for san in sans(pgn):
        board.push_san(san)
    return board


def vorn_position(pgn):
    position = START
    for san in sans(pgn):
        position = position.play(position.parse_san(san))
    return position


# The rows reaching each position, by Polyglot key, in table order A to E
# and row order within a table: the first of them names the position.
REACHING = collections.defaultdict(list)
for row in ROWS:
    REACHING[chess.polyglot.zobrist_hash(oracle_board(row.pgn))].append(row)
NAMER = {key: rows[0] for key, rows in REACHING.items()}


# ---- the committed tables ---------------------------------------------------------------


@pytest.mark.parametrize("volume", VOLUMES)
def test_tables_have_the_header_and_line_feeds_only(volume):
    text = table_text(volume)
    assert text.startswith(HEADER) and text.endswith("\n") and not text.endswith("\n\n")
    assert "\r" not in text
    assert all(line.count("\t") == 2 for line in text.split("\n")[:-1])


@pytest.mark.parametrize("volume", VOLUMES)
def test_rows_stand_in_code_then_name_order(volume):
    rows = [(r.eco, r.name) for r in ROWS if r.volume == volume]
    assert rows and rows == sorted(rows)
    assert all(re.fullmatch(volume + r"\d\d", eco) for eco, _ in rows)


def test_names_are_plain_and_short():
    for row in ROWS:
        assert row.name == row.name.strip() and 0 < len(row.name) <= 99, row


def test_moves_are_numbered_tokens_and_san_as_written_by_an_independent_library():
    for row in ROWS:
        board, words = chess.Board(), []
        for san in sans(row.pgn):
            move = board.parse_san(san)
            if board.turn == chess.WHITE:
                words.append(f"{board.fullmove_number}.")
            words.append(board.san(move))
            board.push(move)
        assert row.pgn == " ".join(words), row
        assert 1 <= len(sans(row.pgn)) <= 36, row
        assert "0-0" not in row.pgn


# ---- the catalogue ----------------------------------------------------------------------


def test_count_is_the_number_of_distinct_positions_the_rows_reach():
    assert len(NAMER) < len(ROWS)   # some rows share a position
    assert openings_count() == openings_count() == len(NAMER)


def test_every_row_reaches_the_name_of_the_first_row_to_reach_its_position():
    for row in ROWS:
        position = vorn_position(row.pgn)
        namer = NAMER[position.polyglot_key]
        opening = openings_lookup(position)
        assert (opening.eco, opening.name) == (namer.eco, namer.name), row


def test_a_position_two_volumes_reach_is_named_by_the_earlier_volume():
    shared = [rows for rows in REACHING.values() if len({r.volume for r in rows}) > 1]
    assert shared
    for rows in shared:
        opening = openings_lookup(vorn_position(rows[-1].pgn))
        assert (opening.eco, opening.name) == (rows[0].eco, rows[0].name)


def test_the_start_position_has_no_name():
    assert openings_lookup(START) is None
    assert openings_lookup(vorn.Position.from_fen("4k3/8/8/8/8/8/8/4K3 w - - 0 1")) is None


@pytest.mark.parametrize(("transposed", "row_order"), [
    pytest.param("1. c4 e6 2. d4 d5", "1. d4 d5 2. c4 e6", id="queen's gambit declined"),
    pytest.param("1. Nf3 Nc6 2. e4 e5", "1. e4 e5 2. Nf3 Nc6", id="king's knight"),
    pytest.param("1. c4 c5 2. Nf3 Nf6 3. Nc3 Nc6", "1. c4 c5 2. Nc3 Nc6 3. Nf3 Nf6", id="symmetrical english"),
])
def test_transposed_move_orders_get_the_same_name(transposed, row_order):
    expected = NAMER[chess.polyglot.zobrist_hash(oracle_board(row_order))]
    for pgn in (transposed, row_order):
        opening = openings_lookup(vorn_position(pgn))
        assert (opening.eco, opening.name) == (expected.eco, expected.name)


@pytest.mark.parametrize("clocks", ["0 1", "7 30", "99 200"])
def test_clocks_play_no_part(clocks):
    placed = vorn_position("1. e4 e5 2. Nf3 Nc6 3. Bb5")
    fields = placed.fen.split(" ")[:4]
    moved = vorn.Position.from_fen(" ".join(fields + clocks.split()))
    assert openings_lookup(moved) == openings_lookup(placed) is not None


def test_lookup_takes_one_position():
    assert openings_lookup(position=vorn_position("1. e4")) == openings_lookup(vorn_position("1. e4"))
    with pytest.raises(TypeError, match="argument 'position'"):
        openings_lookup(chess.STARTING_FEN)
    with pytest.raises(TypeError):
        openings_lookup()


# ---- Opening --------------------------------------------------------------------------------


def opening_hash(eco, name):
    value = siphash13(eco.encode() + b"\xff" + name.encode() + b"\xff")
    value -= (value >> 63) << 64
    return -2 if value == -1 else value


@pytest.mark.parametrize("row", [r for r in ROWS if r.name.isascii()][:3] + [r for r in ROWS if not r.name.isascii()][:2],
                         ids=lambda r: r.name)
def test_opening_reads_its_row(row):
    opening = openings_lookup(vorn_position(row.pgn))
    namer = NAMER[chess.polyglot.zobrist_hash(oracle_board(row.pgn))]
    assert (opening.eco, opening.name) == (namer.eco, namer.name)
    assert str(opening) == f"{namer.eco} {namer.name}"
    assert repr(opening) == f"<Opening {namer.eco} {namer.name}>"
    assert hash(opening) == opening_hash(namer.eco, namer.name)


def test_openings_compare_by_code_and_name_only():
    game = vorn.Game()
    for san in ("e4", "e5", "Nf3"):
        game.play_san(san)
    found, named = openings_lookup(game.position), game.opening()
    assert found == named and hash(found) == hash(named) and found is not named
    assert found != openings_lookup(START.play(START.parse_san("e4")))
    assert found != str(found)
    with pytest.raises(TypeError):
        found < named


def test_opening_has_no_constructor():
    with pytest.raises(TypeError):
        Opening()
    with pytest.raises(TypeError):
        type("Sub", (Opening,), {})


def test_opening_is_read_only():
    opening = openings_lookup(vorn_position("1. e4"))
    with pytest.raises(AttributeError):
        opening.eco = "A00"


# ---- Game.opening -----------------------------------------------------------------------------


def played(*sans_played, fen=None):
    game = vorn.Game() if fen is None else vorn.Game.from_fen(fen)
    for san in sans_played:
        game.play_san(san)
    return game


def named(pgn):
    row = NAMER[chess.polyglot.zobrist_hash(oracle_board(pgn))]
    return row.eco, row.name


def as_pair(opening):
    return None if opening is None else (opening.eco, opening.name)


@pytest.mark.parametrize(("moves", "deepest"), [
    pytest.param((), None, id="start"),
    pytest.param(("e4", "e5", "Nf3", "Nc6", "Bb5"), "1. e4 e5 2. Nf3 Nc6 3. Bb5", id="a named position"),
    pytest.param(("e4", "e5", "Nf3", "Nc6", "Bb5", "Qh4", "Qe2", "Qd8"), "1. e4 e5 2. Nf3 Nc6 3. Bb5",
                 id="left the catalogue"),
    pytest.param(("Nf3", "Nc6", "e4", "e5"), "1. e4 e5 2. Nf3 Nc6", id="transposed"),
])
def test_game_opening_is_the_deepest_named_position(moves, deepest):
    assert as_pair(played(*moves).opening()) == (None if deepest is None else named(deepest))


def test_game_opening_keeps_the_last_named_not_the_deepest_ply():
    # After 1. e4 e5 2. Nf3 the game passes through unnamed positions, then
    # back into a named one by transposition; the later one counts.
    game = played("e4", "e5", "Nf3", "Nf6", "Ng1", "Ng8")
    assert as_pair(game.opening()) == named("1. e4 e5")
    assert as_pair(played("e4", "e5", "Nf3", "Nf6", "Ng1").opening()) == named("1. e4 e5 2. Nf3 Nf6")


def test_game_from_an_uncatalogued_position_has_no_opening():
    assert played("Kd2", fen="4k3/8/8/8/8/8/8/4K3 w - - 0 1").opening() is None
