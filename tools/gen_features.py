#!/usr/bin/env python3
"""Writes docs/features.md, the facts as plain data, from the catalogue the
module carries: every group and field with its type, meaning and JSON form,
the facts of a move, and the tensor layout. Run after a build:

    tools/dev-build /tmp/b && PYTHONPATH=/tmp/b/pkg python3 tools/gen_features.py

With --check it writes nothing and fails when the committed file differs from
what it would write (CI runs it so).
"""

import sys
from pathlib import Path

import vorn

OUTPUT = Path(__file__).resolve().parent.parent / "docs" / "features.md"
START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"

HEAD = """\
# Facts as plain data

*Written by `tools/gen_features.py` from the facts catalogue; do not edit by hand.*

`Facts.to_dict()` gives every group by name, in the order below; a group's
`to_dict()` gives its fields by name, in the order below; `MoveFacts.to_dict()`
gives the facts of one move. The values are plain JSON data (numbers, booleans,
strings, lists, `None`, and dicts), one JSON form per type:

| Type | JSON form |
|---|---|
| `bool` | `true` or `false` |
| `u8`, `u16`, `u32`, `i32` | an integer |
| `f32` | a number: the float's own shortest digits, always with a fraction or an exponent (`2.3333333`, `7.0`) |
| `Role` | its letter: `"p"`, `"n"`, `"b"`, `"r"`, `"q"` or `"k"` |
| `File` | its letter, `"a"` to `"h"` |
| `Square` | its name, `"a1"` to `"h8"` |
| `SquareSet` | an array of square names in ascending order, `a1` first, then `b1` through `h1`, then `a2` |
| `FileSet` | an array of file letters in ascending order |
| `CastledSide`, `Opposition`, `DrawishMaterial` | the value's name |
| `Option<T>` | `null`, or the form of `T` |
| `ByColour<T>` | `{"white": …, "black": …}`, each the form of `T` |
| `PerFile<T>`, `PerRank<T>`, `[T; N]` | an array of the forms of `T`: file a first, rank 1 first (counted from the side's own back rank), or in the order the meaning states |

"""


def cell(text):
    return str(text).replace("|", "\\|").replace("\n", " ")


def json_form(kind):
    """The JSON form of a value of the layout's kind tree, in words."""
    word = kind["kind"]
    if word == "bool":
        return "`true` or `false`"
    if word == "int":
        return "an integer"
    if word == "float":
        return "a number"
    if word == "named":
        codes = kind["codes"]
        names = ", ".join(f'`"{code}"`' for code in codes) if len(codes) <= 8 else (
            f'`"{codes[0]}"` to `"{codes[-1]}"`')
        return f"one of {names}"
    if word == "square_set":
        return "an array of square names"
    if word == "file_set":
        return "an array of file letters"
    if word == "optional":
        return "`null` or " + json_form(kind["item"])
    if word == "fixed":
        return f"an array of {kind['len']}, each " + json_form(kind["item"])
    if word == "by_colour":
        return '`{"white": …, "black": …}`, each ' + json_form(kind["item"])
    raise SystemExit(f"no JSON form for the kind {word!r}")


def type_text(kind):
    """The catalogue's text of the type a kind tree describes."""
    word = kind["kind"]
    if word == "int":
        return ("i" if kind["signed"] else "u") + str(kind["bits"])
    if word == "named":
        return kind["type"]
    if word in ("optional", "by_colour"):
        return ("Option<" if word == "optional" else "ByColour<") + type_text(kind["item"]) + ">"
    if word == "fixed":
        inner = type_text(kind["item"])
        return {"per_file": f"PerFile<{inner}>", "per_rank": f"PerRank<{inner}>"}.get(kind["run"], f"[{inner}; {kind['len']}]")
    return {"bool": "bool", "float": "f32", "square_set": "SquareSet", "file_set": "FileSet"}[word]


def kinds_by_text(layout):
    """Every type the layout's kind trees hold, whole or inside another, by its text."""
    found = {}

    def visit(kind):
        found[type_text(kind)] = kind
        if "item" in kind:
            visit(kind["item"])
    for entry in layout:
        if type_text(entry["kind"]) != entry["declared"]:
            raise SystemExit(f"the kind tree of {entry['name']} does not read as {entry['declared']!r}")
        visit(entry["kind"])
    return found


def field_table(fields, kinds):
    rows = ["| Field | Type | JSON form | Meaning |", "|---|---|---|---|"]
    for field in fields:
        if field["type"] not in kinds:
            raise SystemExit(f"no kind tree for the type {field['type']!r} of {field['name']!r}")
        rows.append(f"| `{field['name']}` | `{field['type']}` | {cell(json_form(kinds[field['type']]))} "
                    f"| {cell(field['meaning'])} |")
    return "\n".join(rows) + "\n"


def shape(sizes):
    return "[" + ", ".join(str(size) for size in sizes) + "]"


def layout_table(layout):
    rows = ["| Array | dtype | shape | packed dtype | packed shape | axes | encoding |", "|---|---|---|---|---|---|---|"]
    for entry in layout:
        packed = "—" if entry["packed_shape"] is None else shape(entry["packed_shape"])
        rows.append(f"| `{entry['name']}` | {entry['dtype']} | {shape(entry['shape'])} | {entry['packed_dtype']} "
                    f"| {packed} | {cell(entry['order'] or '—')} | {cell(entry['encoding'] or '—')} |")
    return "\n".join(rows) + "\n"


def document():
    layout = vorn.facts_layout()
    kinds = kinds_by_text(layout)
    start = vorn.Facts(START)
    parts = [HEAD, "## The groups\n\n"]
    parts.append("| Group | Class | Fields | Meaning |\n|---|---|---|---|\n")
    for group in vorn.facts_catalogue():
        class_name = type(getattr(start, group["name"])).__name__
        parts.append(f"| `{group['name']}` | `{class_name}` | {len(group['fields'])} | {cell(group['meaning'])} |\n")
    for group in vorn.facts_catalogue():
        parts.append(f"\n### `{group['name']}`\n\n{group['meaning']}\n\n")
        parts.append(field_table(group["fields"], kinds))
    parts.append("\n## The facts of a move\n\n"
                 "`MoveFacts`, one per legal move (`Position.annotated_moves()`, `Game.annotated_moves()`). "
                 "The mover is the side to move; the enemy is the other side.\n\n")
    parts.append(field_table(vorn.move_facts_catalogue(), kinds))
    parts.append("\n## The tensor layout\n\n"
                 "`facts_layout()`: the array each fact becomes in a batch of positions, the batch axis left off, "
                 "in catalogue order. A set becomes one flag per square or file; its packed form is one mask per "
                 "set (64 bits for squares, 8 for files), and a flag's packed form is one byte. An absent value "
                 "is \u22121; a role, file, square or enumeration value is its code.\n\n")
    parts.append(layout_table(layout))
    return "".join(parts)


def main():
    text = document()
    if sys.argv[1:] == ["--check"]:
        if not OUTPUT.is_file() or OUTPUT.read_text(encoding="utf-8") != text:
            print(f"{OUTPUT} is not what tools/gen_features.py writes; run it and commit the result", file=sys.stderr)
            return 1
        return 0
    if sys.argv[1:]:
        print(__doc__, file=sys.stderr)
        return 2
    OUTPUT.parent.mkdir(exist_ok=True)
    OUTPUT.write_text(text, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
