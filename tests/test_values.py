"""ByColour and FileSet: construction, access, comparison, hashing, reprs,
set operators and pickling."""

import copy
import gc
import inspect
import math
import os
import pickle
import subprocess
import sys
import types
import weakref

import pytest

import vorn
from vorn import ByColour, FileSet


# ---- ByColour -------------------------------------------------------------------


def test_pair_reads_both_sides():
    pair = ByColour(1, black=[2])
    assert (pair.white, pair.black) == (1, [2])
    assert pair.black is pair.of("b")
    white, black = pair
    assert (white, black, len(pair)) == (1, [2], 2)
    assert pair.items() == [("white", 1), ("black", [2])]


@pytest.mark.parametrize("name", ["white", "w", "W", "White", "WHITE"])
def test_pair_names_white_in_any_case(name):
    pair = ByColour("w", "b")
    assert pair.of(name) == pair[name] == "w"
    assert name in pair


@pytest.mark.parametrize("name", ["red", " white", "whites", "wh", "", "é"])
def test_pair_refuses_other_names(name):
    pair = ByColour(1, 2)
    with pytest.raises(vorn.ParseError) as caught:
        pair[name]
    assert str(caught.value) == f'not a colour: "{name}"'
    with pytest.raises(vorn.ParseError):
        pair.of(name)
    assert name not in pair


def test_pair_membership_tests_names_not_values():
    assert "b" in ByColour(None, None)
    with pytest.raises(TypeError, match="argument 'colour'"):
        1 in ByColour(1, 2)
    with pytest.raises(TypeError, match="argument 'colour'"):
        ByColour(1, 2)[0]
    with pytest.raises(TypeError, match="argument 'colour'"):
        ByColour(1, 2).of(colour=0)


def test_pair_is_read_only():
    pair = ByColour(1, 2)
    with pytest.raises(AttributeError):
        pair.white = 3
    with pytest.raises(AttributeError):
        pair.other = 3


def test_pair_equality():
    assert ByColour(1, 2) == ByColour(1, 2)
    assert ByColour(1, 2) != ByColour(1, 3)
    assert ByColour(1, 2) != (1, 2) and (1, 2) != ByColour(1, 2)
    assert not ByColour(1, 2) == (1, 2) and not (1, 2) == ByColour(1, 2)
    with pytest.raises(TypeError):
        ByColour(1, 2) < ByColour(1, 2)


def test_pair_compares_values_fully_and_white_first():
    compared = []

    class Spy:
        def __eq__(self, other):
            compared.append(self)
            return NotImplemented

    nan = ByColour(math.nan, Spy())
    assert nan != nan  # no identity shortcut for the NaN
    assert compared == []  # and Black is then never compared
    spy = Spy()
    assert ByColour(1, spy) == ByColour(1, spy)  # falls back to identity for the Spy
    assert compared and all(seen is spy for seen in compared)


def test_pair_comparison_errors_propagate():
    class Broken:
        def __eq__(self, other):
            raise KeyError("boom")

    with pytest.raises(KeyError):
        ByColour(Broken(), 1) == ByColour(1, 1)


def test_pair_hashes_as_its_tuple():
    assert hash(ByColour(1, 2)) == hash((1, 2))
    with pytest.raises(TypeError, match="unhashable"):
        hash(ByColour([], 2))


def test_pair_repr_and_signature():
    assert repr(ByColour(1, "b")) == "ByColour(white=1, black='b')"
    assert str(inspect.signature(ByColour)) == "(white, black)"
    assert ByColour.__doc__.startswith("One value for White and one for Black.\n\nRead a side by name \u2014 `.white`")
    assert ByColour.__module__ == "vorn"


def test_pair_arguments():
    with pytest.raises(TypeError, match="missing 1 required positional argument: 'black'"):
        ByColour(1)
    with pytest.raises(TypeError, match="missing 2 required positional arguments: 'white' and 'black'"):
        ByColour()
    with pytest.raises(TypeError, match="takes 2 positional arguments but 3 were given"):
        ByColour(1, 2, 3)
    with pytest.raises(TypeError, match="multiple values for argument 'white'"):
        ByColour(1, 2, white=3)
    with pytest.raises(TypeError, match="unexpected keyword argument 'red'"):
        ByColour(1, 2, red=3)


def test_pair_pattern_matching():
    match ByColour(1, 2):
        case ByColour(w, b):
            assert (w, b) == (1, 2)
    assert ByColour.__match_args__ == ("white", "black")


def test_pair_generic_alias():
    alias = ByColour[int]
    assert isinstance(alias, types.GenericAlias)
    assert (alias.__origin__, alias.__args__) == (ByColour, (int,))


@pytest.mark.parametrize("clone", [copy.copy, copy.deepcopy, lambda p: pickle.loads(pickle.dumps(p))])
def test_pair_copies_and_pickles(clone):
    pair = ByColour([1], {"b": 2})
    assert clone(pair) == pair


def test_pair_in_a_reference_cycle_is_collected():
    class Marker:
        pass

    marker = Marker()
    holder = [marker]
    pair = ByColour(holder, None)
    holder.append(pair)
    alive = weakref.ref(marker)
    del marker, holder, pair
    gc.collect()
    assert alive() is None


NESTED_PAIRS = (
    "from vorn import ByColour\n"
    "pair = None\n"
    "for _ in range(1_000_000):\n"
    "    pair = ByColour(pair, 0)\n"
)


# Freeing or hashing a pair frees or hashes the one inside it; a deep chain
# once overflowed the C stack. Run apart, as a fault kills the process.
@pytest.mark.parametrize(("use", "printed"), [
    ("del pair\nprint('freed')", "freed\n"),
    ("try:\n    hash(pair)\nexcept RecursionError:\n    print('RecursionError')", "RecursionError\n"),
], ids=["free", "hash"])
def test_pairs_nested_a_million_deep(use, printed):
    env = dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path))
    result = subprocess.run([sys.executable, "-c", NESTED_PAIRS + use], env=env, capture_output=True, text=True)
    assert (result.returncode, result.stdout) == (0, printed)


# ---- FileSet --------------------------------------------------------------------


def files(*names):
    return FileSet(list(names))


def test_file_set_construction():
    made = FileSet(["a", "C", "a"])
    assert FileSet([type("Name", (str,), {})("b")]).files == ["b"]  # str subclasses are texts
    assert made.files == ["a", "c"] and list(made) == ["a", "c"]
    assert len(made) == 2 and made
    assert repr(made) == 'FileSet(["a", "c"])'
    assert FileSet() == FileSet(None) == FileSet(files=()) == FileSet([])
    assert repr(FileSet()) == "FileSet([])" and not FileSet()
    assert FileSet(("h", "b")).files == ["b", "h"]


@pytest.mark.parametrize("argument", ["ab", {"a"}, iter(["a"]), {"a": 1}, 3])
def test_file_set_refuses_non_sequences(argument):
    with pytest.raises(TypeError, match="argument 'files'"):
        FileSet(argument)


@pytest.mark.parametrize(
    ("names", "refused"), [(["ab"], "ab"), (["a", "i", "j"], "i"), ([""], ""), (["A1"], "A1")]
)
def test_file_set_refuses_bad_names(names, refused):
    with pytest.raises(vorn.ParseError) as caught:
        FileSet(names)
    assert str(caught.value) == f'not a file: "{refused}"'


def test_file_set_converts_every_item_before_reading_any():
    with pytest.raises(TypeError, match="argument 'files'"):
        FileSet(["z", 1])  # "z" alone would be a ParseError


def test_file_set_membership():
    assert "c" in files("c") and "C" in files("c") and "d" not in files("c")
    with pytest.raises(vorn.ParseError, match='not a file: "z"'):
        "z" in files("c")
    with pytest.raises(TypeError, match="argument 'file'"):
        3 in files("c")


def test_file_set_operators():
    ab, bc = files("a", "b"), files("b", "c")
    assert ab | bc == files("a", "b", "c")
    assert ab & bc == files("b")
    assert ab - bc == files("a")
    assert ~FileSet() == FileSet(list("abcdefgh"))
    assert ~~ab == ab
    for operation in (lambda: ab ^ bc, lambda: ab - ["a"], lambda: ["a"] | ab, lambda: ab & 1):
        with pytest.raises(TypeError, match="unsupported operand"):
            operation()


def test_file_set_subset():
    assert files("a").is_subset(files("a", "b")) and not files("a", "c").is_subset(files("a", "b"))
    assert FileSet().is_subset(other=FileSet())
    with pytest.raises(TypeError, match="argument 'other': 'list' object cannot be converted to 'FileSet'"):
        files("a").is_subset(["a"])


def test_file_set_comparison():
    assert files("a") == files("a") and files("a") != files("b")
    assert files() != 0 and not files() == 0
    with pytest.raises(TypeError):
        files("a") < files("a", "b")


def test_file_set_is_immutable_and_hashable():
    assert {files("a"): 1}[files("a")] == 1
    with pytest.raises(AttributeError):
        files("a").files = []


@pytest.mark.parametrize("clone", [copy.copy, copy.deepcopy, lambda s: pickle.loads(pickle.dumps(s))])
def test_file_set_copies_and_pickles(clone):
    original = files("b", "g")
    cloned = clone(original)
    assert cloned == original and hash(cloned) == hash(original) and cloned is not original


def test_file_set_signature_and_docs():
    assert str(inspect.signature(FileSet)) == "(files=None)"
    assert FileSet.__doc__ == "A set of files."
    assert FileSet.files.__doc__ == "The members, from file a upwards."
