"""SquareSet: construction from names, members, set algebra, comparison,
hashing, repr and pickling."""

import copy
import inspect
import pickle
import sys

import pytest

import vorn
from vorn import SquareSet

FULL = (1 << 64) - 1


def squares(*names):
    return SquareSet(list(names))


@pytest.mark.parametrize("empty", [SquareSet(), SquareSet(None), SquareSet([]), SquareSet(squares=())])
def test_empty_sets(empty):
    assert (len(empty), bool(empty), empty.bits, empty.squares) == (0, False, 0, [])
    assert repr(empty) == "SquareSet([])"


def test_members_in_square_order():
    made = squares("d5", "E4", "e4")
    assert made.squares == ["e4", "d5"] and list(made) == ["e4", "d5"]
    assert len(made) == 2 and made.bits == (1 << 28) | (1 << 35)
    assert repr(made) == 'SquareSet(["e4", "d5"])'


@pytest.mark.parametrize("argument", ["e4", {"e4"}, iter(["e4"]), 4, b"e4"])
def test_refuses_non_sequences(argument):
    with pytest.raises(TypeError, match="argument 'squares'"):
        SquareSet(argument)


class Overclaiming:
    """A sequence whose __len__ claims far more items than it holds."""

    def __init__(self, length):
        self.length = length

    def __len__(self):
        return self.length

    def __getitem__(self, i):
        return ["e4", "d5"][i]


@pytest.mark.parametrize("length", [2**40, sys.maxsize])
def test_a_sequence_is_read_by_item_not_by_its_claimed_length(length):
    # The claimed length once went to a reserve: MemoryError or PanicException.
    with pytest.raises(TypeError, match=f"^argument 'squares': 'Overclaiming' object claims {length} items but has no item 2$"):
        SquareSet(Overclaiming(length))


@pytest.mark.parametrize(
    ("names", "refused"), [(["e9"], "e9"), (["e44"], "e44"), (["a1", "i1", "z"], "i1"), ([" a1"], " a1")]
)
def test_refuses_bad_names(names, refused):
    with pytest.raises(vorn.ParseError) as caught:
        SquareSet(names)
    assert str(caught.value) == f'not a square: "{refused}"'


def test_membership():
    made = squares("e4")
    assert "e4" in made and "E4" in made and "e5" not in made
    with pytest.raises(vorn.ParseError, match='not a square: "z9"'):
        "z9" in made
    with pytest.raises(TypeError, match="argument 'square'"):
        4 in made


def test_complement():
    full = ~SquareSet()
    assert len(full) == 64 and full.bits == FULL
    assert full.squares[0] == "a1" and full.squares[-1] == "h8"
    assert ~~squares("c3") == squares("c3")


@pytest.mark.parametrize(
    ("a", "b"),
    [(["a1", "e4", "h8"], ["e4", "d5"]), ([], ["b2"]), (["c3"], ["c3"])],
)
def test_set_algebra(a, b):
    a, b = SquareSet(a), SquareSet(b)
    assert (a - b) | (a & b) == a
    assert a ^ b == (a | b) - (a & b)
    assert a.is_subset(a | b) and SquareSet().is_subset(a) and a.is_subset(~SquareSet())


def test_operators_with_other_types():
    made = squares("a1")
    for operation in (lambda: made | 1, lambda: 1 | made, lambda: made - 1, lambda: 1 & made, lambda: made ^ 1):
        with pytest.raises(TypeError, match="unsupported operand"):
            operation()
    with pytest.raises(TypeError, match="argument 'other'"):
        made.is_subset(["a1"])


def test_comparison():
    assert squares("a1") == squares("a1") and squares("a1") != squares("a2")
    assert squares("a1") != ["a1"] and not squares("a1") == ["a1"]
    with pytest.raises(TypeError):
        squares("a1") < squares("a1", "a2")


def test_files():
    assert squares("a1", "h8").files == vorn.FileSet(["a", "h"])
    assert SquareSet().files == vorn.FileSet()


@pytest.mark.parametrize("clone", [copy.copy, copy.deepcopy, lambda s: pickle.loads(pickle.dumps(s))])
def test_copies_and_pickles(clone):
    original = squares("b1", "g8")
    cloned = clone(original)
    assert cloned == original and hash(cloned) == hash(original)


def test_usable_as_keys():
    assert len({squares("a1"), squares("a1"), squares("a2")}) == 2


def test_signature_and_docs():
    assert str(inspect.signature(SquareSet)) == "(squares=None)"
    assert SquareSet.__doc__ == "A set of squares."
    assert SquareSet.bits.__doc__ == "The membership bits, bit *i* for square *i*."
    assert str(inspect.signature(SquareSet.is_subset)) == "(self, /, other)"
