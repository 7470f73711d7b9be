"""Rule situations of a position (castling, en passant, pins, skewers) and
the explanation objects with their sentences."""

import pickle

import pytest

import vorn
from vorn import Game, Move, Position

CASTLES = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"


def squares(square_set):
    return square_set.squares


class TestCastling:
    @pytest.mark.parametrize("fen, colour, wing, fields, sentence", [
        ("4k3/8/8/8/8/8/8/4K2R w K - 0 1", "white", "short",
         (True, True, True, [], [], []),
         "White may castle short: nothing stands in its way."),
        ("4k3/8/8/8/8/8/8/4K1NR w K - 0 1", "white", "short",
         (True, True, False, [], [], ["g1"]),
         "White cannot castle short: the path is blocked on g1."),
        ("4kr2/8/8/8/8/8/8/4K1NR w K - 0 1", "white", "short",
         (True, True, False, [], [("f1", ["f8"])], ["g1"]),
         "White cannot castle short: the enemy covers f1, which the king must cross or land "
         "on; the path is blocked on g1."),
        ("4k3/8/8/8/8/8/4r3/4K2R w - - 0 1", "white", "short",
         (False, False, False, ["e2"], [], []),
         "White cannot castle short: the right to castle that way is gone; the king is in "
         "check from e2, and a king may not castle out of check."),
        ("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "white", "long",
         (True, True, False, [], [], ["b1", "c1", "d1"]),
         "White cannot castle long: the path is blocked on b1, c1 and d1."),
        ("r3k3/8/8/8/8/8/8/1R2K3 b q - 0 1", "black", "long",
         (True, True, True, [], [], []),
         "Black may castle long: nothing stands in its way."),
        ("r3k3/8/8/8/8/8/8/2RRK3 b q - 0 1", "b", "long",
         (True, True, False, [], [("c8", ["c1"]), ("d8", ["d1"])], []),
         "Black cannot castle long: the enemy covers c8 and d8, which the king must cross or "
         "land on."),
        # Judged as if Black were to move.
        (CASTLES, "black", "short", (True, True, True, [], [], []),
         "Black may castle short: nothing stands in its way."),
        # Chess960: the castling rook on b1 shields the king's landing square c1.
        ("4k3/8/8/8/8/8/8/rR3K2 w B - 0 1", "white", "long",
         (True, True, False, [], [], []),
         "White cannot castle long: the king would stand in check once its rook has moved."),
    ], ids=["allowed", "blocked", "attacked_and_blocked", "right_gone_in_check", "start_long",
            "black_long_b8_covered", "black_long_attacked", "side_not_to_move",
            "chess960_shielding_rook"])
    def test_fields_and_sentence(self, fen, colour, wing, fields, sentence):
        castling = Position.from_fen(fen).castling(colour, wing)
        assert (castling.right, castling.rook_present, castling.allowed,
                squares(castling.king_in_check_by),
                [(square, squares(by)) for square, by in castling.path_attacked],
                squares(castling.path_blocked)) == fields
        assert castling.describe() == sentence
        assert repr(castling) == f"<Castling allowed={str(castling.allowed).lower()}>"

    @pytest.mark.parametrize("fen", [
        CASTLES, "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "4k3/8/8/8/8/8/8/rR3K2 w B - 0 1",
        "4k3/8/8/8/8/8/8/4K1NR w K - 0 1", "4kr2/8/8/8/8/8/8/4K1NR w K - 0 1",
        "1r2k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "2r1k3/8/8/8/8/8/8/R3K2R w KQ - 0 1",
    ])
    def test_allowed_is_legality(self, fen):
        position = Position.from_fen(fen)
        castlings = [mv for mv in position.legal_moves(variant=vorn.CHESS960) if mv.is_castling]
        for wing in ["short", "long"]:
            castling = position.castling(position.side_to_move, wing)
            listed = [mv for mv in castlings
                      if (mv.destination > mv.origin) == (wing == "short")]
            assert castling.allowed == bool(listed)

    def test_names_and_getters(self):
        castling = Position.from_fen(CASTLES).castling("w", "long")
        assert (castling.colour, castling.wing) == ("white", "long")
        assert castling.path_blocked == castling.path_blocked
        assert castling.path_blocked is not castling.path_blocked

    @pytest.mark.parametrize("wing", ["Short", "kingside", ""])
    def test_bad_wing(self, wing):
        with pytest.raises(vorn.ParseError):
            Position.from_fen(CASTLES).castling("white", wing)


class TestEnPassant:
    @pytest.mark.parametrize("fen, target, captures, sentence", [
        ("4k3/8/8/4PpP1/8/8/8/4K3 w - f6 0 1", "f6",
         [("e5", True, None), ("g5", True, None)],
         "A pawn has just skipped f6, and the pawn on e5 and g5 may take it en passant."),
        ("k5r1/8/8/4PpP1/8/8/8/6K1 w - f6 0 1", "f6",
         [("e5", True, None), ("g5", False, "pinned")],
         "A pawn has just skipped f6, and the pawn on e5 may take it en passant."),
        ("4k3/8/8/K3Pp1r/8/8/8/8 w - f6 0 1", "f6",
         [("e5", False, "exposes_king")],
         "A pawn has just skipped f6, and the pawn on e5 stands beside it but may not take."),
        ("4r2k/8/8/4Pp2/8/8/8/4K3 w - f6 0 1", "f6",
         [("e5", False, "pinned")],
         "A pawn has just skipped f6, and the pawn on e5 stands beside it but may not take."),
        ("7k/6b1/8/4Pp2/3K4/8/8/8 w - f6 0 1", "f6",
         [("e5", True, None)],
         "A pawn has just skipped f6, and the pawn on e5 may take it en passant."),
        ("k5b1/8/8/4Pp2/2K5/8/8/8 w - f6 0 1", "f6",
         [("e5", False, "in_check")],
         "A pawn has just skipped f6, and the pawn on e5 stands beside it but may not take."),
        ("4k3/8/8/5p2/8/8/8/4K3 w - f6 0 1", "f6", [],
         "A pawn has just skipped f6, and no pawn of the side to move stands beside it."),
        ("4k3/8/8/8/Pp6/8/8/4K3 b - a3 0 1", "a3", [("b4", True, None)],
         "A pawn has just skipped a3, and the pawn on b4 may take it en passant."),
        ("4k3/8/8/8/8/8/8/4K3 w - - 0 1", None, [],
         "No pawn has just advanced two squares, so no en-passant capture is on offer."),
    ], ids=["two_legal", "one_pinned", "exposes_king", "pinned", "pinned_along_the_capture",
            "in_check", "nobody_beside", "a_file", "none"])
    def test_status(self, fen, target, captures, sentence):
        status = Position.from_fen(fen).en_passant_status()
        assert status.target == target
        assert [(c.origin, c.legal, c.forbidden_by and c.forbidden_by.kind)
                for c in status.captures] == captures
        assert status.describe() == sentence
        assert repr(status) == f"<EnPassant {target or 'none'}>"

    def test_legal_matches_the_move_list(self):
        position = Position.from_fen("k5r1/8/8/4PpP1/8/8/8/6K1 w - f6 0 1")
        takes = {mv.origin for mv in position.legal_moves() if mv.is_en_passant}
        assert {c.origin for c in position.en_passant_status().captures if c.legal} == takes

    @pytest.mark.parametrize("fen, kind, pinner, attacker, by, ray, sentence", [
        ("4r2k/8/8/4Pp2/8/8/8/4K3 w - f6 0 1", "pinned", "e8", None, [],
         ["e2", "e3", "e4", "e5", "e6", "e7"],
         "The pawn is pinned against its own king by the unit on e8, and the capture would "
         "step off that line."),
        ("4k3/8/8/K3Pp1r/8/8/8/8 w - f6 0 1", "exposes_king", None, "h5", [], [],
         "Both pawns leave the rank at once, which uncovers the king to the unit on h5."),
        ("k5b1/8/8/4Pp2/2K5/8/8/8 w - f6 0 1", "in_check", None, None, ["g8"], [],
         "The side to move is in check from g8, and this capture does not answer it."),
    ])
    def test_obstacles(self, fen, kind, pinner, attacker, by, ray, sentence):
        (capture,) = Position.from_fen(fen).en_passant_status().captures
        obstacle = capture.forbidden_by
        assert (obstacle.kind, obstacle.pinner, obstacle.attacker, squares(obstacle.by),
                squares(obstacle.ray)) == (kind, pinner, attacker, by, ray)
        assert obstacle.describe() == sentence
        assert repr(obstacle) == f"<EpObstacle {kind}>"
        assert capture.describe() == "The pawn on e5 may not take en passant."
        assert repr(capture) == "<EpCapture e5 legal=false>"

    def test_legal_capture(self):
        capture = Position.from_fen("4k3/8/8/4PpP1/8/8/8/4K3 w - f6 0 1") \
            .en_passant_status().captures[0]
        assert capture.forbidden_by is None
        assert capture.describe() == "The pawn on e5 may take en passant."
        assert repr(capture) == "<EpCapture e5 legal=true>"

    def test_after_a_quiet_move(self):
        status = Game().position.play("g1f3").en_passant_status()
        assert (status.target, status.captures) == (None, [])


class TestPins:
    @pytest.mark.parametrize("fen, colour, pins", [
        ("4r1k1/8/8/8/8/8/4N3/4K3 w - - 0 1", "white",
         [("e2", "e8", "e1", ["e2", "e3", "e4", "e5", "e6", "e7"])]),
        ("4r1k1/8/8/8/8/4N3/4N3/4K3 w - - 0 1", "white", []),
        ("4r1k1/8/8/8/8/8/4n3/4K3 w - - 0 1", "white", []),
        ("4r1k1/8/8/8/7b/8/4NB2/r2QK3 w - - 0 1", "white",
         [("d1", "a1", "e1", ["b1", "c1", "d1"]),
          ("e2", "e8", "e1", ["e2", "e3", "e4", "e5", "e6", "e7"]),
          ("f2", "h4", "e1", ["f2", "g3"])]),
        ("4r1k1/8/8/8/7b/8/4NB2/r2QK3 w - - 0 1", "black", []),
    ], ids=["one", "two_in_between", "own_unit_between", "sorted_by_pinned", "other_colour"])
    def test_pins(self, fen, colour, pins):
        found = Position.from_fen(fen).pins(colour)
        assert [(p.pinned, p.pinner, p.king, squares(p.ray)) for p in found] == pins

    def test_sentence_and_repr(self):
        (pin,) = Position.from_fen("4r1k1/8/8/8/8/8/4N3/4K3 w - - 0 1").pins("white")
        assert pin.describe() == ("The unit on e2 may not move off the line between the enemy "
                                  "unit on e8 and its own king on e1.")
        assert repr(pin) == "<Pin e2 by e8>"

    def test_objects_compare_by_identity(self):
        position = Position.from_fen("4r1k1/8/8/8/8/8/4N3/4K3 w - - 0 1")
        assert position.pins("white")[0] != position.pins("white")[0]


class TestSkewers:
    @pytest.mark.parametrize("fen, skewers", [
        ("3r2k1/8/8/8/3Q4/8/3R4/6K1 w - - 0 1",
         [("d8", "d4", "d2", ["d3", "d4", "d5", "d6", "d7"])]),
        ("3r2k1/8/8/8/3R4/8/3Q4/6K1 w - - 0 1", []),
        ("3r2k1/8/8/8/3K4/8/3Q4/8 w - - 0 1",
         [("d8", "d4", "d2", ["d3", "d4", "d5", "d6", "d7"])]),
        ("7k/8/b7/8/2R5/8/4N3/rQR4K w - - 0 1",
         [("a1", "b1", "c1", ["b1"]), ("a6", "c4", "e2", ["d3", "c4", "b5"])]),
    ], ids=["queen_before_rook", "rook_before_queen", "king_in_front", "sorted_by_front"])
    def test_skewers(self, fen, skewers):
        found = Position.from_fen(fen).skewers("white")
        assert [(s.attacker, s.front, s.behind, squares(s.ray)) for s in found] == skewers

    def test_sentence_and_repr(self):
        (skewer,) = Position.from_fen("3r2k1/8/8/8/3Q4/8/3R4/6K1 w - - 0 1").skewers("white")
        assert skewer.describe() == (
            "The unit on d4 is attacked by the unit on d8, and moving it out of the way exposes "
            "the less valuable unit on d2 behind it.")
        assert repr(skewer) == "<Skewer d4 then d2>"


class TestExchange:
    @pytest.mark.parametrize("fen, square, value", [
        ("r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "a8", 13),
        ("4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1", "d5", 0),
        ("4k3/8/8/3p4/8/8/8/3QK3 w - - 0 1", "d5", 1),
        ("3r3k/3r4/8/8/8/8/3R4/3R3K w - - 0 1", "d7", 5),
        ("3rk3/3r4/8/8/8/8/3R4/3RK3 w - - 0 1", "d7", 0),
        ("4k3/8/8/8/8/8/3p4/4K3 w - - 0 1", "d2", 1),
        ("4k3/8/8/8/8/2b5/3p4/4K3 w - - 0 1", "d2", 0),
        ("4k3/8/8/8/8/8/8/4K3 w - - 0 1", "d5", 0),
        ("4k3/8/8/8/8/8/8/4K3 w - - 0 1", "e8", 0),
    ], ids=["promoting_capture", "losing", "undefended", "x_ray_rooks", "x_ray_then_king",
            "king_takes", "king_may_not_take", "empty", "king"])
    def test_see(self, fen, square, value):
        assert Position.from_fen(fen).see(square) == value

    @pytest.mark.parametrize("fen, mv, value", [
        ("4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1", Move("d1", "d5", kind="capture", is_capture=True),
         -8),
        ("4k3/8/8/8/2p5/8/8/3QK3 w - - 0 1", Move("d1", "d3"), -9),
        ("4k3/8/8/8/2p5/8/8/3QK3 w - - 0 1", Move("d1", "d2"), 0),
        ("4k3/8/8/4Pp2/8/8/8/4K3 w - f6 0 1",
         Move("e5", "f6", kind="en_passant", is_capture=True), 1),
        ("4k3/P7/8/8/8/8/8/4K3 w - - 0 1", Move("a7", "a8", promotion="q"), 8),
        ("4k3/P7/8/8/8/8/8/4K3 w - - 0 1", Move("a7", "a8", promotion="n"), 2),
        ("4k3/8/8/8/8/8/8/4K2R w K - 0 1", Move("e1", "h1", kind="castling"), 0),
    ], ids=["losing_capture", "hanging_queen", "safe_quiet", "en_passant", "queen_promotion",
            "knight_promotion", "castling"])
    def test_see_capture(self, fen, mv, value):
        assert Position.from_fen(fen).see_capture(mv) == value


def explanation_objects():
    stalemate = Game.from_fen("7k/5K1b/8/p7/P7/8/8/7R b - - 0 1").draw_status().automatic[0]
    game = Game()
    game.play("e2e4")
    repetition = Game.from_fen("4k3/8/8/8/8/8/8/R3K3 w Q - 0 1")
    for text in ["a1a2", "e8d8", "a2a1", "d8e8"]:
        repetition.play(text)
    en_passant = Position.from_fen("4r2k/8/8/4Pp2/8/8/8/4K3 w - f6 0 1").en_passant_status()
    fifty_moves = Game.from_fen("4k3/8/8/8/8/8/4P3/4K3 w - - 100 80").draw_status()
    return {
        "Castling": Position.from_fen(CASTLES).castling("white", "short"),
        "EnPassant": en_passant,
        "EpCapture": en_passant.captures[0],
        "EpObstacle": en_passant.captures[0].forbidden_by,
        "Pin": Position.from_fen("4r1k1/8/8/8/8/8/4N3/4K3 w - - 0 1").pins("white")[0],
        "Skewer": Position.from_fen("3r2k1/8/8/8/3Q4/8/3R4/6K1 w - - 0 1").skewers("white")[0],
        "Repetition": repetition.repetition_status(),
        "NearMiss": repetition.repetition_status().near_misses[0],
        "FiftyMove": game.fifty_move_status(),
        "Reset": game.fifty_move_status().last_reset,
        "DrawStatus": game.draw_status(),
        "AutomaticDraw": stalemate,
        "ClaimableDraw": fifty_moves.claimable[0],
        "StalemateDetail": stalemate.stalemate,
        "Stuck": stalemate.stalemate.stuck_units[0][1],
    }


DOCS = {
    "Castling": "One castling of one colour, and everything standing in its way.",
    "EnPassant": "The en-passant capture a position offers the side to move.",
    "EpCapture": "One pawn's en-passant capture of the target.",
    "EpObstacle": "What keeps an en-passant capture off the board.",
    "Pin": "A unit that may not move off the line between an enemy slider and its own\nking.",
    "Skewer": "A unit attacked with a less valuable one of the same colour directly\nbehind it "
              "on the slider's line.",
    "Repetition": "How often the current position has stood, and what nearly counted.",
    "NearMiss": "An earlier ply with the same placement that is not a repetition.",
    "FiftyMove": "The halfmove clock, and how far it is from ending the game.",
    "Reset": "The move that last set the halfmove clock to 0.",
    "DrawStatus": "Every draw condition that holds, not the first of them.",
    "AutomaticDraw": "A draw that needs no claim.",
    "ClaimableDraw": "A draw a player may ask for.",
    "StalemateDetail": "Why the side to move has no move.",
    "Stuck": "What holds a unit that has no legal move.",
}


@pytest.fixture(scope="module")
def objects():
    return explanation_objects()


class TestClasses:

    @pytest.mark.parametrize("name", list(DOCS))
    def test_class(self, objects, name):
        cls = type(objects[name])
        assert (cls.__name__, cls.__module__, cls.__doc__) == (name, "vorn.explain", DOCS[name])
        assert isinstance(objects[name].describe(), str)
        with pytest.raises(TypeError):
            cls()

    @pytest.mark.parametrize("name, attribute", [
        ("Castling", "allowed"), ("Pin", "pinned"), ("Repetition", "count"),
        ("FiftyMove", "clock"), ("Stuck", "kind"),
    ])
    def test_read_only(self, objects, name, attribute):
        with pytest.raises(AttributeError):
            setattr(objects[name], attribute, None)


REPRS = {
    "Castling": "<Castling allowed=true>",
    "EnPassant": "<EnPassant f6>",
    "EpCapture": "<EpCapture e5 legal=false>",
    "EpObstacle": "<EpObstacle pinned>",
    "Pin": "<Pin e2 by e8>",
    "Skewer": "<Skewer d4 then d2>",
    "Repetition": "<Repetition 1>",
    "NearMiss": "<NearMiss ply 0>",
    "FiftyMove": "<FiftyMove clock 0>",
    "Reset": "<Reset ply 1 pawn_move>",
    "DrawStatus": "<DrawStatus automatic 0 claimable 0>",
    "AutomaticDraw": "<AutomaticDraw stalemate>",
    "ClaimableDraw": "<ClaimableDraw fifty_moves>",
    "StalemateDetail": "<StalemateDetail h8>",
    "Stuck": "<Stuck blocked>",
}

NONE = type(None)

# Every getter of each object of explanation_objects(), with the type it gives there.
GETTERS = {
    "Castling": {"colour": str, "wing": str, "right": bool, "rook_present": bool,
                 "king_in_check_by": vorn.SquareSet, "path_attacked": list,
                 "path_blocked": vorn.SquareSet, "allowed": bool},
    "EnPassant": {"target": str, "captures": list},
    "EpCapture": {"origin": str, "legal": bool, "forbidden_by": vorn.explain.EpObstacle},
    "EpObstacle": {"kind": str, "ray": vorn.SquareSet, "pinner": str, "attacker": NONE,
                   "by": vorn.SquareSet},
    "Pin": {"pinned": str, "pinner": str, "king": str, "ray": vorn.SquareSet},
    "Skewer": {"attacker": str, "front": str, "behind": str, "ray": vorn.SquareSet},
    "Repetition": {"count": int, "plies": list, "near_misses": list},
    "NearMiss": {"ply": int, "differs": list},
    "FiftyMove": {"clock": int, "plies_to_claim": int, "plies_to_automatic": int,
                  "last_reset": vorn.explain.Reset},
    "Reset": {"ply": int, "kind": str},
    "DrawStatus": {"automatic": list, "claimable": list},
    "AutomaticDraw": {"kind": str, "stalemate": vorn.explain.StalemateDetail, "material": NONE,
                      "repetition": NONE, "fifty_move": NONE},
    "ClaimableDraw": {"kind": str, "repetition": NONE, "fifty_move": vorn.explain.FiftyMove},
    "StalemateDetail": {"king": str, "escape_squares": list, "stuck_units": list},
    "Stuck": {"kind": str, "ray": vorn.SquareSet, "pinner": NONE},
}

# Getters that build a new object on every access.
FRESH = [(name, attribute) for name, getters in GETTERS.items()
         for attribute, kind in getters.items() if kind not in (str, int, bool, NONE)]


class TestObjects:

    @pytest.mark.parametrize("name", list(REPRS))
    def test_repr(self, objects, name):
        assert repr(objects[name]) == REPRS[name]

    @pytest.mark.parametrize("name", list(GETTERS))
    def test_getters(self, objects, name):
        obj = objects[name]
        public = {a for a in dir(type(obj)) if not a.startswith("_")}
        assert public == set(GETTERS[name]) | {"describe"}
        assert {a: type(getattr(obj, a)) for a in GETTERS[name]} == GETTERS[name]

    @pytest.mark.parametrize("name, attribute", FRESH)
    def test_fresh_on_every_access(self, objects, name, attribute):
        first, second = getattr(objects[name], attribute), getattr(objects[name], attribute)
        assert first is not second and repr(first) == repr(second)

    def test_pairs_are_tuples(self, objects):
        for pairs, second in [(objects["StalemateDetail"].escape_squares, vorn.SquareSet),
                              (objects["StalemateDetail"].stuck_units, vorn.explain.Stuck),
                              (Position.from_fen("4kr2/8/8/8/8/8/8/4K1NR w K - 0 1")
                               .castling("white", "short").path_attacked, vorn.SquareSet)]:
            assert pairs and all(type(p) is tuple and len(p) == 2 and type(p[0]) is str
                                 and type(p[1]) is second for p in pairs)

    @pytest.mark.parametrize("name", list(REPRS))
    def test_identity_and_no_pickling(self, objects, name):
        obj = objects[name]
        assert obj == obj and hash(obj) == hash(obj)
        with pytest.raises(TypeError):
            pickle.dumps(obj)


def draw_of(fen, moves=(), claimable=False):
    game = Game.from_fen(fen)
    for mv in moves:
        game.play(mv)
    status = game.draw_status()
    return (status.claimable if claimable else status.automatic)[0]


SHUFFLE = ["g1f3", "g8f6", "f3g1", "f6g8"]
START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"


@pytest.mark.parametrize("draw, kind, detail", [
    (draw_of("7k/5K1b/8/p7/P7/8/8/7R b - - 0 1"), "stalemate", "stalemate"),
    (draw_of("8/8/8/4k3/8/8/8/3NK3 w - - 0 1"), "insufficient_material", "material"),
    (draw_of(START, SHUFFLE * 4), "fivefold_repetition", "repetition"),
    (draw_of("4k3/8/8/8/8/8/4P3/4K3 w - - 150 100"), "seventy_five_moves", "fifty_move"),
    (draw_of(START, SHUFFLE * 2, claimable=True), "threefold_repetition", "repetition"),
    (draw_of("4k3/8/8/8/8/8/4P3/4K3 w - - 100 80", claimable=True), "fifty_moves",
     "fifty_move"),
], ids=["stalemate", "material", "fivefold", "seventy_five", "threefold", "fifty"])
def test_one_detail_per_kind(draw, kind, detail):
    assert draw.kind == kind
    details = ["repetition", "fifty_move"] + (
        ["stalemate", "material"] if isinstance(draw, vorn.explain.AutomaticDraw) else [])
    assert {d for d in details if getattr(draw, d) is not None} == {detail}


@pytest.mark.parametrize("call, error, message", [
    (lambda p: p.castling("white", "Short"), vorn.ParseError, 'not a castling wing: "Short"'),
    (lambda p: p.castling("red", "Short"), vorn.ParseError, 'not a colour: "red"'),
    (lambda p: p.castling("white", 1), TypeError, "argument 'wing'"),
    (lambda p: p.pins("x"), vorn.ParseError, 'not a colour: "x"'),
    (lambda p: p.skewers(None), TypeError, "argument 'colour'"),
], ids=["wing", "colour_first", "wing_type", "pins_colour", "skewers_type"])
def test_bad_arguments(call, error, message):
    with pytest.raises(error, match=message):
        call(Position.from_fen(CASTLES))


def test_position_ending():
    ending = Position.from_fen("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1").ending()
    assert (type(ending).__name__, type(ending).__module__) == ("Ending", "vorn.endings")
