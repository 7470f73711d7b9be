"""Ending classification: class, verdict, technique, signature and evidence of
positions, their English sentences, and the behaviour of the ending classes."""

import pytest

from vorn._vorn import (
    Bishops,
    Ending,
    EndingClass,
    EndingEvidence,
    EndingTechnique,
    EndingVerdict,
    MaterialSignature,
    ParseError,
    PawnRace,
    Position,
    endings_classify,
)

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"


def ending(fen):
    return endings_classify(Position.from_fen(fen))


CLASSES = [
    ("k_v_k", "Only the two kings are left, so nothing can be won."),
    ("kq_v_k", "King and queen against a lone king: the queen takes squares away until the lone "
     "king stands on the edge, and the king comes up to mate."),
    ("kr_v_k", "King and rook against a lone king: the rook cuts the lone king off and the two "
     "push it to the edge."),
    ("kbb_v_k", "King and two bishops against a lone king: the two diagonals build a wall that "
     "forces the lone king into a corner of either colour."),
    ("kbn_v_k", "King, bishop and knight against a lone king: the longest of the basic mates, and "
     "only in a corner the bishop covers."),
    ("knn_v_k", "King and two knights against a lone king: mate can be reached on the board but "
     "never forced."),
    ("kb_v_k", "King and one bishop against a lone king, which no sequence of legal moves can ever "
     "mate."),
    ("kn_v_k", "King and one knight against a lone king, which no sequence of legal moves can ever "
     "mate."),
    ("kp_v_k", "King and pawn against a lone king, the ending every pawn ending comes down to."),
    ("kbp_v_k", "King, bishop and pawn against a lone king: the extra piece wins unless the bishop "
     "is of the wrong colour for a rook pawn."),
    ("kq_v_kq", "A queen each and nothing else: neither king can be sheltered from perpetual "
     "check."),
    ("kq_v_kr", "Queen against rook: a win, but one that takes a long and exact technique."),
    ("kq_v_kb", "Queen against a lone bishop, which the queen wins easily."),
    ("kq_v_kn", "Queen against a lone knight, which the queen wins easily."),
    ("kq_v_kp", "Queen against a lone pawn: won, except where a rook or bishop pawn on the seventh "
     "rank buys a stalemate."),
    ("kq_v_two_minors", "Queen against two minor pieces, which defend each other well enough that "
     "the position decides the result."),
    ("kr_v_kr", "A rook each and nothing else, which neither side can win."),
    ("kr_v_kb", "Rook against a lone bishop: a draw once the bishop's king reaches a safe corner."),
    ("kr_v_kn", "Rook against a lone knight: a draw as long as knight and king stay together."),
    ("kr_v_kp", "Rook against a lone pawn: the rook wins once it gets behind the pawn in time."),
    ("kr_v_two_minors", "Rook against two minor pieces, where the two pieces are the better side "
     "without a forced win."),
    ("krp_v_kr", "Rook and pawn against rook, the most common ending of all: the Lucena position "
     "wins it and the Philidor position holds it."),
    ("kbb_v_kn", "Two bishops against a knight: a win, but one that can take a hundred moves."),
    ("kb_v_kn", "Bishop against knight and nothing else, which neither side can win."),
    ("kb_v_kb_same_colour", "A bishop each on the same square colour, so the two bishops meet but "
     "nothing can be forced."),
    ("kb_v_kb_opposite_colour", "A bishop each on opposite square colours, so the two bishops "
     "never meet."),
    ("kn_v_kn", "A knight each and nothing else, which neither side can win."),
    ("kb_v_kp", "Bishop against a lone pawn: the bishop draws wherever it can reach the pawn's "
     "path."),
    ("kn_v_kp", "Knight against a lone pawn: the knight draws wherever it can reach the pawn's path "
     "in time."),
    ("pawns", "A pawn ending: kings and pawns only, where the opposition and the race decide "
     "everything."),
    ("other", "An ending this catalogue does not name; the material signature says what is on the "
     "board."),
    ("not_an_ending", "Too much material is left for this to be an ending at all."),
]

TECHNIQUES = [
    ("none", "This ending is played by no method with a name of its own."),
    ("box_method", "The box method: the piece draws a box the lone king may not leave, and every "
     "move makes the box one file or one rank smaller until the king stands on the edge."),
    ("two_bishop_mate", "The two bishops stand side by side on next-door diagonals, which the lone "
     "king cannot cross, and the king walks it into a corner."),
    ("bishop_knight_mate", "The lone king is driven to a corner of the bishop's own colour, the "
     "knight walking the W-shaped path along the edge that closes off the escape."),
    ("key_squares", "The pawn queens if its own king reaches one of the key squares in front of "
     "it, which is what the defending king has to be kept off."),
    ("opposition", "The kings stand on one line with an odd number of squares between them; the "
     "side not to move holds the opposition, and the other has to give ground."),
    ("rule_of_the_square", "Draw the square whose side is the pawn's run to promotion: a lone king "
     "that cannot step inside it never catches the pawn."),
    ("lucena", "The Lucena position: with the pawn on the seventh and its own king in front of it, "
     "the rook builds a bridge that shelters the king from the checks, and the pawn queens."),
    ("philidor", "The Philidor position: the defending rook holds its own third rank until the "
     "pawn steps onto it, then drops to the far end of the board and checks the attacking king "
     "from behind."),
    ("wrong_bishop", "The bishop stands on the colour the pawn does not promote on, so the "
     "defending king sits on the promotion square and can never be driven off it."),
    ("wrong_rook_pawn", "The pawn is a rook pawn and the lone king has reached its promotion "
     "corner, where the attacking king cannot come near without stalemating it."),
]

VERDICTS = {
    ("win", "white"): "White wins this ending by force, against any defence.",
    ("win", "black"): "Black wins this ending by force, against any defence.",
    ("usually_win", "white"):
        "White usually wins this ending, though particular positions are drawn.",
    ("usually_win", "black"):
        "Black usually wins this ending, though particular positions are drawn.",
    ("usually_draw", "white"):
        "This ending is usually drawn, and the positions that are not are won by White.",
    ("usually_draw", "black"):
        "This ending is usually drawn, and the positions that are not are won by Black.",
    ("draw", None): "This ending is a draw against correct defence, whoever is to move.",
    ("unknown", None):
        "Theory gives this ending no single result; it has to be judged position by position.",
}

# fen, class, signature, stronger side, verdict, winner, technique
POSITIONS = [
    ("8/8/8/4k3/8/4K3/8/8 w - - 0 1", "k_v_k", "KvK", "white", "draw", None, "none"),
    ("8/8/8/3qk3/8/8/8/4K3 w - - 0 1", "kq_v_k", "KQvK", "black", "win", "black", "box_method"),
    ("8/8/8/4k3/8/8/8/R3K3 w - - 0 1", "kr_v_k", "KRvK", "white", "win", "white", "box_method"),
    ("8/8/8/4k3/8/8/8/2B1KB2 w - - 0 1", "kbb_v_k", "KBBvK", "white", "win", "white",
     "two_bishop_mate"),
    ("8/8/8/4k3/8/4B3/8/2B1K3 w - - 0 1", "kbb_v_k", "KBBvK", "white", "draw", None, "none"),
    ("8/8/8/4k3/8/8/8/2B1KN2 w - - 0 1", "kbn_v_k", "KBNvK", "white", "win", "white",
     "bishop_knight_mate"),
    ("8/8/8/4k3/8/8/8/1N2K1N1 w - - 0 1", "knn_v_k", "KNNvK", "white", "draw", None, "none"),
    ("8/8/8/4k3/8/8/8/2B1K3 w - - 0 1", "kb_v_k", "KBvK", "white", "draw", None, "none"),
    ("1n6/8/8/4k3/8/8/8/4K3 w - - 0 1", "kn_v_k", "KNvK", "black", "draw", None, "none"),
    # A rook pawn with the defender in its corner is drawn even inside the square.
    ("k7/8/8/P7/8/8/8/4K3 w - - 0 1", "kp_v_k", "KPvK", "white", "draw", None,
     "wrong_rook_pawn"),
    ("1k6/8/8/8/8/8/P7/4K3 b - - 0 1", "kp_v_k", "KPvK", "white", "draw", None,
     "wrong_rook_pawn"),
    ("8/8/8/4k3/8/8/4P3/4K3 w - - 0 1", "kp_v_k", "KPvK", "white", "usually_win", "white",
     "key_squares"),
    ("4k3/4p3/8/8/8/8/8/4K3 w - - 0 1", "kp_v_k", "KPvK", "black", "usually_win", "black",
     "key_squares"),
    # The defender's move is the tempo that brings it into the square.
    ("7k/8/8/8/8/8/1P6/K7 w - - 0 1", "kp_v_k", "KPvK", "white", "win", "white",
     "rule_of_the_square"),
    ("7k/8/8/8/8/8/1P6/K7 b - - 0 1", "kp_v_k", "KPvK", "white", "usually_win", "white",
     "key_squares"),
    ("4k3/8/8/P7/8/8/8/2B1K3 w - - 0 1", "kbp_v_k", "KBPvK", "white", "draw", None,
     "wrong_bishop"),
    ("4k3/8/8/P7/8/8/8/4KB2 w - - 0 1", "kbp_v_k", "KBPvK", "white", "usually_win", "white",
     "none"),
    ("3qk3/8/8/8/8/8/8/3QK3 w - - 0 1", "kq_v_kq", "KQvKQ", "white", "draw", None, "none"),
    ("3rk3/8/8/8/8/8/8/3QK3 w - - 0 1", "kq_v_kr", "KQvKR", "white", "win", "white", "none"),
    ("2b1k3/8/8/8/8/8/8/3QK3 w - - 0 1", "kq_v_kb", "KQvKB", "white", "win", "white", "none"),
    ("1n2k3/8/8/8/8/8/8/3QK3 w - - 0 1", "kq_v_kn", "KQvKN", "white", "win", "white", "none"),
    ("3qk3/8/8/8/8/8/4P3/4K3 w - - 0 1", "kq_v_kp", "KQvKP", "black", "usually_win", "black",
     "none"),
    ("7q/4k3/8/8/8/8/8/1NB1K3 w - - 0 1", "kq_v_two_minors", "KQvKBN", "black", "unknown", None,
     "none"),
    ("1nn1k3/8/8/8/8/8/8/3QK3 w - - 0 1", "kq_v_two_minors", "KQvKNN", "white", "unknown", None,
     "none"),
    ("r3k3/8/8/8/8/8/8/R3K3 w - - 0 1", "kr_v_kr", "KRvKR", "white", "draw", None, "none"),
    ("2b1k3/8/8/8/8/8/8/R3K3 w - - 0 1", "kr_v_kb", "KRvKB", "white", "usually_draw", "white",
     "none"),
    ("r3k3/8/8/8/8/8/8/1N2K3 w - - 0 1", "kr_v_kn", "KRvKN", "black", "usually_draw", "black",
     "none"),
    ("4k3/8/8/8/8/8/p7/4K2R w - - 0 1", "kr_v_kp", "KRvKP", "white", "usually_win", "white",
     "none"),
    # Two minor pieces outweigh the rook, so they are written first.
    ("r3k3/8/8/8/8/8/8/2B1KB2 w - - 0 1", "kr_v_two_minors", "KBBvKR", "white", "unknown", None,
     "none"),
    ("1nn1k3/8/8/8/8/8/8/R3K3 w - - 0 1", "kr_v_two_minors", "KNNvKR", "black", "unknown", None,
     "none"),
    ("4k3/8/r7/4P3/4K3/8/8/7R w - - 0 1", "krp_v_kr", "KRPvKR", "white", "usually_draw", "white",
     "philidor"),
    ("4K3/4P1k1/8/8/8/8/r7/5R2 w - - 0 1", "krp_v_kr", "KRPvKR", "white", "usually_win", "white",
     "lucena"),
    ("1n2k3/8/8/8/8/8/8/2B1KB2 w - - 0 1", "kbb_v_kn", "KBBvKN", "white", "usually_win", "white",
     "none"),
    # Equal values: the bishop outranks the knight.
    ("1n2k3/8/8/8/8/8/8/2B1K3 w - - 0 1", "kb_v_kn", "KBvKN", "white", "draw", None, "none"),
    ("2b1k3/8/8/8/8/8/8/1N2K3 w - - 0 1", "kb_v_kn", "KBvKN", "black", "draw", None, "none"),
    ("4kb2/8/8/8/8/8/8/2B1K3 w - - 0 1", "kb_v_kb_same_colour", "KBvKB", "white", "draw", None,
     "none"),
    ("2b1k3/8/8/8/8/8/8/2B1K3 w - - 0 1", "kb_v_kb_opposite_colour", "KBvKB", "white", "draw",
     None, "none"),
    ("1n2k3/8/8/8/8/8/8/1N2K3 w - - 0 1", "kn_v_kn", "KNvKN", "white", "draw", None, "none"),
    # The pawn's side is the weaker one, and the one that wins when it is not drawn.
    ("4k3/8/8/8/8/8/p7/2B1K3 w - - 0 1", "kb_v_kp", "KBvKP", "white", "usually_draw", "black",
     "none"),
    ("1n2k3/8/8/8/8/8/4P3/4K3 w - - 0 1", "kn_v_kp", "KNvKP", "black", "usually_draw", "white",
     "none"),
    ("4k3/4p3/8/8/8/8/4P3/4K3 w - - 0 1", "pawns", "KPvKP", "white", "unknown", None,
     "opposition"),
    ("4k3/8/8/8/8/8/PP6/4K3 w - - 0 1", "pawns", "KPPvK", "white", "unknown", None, "opposition"),
    ("r1b1k3/8/8/8/8/8/8/3QK3 w - - 0 1", "other", "KQvKRB", "white", "unknown", None, "none"),
    ("4k3/8/8/8/8/8/8/2QQK3 w - - 0 1", "other", "KQQvK", "white", "unknown", None, "none"),
    ("3qk3/8/8/8/8/8/8/R3K2R w - - 0 1", "other", "KRRvKQ", "white", "unknown", None, "none"),
    ("r3k3/4p3/8/8/8/8/4P3/R3K3 w - - 0 1", "other", "KRPvKRP", "white", "unknown", None, "none"),
    ("4k3/8/8/8/8/8/PPP5/1N2K3 w - - 0 1", "other", "KNPPPvK", "white", "unknown", None, "none"),
    (START, "not_an_ending", "KQRRBBNNPPPPPPPPvKQRRBBNNPPPPPPPP", "white", "unknown", None,
     "none"),
    ("4k3/8/8/8/8/8/8/RB1QK3 w - - 0 1", "not_an_ending", "KQRBvK", "white", "unknown", None,
     "none"),
]


@pytest.mark.parametrize("fen,cls,text,stronger,verdict,winner,technique", POSITIONS,
                         ids=[f"{row[1]}-{row[0]}" for row in POSITIONS])
def test_classification(fen, cls, text, stronger, verdict, winner, technique):
    e = ending(fen)
    assert e.class_.name == cls
    assert e.class_.describe() == dict(CLASSES)[cls]
    assert e.signature.text == text
    assert e.signature.stronger == stronger
    assert e.verdict.name == verdict
    assert e.verdict.winner == winner
    assert e.verdict.describe() == VERDICTS[(verdict, winner)]
    assert e.technique.name == technique
    assert e.technique.describe() == dict(TECHNIQUES)[technique]


def test_every_class_is_reached():
    assert {row[1] for row in POSITIONS} == {name for name, _ in CLASSES}


@pytest.mark.parametrize("fen,sentence", [
    ("8/8/8/4k3/8/4K3/8/8 w - - 0 1", "This is the KvK ending."),
    ("4K3/4P1k1/8/8/8/8/r7/5R2 w - - 0 1", "This is the KRPvKR ending."),
    ("r1b1k3/8/8/8/8/8/8/3QK3 w - - 0 1",
     "The material is KQvKRB, an ending the catalogue has no name for."),
    (START, "The material is KQRRBBNNPPPPPPPPvKQRRBBNNPPPPPPPP, which is more than an ending "
     "has."),
])
def test_ending_sentence(fen, sentence):
    assert ending(fen).describe() == sentence


@pytest.mark.parametrize("fen,sentence", [
    ("8/8/8/4k3/8/4K3/8/8 w - - 0 1",
     "The material is KvK: White has nothing besides its king, Black has nothing besides its "
     "king."),
    ("4k3/8/r7/4P3/4K3/8/8/7R w - - 0 1",
     "The material is KRPvKR: White has a rook and a pawn, Black has a rook."),
    ("4k3/8/8/8/8/8/PPP5/1N2K3 w - - 0 1",
     "The material is KNPPPvK: White has a knight and three pawns, Black has nothing besides "
     "its king."),
    ("8/8/8/3qk3/8/8/8/4K3 w - - 0 1",
     "The material is KQvK: White has nothing besides its king, Black has a queen."),
    (START,
     "The material is KQRRBBNNPPPPPPPPvKQRRBBNNPPPPPPPP: White has a queen, two rooks, two "
     "bishops, two knights and eight pawns, Black has a queen, two rooks, two bishops, two "
     "knights and eight pawns."),
    # Counts above eight are written in digits.
    ("QQQQQQQQ/7Q/8/8/8/pp6/kp6/7K w - - 0 1",
     "The material is KQQQQQQQQQvKPPP: White has 9 queens, Black has three pawns."),
])
def test_material_sentence(fen, sentence):
    assert ending(fen).signature.describe() == sentence


# fen, pawn, colour, promotion, rook_pawn, steps, inside, attacker ahead, defender ahead,
# corner, sentence
PAWN_RACES = [
    ("8/8/8/4k3/8/8/4P3/4K3 w - - 0 1", "e2", "white", "e8", False, 5, True, False, True, False,
     "White's pawn on e2 is 5 moves from promoting on e8, and the defending king is inside the "
     "square of the pawn."),
    # The double step makes a pawn on its start rank as fast as one on the third.
    ("8/8/8/4k3/8/4P3/8/4K3 w - - 0 1", "e3", "white", "e8", False, 5, True, False, True, False,
     "White's pawn on e3 is 5 moves from promoting on e8, and the defending king is inside the "
     "square of the pawn."),
    ("8/4P3/8/8/8/k7/8/4K3 w - - 0 1", "e7", "white", "e8", False, 1, False, False, False, False,
     "White's pawn on e7 is 1 move from promoting on e8, and the defending king is outside the "
     "square of the pawn."),
    ("k7/8/8/P7/8/8/8/4K3 w - - 0 1", "a5", "white", "a8", True, 3, True, False, True, True,
     "White's pawn on a5 is 3 moves from promoting on a8, and the defending king is inside the "
     "square of the pawn."),
    ("8/8/8/8/3p4/8/8/3K3k w - - 0 1", "d4", "black", "d1", False, 3, True, False, True, True,
     "Black's pawn on d4 is 3 moves from promoting on d1, and the defending king is inside the "
     "square of the pawn."),
    ("4K3/4P1k1/8/8/8/8/r7/5R2 w - - 0 1", "e7", "white", "e8", False, 1, False, True, False,
     False,
     "White's pawn on e7 is 1 move from promoting on e8, and the defending king is outside the "
     "square of the pawn."),
    ("7k/8/8/8/8/8/1P6/K7 w - - 0 1", "b2", "white", "b8", False, 5, False, False, False, False,
     "White's pawn on b2 is 5 moves from promoting on b8, and the defending king is outside the "
     "square of the pawn."),
    ("7k/8/8/8/8/8/1P6/K7 b - - 0 1", "b2", "white", "b8", False, 5, True, False, False, False,
     "White's pawn on b2 is 5 moves from promoting on b8, and the defending king is inside the "
     "square of the pawn."),
]


@pytest.mark.parametrize(
    "fen,square,colour,promotion,rook_pawn,steps,inside,attacker_ahead,defender_ahead,corner,"
    "sentence", PAWN_RACES, ids=[row[0] for row in PAWN_RACES])
def test_pawn_race(fen, square, colour, promotion, rook_pawn, steps, inside, attacker_ahead,
                   defender_ahead, corner, sentence):
    race = ending(fen).evidence.pawn
    assert isinstance(race, PawnRace)
    assert (race.pawn, race.colour, race.promotion) == (square, colour, promotion)
    assert race.rook_pawn is rook_pawn
    assert race.steps == steps
    assert race.defender_inside_square is inside
    assert race.attacker_in_front is attacker_ahead
    assert race.defender_in_front is defender_ahead
    assert race.defender_holds_the_corner is corner
    assert race.describe() == sentence
    assert repr(race) == f"<PawnRace {square}>"


@pytest.mark.parametrize("fen", [
    "8/8/8/4k3/8/4K3/8/8 w - - 0 1",
    "4k3/4p3/8/8/8/8/4P3/4K3 w - - 0 1",
    START,
])
def test_no_pawn_race_without_a_single_pawn(fen):
    assert ending(fen).evidence.pawn is None


WRONG = ("The bishop stands on the square colour its rook pawn does not promote on, so it can "
         "never cover the promotion square.")
OPPOSITE = "The two bishops stand on opposite square colours and can never attack each other."
SAME = "Every bishop on the board stands on one square colour."
BOTH = "The bishops on the board cover both square colours."

# fen, opposite_colours, same_colour, wrong_bishop, sentence
BISHOPS = [
    ("8/8/8/4k3/8/8/8/2B1K3 w - - 0 1", False, True, False, SAME),
    ("8/8/8/4k3/8/8/8/2B1KB2 w - - 0 1", False, False, False, BOTH),
    ("2b1k3/8/8/8/8/8/8/2B1K3 w - - 0 1", True, False, False, OPPOSITE),
    ("4kb2/8/8/8/8/8/8/2B1K3 w - - 0 1", False, True, False, SAME),
    ("4k3/8/8/P7/8/8/8/2B1K3 w - - 0 1", False, True, True, WRONG),
    ("4k3/8/8/P7/8/8/8/4KB2 w - - 0 1", False, True, False, SAME),
    # The bishop belongs to the side without the pawn, so it is never the wrong one.
    ("4k3/8/8/8/8/8/p7/2B1K3 w - - 0 1", False, True, False, SAME),
    # One of the pawn's two bishops covers the corner.
    ("4k3/8/8/P7/8/8/8/2B1KB2 w - - 0 1", False, False, False, BOTH),
    # Not a rook pawn.
    ("4k3/8/8/1P6/8/8/8/2B1K3 w - - 0 1", False, True, False, SAME),
]


@pytest.mark.parametrize("fen,opposite,same,wrong,sentence", BISHOPS,
                         ids=[row[0] for row in BISHOPS])
def test_bishops(fen, opposite, same, wrong, sentence):
    bishops = ending(fen).evidence.bishops
    assert isinstance(bishops, Bishops)
    assert bishops.opposite_colours is opposite
    assert bishops.same_colour is same
    assert bishops.wrong_bishop is wrong
    assert bishops.describe() == sentence
    assert repr(bishops) == f"<Bishops opposite_colours={'true' if opposite else 'false'}>"


def test_no_bishops_record_without_bishops():
    assert ending("8/8/8/4k3/8/8/8/R3K3 w - - 0 1").evidence.bishops is None


@pytest.mark.parametrize("fen,opposition", [
    ("8/8/4k3/8/4K3/8/8/8 w - - 0 1", True),
    ("8/8/4k3/8/4K3/8/8/8 b - - 0 1", True),
    ("8/8/4k3/4P3/4K3/8/8/8 w - - 0 1", False),
    ("8/8/4k3/8/2K5/8/8/8 w - - 0 1", True),
    ("8/8/4k3/3N4/2K5/8/8/8 w - - 0 1", False),
    ("8/8/8/4k3/8/8/4K3/8 w - - 0 1", False),
    ("8/8/8/8/8/8/2k5/K7 w - - 0 1", False),
    ("8/8/8/8/8/8/8/K1k5 w - - 0 1", True),
])
def test_opposition(fen, opposition):
    evidence = ending(fen).evidence
    assert evidence.opposition is opposition
    assert repr(evidence) == f"<EndingEvidence opposition={'true' if opposition else 'false'}>"


@pytest.mark.parametrize("fen,sentence", [
    ("4k3/8/8/8/8/8/8/4K3 w - - 0 1",
     "Nothing in this position changes what theory says about the ending."),
    ("8/8/8/4k3/8/4K3/8/8 w - - 0 1",
     "What theory says about this ending is read here against the opposition the kings stand "
     "in."),
    ("8/8/8/4k3/8/8/4P3/4K3 w - - 0 1",
     "What theory says about this ending is read here against the pawn race."),
    ("4k3/8/8/P7/8/8/8/2B1K3 w - - 0 1",
     "What theory says about this ending is read here against the pawn race and the bishops."),
    ("8/8/4k3/8/4K3/8/P7/2B5 w - - 0 1",
     "What theory says about this ending is read here against the pawn race, the bishops and "
     "the opposition the kings stand in."),
])
def test_evidence_sentence(fen, sentence):
    assert ending(fen).evidence.describe() == sentence


def test_catalogues():
    classes = EndingClass.all()
    assert [(c.name, c.describe()) for c in classes] == CLASSES
    techniques = EndingTechnique.all()
    assert [(t.name, t.describe()) for t in techniques] == TECHNIQUES
    assert EndingClass.all() is not classes


def test_classes_belong_to_the_endings_module():
    for cls in (Ending, EndingClass, EndingVerdict, EndingTechnique, MaterialSignature,
                EndingEvidence, PawnRace, Bishops):
        assert cls.__module__ == "vorn.endings"


def test_names_print_and_compare_as_text():
    e = ending("8/8/8/3qk3/8/8/8/4K3 w - - 0 1")
    for value, text, kind in [(e.class_, "kq_v_k", "EndingClass"),
                              (e.verdict, "win", "EndingVerdict"),
                              (e.technique, "box_method", "EndingTechnique")]:
        assert str(value) == text
        assert repr(value) == f"<{kind} {text}>"
        assert value == text
        assert not value != text
        assert value != text.upper()
        assert hash(value) == hash(text)
        assert value != 5 and not value == None  # noqa: E711
        with pytest.raises(TypeError):
            value < text
    assert repr(e) == "<Ending kq_v_k>"


def test_verdict_equality_and_winner():
    white_win = ending("8/8/8/4k3/8/8/8/R3K3 w - - 0 1").verdict
    black_win = ending("8/8/8/3qk3/8/8/8/4K3 w - - 0 1").verdict
    assert white_win == "win" and black_win == "win"
    assert white_win != black_win
    assert hash(white_win) == hash(black_win)
    assert (white_win.winner, black_win.winner) == ("white", "black")
    draws = [ending(fen).verdict for fen in ("8/8/8/4k3/8/4K3/8/8 w - - 0 1",
                                             "1n6/8/8/4k3/8/8/8/4K3 w - - 0 1")]
    assert draws[0] == draws[1]
    assert draws[0].winner is None
    assert ending(START).verdict.winner is None
    assert ending("4k3/8/8/8/8/8/p7/2B1K3 w - - 0 1").verdict.winner == "black"


def test_technique_and_class_equality_between_objects():
    a = ending("8/8/8/4k3/8/8/8/R3K3 w - - 0 1")
    b = ending("8/8/8/3qk3/8/8/8/4K3 w - - 0 1")
    assert a.technique == b.technique
    assert a.class_ != b.class_
    assert a.class_ == EndingClass.all()[2]


def test_material_signature():
    signature = ending("4k3/8/r7/4P3/4K3/8/8/7R w - - 0 1").signature
    assert isinstance(signature, MaterialSignature)
    assert str(signature) == "KRPvKR"
    assert repr(signature) == "<MaterialSignature KRPvKR>"
    assert signature.stronger == "white"
    assert signature.pawns == 1
    assert signature.count("white", "K") == 1
    assert signature.count("white", "p") == 1
    assert signature.count("black", "r") == 1
    assert signature.count("black", "q") == 0
    assert (signature.pieces("white"), signature.pieces("black")) == (1, 1)
    assert (signature.value("white"), signature.value("black")) == (6, 5)


def test_material_signature_counts_both_sides():
    signature = ending(START).signature
    assert signature.pawns == 16
    assert signature.pieces("white") == 7
    assert signature.value("black") == 39
    assert signature.count("black", "N") == 2


@pytest.mark.parametrize("colour,role,error", [
    ("white", "king", ParseError),
    ("white", "x", ParseError),
    ("green", "p", ParseError),
    (0, "p", TypeError),
    ("white", 1, TypeError),
])
def test_material_signature_rejects(colour, role, error):
    signature = ending(START).signature
    with pytest.raises(error):
        signature.count(colour, role)


def test_position_ending_matches_the_function():
    position = Position.from_fen("4K3/4P1k1/8/8/8/8/r7/5R2 w - - 0 1")
    a, b = position.ending(), endings_classify(position)
    assert isinstance(a, Ending)
    assert (a.class_, a.verdict, a.technique) == (b.class_, b.verdict, b.technique)
    assert a.describe() == b.describe()
    assert isinstance(a.evidence, EndingEvidence)


def test_classify_wants_a_position():
    with pytest.raises(TypeError):
        endings_classify("8/8/8/4k3/8/4K3/8/8 w - - 0 1")
