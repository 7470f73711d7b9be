"""The Variant class: the two shared variants, their start positions
(Scharnagl numbering for Chess960), equality, hashing and pickling."""

import copy
import pickle

import pytest

import vorn

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"


def start_fen(back_rank, castling):
    return f"{back_rank.lower()}/pppppppp/8/8/8/8/PPPPPPPP/{back_rank} w {castling} - 0 1"


class TestNamed:
    @pytest.mark.parametrize("name, constant", [("chess", "CLASSIC"), ("chess960", "CHESS960")])
    def test_shared_variants(self, name, constant):
        first, second = vorn.Variant.named(name), vorn.Variant.named(name)
        assert first.name == name
        assert first == getattr(vorn, constant)
        assert first == second
        assert first is not second
        assert first is not getattr(vorn, constant)
        assert hash(first) == hash(second) == hash(getattr(vorn, constant))

    @pytest.mark.parametrize(
        "name", ["Chess", "chess ", " chess", "standard", "CHESS960", "chess 960", ""])
    def test_unknown_name(self, name):
        with pytest.raises(vorn.ParseError) as caught:
            vorn.Variant.named(name)
        assert str(caught.value) == f'not a variant: "{name}"'

    def test_name_must_be_text(self):
        with pytest.raises(TypeError, match="name"):
            vorn.Variant.named(1)

    def test_no_constructor(self):
        with pytest.raises(TypeError):
            vorn.Variant()


class TestValue:
    def test_names(self):
        assert vorn.CLASSIC.name == "chess"
        assert vorn.CHESS960.name == "chess960"
        assert isinstance(vorn.CLASSIC, vorn.Variant)
        assert isinstance(vorn.CHESS960, vorn.Variant)

    @pytest.mark.parametrize("variant", [vorn.CLASSIC, vorn.CHESS960], ids=["chess", "chess960"])
    def test_promotion_roles(self, variant):
        roles = variant.promotion_roles
        assert roles == ["q", "r", "b", "n"]
        roles.append("k")
        assert variant.promotion_roles == ["q", "r", "b", "n"]

    def test_repr(self):
        assert repr(vorn.CLASSIC) == "<Variant chess>"
        assert repr(vorn.CHESS960) == "<Variant chess960>"

    def test_equality(self):
        assert vorn.CLASSIC != vorn.CHESS960
        assert vorn.CLASSIC.__eq__("chess") is NotImplemented
        assert (vorn.CLASSIC == "chess") is False
        assert (vorn.CLASSIC != "chess") is True
        assert vorn.CLASSIC.__lt__(vorn.CHESS960) is NotImplemented
        with pytest.raises(TypeError):
            vorn.CLASSIC < vorn.CHESS960

    def test_hash(self):
        # SipHash-1-3 with zero keys over the name and a 0xFF byte: the same
        # in every process.
        assert hash(vorn.CLASSIC) == 2625329734375141820
        assert hash(vorn.CHESS960) == -6108487732994672837
        table = {vorn.CLASSIC: "standard"}
        assert table[vorn.Variant.named("chess")] == "standard"

    @pytest.mark.parametrize("variant", [vorn.CLASSIC, vorn.CHESS960], ids=["chess", "chess960"])
    def test_pickle_and_copy(self, variant):
        for clone in (pickle.loads(pickle.dumps(variant)), copy.copy(variant),
                      copy.deepcopy(variant)):
            assert isinstance(clone, vorn.Variant)
            assert clone == variant
            assert hash(clone) == hash(variant)
        function, arguments = variant.__reduce__()
        assert arguments == (variant.name,)
        assert function(*arguments) == variant

    def test_frozen(self):
        with pytest.raises((AttributeError, TypeError)):
            vorn.CLASSIC.name = "chess960"

    def test_module_and_docs(self):
        assert vorn.Variant.__module__ == "vorn"
        assert vorn.Variant.__doc__ == "One set of chess rules."
        assert vorn.Variant.named.__doc__ == "The shared variant of that name: `chess` or `chess960`."
        assert vorn.Variant.name.__doc__ == "The identifier PGN and UCI use."
        assert vorn.Variant.promotion_roles.__doc__ == "The roles a pawn may promote to."
        assert vorn.Variant.start_position.__doc__ == "The position a game of this variant starts from."
        assert vorn.Variant.start_position.__text_signature__ == "($self, seed=0)"


class TestStartPosition:
    @pytest.mark.parametrize("seed", [0, 1, 518, 959, 12345, 2**64 - 1])
    def test_classic_ignores_seed(self, seed):
        start = vorn.CLASSIC.start_position(seed)
        assert start.fen == START
        assert start.clocks_known
        assert start == vorn.Position.from_fen(START)

    def test_default_seed(self):
        assert vorn.CLASSIC.start_position() == vorn.Position.from_fen(START)
        assert vorn.CHESS960.start_position() == vorn.CHESS960.start_position(0)
        assert vorn.CHESS960.start_position(seed=5) == vorn.CHESS960.start_position(5)

    @pytest.mark.parametrize(
        "number, back_rank, castling",
        [
            (0, "BBQNNRKR", "HFhf"),
            (1, "BQNBNRKR", "HFhf"),
            (2, "BQNNRBKR", "HEhe"),
            (3, "BQNNRKRB", "GEge"),
            (4, "QBBNNRKR", "HFhf"),
            (16, "BBNQNRKR", "HFhf"),
            (95, "NNRKRQBB", "ECec"),
            (96, "BBQNRNKR", "HEhe"),
            (300, "QBNRKRBN", "FDfd"),
            (518, "RNBQKBNR", "KQkq"),
            (700, "RBQKNNBR", "KQkq"),
            (959, "RKRNNQBB", "CAca"),
        ],
    )
    def test_chess960_numbers(self, number, back_rank, castling):
        start = vorn.CHESS960.start_position(number)
        assert start.fen == start_fen(back_rank, castling)
        assert start.clocks_known

    def test_chess960_518_is_the_standard_start(self):
        assert vorn.CHESS960.start_position(518) == vorn.CLASSIC.start_position()

    @pytest.mark.parametrize(
        "seed, number",
        [(960, 0), (960 + 518, 518), (9599, 959), (2**64 - 1, (2**64 - 1) % 960)],
    )
    def test_chess960_seed_modulo_960(self, seed, number):
        assert vorn.CHESS960.start_position(seed) == vorn.CHESS960.start_position(number)

    def test_every_chess960_start(self):
        ranks = set()
        for number in range(960):
            start = vorn.CHESS960.start_position(number)
            rank = start.fen.split("/")[7].split()[0]
            ranks.add(rank)
            assert start.fen.split("/")[0] == rank.lower()
            bishops = [i for i, unit in enumerate(rank) if unit == "B"]
            rooks = [i for i, unit in enumerate(rank) if unit == "R"]
            assert sorted(rank) == sorted("RNBQKBNR")
            assert bishops[0] % 2 != bishops[1] % 2
            assert rooks[0] < rank.index("K") < rooks[1]
            assert len(start.legal_moves(variant=vorn.CHESS960)) >= 18
        assert len(ranks) == 960

    @pytest.mark.parametrize("seed", [-1, -960, 2**64], ids=["minus-one", "minus-960", "too-large"])
    def test_out_of_range_seed(self, seed):
        with pytest.raises((TypeError, ValueError, OverflowError)):
            vorn.CHESS960.start_position(seed)

    @pytest.mark.parametrize("seed", [1.0, "1", None], ids=repr)
    def test_seed_must_be_int(self, seed):
        with pytest.raises(TypeError):
            vorn.CHESS960.start_position(seed)
