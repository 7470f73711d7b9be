"""The Python protocol of Facts, its group objects, MoveFacts and
AnnotatedMove: construction and its refusals, members and plain getters,
to_dict, hashes checked against SipHash-1-3 over the compact JSON, reprs,
comparison, copying and pickling, and classes that cannot be made, extended
or written to from Python."""

import copy
import json
import os
import pickle
import subprocess
import sys

import pytest

import vorn
from support.quoting import quoted
from support.random_play import random_positions
from support.siphash13 import python_hash, siphash13

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
# White's king on a1 has a knight and a bishop at distance 2 and a rook at
# distance 3: a mean of 7/3. Black's king has no White piece to count: 0.0.
THIRDS = "7k/8/8/8/3r4/2n5/8/K1b5 w - - 0 1"
GROUP_NAMES = vorn.Facts.groups()
GROUP_CLASSES = [type(getattr(vorn.Facts(START), name)) for name in GROUP_NAMES]


def compact(value):
    return json.dumps(value, separators=(",", ":"), ensure_ascii=False)


def record_hash(text):
    return python_hash(siphash13(text.encode() + b"\xff"))


@pytest.fixture(scope="module")
def kiwipete():
    return vorn.Facts(KIWIPETE)


# ---- construction --------------------------------------------------------------


@pytest.mark.parametrize(("fen", "message"), [
    ("hello", "a FEN has four or six fields"),
    ("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNX w KQkq - 0 1", "invalid placement field"),
    ("8/8/8/8/8/8/8/8 w - - 0 1", "not a legal position"),
], ids=["not-a-fen", "placement", "no-kings"])
def test_refused_fen_is_a_plain_value_error(fen, message):
    with pytest.raises(ValueError) as raised:
        vorn.Facts(fen)
    assert str(raised.value) == message
    assert not isinstance(raised.value, vorn.FenError)


@pytest.mark.parametrize("call", [
    lambda: vorn.Facts(START, variant="chess"),
    lambda: vorn.Facts(START, variant=1),
    lambda: vorn.Facts(START, None),
    lambda: vorn.Facts("hello", variant="chess"),
    lambda: vorn.Facts(b"fen"),
    lambda: vorn.Facts(),
    lambda: vorn.Facts(START, colour="white"),
], ids=["variant-name", "variant-number", "variant-positional", "bad-fen-and-variant", "bytes", "no-fen",
        "unknown-keyword"])
def test_argument_errors_are_type_errors(call):
    with pytest.raises(TypeError):
        call()


def test_facts_reads_its_variant_side_and_position():
    facts = vorn.Facts("4k3/8/8/8/8/8/8/4K3 b - - 3 9", variant=vorn.CHESS960)
    assert facts.variant == vorn.CHESS960 and facts.side_to_move == "black"
    assert vorn.Facts(START).variant == vorn.CLASSIC
    assert facts.position == vorn.Position.from_fen("4k3/8/8/8/8/8/8/4K3 b - - 3 9")
    assert facts.position is not facts.position
    assert repr(facts) == 'Facts("4k3/8/8/8/8/8/8/4K3 b - - 3 9", variant=chess960)'


def test_four_field_fen_is_kept_with_clocks():
    facts = vorn.Facts("4k3/8/8/8/8/8/8/4K3 w - -")
    assert repr(facts) == 'Facts("4k3/8/8/8/8/8/8/4K3 w - - 0 1", variant=chess)'
    assert facts.position.fen == "4k3/8/8/8/8/8/8/4K3 w - - 0 1"
    assert facts.history.halfmove_known is False


def test_position_and_game_make_the_same_facts():
    position = vorn.Position.from_fen(KIWIPETE)
    assert position.facts() == vorn.Facts(KIWIPETE)
    assert position.facts(variant=vorn.CHESS960) == vorn.Facts(KIWIPETE, variant=vorn.CHESS960)
    with pytest.raises(TypeError):
        position.facts(variant="chess")
    game = vorn.Game.from_fen(KIWIPETE)
    assert game.facts().placement == position.facts().placement
    assert game.facts().history.known and not position.facts().history.known


# ---- groups ----------------------------------------------------------------------


def test_group_getters_make_new_equal_objects(kiwipete):
    first, second = kiwipete.king, kiwipete.king
    assert first is not second and first == second and hash(first) == hash(second)
    assert kiwipete.group("king") == first
    assert first.square is first.square
    assert first.square is not second.square and first.square == second.square


@pytest.mark.parametrize("name", ["King", "", "variant", "king "])
def test_group_refuses_other_names(kiwipete, name):
    with pytest.raises(ValueError) as raised:
        kiwipete.group(name)
    assert str(raised.value) == "not a facts group: " + quoted(name)


def test_group_name_must_be_text(kiwipete):
    with pytest.raises(TypeError):
        kiwipete.group(1)


def test_members_and_plain_getters(kiwipete):
    state, pawns, history = kiwipete.state, kiwipete.pawns, kiwipete.history
    assert isinstance(state.can_castle_short, vorn.ByColour) and state.in_check is False
    assert pawns.open_files is not pawns.open_files and pawns.open_files == pawns.open_files
    assert isinstance(pawns.open_files, vorn.FileSet)
    assert pawns.passed is pawns.passed
    assert pawns.count_by_file.white == (1,) * 8
    assert vorn.Facts("4k3/8/8/8/8/8/8/4K3 w - -").pawns.count_by_rank.black == (0,) * 8
    assert all(not isinstance(getattr(history, f), vorn.ByColour) for f in history.to_dict())
    assert isinstance(kiwipete.placement.queens.white, vorn.SquareSet)


def test_values_of_each_element_type(kiwipete):
    king = kiwipete.king
    assert king.square == vorn.ByColour("e1", "e8")
    assert king.shield_files.white == ("d", "e", "f")
    assert all(isinstance(item, (int, type(None))) for item in king.shield.white + king.storm.black)
    assert all(side in ("short", "long", None) for side in king.castled_side)
    assert isinstance(king.distance, int) and isinstance(king.opposite_side_castling, bool)
    assert kiwipete.to_dict()["king"]["shield_files"] == {"white": ["d", "e", "f"], "black": ["d", "e", "f"]}
    state = vorn.Facts("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2").state
    assert state.en_passant == "d" and state.to_dict()["en_passant"] == "d"
    assert vorn.Facts(START).state.en_passant is None


@pytest.mark.parametrize(("fen", "group", "field", "value"), [
    ("rnbq1rk1/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQ - 0 1", "king", "castled_side",
     {"white": None, "black": "short"}),
    ("8/8/4k3/8/4K3/8/8/8 w - - 0 1", "endgame", "opposition", "direct"),
    ("8/4k3/8/8/8/4K3/8/8 w - - 0 1", "endgame", "opposition", "distant"),
    ("8/4k3/8/8/8/3K4/8/8 w - - 0 1", "endgame", "opposition", None),
    ("4k3/8/8/8/8/8/8/2NNK3 w - - 0 1", "endgame", "drawish_material", "two_knights"),
    ("k7/8/8/8/8/8/P7/2B1K3 w - - 0 1", "endgame", "drawish_material", "wrong_bishop"),
    ("4k3/8/2b5/8/8/4B3/8/4K3 w - - 0 1", "endgame", "drawish_material", "opposite_bishops"),
    ("4k3/8/3b4/8/8/4B3/8/4K3 w - - 0 1", "endgame", "drawish_material", None),
], ids=["castled-short", "direct", "distant", "no-opposition", "two-knights", "wrong-bishop", "opposite-bishops",
        "same-bishops"])
def test_named_values_read_and_write_as_their_names(fen, group, field, value):
    record = getattr(vorn.Facts(fen), group)
    assert record.to_dict()[field] == value
    read = getattr(record, field)
    assert (dict(read.items()) if isinstance(read, vorn.ByColour) else read) == value


def test_single_precision_float_reads_exactly_and_writes_shortest():
    king = vorn.Facts(THIRDS).king
    assert king.tropism.white == 2.3333332538604736
    assert king.to_dict()["tropism"] == {"white": 2.3333333, "black": 0.0}
    assert type(king.to_dict()["tropism"]["black"]) is float
    assert vorn.Facts(START).king.to_dict()["tropism"] == {"white": 7.0, "black": 7.0}
    assert "7.0" in json.dumps(vorn.Facts(START).king.to_dict())


def test_king_and_tactics_derived_values(kiwipete):
    king = kiwipete.king
    surplus = king.ring_attacker_surplus
    assert surplus is not king.ring_attacker_surplus and surplus == king.ring_attacker_surplus
    for side in ("white", "black"):
        assert surplus[side] == king.ring_attack_weight[side] - king.ring_defence_weight[side]
    tactics = kiwipete.tactics
    for side in ("white", "black"):
        assert tactics.check_available[side] == (tactics.check_count[side] > 0)
        assert tactics.capture_available[side] == (tactics.capture_count[side] > 0)
        assert tactics.promotion_available[side] == bool(tactics.promotion_files[side])
        assert tactics.only_moves[side] == (tactics.available[side] and tactics.legal_move_count[side] < 3)


@pytest.mark.parametrize(("fen", "side", "only"), [
    ("7k/8/8/8/8/8/8/K7 w - - 0 1", "white", False),            # three king moves
    ("7k/8/8/8/8/8/1r6/K7 w - - 0 1", "white", True),            # Kxb2 alone... or a1 hemmed
    ("k7/1Q6/2K5/8/8/8/8/8 b - - 0 1", "black", True),           # mated: no legal move, available
], ids=["three-moves", "few-moves", "mated"])
def test_only_moves(fen, side, only):
    tactics = vorn.Facts(fen).tactics
    assert tactics.available[side] is True
    assert tactics.only_moves[side] is only


def test_side_not_to_move_in_check_reads_nothing():
    tactics = vorn.Facts("k7/8/8/8/8/8/8/r3K3 w - - 0 1").tactics
    assert tactics.available.black is False
    assert all(value is False for value in (tactics.only_moves.black, tactics.check_available.black,
                                            tactics.promotion_available.black))


# ---- hashes, dictionaries, comparison --------------------------------------------


@pytest.mark.parametrize("name", GROUP_NAMES)
def test_group_hash_is_siphash_of_its_compact_json(kiwipete, name):
    group = getattr(kiwipete, name)
    assert hash(group) == record_hash(compact(group.to_dict()))
    assert group.to_dict() is not group.to_dict()


def test_facts_hash_digests_variant_and_record_not_fen(kiwipete):
    assert hash(kiwipete) == record_hash(compact(["chess", kiwipete.to_dict()]))
    later = vorn.Facts(KIWIPETE.replace(" 0 1", " 0 40"))
    assert later == kiwipete and hash(later) == hash(kiwipete)
    assert len({kiwipete, later}) == 1
    chess960 = vorn.Facts(KIWIPETE, variant=vorn.CHESS960)
    assert chess960 != kiwipete and hash(chess960) == record_hash(compact(["chess960", kiwipete.to_dict()]))


def test_move_facts_hash_is_siphash_of_its_compact_json():
    for annotated in vorn.Position.from_fen(KIWIPETE).annotated_moves():
        facts = annotated.facts
        assert hash(facts) == record_hash(compact(facts.to_dict()))


@pytest.mark.parametrize("fen", random_positions(24, seed=19, most_plies=120) + [THIRDS])
def test_to_dict_is_the_plain_data_of_the_hashed_json(fen):
    facts = vorn.Facts(fen)
    assert hash(facts) == record_hash(compact(["chess", facts.to_dict()]))
    for annotated in vorn.Position.from_fen(fen).annotated_moves()[:6]:
        assert hash(annotated.facts) == record_hash(compact(annotated.facts.to_dict()))


def test_to_dict_results_share_nothing_mutable(kiwipete):
    first = kiwipete.to_dict()
    first["king"]["square"]["white"] = None
    first["attacks"]["controlled"]["white"].clear()
    first["maps"].clear()
    move_facts = vorn.Position.from_fen(KIWIPETE).annotated_moves()[0].facts
    move_facts.to_dict().clear()
    assert kiwipete.to_dict() == json.loads(compact(kiwipete.to_dict())) != first
    assert kiwipete.king.to_dict()["square"]["white"] == "e1" and kiwipete.maps.to_dict()
    assert len(move_facts.to_dict()) == len(vorn.move_facts_catalogue())


def test_equal_pairs_are_separate_dicts_in_every_result():
    # Bare kings: nearly every pair is {"white": False, "black": False} or a
    # pair of small counts.
    facts = vorn.Facts("8/8/4k3/8/8/8/4K3/8 w - - 0 1")
    first = facts.to_dict()
    pairs = [value for group in first.values() for value in group.values() if isinstance(value, dict)]
    assert len({id(pair) for pair in pairs}) == len(pairs) > 150
    for pair in pairs:
        pair["white"] = "changed"
    again = facts.to_dict()
    assert hash(facts) == record_hash(compact(["chess", again]))
    assert again == vorn.Facts("8/8/4k3/8/8/8/4K3/8 w - - 0 1").to_dict() != first


def test_to_dict_of_facts_holds_every_group(kiwipete):
    whole = kiwipete.to_dict()
    assert list(whole) == GROUP_NAMES
    assert all(whole[name] == getattr(kiwipete, name).to_dict() for name in GROUP_NAMES)
    assert vorn.Facts(START).to_dict()["state"] == {
        "in_check": False, "double_check": False, "can_castle_short": {"white": True, "black": True},
        "can_castle_long": {"white": True, "black": True}, "en_passant": None, "en_passant_capture_legal": False}


def test_groups_compare_by_record_only(kiwipete):
    other_clock = vorn.Facts(KIWIPETE.replace(" 0 1", " 7 30"))
    assert other_clock.placement == kiwipete.placement
    assert other_clock.history != kiwipete.history
    assert kiwipete.maps != kiwipete.attacks
    assert kiwipete.king != kiwipete.king.to_dict()
    assert kiwipete.king != 1 and not (kiwipete.king == 1)


@pytest.mark.parametrize("make", [
    lambda f: f,
    lambda f: f.king,
    lambda f: vorn.Position.from_fen(KIWIPETE).annotated_moves()[0].facts,
], ids=["facts", "group", "move-facts"])
def test_no_ordering(kiwipete, make):
    value = make(kiwipete)
    assert value != 0 and not (value == value.to_dict())
    with pytest.raises(TypeError):
        value < value
    with pytest.raises(TypeError):
        value >= value


# ---- copying and pickling ---------------------------------------------------------


@pytest.mark.parametrize("fen", [KIWIPETE, "4k3/8/8/8/8/8/8/4K3 w - -", "4k3/8/8/8/8/8/8/4K3 b - - 12 40"],
                         ids=["six-fields", "four-fields", "clocks"])
@pytest.mark.parametrize("clone", [copy.copy, copy.deepcopy, lambda v: pickle.loads(pickle.dumps(v))],
                         ids=["copy", "deepcopy", "pickle"])
def test_facts_copies_to_an_equal_object(fen, clone):
    facts = vorn.Facts(fen, variant=vorn.CHESS960)
    copied = clone(facts)
    assert copied == facts and copied is not facts and copied.variant == vorn.CHESS960


def test_pickling_arguments_keep_a_fen_without_clocks():
    assert vorn.Facts("4k3/8/8/8/8/8/8/4K3 w - -").__getnewargs_ex__() == (
        ("4k3/8/8/8/8/8/8/4K3 w - -",), {"variant": vorn.CLASSIC})
    assert vorn.Facts(KIWIPETE).__getnewargs_ex__()[0] == (KIWIPETE,)


@pytest.mark.parametrize("name", GROUP_NAMES)
def test_groups_pickle_through_their_parent(kiwipete, name):
    group = getattr(kiwipete, name)
    function, arguments = group.__reduce__()
    assert function is vorn._vorn._facts_group and arguments == (kiwipete, name)
    assert pickle.loads(pickle.dumps(group)) == group
    assert copy.copy(group) == group


def test_game_history_does_not_survive_pickling():
    game = vorn.Game()
    for move in ("g1f3", "g8f6", "f3g1"):
        game.play(move)
    history = game.facts().history
    assert history.known and history.repetition_available
    assert pickle.loads(pickle.dumps(history)) != history


def test_facts_group_function(kiwipete):
    assert vorn._vorn._facts_group(kiwipete, "king") == kiwipete.king
    assert vorn._vorn._facts_group(kiwipete, "side_to_move") == "white"
    with pytest.raises(AttributeError):
        vorn._vorn._facts_group(kiwipete, "nothing")
    with pytest.raises(TypeError):
        vorn._vorn._facts_group(KIWIPETE, "king")
    with pytest.raises(TypeError):
        vorn._vorn._facts_group(kiwipete, 3)


# ---- move facts and annotated moves -------------------------------------------------


def test_annotated_moves():
    moves = vorn.Position.from_fen(KIWIPETE).annotated_moves()
    assert [a.move for a in moves] == vorn.Position.from_fen(KIWIPETE).legal_moves()
    castle = next(a for a in moves if a.facts.is_castling and a.move.destination == "h1")
    assert repr(castle) == "<AnnotatedMove e1h1>"
    first = moves[0]
    assert first.facts is not first.facts and first.facts == first.facts
    again = vorn.Position.from_fen(KIWIPETE).annotated_moves()[0]
    assert again.move == first.move and again != first and hash(first) == object.__hash__(first)
    assert vorn.Game.from_fen(KIWIPETE).annotated_moves()[0].move == first.move


def test_move_facts_values():
    moves = vorn.Position.from_fen("7k/1P6/8/3pP3/8/8/8/4K3 w - d6 0 2").annotated_moves()
    by_uci = {a.move.uci(): a.facts for a in moves}
    assert by_uci["e5d6"].victim == "p" and by_uci["e5d6"].is_en_passant is True
    assert by_uci["b7b8q"].promotion == "q" and by_uci["b7b8q"].mover == "p"
    assert by_uci["e1d1"].victim is None and by_uci["e1d1"].promotion is None and by_uci["e1d1"].mover == "k"


@pytest.mark.parametrize("make", [
    lambda: vorn.Position.from_fen(START).annotated_moves()[0],
    lambda: vorn.Position.from_fen(START).annotated_moves()[0].facts,
], ids=["annotated-move", "move-facts"])
def test_move_records_cannot_be_pickled(make):
    with pytest.raises(TypeError):
        pickle.dumps(make())
    with pytest.raises(TypeError):
        copy.copy(make())


# ---- the classes ---------------------------------------------------------------------


@pytest.mark.parametrize("cls", GROUP_CLASSES + [vorn.MoveFacts, vorn.AnnotatedMove],
                         ids=lambda cls: cls.__name__)
def test_classes_cannot_be_called(cls):
    with pytest.raises(TypeError):
        cls()


@pytest.mark.parametrize("cls", GROUP_CLASSES + [vorn.Facts, vorn.MoveFacts, vorn.AnnotatedMove],
                         ids=lambda cls: cls.__name__)
def test_classes_cannot_be_subclassed(cls):
    with pytest.raises(TypeError):
        type("Sub", (cls,), {})


@pytest.mark.parametrize(("make", "attribute"), [
    (lambda f: f, "variant"),
    (lambda f: f, "king"),
    (lambda f: f.material, "value"),
    (lambda f: f.material, "phase_points"),
    (lambda f: f.king, "ring_attacker_surplus"),
    (lambda f: f.tactics, "only_moves"),
    (lambda f: vorn.Position.from_fen(START).annotated_moves()[0].facts, "see"),
    (lambda f: vorn.Position.from_fen(START).annotated_moves()[0], "move"),
], ids=["facts-variant", "facts-group", "member", "plain", "king-derived", "tactics-derived", "move-facts",
        "annotated-move"])
def test_attributes_cannot_be_written(kiwipete, make, attribute):
    value = make(kiwipete)
    with pytest.raises(AttributeError):
        setattr(value, attribute, 1)
    with pytest.raises(AttributeError):
        delattr(value, attribute)
    with pytest.raises(AttributeError):
        value.extra = 1


# ---- memory exhaustion -----------------------------------------------------------------

MEMORY_CHILD = """
import resource, sys
import vorn
position = vorn.Position.from_fen({fen!r})
facts = position.facts()
kept = []
soft, hard = resource.getrlimit(resource.RLIMIT_AS)
in_use = int(open("/proc/self/status").read().split("VmSize:")[1].split()[0]) * 1024
resource.setrlimit(resource.RLIMIT_AS, (in_use + (4 << 20), hard))
try:
    while True:
        kept.append({make})
except MemoryError:
    outcome = "MemoryError"
kept.clear()
resource.setrlimit(resource.RLIMIT_AS, (soft, hard))
print(outcome, position.facts() == facts)
"""


@pytest.mark.skipif(not sys.platform.startswith("linux"), reason="reads the address space size from /proc")
@pytest.mark.parametrize("make", [
    "vorn.Facts(position.fen)",
    "position.facts()",
    "position.annotated_moves()",
    "facts.tactics",
    "[getattr(facts.tactics, f) for f in facts.tactics.to_dict()]",
    "facts.to_dict()",
    "vorn.facts_layout()",
], ids=["Facts", "Position.facts", "annotated_moves", "group", "members", "to_dict", "facts_layout"])
def test_running_out_of_memory_raises_memory_error(make):
    result = subprocess.run([sys.executable, "-c", MEMORY_CHILD.format(fen=KIWIPETE, make=make)],
                            env=dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path)),
                            capture_output=True, text=True)
    assert result.returncode == 0, result.stderr
    assert result.stdout.split() == ["MemoryError", "True"]
