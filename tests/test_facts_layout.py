"""The tensor layout of the facts: one entry per catalogue field, what every
type text becomes (dtype, shape, axes, encoding, packed form, kind tree), and
the compile-time descriptions of the value types behind it."""

import subprocess

import pytest

import vorn
from support.cpp_driver import build_driver

MINUS = "\u2212"
ABSENT = MINUS + "1 where the value is absent"
BY_COLOUR_AXIS = "axis 1: white, black"
SQUARES_AXIS = "axis {}: the 64 squares, a1 first, then b1 through h1, then a2"
ARRAY_AXIS = "axis 2: the order the fact's meaning states"
FILE_CODES = "File as its code: " + ", ".join(f"{i} = {c}" for i, c in enumerate("abcdefgh"))
ROLE_CODES = "Role as its code: " + ", ".join(f"{i} = {c}" for i, c in enumerate("pnbrqk"))
SQUARE_CODES = "Square as its code: " + ", ".join(
    f"{i} = {'abcdefgh'[i % 8]}{i // 8 + 1}" for i in range(64))

LAYOUT = vorn.facts_layout()

# Every type text of the catalogue: dtype, shape, packed dtype, packed shape, encoding.
TYPE_RULES = [
    ("bool", "bool", [], "uint8", None, None),
    ("u8", "uint8", [], "uint8", [], None),
    ("u32", "uint32", [], "uint32", [], None),
    ("i32", "int32", [], "int32", [], None),
    ("FileSet", "bool", [8], "uint8", [], None),
    ("Option<File>", "int16", [], "int16", [], ABSENT + ", otherwise " + FILE_CODES),
    ("Option<Role>", "int16", [], "int16", [], ABSENT + ", otherwise " + ROLE_CODES),
    ("Option<Opposition>", "int16", [], "int16", [],
     ABSENT + ", otherwise Opposition as its code: 0 = direct, 1 = distant"),
    ("Option<DrawishMaterial>", "int16", [], "int16", [],
     ABSENT + ", otherwise DrawishMaterial as its code: 0 = two_knights, 1 = wrong_bishop, 2 = opposite_bishops"),
    ("ByColour<bool>", "bool", [2], "uint8", None, None),
    ("ByColour<u8>", "uint8", [2], "uint8", [2], None),
    ("ByColour<u16>", "uint16", [2], "uint16", [2], None),
    ("ByColour<i32>", "int32", [2], "int32", [2], None),
    ("ByColour<f32>", "float32", [2], "float32", [2], None),
    ("ByColour<Square>", "uint8", [2], "uint8", [2], SQUARE_CODES),
    ("ByColour<Option<u8>>", "int16", [2], "int16", [2], ABSENT),
    ("ByColour<Option<CastledSide>>", "int16", [2], "int16", [2],
     ABSENT + ", otherwise CastledSide as its code: 0 = short, 1 = long"),
    ("ByColour<SquareSet>", "bool", [2, 64], "uint64", [2], None),
    ("ByColour<FileSet>", "bool", [2, 8], "uint8", [2], None),
    ("ByColour<PerFile<u8>>", "uint8", [2, 8], "uint8", [2, 8], None),
    ("ByColour<PerRank<u8>>", "uint8", [2, 8], "uint8", [2, 8], None),
    ("ByColour<[File; 3]>", "uint8", [2, 3], "uint8", [2, 3], FILE_CODES),
    ("ByColour<[bool; 3]>", "bool", [2, 3], "uint8", None, None),
    ("ByColour<[Option<u8>; 3]>", "int16", [2, 3], "int16", [2, 3], ABSENT),
]


def entry(name):
    return next(e for e in LAYOUT if e["name"] == name)


def test_one_entry_per_catalogue_field_in_order():
    expected = [(g["name"], f["name"], f["type"], f["meaning"])
                for g in vorn.facts_catalogue() for f in g["fields"]]
    assert len(LAYOUT) == 221
    assert [(e["group"], e["field"], e["declared"], e["meaning"]) for e in LAYOUT] == expected
    assert all(e["name"] == e["group"] + "." + e["field"] for e in LAYOUT)
    assert LAYOUT[-1]["name"] == "maps.threatened"


def test_entry_keys_are_in_ascending_order():
    for e in LAYOUT:
        assert list(e) == sorted(e)


def test_every_call_gives_new_equal_data():
    again = vorn.facts_layout()
    assert again == LAYOUT and again is not LAYOUT and again[0] is not LAYOUT[0]


@pytest.mark.parametrize(("declared", "dtype", "shape", "packed_dtype", "packed_shape", "encoding"), TYPE_RULES,
                         ids=[row[0] for row in TYPE_RULES])
def test_what_each_type_text_becomes(declared, dtype, shape, packed_dtype, packed_shape, encoding):
    entries = [e for e in LAYOUT if e["declared"] == declared]
    assert entries
    for e in entries:
        assert (e["dtype"], e["shape"], e["packed_dtype"], e["packed_shape"], e["encoding"]) == (
            dtype, shape, packed_dtype, packed_shape, encoding)


def test_every_declared_type_has_a_rule():
    assert {e["declared"] for e in LAYOUT} == {row[0] for row in TYPE_RULES}


def test_first_entry():
    assert entry("placement.units") == {
        "declared": "ByColour<SquareSet>", "dtype": "bool", "encoding": None, "field": "units",
        "group": "placement", "kind": {"item": {"kind": "square_set"}, "kind": "by_colour"},
        "meaning": "Every unit of the side.", "name": "placement.units",
        "order": BY_COLOUR_AXIS + "; " + SQUARES_AXIS.format(2), "packed_dtype": "uint64", "packed_shape": [2],
        "shape": [2, 64]}


def test_scalar_and_bare_set_entries():
    in_check = entry("state.in_check")
    assert (in_check["order"], in_check["shape"], in_check["packed_shape"]) == ("", [], None)
    assert in_check["kind"] == {"kind": "bool"}
    open_files = entry("pawns.open_files")
    assert (open_files["shape"], open_files["packed_shape"]) == ([8], [])
    assert open_files["order"] == "axis 1: the eight files, file a first"
    assert entry("history.halfmove_clock")["kind"] == {"bits": 32, "kind": "int", "signed": False}


def test_nested_kind_tree():
    shield = entry("king.shield")
    assert shield["kind"] == {
        "item": {"item": {"item": {"bits": 8, "kind": "int", "signed": False}, "kind": "optional"},
                 "kind": "fixed", "len": 3, "order": "the order the fact's meaning states", "run": "array"},
        "kind": "by_colour"}
    assert shield["order"] == BY_COLOUR_AXIS + "; " + ARRAY_AXIS
    assert (shield["dtype"], shield["shape"]) == ("int16", [2, 3])
    counts = entry("pawns.count_by_rank")
    assert counts["kind"]["item"]["run"] == "per_rank"
    assert counts["order"] == BY_COLOUR_AXIS + "; axis 2: rank 1 first, through rank 8"
    square = entry("king.square")
    assert square["kind"]["item"] == {"codes": [f"{f}{r}" for r in range(1, 9) for f in "abcdefgh"],
                                      "kind": "named", "type": "Square"}
    assert square["encoding"].startswith("Square as its code: 0 = a1, 1 = b1") and "63 = h8" in square["encoding"]


# ---- the value types' own descriptions ------------------------------------------

@pytest.fixture(scope="module")
def described(tmp_path_factory):
    """What the compile-time description of each of the driver's value types says, by type text."""
    binary = build_driver(tmp_path_factory.mktemp("value-types"), "value_types.cpp", ["facts/types.cpp"],
                          "the value types' descriptions")
    out = subprocess.run([str(binary)], capture_output=True, text=True, check=True).stdout
    return {row[0]: row[1:] for row in (line.split("\t") for line in out.splitlines())}


@pytest.mark.parametrize(("text", "tree", "dtype", "shape", "packed_shape", "encoding"), [
    ("Option<Role>", "optional(named Role)", "int16", "[]", "[]", ABSENT + ", otherwise " + ROLE_CODES),
    ("PerFile<i8>", "fixed per_file 8(int i8)", "int8", "[8]", "[8]", "null"),
    ("[u16; 2]", "fixed array 2(int u16)", "uint16", "[2]", "[2]", "null"),
    ("[i16; 12]", "fixed array 12(int i16)", "int16", "[12]", "[12]", "null"),
    ("ByColour<[File; 3]>", "by_colour(fixed array 3(named File))", "uint8", "[2,3]", "[2,3]", FILE_CODES),
    ("ByColour<SquareSet>", "by_colour(square_set)", "bool", "[2,64]", "[2]", "null"),
    ("Option<Option<CastledSide>>", "optional(optional(named CastledSide))", "int16", "[]", "[]",
     ABSENT + ", otherwise " + ABSENT + ", otherwise CastledSide as its code: 0 = short, 1 = long"),
    ("PerRank<ByColour<bool>>", "fixed per_rank 8(by_colour(bool))", "bool", "[8,2]", "null", "null"),
], ids=["optional", "per-file-signed", "array", "two-digit-length", "nested-array", "set", "optional-of-optional",
        "flags-inside-a-run"])
def test_value_type_descriptions(described, text, tree, dtype, shape, packed_shape, encoding):
    row = described[text]
    assert (row[0], row[1], row[2], row[4], row[5]) == (tree, dtype, shape, packed_shape, encoding)
