"""The native module: its frame, its exception classes, the order of its
attributes, and the package modules that present its classes."""

import importlib
import importlib.util
import pickle
import sys

import pytest

import vorn
import vorn._vorn as native

ERRORS = [
    ("Error", (Exception,), "Every error vorn raises. Its members are `ValueError`s too."),
    ("FenError", ("Error", ValueError), "The text is not a FEN this crate can read."),
    ("IllegalMove", ("Error", ValueError), "The move is not legal in the position."),
    ("MoveParseError", ("Error", ValueError), "The text does not name one legal move of the position."),
    ("PositionError", ("Error", ValueError), "The position is not one this variant can play on."),
    ("ParseError", ("Error", ValueError), "The text does not name a square, file, rank, role or colour."),
]

# Every public attribute of the native module, in the order the module adds
# them, with the package modules that present each: a class in the module it
# reports as __module__ (the last one listed); a function, a constant or an
# exception class in the package and in its area's module too.
VORN = ("vorn",)
ORDER = [
    *[(name, VORN) for name, _, _ in ERRORS],
    *[(name, VORN) for name in ("Variant", "SquareSet", "FileSet", "ByColour", "Move", "Position", "Game")],
    *[(name, ("vorn.explain",)) for name in (
        "Castling", "EnPassant", "EpCapture", "EpObstacle", "Pin", "Skewer", "Repetition", "NearMiss",
        "FiftyMove", "Reset", "DrawStatus", "AutomaticDraw", "ClaimableDraw", "StalemateDetail", "Stuck")],
    *[(name, ("vorn.endings",)) for name in (
        "Ending", "EndingClass", "EndingVerdict", "EndingTechnique", "MaterialSignature", "EndingEvidence",
        "PawnRace", "Bishops")],
    ("endings_classify", ("vorn", "vorn.endings")),
    *[(name, VORN) for name in (
        "Facts", "PlacementFacts", "StateFacts", "HistoryFacts", "MaterialFacts", "PawnFacts", "PieceFacts",
        "KingFacts", "MobilityFacts", "AttackFacts", "ExchangeFacts", "ThreatFacts", "TacticsFacts",
        "EndgameFacts", "MapFacts", "MoveFacts", "AnnotatedMove")],
    ("_facts_group", ()),
    *[(name, VORN) for name in ("facts_catalogue", "move_facts_catalogue", "facts_layout")],
    *[(name, ("vorn.pgn",)) for name in ("PgnGame", "PgnNode", "PgnReader")],
    *[(name, ("vorn", "vorn.pgn")) for name in ("pgn_read", "pgn_read_string", "pgn_count")],
    *[(name, ("vorn.polyglot",)) for name in (
        "PolyglotRaw", "PolyglotEntry", "PolyglotBook", "PolyglotBookIter", "PolyglotBuilder")],
    ("POLYGLOT_ENTRY_SIZE", ("vorn", "vorn.polyglot")),
    ("Opening", ("vorn.openings",)),
    *[(name, ("vorn", "vorn.openings")) for name in ("openings_lookup", "openings_count")],
    *[(name, ("vorn.uci",)) for name in ("Limits", "Option", "Info", "Answer", "Engine", "Search")],
    *[(name, ("vorn.uci.protocol",)) for name in ("Command", "Message", "Session")],
    ("uci_parse", ("vorn", "vorn.uci")),
    *[(name, ("vorn", "vorn.uci")) for name in ("UciError", "EngineTimeout", "EngineDied", "ProtocolError")],
    *[(name, VORN) for name in ("CLASSIC", "CHESS960", "KING_TO_ROOK", "KING_TWO_SQUARES", "__version__")],
]
KNOWN = dict(ORDER)
PRESENT = [name for name in vars(native) if not name.startswith("__") or name == "__version__"]


def test_frame():
    assert native.__doc__ == ""
    assert not hasattr(native, "__all__")
    assert native.__version__ == vorn.__version__ == "0.4.0"
    assert (native.KING_TO_ROOK, native.KING_TWO_SQUARES) == ("king_to_rook", "king_two_squares")
    for name in ("explain", "uci", "polyglot", "pgn", "PanicException"):
        assert not hasattr(native, name)


def test_attributes_come_in_registration_order():
    assert [name for name in PRESENT if name not in KNOWN] == []
    assert PRESENT == [name for name, _ in ORDER if name in PRESENT]
    assert PRESENT[:6] == [name for name, _, _ in ERRORS]
    assert PRESENT[-1] == "__version__"
    assert list(vars(native))[-1] == "__version__"


def test_classes_report_the_module_that_presents_them():
    for name in PRESENT:
        value = getattr(native, name)
        if isinstance(value, type):
            assert (name, value.__module__, value.__qualname__) == (name, KNOWN[name][-1], name)


@pytest.mark.parametrize(("name", "bases", "doc"), ERRORS)
def test_exception_classes(name, bases, doc):
    cls = getattr(native, name)
    assert cls.__bases__ == tuple(getattr(native, b) if isinstance(b, str) else b for b in bases)
    assert (cls.__doc__, cls.__module__, cls.__name__, cls.__qualname__) == (doc, "vorn", name, name)
    assert getattr(vorn, name) is cls
    error = cls("message")
    assert (error.args, str(error)) == (("message",), "message")
    assert pickle.loads(pickle.dumps(error)).args == ("message",)


def test_exception_hierarchy():
    assert not issubclass(vorn.Error, ValueError)
    for name, _, _ in ERRORS[1:]:
        assert issubclass(getattr(vorn, name), vorn.Error)
        assert issubclass(getattr(vorn, name), ValueError)


def test_panic_exception_is_a_base_exception_nobody_exports():
    assert not hasattr(vorn, "PanicException")


def test_classes_without_constructor_refuse_instantiation():
    for name in PRESENT:
        value = getattr(native, name)
        if isinstance(value, type) and not issubclass(value, BaseException) and "__new__" not in vars(value):
            with pytest.raises(TypeError, match="cannot create"):
                value()


def test_classes_are_not_subclassable():
    with pytest.raises(TypeError):
        type("Sub", (native.SquareSet,), {})


def test_executing_the_module_again_shares_the_classes():
    spec = importlib.util.find_spec("vorn._vorn")
    again = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(again)
    assert again is not native
    # A bare execution still hands over its record, which the package took off the first.
    assert vars(again).pop("_exports") == vorn._export._PRESENTED
    assert list(vars(again)) == list(vars(native))
    for name in PRESENT:
        if isinstance(getattr(native, name), type):
            assert getattr(again, name) is getattr(native, name)


def test_package_modules_present_their_classes():
    for name in PRESENT:
        value = getattr(native, name)
        for module in KNOWN[name]:
            assert getattr(importlib.import_module(module), name) is value, (module, name)
    for name in ("CLASSIC", "CHESS960", "KING_TO_ROOK", "KING_TWO_SQUARES"):
        if hasattr(native, name):
            assert getattr(vorn, name) is getattr(native, name)


PACKAGE_MODULES = ["vorn", "vorn.endings", "vorn.explain", "vorn.openings", "vorn.pgn", "vorn.polyglot", "vorn.uci",
                   "vorn.uci.protocol"]


@pytest.mark.parametrize("module_name", PACKAGE_MODULES)
def test_package_modules_present_exactly_their_names_in_order(module_name):
    module = importlib.import_module(module_name)
    presented = [name for name, value in vars(module).items()
                 if (not name.startswith("_") or name == "__version__") and not isinstance(value, type(vorn))]
    assert presented == [name for name, modules in ORDER if module_name in modules]


@pytest.mark.parametrize("module_name", PACKAGE_MODULES)
def test_package_modules_present_nothing_but_the_native_modules_names(module_name):
    # No helper (the re-export function, an imported module) shows among the public names.
    module = importlib.import_module(module_name)
    for name, value in vars(module).items():
        if name.startswith("_"):
            continue
        if isinstance(value, type(vorn)):
            assert value.__name__ == f"{module_name}.{name}"
        else:
            assert getattr(native, name) is value, name


def test_another_interpreter_cannot_load_the_module():
    interpreters = None
    for candidate in ("_interpreters", "_xxsubinterpreters"):
        try:
            interpreters = importlib.import_module(candidate)
            break
        except ImportError:
            continue
    if interpreters is None:
        pytest.skip("no subinterpreter module in this Python")
    interpreter = interpreters.create()
    try:
        code = (f"import sys; sys.path[:] = {sys.path!r}\n"
                "try:\n    import vorn._vorn\nexcept ImportError as e:\n    raise SystemExit(str(e))\n")
        # Newer Pythons refuse the module themselves; either way it does not load.
        with pytest.raises(Exception, match="interpreter"):
            result = interpreters.run_string(interpreter, code)
            if result is not None:  # newer Pythons return the failure instead of raising
                raise RuntimeError(str(result))
    finally:
        interpreters.destroy(interpreter)
