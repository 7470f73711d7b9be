"""Hostile callers: keyword dicts with keys that are not str, attempts to
replace a class's dunders, objects allocated without their value, sequences
that lie about their length, allocation failure in the middle of a move,
reprs of values with no UTF-8 form, and errors a converter must not swallow.
Whatever once crashed the interpreter runs in a child process."""

import os
import subprocess
import sys
import textwrap

import pytest

import vorn
import vorn._vorn as native
from vorn import ByColour, FileSet, Game, SquareSet
from vorn.uci import Limits
from vorn.uci import uci_parse

from support.cpp_driver import build_driver

CLASSES = [value for value in vars(native).values() if isinstance(value, type) and not issubclass(value, BaseException)]


def run_child(code):
    """Runs `code` in a fresh interpreter; returns its exit status and output."""
    env = dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path))
    result = subprocess.run([sys.executable, "-c", textwrap.dedent(code)], env=env, capture_output=True, text=True)
    return result.returncode, result.stdout, result.stderr


# ---- keywords that are not str --------------------------------------------------

# Each constructor with arguments that would otherwise be accepted.
CONSTRUCTORS = [
    ("Move", "vorn.Move", '("e2", "e4")'),
    ("ByColour", "vorn.ByColour", "(1, 2)"),
    ("Game", "vorn.Game", "()"),
    ("SquareSet", "vorn.SquareSet", "()"),
    ("FileSet", "vorn.FileSet", "()"),
    ("Limits", "vorn.uci.Limits", "()"),
    ("Session", "vorn.uci.protocol.Session", "()"),
]


@pytest.mark.parametrize(("cls", "args"), [row[1:] for row in CONSTRUCTORS], ids=[row[0] for row in CONSTRUCTORS])
def test_keywords_that_are_not_str_are_refused_on_every_call_path(cls, args):
    code = f"""
        import vorn, vorn.uci, vorn.uci.protocol
        cls = {cls}
        args = {args}
        for key in (b"x", ("t",), 1, None):
            for call in (lambda d: cls(*args, **d), lambda d: cls.__new__(cls, *args, **d),
                         lambda d: type.__call__(cls, *args, **d)):
                try:
                    call({{key: 0}})
                except TypeError as e:
                    print(e)
                else:
                    print("accepted")
    """
    status, out, err = run_child(code)
    assert status == 0, err
    assert out.splitlines() == ["keywords must be strings"] * 12


def test_a_pickle_passing_bytes_keywords_to_a_constructor_is_refused():
    # NEWOBJ_EX with the keyword dict {b"\0" * 8 + b"A" * 8: 1}.
    stream = b"\x80\x04cvorn\nByColour\n)}(C\x10" + b"\0" * 8 + b"A" * 8 + b"K\x01u\x92."
    status, out, err = run_child(f"""
        import pickle
        try:
            pickle.loads({stream!r})
        except TypeError as e:
            print(e)
    """)
    assert (status, out) == (0, "keywords must be strings\n"), err


# ---- immutable classes ----------------------------------------------------------------


@pytest.mark.parametrize("cls", CLASSES, ids=[c.__name__ for c in CLASSES])
@pytest.mark.parametrize("name", ["__new__", "__init__", "__repr__", "__hash__", "__eq__", "extra"])
def test_classes_cannot_be_changed(cls, name):
    with pytest.raises(TypeError, match="immutable type"):
        setattr(cls, name, lambda *a, **k: None)
    if name in vars(cls):
        with pytest.raises(TypeError, match="immutable type"):
            delattr(cls, name)


def test_replacing_new_then_using_the_object_does_not_crash():
    # Each once made an object whose value was never constructed, then used it.
    status, out, err = run_child("""
        import pickle, vorn
        from vorn.uci import uci_parse
        from vorn.uci.protocol import Message
        uses = [
            (vorn.Game, lambda: vorn.Game().variant.name),
            (vorn.ByColour, lambda: hash(vorn.ByColour())),
            (Message, lambda: repr(uci_parse("readyok"))),
            (vorn.Position, lambda: pickle.loads(pickle.dumps(vorn.Position.from_fen("8/8/8/8/8/8/8/8 w - - 0 1")))),
        ]
        for cls, use in uses:
            try:
                cls.__new__ = lambda cls, *a, **k: object.__new__(cls)
            except TypeError as e:
                print(e)
            try:
                use()
            except Exception:
                pass
    """)
    assert status == 0, err
    assert out.splitlines() == [
        "cannot set '__new__' attribute of immutable type 'vorn.Game'",
        "cannot set '__new__' attribute of immutable type 'vorn.ByColour'",
        "cannot set '__new__' attribute of immutable type 'vorn.uci.protocol.Message'",
        "cannot set '__new__' attribute of immutable type 'vorn.Position'",
    ]


def test_match_args_survive_immutability():
    assert ByColour.__match_args__ == ("white", "black")
    match ByColour(1, 2):
        case ByColour(w, b):
            assert (w, b) == (1, 2)


def test_an_object_allocated_without_its_value_is_refused_everywhere():
    # tp_alloc called directly gives an object whose value was never made:
    # every getter, slot and method refuses it, an argument of its class
    # refuses it, and freeing it (also by the collector) is safe.
    status, out, err = run_child("""
        import ctypes, gc, inspect, vorn._vorn as native
        alloc = ctypes.pythonapi.PyType_GenericAlloc
        alloc.argtypes, alloc.restype = [ctypes.py_object, ctypes.c_ssize_t], ctypes.py_object
        classes = [c for c in vars(native).values() if isinstance(c, type) and not issubclass(c, BaseException)]
        touched = []
        def refused(what, use):
            try:
                use()
            except TypeError as e:
                if "is not initialized" not in str(e):
                    touched.append((what, str(e)))
            except BaseException as e:
                touched.append((what, repr(e)))
            else:
                touched.append((what, "accepted"))
        for cls in classes:
            blank = alloc(cls, 0)
            name = cls.__name__
            for op in (repr, str, hash):
                if vars(cls).get(f"__{op.__name__}__") is not None:  # not object's own, nor a refused hash
                    refused(f"{name} {op.__name__}", lambda: op(blank))
            for attr, member in vars(cls).items():
                if inspect.isgetsetdescriptor(member):
                    refused(f"{name}.{attr}", lambda: getattr(blank, attr))
                elif type(member).__name__ == "method_descriptor" and \
                        len(inspect.signature(member).parameters) == 1:
                    refused(f"{name}.{attr}()", lambda: getattr(blank, attr)())
            if hasattr(cls, "__len__"):
                refused(f"len({name})", lambda: len(blank))
            if hasattr(cls, "__next__"):  # an iterator is its own iterator, and reads in next
                refused(f"next({name})", lambda: next(blank))
            elif hasattr(cls, "__iter__"):
                refused(f"iter({name})", lambda: iter(blank))
            if hasattr(cls, "__contains__"):
                refused(f"in {name}", lambda: "w" in blank)
            del blank
            gc.collect()
        import vorn
        refused("Game.from_position", lambda: vorn.Game.from_position(alloc(vorn.Position, 0)))
        refused("Move ==", lambda: vorn.Move("e2", "e4") == alloc(vorn.Move, 0))
        refused("FileSet |", lambda: vorn.FileSet() | alloc(vorn.FileSet, 0))
        print(touched)
    """)
    assert (status, err) == (0, "")
    assert out == "[]\n"


# ---- allocation failure in the middle of a change -------------------------------------------

MEMORY_CHILD = """
    import resource, vorn
    game = vorn.Game()
    variant, fen, _, castling = game.__getstate__()
    # 65,535 plies leave the history's containers full, so the next move must grow them.
    shuffle = (["g1f3", "g8f6", "f3g1", "f6g8"] * 16384)[:65535]
    game.__setstate__((variant, fen, shuffle, castling))
    big_state = (variant, fen, shuffle + ["f6g8"], castling)

    def snapshot(g):
        return (g.ply, g.__getstate__(), g.repetitions(), g.claims(), g.outcome())

    before = snapshot(game)
    {prepare}
    soft, hard = resource.getrlimit(resource.RLIMIT_AS)
    in_use = int(open("/proc/self/status").read().split("VmSize:")[1].split()[0]) * 1024
    resource.setrlimit(resource.RLIMIT_AS, (in_use + (1 << 20), hard))
    try:
        {change}
    except MemoryError:
        outcome = "MemoryError"
    else:
        outcome = "changed"
    resource.setrlimit(resource.RLIMIT_AS, (soft, hard))
    print(outcome, snapshot(game) == before)
    game.undo()
    print(game.ply, game.repetitions())
"""


@pytest.mark.skipif(not sys.platform.startswith("linux"), reason="reads the address space size from /proc")
@pytest.mark.parametrize(
    ("prepare", "change"),
    [
        ('move = vorn.Move("f6", "g8")', "game.play(move)"),
        ('text = "f6g8"', "game.play(text)"),
        ('text = "Ng8"', "game.play_san(text)"),
        ("pass", "game.__setstate__(big_state)"),
    ],
    ids=["play Move", "play UCI", "play SAN", "__setstate__"],
)
def test_a_change_that_runs_out_of_memory_leaves_the_game_as_it_was(prepare, change):
    status, out, err = run_child(MEMORY_CHILD.format(prepare=prepare, change=change))
    assert status == 0, err
    assert out.splitlines() == ["MemoryError True", "65534 16384"]


def test_a_move_count_table_that_cannot_grow_keeps_its_counts(tmp_path):
    # A book builder's table once dropped every count when growing failed.
    binary = build_driver(tmp_path, "move_counts_oom.cpp", ["polyglot/counts.cpp"], "the table check")
    out = subprocess.run([str(binary)], capture_output=True, text=True, check=True).stdout
    assert out.splitlines() == ["768 768", "bad_alloc", "768 768", "bad_alloc", "769 769"]


# ---- sequences that claim more than they hold -----------------------------------------------


class Liar:
    """A sequence whose __len__ claims one item more than __getitem__ gives."""

    def __init__(self, *items):
        self.items = items

    def __len__(self):
        return len(self.items) + 1

    def __getitem__(self, i):
        return self.items[i]


@pytest.mark.parametrize(
    ("call", "argument"),
    [
        (lambda: SquareSet(Liar("e4")), "squares"),
        (lambda: FileSet(Liar("a", "b")), "files"),
        (lambda: Limits(search_moves=Liar("e2e4")), "search_moves"),
    ],
    ids=["SquareSet", "FileSet", "Limits"],
)
def test_a_lying_sequence_is_an_argument_error(call, argument):
    with pytest.raises(TypeError, match=rf"^argument '{argument}': 'Liar' object claims \d+ items but has no item \d+$"):
        call()


def test_a_lying_state_is_an_argument_error_and_changes_nothing():
    game = Game()
    game.play("e2e4")
    state = game.__getstate__()
    with pytest.raises(TypeError, match=r"^argument 'state': 'Liar' object claims 2 items but has no item 1$"):
        game.__setstate__((state[0], state[1], Liar("d2d4"), state[3]))
    assert game.__getstate__() == state


# ---- reprs and errors ------------------------------------------------------------------------


@pytest.mark.parametrize(
    ("pair", "text"),
    [
        (ByColour("\ud800", 1), "ByColour(white='\\ud800', black=1)"),
        (ByColour(1, ByColour("\udfff", "é")), "ByColour(white=1, black=ByColour(white='\\udfff', black='é'))"),
    ],
    ids=["lone surrogate", "nested"],
)
def test_pair_repr_is_python_text(pair, text):
    assert repr(pair) == text


class Raising:
    """An integer-like value whose __index__ raises `error`."""

    def __init__(self, error):
        self.error = error

    def __index__(self):
        raise self.error


SPIN = "option name Hash type spin default 16 min 1 max 1024"


@pytest.mark.parametrize(
    ("value", "raised"),
    [
        (Raising(KeyboardInterrupt()), KeyboardInterrupt),
        (Raising(SystemExit(3)), SystemExit),
        (Raising(MemoryError()), MemoryError),
        (Raising(RuntimeError("inside")), RuntimeError),
        (Raising(ValueError("no")), ValueError),
        (Raising(TypeError("no")), ValueError),
        (2**70, ValueError),
    ],
    ids=["KeyboardInterrupt", "SystemExit", "MemoryError", "RuntimeError", "ValueError", "TypeError", "overflow"],
)
def test_option_value_refuses_only_values_that_do_not_fit(value, raised):
    option = uci_parse(SPIN).option
    with pytest.raises(raised) as caught:
        option.value_text(value)
    if raised is ValueError:
        assert str(caught.value) == 'option "Hash" is a spin option, which takes an integer'
