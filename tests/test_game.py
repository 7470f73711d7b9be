"""Games: play, undo, repetitions, claims, draw explanations and state."""

import copy
import pickle

import pytest

import vorn
from vorn import Game, Move, Position

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
CASTLES = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"
PAWN_ENDING = "4k3/8/8/8/8/8/4P3/4K3 w - - {} 80"
# Knights out and back: the start position recurs every four plies.
SHUFFLE = ["g1f3", "g8f6", "f3g1", "f6g8"]
KINGS_SHUFFLE = ["e1d1", "e8d8", "d1e1", "d8e8"]


def played(moves, game=None):
    game = Game() if game is None else game
    for mv in moves:
        game.play(mv)
    return game


def shuffled(plies, game=None, cycle=SHUFFLE):
    return played([cycle[i % 4] for i in range(plies)], game)


def kinds(records):
    return [r.kind for r in records]


def snapshot(game):
    return (game.variant, game.ply, [m.uci() for m in game.moves],
            [p.fen for p in game.positions], game.claims(), game.castling_output)


def assert_views_agree(game):
    """Stored claims, counts, draw status and claims_after tell one story."""
    status = game.draw_status()
    assert kinds(status.claimable) == list(reversed(game.claims()))
    repetition = game.repetition_status()
    assert repetition.count == game.repetitions() == len(repetition.plies)
    assert repetition.plies[-1] == game.ply
    for mv in game.legal_moves():
        after = game.copy()
        after.play(mv)
        assert kinds(game.claims_after(mv)) == kinds(after.draw_status().claimable)


class TestNewGame:
    def test_defaults(self):
        game = Game()
        assert game.ply == 0
        assert game.castling_output == "king_to_rook"
        assert game.claims() == []
        assert game.outcome() is None
        assert game.repetitions() == 1
        assert game.position.fen == START
        assert repr(game) == f"<Game chess ply 0 {START}>"

    def test_seeds(self):
        assert Game(seed=5).position == Game().position
        chess960 = vorn.CHESS960
        assert Game(variant=chess960, seed=960).position == Game(variant=chess960).position

    def test_claims_before_any_move(self):
        assert Game.from_fen(PAWN_ENDING.format(100)).claims() == ["fifty_moves"]

    @pytest.mark.parametrize("make, error, prefix", [
        (lambda fen: Game.from_fen(fen), vorn.FenError, "not a legal position"),
        (lambda fen: Game.from_position(Position.from_fen(fen)), vorn.PositionError,
         "castling rights this variant cannot have"),
    ], ids=["from_fen", "from_position"])
    def test_chess960_rights_refused_by_standard_chess(self, make, error, prefix):
        fen = "bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w HFhf - 0 1"
        with pytest.raises(error) as caught:
            make(fen)
        assert str(caught.value).startswith(prefix)
        assert Game.from_fen(fen, variant=vorn.CHESS960).ply == 0


class TestRepetition:
    @pytest.mark.parametrize("plies", range(17))
    def test_knight_shuffle(self, plies):
        game = shuffled(plies)
        count = plies // 4 + 1
        assert game.repetitions() == count
        assert game.claims() == (["threefold_repetition"] if count >= 3 else [])
        assert game.outcome() == ("fivefold_repetition" if count >= 5 else None)
        assert_views_agree(game)

    def test_two_cycles(self):
        status = shuffled(8).repetition_status()
        assert (status.count, status.plies, status.near_misses) == (3, [0, 4, 8], [])
        assert repr(status) == "<Repetition 3>"
        assert status.describe() == (
            "This position has stood 3 times, at plies 0, 4 and 8; three occurrences let a "
            "player claim a draw, and five draw the game with no claim.")

    def test_four_cycles(self):
        status = shuffled(16).draw_status()
        assert kinds(status.automatic) == ["fivefold_repetition"]
        assert kinds(status.claimable) == ["threefold_repetition"]
        fivefold = status.automatic[0]
        assert fivefold.repetition.plies == [0, 4, 8, 12, 16]
        assert (fivefold.stalemate, fivefold.material, fivefold.fifty_move) == (None, None, None)
        assert repr(status) == "<DrawStatus automatic 1 claimable 1>"
        assert status.describe() == (
            "The game is drawn already, and a claim was available before that.")

    def test_fivefold_outranks_insufficient_material(self):
        game = Game.from_fen("4k3/8/8/8/8/8/8/4K3 w - - 0 1")
        assert game.outcome() == "insufficient_material"
        shuffled(16, game, KINGS_SHUFFLE)
        assert game.outcome() == "fivefold_repetition"
        automatic = game.draw_status().automatic
        assert kinds(automatic) == ["insufficient_material", "fivefold_repetition"]
        assert automatic[0].material == "k_v_k"

    @pytest.mark.parametrize("fen, moves, plies, near_misses", [
        ("4k3/8/8/8/8/8/8/R3K3 w Q - 0 1", ["a1a2", "e8d8", "a2a1", "d8e8"],
         [4], [(0, ["castling_rights"])]),
        ("4k3/8/8/8/8/8/8/4K2R w - - 0 1",
         ["h1h2", "e8d8", "h2h1", "d8e8", "e1d1", "e8d8", "d1e2", "d8e8", "e2e1"],
         [9], [(0, ["side_to_move"]), (4, ["side_to_move"])]),
        ("4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1", ["e2e4", "e8d8", "e1d1", "d8e8", "d1e1"],
         [5], [(1, ["en_passant"])]),
        ("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", ["e2e4", "e8d8", "e1d1", "d8e8", "d1e1"],
         [1, 5], []),
    ], ids=["castling_rights", "side_to_move", "en_passant", "double_step_nobody_takes"])
    def test_near_misses(self, fen, moves, plies, near_misses):
        game = played(moves, Game.from_fen(fen))
        status = game.repetition_status()
        assert status.plies == plies
        assert game.repetitions() == len(plies)
        assert [(n.ply, n.differs) for n in status.near_misses] == near_misses

    @pytest.mark.parametrize("fen, moves, sentence", [
        ("4k3/8/8/8/8/8/8/R3K3 w Q - 0 1", ["a1a2", "e8d8", "a2a1", "d8e8"],
         "This position has stood 1 time, at ply 4; three occurrences let a player claim a "
         "draw, and five draw the game with no claim. 1 earlier ply of the same placement "
         "does not count."),
        ("4k3/8/8/8/8/8/8/4K2R w - - 0 1",
         ["h1h2", "e8d8", "h2h1", "d8e8", "e1d1", "e8d8", "d1e2", "d8e8", "e2e1"],
         "This position has stood 1 time, at ply 9; three occurrences let a player claim a "
         "draw, and five draw the game with no claim. 2 earlier plies of the same placement "
         "do not count."),
        (START, [],
         "This position has stood 1 time, at ply 0; three occurrences let a player claim a "
         "draw, and five draw the game with no claim."),
    ], ids=["one_near_miss", "two_near_misses", "start"])
    def test_repetition_sentences(self, fen, moves, sentence):
        assert played(moves, Game.from_fen(fen)).repetition_status().describe() == sentence

    @pytest.mark.parametrize("fen, moves, sentence", [
        ("4k3/8/8/8/8/8/8/R3K3 w Q - 0 1", ["a1a2", "e8d8", "a2a1", "d8e8"],
         "The placement at ply 0 is not a repetition of this position: the castlings still "
         "available differ."),
        ("4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1", ["e2e4", "e8d8", "e1d1", "d8e8", "d1e1"],
         "The placement at ply 1 is not a repetition of this position: the en-passant capture "
         "on offer differs."),
        ("4k3/8/8/8/8/8/8/4K2R w - - 0 1",
         ["h1h2", "e8d8", "h2h1", "d8e8", "e1d1", "e8d8", "d1e2", "d8e8", "e2e1"],
         "The placement at ply 0 is not a repetition of this position: the side to move "
         "differs."),
    ], ids=["castling_rights", "en_passant", "side_to_move"])
    def test_near_miss_sentences(self, fen, moves, sentence):
        near_miss = played(moves, Game.from_fen(fen)).repetition_status().near_misses[0]
        assert near_miss.describe() == sentence
        assert repr(near_miss) == f"<NearMiss ply {near_miss.ply}>"


class TestClaims:
    @pytest.mark.parametrize("clock, claims, automatic, to_claim, to_automatic", [
        (99, [], [], 1, 51),
        (100, ["fifty_moves"], [], 0, 50),
        (149, ["fifty_moves"], [], 0, 1),
        (150, ["fifty_moves"], ["seventy_five_moves"], 0, 0),
        (200, ["fifty_moves"], ["seventy_five_moves"], 0, 0),
    ])
    def test_clock(self, clock, claims, automatic, to_claim, to_automatic):
        game = Game.from_fen(PAWN_ENDING.format(clock))
        assert game.claims() == claims
        status = game.draw_status()
        assert kinds(status.automatic) == automatic
        assert kinds(status.claimable) == claims
        fifty = game.fifty_move_status()
        assert (fifty.clock, fifty.plies_to_claim, fifty.plies_to_automatic) == (
            clock, to_claim, to_automatic)
        assert fifty.last_reset is None
        assert game.outcome() == ("seventy_five_moves" if automatic else None)

    def test_fifty_moves_and_threefold(self):
        game = shuffled(8, Game.from_fen(PAWN_ENDING.format(100)), KINGS_SHUFFLE)
        assert game.claims() == ["fifty_moves", "threefold_repetition"]
        assert kinds(game.draw_status().claimable) == ["threefold_repetition", "fifty_moves"]
        assert_views_agree(game)

    def test_claimable_records(self):
        claimable = shuffled(8, Game.from_fen(PAWN_ENDING.format(100)),
                             KINGS_SHUFFLE).draw_status().claimable
        threefold, fifty = claimable
        assert threefold.repetition.count == 3 and threefold.fifty_move is None
        assert fifty.fifty_move.clock == 108 and fifty.repetition is None
        assert repr(threefold) == "<ClaimableDraw threefold_repetition>"
        assert threefold.describe() == (
            "The position has stood three times, so either player may claim a draw.")
        assert fifty.describe() == ("Fifty moves have passed with no capture and no pawn "
                                    "move, so either player may claim a draw.")

    def test_checkmate_has_no_claims(self):
        game = Game.from_fen("R5k1/5ppp/8/8/8/8/8/6K1 b - - 120 80")
        assert game.outcome() == "checkmate"
        assert game.claims() == []
        status = game.draw_status()
        assert (status.automatic, status.claimable) == ([], [])
        assert status.describe() == "No draw condition holds in this position."

    def test_mating_move_ends_the_claim(self):
        game = Game.from_fen("6k1/5ppp/8/8/8/8/8/R5K1 w - - 110 80")
        assert game.claims() == ["fifty_moves"]
        mate = Move("a1", "a8")
        assert game.claims_after(mate) == []
        assert kinds(game.claims_after(Move("a1", "a2"))) == ["fifty_moves"]
        game.play(mate)
        assert game.claims() == []

    def test_claims_after_leaves_the_game(self):
        game = shuffled(7)
        before = snapshot(game)
        assert kinds(game.claims_after(Move("f6", "g8"))) == ["threefold_repetition"]
        assert snapshot(game) == before

    @pytest.mark.parametrize("mv", [Move("e2", "e5"), Move("e1", "g1"), Move("a3", "a4")])
    def test_claims_after_illegal_move(self, mv):
        game = Game()
        assert game.claims_after(mv) == []
        assert game.ply == 0

    def test_claims_after_threefold(self):
        game = shuffled(7)
        (claim,) = game.claims_after(Move("f6", "g8"))
        assert claim.kind == "threefold_repetition"
        assert claim.repetition.plies == [0, 4, 8]


class TestFiftyMoveStatus:
    def test_no_reset(self):
        fifty = Game.from_fen(PAWN_ENDING.format(30)).fifty_move_status()
        assert fifty.last_reset is None
        assert repr(fifty) == "<FiftyMove clock 30>"
        assert fifty.describe() == (
            "The halfmove clock stands at 30: 70 plies until a player may claim a draw, 120 "
            "plies until the game is drawn with no claim.")

    @pytest.mark.parametrize("clock, sentence", [
        (100, "The halfmove clock stands at 100: 0 plies until a player may claim a draw, 50 "
              "plies until the game is drawn with no claim."),
        (149, "The halfmove clock stands at 149: 0 plies until a player may claim a draw, 1 "
              "ply until the game is drawn with no claim."),
        (99, "The halfmove clock stands at 99: 1 ply until a player may claim a draw, 51 "
             "plies until the game is drawn with no claim."),
    ])
    def test_sentences(self, clock, sentence):
        assert Game.from_fen(PAWN_ENDING.format(clock)).fifty_move_status().describe() == sentence

    def test_pawn_move(self):
        fifty = played(["e2e4", "e8d8"], Game.from_fen(PAWN_ENDING.format(30))).fifty_move_status()
        assert (fifty.clock, fifty.last_reset.ply, fifty.last_reset.kind) == (1, 1, "pawn_move")
        assert repr(fifty.last_reset) == "<Reset ply 1 pawn_move>"
        assert fifty.last_reset.describe() == (
            "The move at ply 1 advanced a pawn, which set the clock to 0.")
        assert fifty.describe() == (
            "The halfmove clock stands at 1: 99 plies until a player may claim a draw, 149 "
            "plies until the game is drawn with no claim. The move at ply 1 advanced a pawn, "
            "which set the clock to 0.")

    @pytest.mark.parametrize("fen, moves, ply, kind", [
        (START, ["e2e4", "d7d5", "e4d5", "g8f6", "g1f3"], 3, "capture"),
        (START, ["e2e4", "d7d5", "e4d5", "c7c5", "g1f3"], 4, "pawn_move"),
        ("4k3/8/8/4Pp2/8/8/8/4K3 w - f6 0 1", ["e5f6", "e8d8"], 1, "capture"),
        ("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", ["b7b8q", "e8d7", "b8b5"], 1, "pawn_move"),
    ], ids=["capture", "pawn_after_capture", "en_passant", "promotion"])
    def test_last_reset(self, fen, moves, ply, kind):
        reset = played(moves, Game.from_fen(fen)).fifty_move_status().last_reset
        assert (reset.ply, reset.kind) == (ply, kind)

    def test_capture_sentence(self):
        fifty = played(["e2e4", "d7d5", "e4d5", "g8f6"]).fifty_move_status()
        assert fifty.last_reset.describe() == (
            "The move at ply 3 took a unit, which set the clock to 0.")


class TestDrawStatus:
    def test_stalemate_with_bare_bishop(self):
        game = Game.from_fen("kB6/2K5/8/8/8/8/8/8 b - - 0 1")
        assert game.outcome() == "stalemate"
        status = game.draw_status()
        assert kinds(status.automatic) == ["stalemate", "insufficient_material"]
        stalemate, material = status.automatic
        assert material.material == "kb_v_k"
        detail = stalemate.stalemate
        assert detail.king == "a8"
        assert [(square, covering.squares) for square, covering in detail.escape_squares] == [
            ("a7", ["b8"]), ("b7", ["c7"]), ("b8", ["c7"])]
        assert detail.stuck_units == []
        assert repr(detail) == "<StalemateDetail a8>"
        assert detail.describe() == ("The king on a8 is the only unit of the side to move, and "
                                     "every square it could step to is covered.")
        assert stalemate.describe() == ("The side to move is not in check and has no legal "
                                        "move, which is stalemate: a draw.")
        assert material.describe() == ("Neither side has material that could ever deliver "
                                       "mate, so the game is drawn.")
        assert status.describe() == "The game is drawn already."

    def test_stuck_units(self):
        detail = Game.from_fen("7k/5K1b/8/p7/P7/8/8/7R b - - 0 1").draw_status() \
            .automatic[0].stalemate
        (blocked_at, blocked), (pinned_at, pinned) = detail.stuck_units
        assert (blocked_at, blocked.kind, blocked.pinner, blocked.ray.squares) == (
            "a5", "blocked", None, [])
        assert (pinned_at, pinned.kind, pinned.pinner, pinned.ray.squares) == (
            "h7", "pinned", "h1", ["h2", "h3", "h4", "h5", "h6", "h7"])
        assert blocked.describe() == "Occupancy leaves the unit no move at all."
        assert pinned.describe() == ("The unit is pinned against its own king by the unit on "
                                     "h1, so it may not leave that line.")
        assert repr(pinned) == "<Stuck pinned>"
        assert detail.describe() == (
            "The king on h8 has nowhere to step, and none of the 2 other units of the side to "
            "move has a legal move either.")

    def test_unit_with_moves_none_legal(self):
        # The pawn's only move is an en-passant capture that uncovers its king on the rank.
        detail = Game.from_fen("1R6/8/2N5/8/k2pP2R/3B4/8/1N5K b - e3 0 1").draw_status() \
            .automatic[0].stalemate
        ((square, stuck),) = detail.stuck_units
        assert (square, stuck.kind) == ("d4", "no_moves")
        assert stuck.describe() == (
            "The unit has moves, and every one of them would leave its own king in check.")
        assert detail.describe() == (
            "The king on a4 has nowhere to step, and the one other unit of the side to move has "
            "no legal move either.")

    @pytest.mark.parametrize("fen, material", [
        ("8/8/8/4k3/8/8/8/4K3 w - - 0 1", "k_v_k"),
        ("8/8/8/4k3/8/8/8/3NK3 w - - 0 1", "kn_v_k"),
        ("8/8/8/4k3/8/8/8/3BK3 w - - 0 1", "kb_v_k"),
        ("8/8/8/4k3/8/8/8/3BKB2 w - - 0 1", "kb_v_kb_same_colour"),
        ("8/8/8/1b2k3/8/8/8/4KB2 w - - 0 1", "kb_v_kb_same_colour"),
        ("8/8/8/2b1k3/8/8/8/4KB2 w - - 0 1", None),
        ("8/8/8/4k3/8/8/8/2B1KB2 w - - 0 1", None),
        ("8/8/8/4k3/8/8/8/2NNK3 w - - 0 1", None),
        ("8/8/8/4k3/8/8/8/2NBK3 w - - 0 1", None),
        ("8/8/8/4k3/8/8/4P3/4K3 w - - 0 1", None),
    ])
    def test_material(self, fen, material):
        automatic = Game.from_fen(fen).draw_status().automatic
        assert [d.material for d in automatic] == ([material] if material else [])
        if material:
            assert repr(automatic[0]) == "<AutomaticDraw insufficient_material>"

    def test_seventy_five_moves(self):
        (draw,) = Game.from_fen(PAWN_ENDING.format(150)).draw_status().automatic
        assert draw.fifty_move.plies_to_automatic == 0
        assert draw.describe() == ("Seventy-five moves have passed with no capture and no pawn "
                                   "move, which draws the game with no claim.")

    def test_fivefold_sentence(self):
        (draw,) = shuffled(16).draw_status().automatic
        assert draw.describe() == (
            "The position has stood five times, which draws the game with no claim.")

    def test_no_draw(self):
        status = Game().draw_status()
        assert (status.automatic, status.claimable) == ([], [])
        assert repr(status) == "<DrawStatus automatic 0 claimable 0>"

    def test_claim_only_sentence(self):
        assert shuffled(8).draw_status().describe() == "Either player may claim a draw."


class TestPlay:
    def test_generator_flags_win_over_the_callers(self):
        game = Game()
        game.play(Move("e2", "e4", kind="capture", is_capture=True))
        assert (game.moves[-1].kind, game.moves[-1].is_capture) == ("quiet", False)
        game.play("d7d5")
        game.play(Move("e4", "d5"))
        assert (game.moves[-1].kind, game.moves[-1].is_capture) == ("capture", True)
        assert game.fifty_move_status().last_reset.kind == "capture"

    @pytest.mark.parametrize("fen, mv, kind", [
        ("4k3/8/8/4Pp2/8/8/8/4K3 w - f6 0 1", Move("e5", "f6"), "en_passant"),
        (CASTLES, Move("e1", "h1"), "castling"),
        (CASTLES, Move("e1", "a1"), "castling"),
        ("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", Move("b7", "b8", promotion="q"), "promotion"),
    ], ids=["en_passant", "short_castling", "long_castling", "promotion"])
    def test_kind_comes_from_the_position(self, fen, mv, kind):
        game = Game.from_fen(fen)
        game.play(mv)
        assert game.moves[-1].kind == kind

    @pytest.mark.parametrize("text", ["e1g1", "e1h1"])
    def test_castling_texts(self, text):
        game = Game.from_fen(CASTLES)
        game.play(text)
        assert game.moves[-1] == Move("e1", "h1")
        assert game.moves[-1].is_castling
        assert game.position.piece_at("g1") == "K"

    def test_castling_output(self):
        game = played(["e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "f8c5", "e1h1"])
        castle = game.moves[-1]
        assert game.move_to_uci(castle) == "e1h1"
        game.castling_output = "king_two_squares"
        assert game.castling_output == "king_two_squares"
        assert game.move_to_uci(castle) == "e1g1"
        with pytest.raises(vorn.ParseError):
            game.castling_output = "KING_TO_ROOK"
        assert game.castling_output == "king_two_squares"

    def test_illegal_move_changes_nothing(self):
        game = shuffled(7)
        before = snapshot(game)
        fen = game.position.fen
        with pytest.raises(vorn.IllegalMove) as caught:
            game.play(Move("e2", "e5"))
        assert str(caught.value) == f"e2e5 is not legal in {fen}"
        assert snapshot(game) == before

    def test_illegal_castling_is_named_king_to_rook(self):
        fen = "r3k2r/8/8/8/8/8/8/R3K1NR w KQkq - 0 1"
        game = Game.from_fen(fen)
        game.castling_output = "king_two_squares"
        with pytest.raises(vorn.IllegalMove) as caught:
            game.play(Move("e1", "h1", kind="castling"))
        assert str(caught.value) == f"e1h1 is not legal in {fen}"

    def test_move_legal_elsewhere(self):
        game = played(["e2e4"])
        before = snapshot(game)
        with pytest.raises(vorn.IllegalMove):
            game.play(Move("d2", "d4"))
        assert snapshot(game) == before

    @pytest.mark.parametrize("play, text, message", [
        (Game.play, "e2e5", "no such legal move"),
        (Game.play, "e2e9", "malformed move text"),
        (Game.play_san, "Ke2", "no such legal move"),
        (Game.play_san, "Zz9", "malformed move text"),
    ])
    def test_unreadable_text(self, play, text, message):
        game = Game()
        with pytest.raises(vorn.MoveParseError) as caught:
            play(game, text)
        assert str(caught.value) == f'{message}: "{text}" in {START}'
        assert game.ply == 0

    def test_play_rejects_other_types(self):
        with pytest.raises(TypeError):
            Game().play(42)

    def test_fools_mate(self):
        game = Game()
        for san in ["f3", "e5", "g4", "Qh4#"]:
            game.play_san(san)
        assert game.outcome() == "checkmate"
        assert game.legal_moves() == []


class TestUndo:
    def test_new_game(self):
        game = Game()
        assert game.undo() is None
        assert game.ply == 0

    def test_returns_the_move(self):
        game = played(["e2e4"])
        assert game.undo() == Move("e2", "e4")
        assert game.ply == 0
        assert game.position.fen == START
        assert game.positions == [game.start_position]

    def test_recomputes_claims(self):
        game = shuffled(8)
        assert game.claims() == ["threefold_repetition"]
        game.undo()
        assert (game.ply, game.claims(), game.repetitions()) == (7, [], 2)
        game.play("f6g8")
        assert game.claims() == ["threefold_repetition"]

    def test_undo_all_the_way(self):
        game = shuffled(16)
        for ply in range(15, -1, -1):
            game.undo()
            assert game.repetitions() == ply // 4 + 1
            assert_views_agree(game)
        assert game.outcome() is None


class TestState:
    def test_new_game(self):
        assert Game().__getstate__() == ("chess", START, [], "king_to_rook")

    def test_castling_is_kept_king_to_rook(self):
        game = Game()
        for san in ["e4", "e5", "Nf3", "Nc6", "Bc4", "Bc5", "O-O"]:
            game.play_san(san)
        game.castling_output = "king_two_squares"
        state = game.__getstate__()
        assert state[2][-1] == "e1h1"
        assert state[3] == "king_two_squares"
        rebuilt = pickle.loads(pickle.dumps(game))
        assert rebuilt.moves == game.moves
        assert rebuilt.castling_output == "king_two_squares"
        assert rebuilt.claims() == game.claims()

    def test_king_two_squares_text_is_read_too(self):
        moves = ["e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "f8c5"]
        game = Game()
        game.__setstate__(("chess", START, moves + ["e1g1"], "king_to_rook"))
        assert game.moves == played(moves + ["e1h1"]).moves

    def test_repetitions_survive(self):
        game = pickle.loads(pickle.dumps(shuffled(12)))
        assert (game.repetitions(), game.claims()) == (4, ["threefold_repetition"])

    def test_chess960(self):
        game = played(["e2e4", "e7e5"], Game(variant=vorn.CHESS960, seed=0))
        rebuilt = pickle.loads(pickle.dumps(game))
        assert rebuilt.variant == vorn.CHESS960
        assert rebuilt.positions == game.positions

    def test_four_field_start(self):
        game = Game.from_fen("4k3/8/8/8/8/8/4P3/4K3 w - -")
        assert game.__getstate__()[1].endswith(" 0 1")
        rebuilt = pickle.loads(pickle.dumps(game))
        assert rebuilt.start_position != game.start_position
        assert rebuilt.start_position.fen == game.start_position.fen
        assert game.copy().start_position == game.start_position

    @pytest.mark.parametrize("state, error", [
        (["chess", START, [], "king_to_rook"], TypeError),
        (("chess", START, "e2e4", "king_to_rook"), TypeError),
        (("chess", START, []), TypeError),
        (("Chess", "not a fen", [], "king_to_rook"), vorn.ParseError),
        (("chess", "not a fen", [], "KING"), vorn.FenError),
        (("chess", "bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w HFhf - 0 1", [],
          "king_to_rook"), vorn.FenError),
        (("chess", START, ["e2e4"], "KING_TO_ROOK"), vorn.ParseError),
        (("chess", START, ["e2e4", "e7e5", "e1e3"], "king_to_rook"), vorn.MoveParseError),
        (("chess", START, ["e2e4", "e7e5", "e2e4x"], "king_to_rook"), vorn.MoveParseError),
    ], ids=["list", "str_moves", "three_items", "variant", "fen_before_style",
            "refused_position", "style", "illegal_move", "malformed_move"])
    def test_bad_state_changes_nothing(self, state, error):
        game = played(["e2e4", "e7e5", "g1f3"], Game(variant=vorn.CHESS960, seed=518))
        game.castling_output = "king_two_squares"
        before = snapshot(game)
        with pytest.raises(error):
            game.__setstate__(state)
        assert snapshot(game) == before

    def test_bad_move_names_the_position_it_was_read_in(self):
        with pytest.raises(vorn.MoveParseError) as caught:
            Game().__setstate__(("chess", START, ["e2e4", "e7e5", "e1e3"], "king_to_rook"))
        assert str(caught.value) == (
            'no such legal move: "e1e3" in '
            "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2")

    @pytest.mark.parametrize("duplicate", [
        Game.copy, copy.copy, copy.deepcopy, lambda game: pickle.loads(pickle.dumps(game)),
    ], ids=["copy", "copy_module", "deepcopy", "pickle"])
    def test_copies_are_independent(self, duplicate):
        game = shuffled(7)
        game.castling_output = "king_two_squares"
        before = snapshot(game)
        twin = duplicate(game)
        assert snapshot(twin) == before
        twin.play("f6g8")
        assert twin.claims() == ["threefold_repetition"]
        assert snapshot(game) == before
        game.undo()
        assert twin.ply == 8


ITALIAN = ["e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "f8c5", "e1h1"]


class TestConstruction:
    def test_wrong_argument_types_name_the_parameter(self):
        with pytest.raises(TypeError, match="'variant'"):
            Game(variant="chess", seed="x")
        with pytest.raises(TypeError, match="'seed'"):
            Game(seed="x")
        with pytest.raises(TypeError, match="'fen'"):
            Game.from_fen(42, variant="chess")
        with pytest.raises(TypeError, match="'position'"):
            Game.from_position(START, variant="chess")
        with pytest.raises(TypeError):
            Game(vorn.CLASSIC)  # variant and seed are keyword-only

    def test_bad_fen(self):
        with pytest.raises(vorn.FenError) as caught:
            Game.from_fen("not a fen")
        assert str(caught.value).endswith(': "not a fen"')

    def test_from_position_keeps_the_clocks(self):
        position = Position.from_fen(PAWN_ENDING.format(100))
        game = Game.from_position(position)
        assert game.start_position == position
        assert game.claims() == ["fifty_moves"]
        four_fields = Position.from_fen("4k3/8/8/8/8/8/4P3/4K3 w - -")
        assert Game.from_position(four_fields).position == four_fields

    def test_chess960_start(self):
        game = Game(variant=vorn.CHESS960, seed=100)
        assert game.start_position == vorn.CHESS960.start_position(seed=100)
        assert game.variant == vorn.CHESS960
        assert repr(game) == f"<Game chess960 ply 0 {game.position.fen}>"

    def test_repr_follows_the_game(self):
        game = played(["e2e4", "c7c5"])
        assert repr(game) == (
            "<Game chess ply 2 rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w KQkq c6 0 2>")

    def test_identity_semantics(self):
        game = Game()
        assert game != Game()
        assert game == game
        assert isinstance(hash(game), int)
        with pytest.raises(TypeError):
            len(game)
        with pytest.raises(TypeError):
            iter(game)

    def test_getters_make_new_objects(self):
        game = played(["e2e4"])
        assert game.variant == vorn.CLASSIC and game.variant is not vorn.CLASSIC
        game.moves.clear()
        game.positions.clear()
        assert (len(game.moves), len(game.positions)) == (1, 2)
        assert game.positions == [game.start_position, game.position]


class TestMoveText:
    @pytest.mark.parametrize("mv, style, uci", [
        (Move("e1", "h1", kind="castling"), "king_to_rook", "e1h1"),
        (Move("e1", "h1", kind="castling"), "king_two_squares", "e1g1"),
        (Move("e1", "a1", kind="castling"), "king_two_squares", "e1c1"),
        (Move("h1", "h8"), "king_two_squares", "h1h8"),
    ])
    def test_move_to_uci_follows_the_style(self, mv, style, uci):
        game = Game.from_fen(CASTLES)
        game.castling_output = style
        assert game.move_to_uci(mv) == uci

    def test_chess960_spells_castling_king_to_rook(self):
        game = Game.from_fen("4k3/8/8/8/8/8/8/1R2K2R w HB - 0 1", variant=vorn.CHESS960)
        game.castling_output = "king_two_squares"
        game.play("e1h1")
        assert game.move_to_uci(game.moves[-1]) == "e1h1"
        assert game.position.piece_at("g1") == "K"

    @pytest.mark.parametrize("mv, san", [
        (Move("e1", "h1"), "O-O"),
        (Move("e1", "a1"), "O-O-O"),
        (Move("h1", "h8"), "Rxh8+"),
        (Move("a1", "a5"), "Ra5"),
    ])
    def test_move_to_san_uses_the_legal_move(self, mv, san):
        assert Game.from_fen(CASTLES).move_to_san(mv) == san

    @pytest.mark.parametrize("mv", [Move("e4", "e5"), Move("e2", "e5"), Move("e1", "g1")],
                             ids=["empty_origin", "not_legal", "castling_king_two_squares"])
    def test_move_to_san_of_a_move_not_legal(self, mv):
        game = Game()
        with pytest.raises(vorn.IllegalMove) as caught:
            game.move_to_san(mv)
        assert str(caught.value) == f"{mv.uci()} is not legal in {START}"

    @pytest.mark.parametrize("method", ["move_to_uci", "move_to_san", "claims_after"])
    def test_move_methods_take_only_moves(self, method):
        with pytest.raises(TypeError, match="'mv'"):
            getattr(Game(), method)("e2e4")

    def test_type_errors_of_play(self):
        game = Game()
        with pytest.raises(TypeError) as caught:
            game.play(None)
        assert "'mv'" not in str(caught.value)  # the text conversion's own error
        with pytest.raises(TypeError, match="'text'"):
            game.play_san(Move("e2", "e4"))
        assert game.ply == 0

    def test_quiet_move_onto_own_rook_is_stored_as_castling(self):
        game = Game.from_fen(CASTLES)
        game.play(Move("e1", "h1"))
        (castle,) = game.moves
        assert castle.kind == "castling"
        game.undo()
        assert game.move_to_san(castle) == "O-O"


def test_ending_follows_the_current_position():
    game = Game.from_fen("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1")
    assert game.ending().class_ == vorn.endings_classify(game.position).class_ == "kp_v_k"
    game.play("e1d2")
    assert repr(game.ending()) == repr(vorn.endings_classify(game.position))


class TestCastlingOutput:
    def test_setter_takes_only_text(self):
        game = Game()
        with pytest.raises(TypeError, match="'style'"):
            game.castling_output = 1
        with pytest.raises(AttributeError):
            del game.castling_output
        assert game.castling_output == "king_to_rook"

    @pytest.mark.parametrize("text", ["king_to_rook ", "King_Two_Squares", ""])
    def test_exact_names_only(self, text):
        game = Game()
        game.castling_output = "king_two_squares"
        with pytest.raises(vorn.ParseError) as caught:
            game.castling_output = text
        assert "castling output style" in str(caught.value)
        assert game.castling_output == "king_two_squares"


class TestStateRoundTrip:
    @pytest.mark.parametrize("make", [
        lambda: Game(),
        lambda: played(ITALIAN),
        lambda: played(["e2e4", "g8f6", "e4e5", "d7d5", "e5d6"]),
        lambda: played(["b7b8n", "e8e7", "b8c6"], Game.from_fen("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1")),
        lambda: played(["e1g1", "e8c8"], Game.from_fen(CASTLES)),
        lambda: played(["e1a1", "g8h8"],
                       Game.from_fen("r5kr/8/8/8/8/8/8/R3K2R w AHah - 7 30", variant=vorn.CHESS960)),
        lambda: shuffled(12, Game.from_fen(PAWN_ENDING.format(97)), KINGS_SHUFFLE),
    ], ids=["new", "italian", "en_passant", "promotion", "castlings", "chess960", "claims"])
    @pytest.mark.parametrize("style", ["king_to_rook", "king_two_squares"])
    def test_rebuilt_game_is_the_same(self, make, style):
        game = make()
        game.castling_output = style
        state = game.__getstate__()
        assert state[0] == game.variant.name
        assert state[1] == game.start_position.fen
        assert state[2] == [m.uci() for m in game.moves]
        assert state[3] == style
        rebuilt = Game()
        assert rebuilt.__setstate__(state) is None
        assert snapshot(rebuilt) == snapshot(game)
        assert rebuilt.positions == game.positions
        assert rebuilt.__getstate__() == state
        assert [m.kind for m in rebuilt.moves] == [m.kind for m in game.moves]

    def test_reduce(self):
        game = played(["e2e4"])
        cls, args, state = game.__reduce__()
        assert (cls, args, state) == (Game, (), game.__getstate__())

    def test_state_is_made_anew(self):
        game = played(["e2e4"])
        game.__getstate__()[2].append("e7e5")
        assert game.__getstate__()[2] == ["e2e4"]

    def test_tuple_subclass_and_any_sequence_of_moves(self):
        class State(tuple):
            pass

        game = Game()
        game.__setstate__(State(("chess", START, ("e2e4", "e7e5"), "king_to_rook")))
        assert [m.uci() for m in game.moves] == ["e2e4", "e7e5"]

    def test_replaces_the_variant(self):
        game = Game(variant=vorn.CHESS960, seed=3)
        game.__setstate__(("chess", START, ["e2e4"], "king_to_rook"))
        assert game.variant == vorn.CLASSIC
        assert game.legal_moves() == Game().position.play("e2e4").legal_moves()


class TestBadState:
    """Every rejected state leaves the game exactly as it was."""

    @staticmethod
    def game():
        game = played(ITALIAN)
        game.castling_output = "king_two_squares"
        return game

    @pytest.mark.parametrize("state, error, message", [
        (None, TypeError, "argument 'state'"),
        (("chess", START, [], "king_to_rook", None), TypeError, "argument 'state'"),
        ((), TypeError, "argument 'state'"),
        ((1, START, [], "king_to_rook"), TypeError, "argument 'state'"),
        (("chess", b"fen", [], "king_to_rook"), TypeError, "argument 'state'"),
        (("chess", START, ["e2e4", 7], "king_to_rook"), TypeError, "argument 'state'"),
        (("chess", START, None, "king_to_rook"), TypeError, "argument 'state'"),
        (("chess", START, [], None), TypeError, "argument 'state'"),
        (("chess", "not a fen", ["e2e4", 7], "king_to_rook"), TypeError, "argument 'state'"),
        (("CHESS", START, [], "king_to_rook"), vorn.ParseError, '"CHESS"'),
        (("chess960 ", START, [], "king_to_rook"), vorn.ParseError, '"chess960 "'),
        (("chess", "8/8/8/8 w - - 0 1", [], "king_to_rook"), vorn.FenError, '"8/8/8/8 w - - 0 1"'),
        (("chess", START, [], "king_two_squares "), vorn.ParseError, "castling output style"),
        (("chess", START, ["e2e4", "e7e5", "e1h1"], "king_to_rook"), vorn.MoveParseError,
         "no such legal move"),
        (("chess", START, ["e2e4", "e7e5", "e1"], "king_to_rook"), vorn.MoveParseError,
         "malformed move text"),
        (("chess", START, ["e2e4", "e7e5", "e1"], "bad"), vorn.ParseError,
         "castling output style"),
    ])
    def test_rejected(self, state, error, message):
        game = self.game()
        before = snapshot(game)
        with pytest.raises(error) as caught:
            game.__setstate__(state)
        assert message in str(caught.value)
        assert snapshot(game) == before
        game.play("d7d6")
        assert game.ply == 8

    def test_fen_message(self):
        with pytest.raises(vorn.FenError) as caught:
            Game().__setstate__(("chess", "", [], "king_to_rook"))
        assert str(caught.value).endswith(': ""')


class CallingBack:
    """A move list whose item access runs `call`, as any Python sequence may."""

    def __init__(self, call, moves=("e2e4",)):
        self.call = call
        self.moves = list(moves)

    def __len__(self):
        return len(self.moves)

    def __getitem__(self, i):
        self.call()
        return self.moves[i]


def _set_output(game):
    game.castling_output = "king_to_rook"


class TestBorrow:
    @pytest.mark.parametrize("call", [
        lambda game: game.ply,
        lambda game: game.position,
        lambda game: game.moves,
        lambda game: game.castling_output,
        lambda game: game.claims(),
        lambda game: game.outcome(),
        lambda game: game.legal_moves(),
        lambda game: game.draw_status(),
        lambda game: game.copy(),
        lambda game: game.__getstate__(),
        lambda game: repr(game),
        lambda game: game.play("e7e5"),
        lambda game: game.play_san("e5"),
        lambda game: game.undo(),
        _set_output,
        lambda game: game.__setstate__(("chess", START, [], "king_to_rook")),
    ], ids=["ply", "position", "moves", "castling_output", "claims", "outcome", "legal_moves",
            "draw_status", "copy", "getstate", "repr", "play", "play_san", "undo",
            "set_castling_output", "setstate"])
    def test_setstate_conversion_calling_back(self, call):
        game = played(["e2e4"])
        game.castling_output = "king_two_squares"
        before = snapshot(game)
        with pytest.raises(RuntimeError):
            game.__setstate__(("chess", START, CallingBack(lambda: call(game)), "king_to_rook"))
        assert snapshot(game) == before
        game.play("e7e5")  # the flag is released after the failure
        assert game.ply == 2

    def test_another_game_may_be_used(self):
        other = played(["d2d4"])
        seen = []
        game = Game()
        game.__setstate__(("chess", START, CallingBack(lambda: seen.append(other.ply)), "king_to_rook"))
        assert [m.uci() for m in game.moves] == ["e2e4"]
        assert seen and set(seen) == {1}


class TestCopies:
    def test_copy_keeps_every_position_exactly(self):
        game = played(["e2e4"], Game.from_fen("4k3/8/8/8/8/8/4P3/4K3 w - -"))
        twin = game.copy()
        assert twin is not game
        assert twin.positions == game.positions
        assert not twin.start_position.clocks_known

    @pytest.mark.parametrize("memo", [None, {}, object()])
    def test_deepcopy_accepts_any_memo(self, memo):
        game = played(["e2e4"], Game(variant=vorn.CHESS960, seed=7))
        twin = game.__deepcopy__(memo)
        assert snapshot(twin) == snapshot(game)
        twin.undo()
        assert game.ply == 1

    def test_three_games_sharing_one_history_each_go_their_own_way(self):
        game = shuffled(8)
        first = game.copy()
        second = first.copy()
        before = snapshot(game)
        game.play("g1f3")
        first.undo()
        assert snapshot(second) == before
        second.play("b1c3")
        first.play("e7e5")
        assert [g.ply for g in (game, first, second)] == [9, 8, 9]
        assert [g.moves[-1].uci() for g in (game, first, second)] == ["g1f3", "e7e5", "b1c3"]
        assert game.positions[:8] == first.positions[:8] == second.positions[:8]

    def test_undo_on_the_original_leaves_the_copy(self):
        game = shuffled(8)
        twin = copy.copy(game)
        for _ in range(8):
            game.undo()
        assert (twin.ply, twin.claims(), twin.repetitions()) == (8, ["threefold_repetition"], 3)
