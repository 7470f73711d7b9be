"""Records and played games: the variant and start position a record's tags
name, the main line replayed, and the record of a played game."""

import pytest

from support.pgn_reading import items, one
from vorn import CHESS960, CLASSIC, Game, Position
from vorn.pgn import PgnGame

START960 = Game(variant=CHESS960, seed=0).start_position


@pytest.mark.parametrize(
    ("tags", "variant", "start"),
    [
        pytest.param("", CLASSIC, Game().start_position, id="no-tags"),
        pytest.param('[Variant "Fischer Random"]', CHESS960, START960, id="fischer-random"),
        pytest.param('[Variant "Chess 960"]', CHESS960, START960, id="chess-960"),
        pytest.param('[Variant "chess_960"]', CHESS960, START960, id="chess_960"),
        pytest.param('[Variant "FischeRandom"]', CHESS960, START960, id="fischerandom"),
        pytest.param('[Variant "From Position"]', CLASSIC, Game().start_position, id="from-position"),
        pytest.param('[Variant "Standard"]', CLASSIC, Game().start_position, id="standard"),
        pytest.param('[Variant ""]', CLASSIC, Game().start_position, id="empty"),
        pytest.param('[FEN "4k3/8/8/8/8/8/8/4K3 b - - 3 9"]', CLASSIC,
                     Position.from_fen("4k3/8/8/8/8/8/8/4K3 b - - 3 9"), id="fen-without-setup"),
        pytest.param('[SetUp "0"]\n[FEN "4k3/8/8/8/8/8/8/4K3 b - - 3 9"]', CLASSIC,
                     Position.from_fen("4k3/8/8/8/8/8/8/4K3 b - - 3 9"), id="fen-with-setup-zero"),
        pytest.param('[FEN "4k3/8/8/8/8/8/8/4K3 w - - 0 1"]\n[FEN "4k3/8/8/8/8/8/8/3K4 w - - 0 1"]', CLASSIC,
                     Position.from_fen("4k3/8/8/8/8/8/8/3K4 w - - 0 1"), id="the-later-fen-holds"),
        pytest.param('[Variant "Chess960"]\n[FEN "4k3/8/8/8/8/8/8/R3K1R1 w G - 0 1"]', CHESS960,
                     Position.from_fen("4k3/8/8/8/8/8/8/R3K1R1 w G - 0 1"), id="chess960-castling-rights"),
    ],
)
def test_setup(tags, variant, start):
    game = one(tags + "\n*")
    assert (game.variant, game.start_position) == (variant, start)
    played = game.game()
    assert (played.variant, played.start_position, played.moves) == (variant, start, [])


@pytest.mark.parametrize(
    ("tags", "message"),
    [
        pytest.param('[Variant "Crazy House"]', "unknown variant: Crazy House", id="unknown-variant"),
        pytest.param('[FEN "8/8 w - - 0 1"]', "the FEN tag is unreadable: invalid placement field", id="unreadable"),
        pytest.param('[FEN "4k3/8/8/8/8/8/8/4K3 w - - 0 -1"]', "the FEN tag is unreadable: invalid full-move number",
                     id="negative-full-move-number"),
        pytest.param('[FEN "4k3/8/8/8/8/8/8/R3K1R1 w G - 0 1"]',
                     "the FEN tag is unplayable: castling rights this variant cannot have", id="unplayable"),
    ],
)
def test_setup_failures_are_located_by_the_reader(tags, message):
    assert items(tags + "\n*") == ["line 1, column 1: " + message]


@pytest.mark.parametrize(
    ("name", "value", "message"),
    [
        pytest.param("Variant", "Crazy House", "unknown variant: Crazy House", id="unknown-variant"),
        pytest.param("FEN", "garbage", "the FEN tag is unreadable: a FEN has four or six fields", id="garbage-fen"),
        pytest.param("FEN", "8/8 w - - 0 1", "the FEN tag is unreadable: invalid placement field", id="unreadable"),
    ],
)
def test_set_header_refuses_tags_the_reader_refuses(name, value, message):
    game = one("1. e4 *")
    text = str(game)
    with pytest.raises(ValueError, match=f"^{message}$"):
        game.set_header(name, value)
    assert (game.headers, str(game)) == ({}, text)
    assert items(f"[{name} \"{value}\"]\n*") == ["line 1, column 1: " + message]


@pytest.mark.parametrize(
    ("name", "value"),
    [
        pytest.param("Variant", "Fischer Random", id="variant"),
        pytest.param("FEN", "4k3/8/8/8/8/8/8/4K3 w - - 0 0", id="full-move-zero"),
        pytest.param("fen", "garbage", id="other-letter-case"),
        pytest.param("SetUp", "garbage", id="setup"),
    ],
)
def test_set_header_keeps_what_reads(name, value):
    game = PgnGame()
    game.set_header(name, value)
    assert one(str(game)) == game


def test_unplayable_setup_fails_without_a_place():
    # Each tag reads on its own: only the pair is refused, and not when set.
    game = PgnGame()
    game.set_header("FEN", "4k3/8/8/8/8/8/8/R3K1R1 w G - 0 1")
    message = "the FEN tag is unplayable: castling rights this variant cannot have"
    for member in ("variant", "start_position"):
        with pytest.raises(ValueError, match=f"^{message}$"):
            getattr(game, member)
    with pytest.raises(ValueError, match=f"^{message}$"):
        game.game()
    game.set_header("Variant", "Chess960")
    assert game.variant == CHESS960


@pytest.mark.parametrize(
    ("fen", "read_as"),
    [
        pytest.param("4k3/8/8/8/8/8/4P3/4K3 w - - 0 0", "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", id="white"),
        pytest.param("4k3/8/8/8/8/8/4P3/4K3 b - - 7 +0", "4k3/8/8/8/8/8/4P3/4K3 b - - 7 1", id="black-plus-zero"),
        pytest.param("4k3/8/8/8/8/8/4P3/4K3 w - - 0 00", "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", id="zeros"),
    ],
)
def test_a_fen_tag_reads_full_move_zero_as_one(fen, read_as):
    game = one(f'[FEN "{fen}"]\n*')
    assert game.start_position == Position.from_fen(read_as)
    assert game.game().start_position == Position.from_fen(read_as)
    with pytest.raises(ValueError, match="full-move number"):
        Position.from_fen(fen)


def test_replay_stops_at_a_move_the_start_does_not_allow():
    game = one("1. e4 e5 *")
    assert [m.uci() for m in game.game().moves] == ["e2e4", "e7e5"]
    game.set_header("FEN", "4k3/8/8/8/8/8/8/4K3 w - - 0 1")
    with pytest.raises(ValueError, match="^no such legal move: e4$"):
        game.game()


def played(moves, **kwargs):
    game = Game(**kwargs) if "fen" not in kwargs else Game.from_fen(kwargs["fen"])
    for move in moves:
        game.play_san(move)
    return game


ROSTER = [("Event", "?"), ("Site", "?"), ("Date", "????.??.??"), ("Round", "?"), ("White", "?"), ("Black", "?")]


@pytest.mark.parametrize(
    ("game", "result"),
    [
        pytest.param(played([]), "*", id="no-move"),
        pytest.param(played(["e4", "e5", "Qh5", "Nc6", "Bc4", "Nf6", "Qxf7#"]), "1-0", id="white-mates"),
        pytest.param(played(["f3", "e5", "g4", "Qh4#"]), "0-1", id="black-mates"),
        pytest.param(played(["Qb6"], fen="k7/8/8/1Q6/8/8/8/7K w - - 0 1"), "1/2-1/2", id="stalemate"),
        pytest.param(played(["Kxb2"], fen="8/8/8/8/8/8/1p6/K6k w - - 0 1"), "1/2-1/2", id="insufficient-material"),
        pytest.param(played(["Kd1"], fen="4k3/8/8/8/8/8/8/4K2R w - - 149 90"), "1/2-1/2", id="seventy-five-moves"),
        pytest.param(played(["Nf3", "Nf6", "Ng1", "Ng8"] * 4), "1/2-1/2", id="fivefold"),
        pytest.param(played(["Nf3", "Nf6", "Ng1", "Ng8"] * 3), "*", id="fourfold"),
    ],
)
def test_the_record_of_a_played_game(game, result):
    record = game.to_pgn()
    assert record == PgnGame.from_game(game)
    assert list(record.headers.items())[:7] == ROSTER + [("Result", result)]
    assert record.result == result
    assert [node.move for node in record.mainline()] == game.moves
    assert record.comment == "" and all(not n.nags and not n.variations for n in record.mainline())


def test_a_new_game_is_seven_tags_and_the_result():
    text = str(Game().to_pgn())
    assert text == "".join(f'[{n} "{v}"]\n' for n, v in ROSTER) + '[Result "*"]\n\n*\n'


def test_the_san_carries_check_and_mate():
    record = played(["e4", "e5", "Qh5", "Nc6", "Bc4", "Nf6", "Qxf7#"]).to_pgn()
    assert [n.san for n in record.mainline()][-1] == "Qxf7#"
    assert [n.san for n in played(["e4", "f5", "Qh5"]).to_pgn().mainline()] == ["e4", "f5", "Qh5+"]


@pytest.mark.parametrize(
    ("game", "tags"),
    [
        pytest.param(Game(variant=CHESS960, seed=518), [
            ("Variant", "Chess960"), ("SetUp", "1"), ("FEN", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1")],
            id="chess960-standard-arrangement"),
        pytest.param(Game(variant=CHESS960, seed=0), [("Variant", "Chess960")], id="chess960-arrangement-zero"),
        pytest.param(Game.from_fen("4k3/8/8/8/8/8/8/4K3 w - - 0 1"), [
            ("SetUp", "1"), ("FEN", "4k3/8/8/8/8/8/8/4K3 w - - 0 1")], id="standard-from-a-fen"),
        pytest.param(Game.from_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 2"), [
            ("SetUp", "1"), ("FEN", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 2")],
            id="standard-placement-other-clocks"),
        pytest.param(Game(), [], id="standard-start"),
    ],
)
def test_variant_and_setup_tags(game, tags):
    assert list(game.to_pgn().headers.items())[7:] == tags


# Castling is played as soon as it is legal, so the texts hold Chess960 castling.
@pytest.mark.parametrize("seed", [0, 1, 518, 959])
def test_chess960_games_read_back(seed):
    import random

    game = Game(variant=CHESS960, seed=seed)
    chooser = random.Random(seed)
    for _ in range(120):
        moves = game.legal_moves()
        if not moves or game.outcome():
            break
        castles = [m for m in moves if m.kind == "castling"]
        game.play(castles[0] if castles else chooser.choice(moves))
    record = game.to_pgn()
    again = one(str(record))
    assert again == record
    replayed = again.game()
    assert (replayed.variant, replayed.moves, replayed.position) == (CHESS960, game.moves, game.position)
