"""The quoted form of a refused text inside an error message, seen through
ParseError (FileSet names a refused file name in quoted form)."""

import importlib.util
import pathlib
import sys
import unicodedata

import pytest

import vorn
from support import unicode_table

GENERATOR = pathlib.Path(__file__).resolve().parent.parent / "tools" / "gen_unicode_tables.py"


def quoted(text):
    """The message's quoted part for a text refused as a file name."""
    with pytest.raises(vorn.ParseError) as caught:
        vorn.FileSet([text])
    message = str(caught.value)
    assert message.startswith("not a file: ")
    return message.removeprefix("not a file: ")


@pytest.mark.parametrize(
    ("text", "expected"),
    [
        ("", '""'),
        ("a\n", r'"a\n"'),
        ("\t\r\n\0", r'"\t\r\n\0"'),
        ('say "hi"', r'"say \"hi\""'),
        ("back\\slash", r'"back\\slash"'),
        ("it's", '"it\'s"'),
        ("\x01\x1b\x7f", r'"\u{1}\u{1b}\u{7f}"'),
        ("a\u00a0b", r'"a\u{a0}b"'),  # no-break space
        ("\u3000", r'"\u{3000}"'),  # ideographic space
        ("\u2028\u2029", r'"\u{2028}\u{2029}"'),  # line and paragraph separators
        ("\u200b\u00ad", r'"\u{200b}\u{ad}"'),  # format characters
        ("\ue000", r'"\u{e000}"'),  # private use
        ("\u0378", r'"\u{378}"'),  # unassigned
        ("e\u0301", r'"e\u{301}"'),  # combining acute accent
        ("\u20dd", r'"\u{20dd}"'),  # enclosing circle
        ("\u09be", r'"\u{9be}"'),  # a spacing mark that extends graphemes
        ("\u200c", r'"\u{200c}"'),  # zero width non-joiner
        ("é ß 日本", '"é ß 日本"'),
        ("\U0001f600", '"\U0001f600"'),
        ("\U0010ffff", r'"\u{10ffff}"'),
    ],
)
def test_quoted_form(text, expected):
    assert quoted(text) == expected


def load_generator():
    spec = importlib.util.spec_from_file_location("gen_unicode_tables", GENERATOR)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


@pytest.mark.skipif(
    unicode_table.VERSION != unicodedata.unidata_version,
    reason="this Python's Unicode database is not the one the table was made from",
)
def test_table_is_what_its_generator_writes():
    assert unicode_table.PATH.read_text() == load_generator().render()


def test_every_code_point_is_escaped_as_the_table_classifies_it():
    plain = {"\t": r"\t", "\r": r"\r", "\n": r"\n", "\0": r"\0", '"': r"\"", "\\": r"\\"}

    def expected(cp):
        c = chr(cp)
        if c in plain:
            return plain[c]
        if cp in unicode_table.NON_PRINTABLE or cp in unicode_table.GRAPHEME_EXTEND:
            return "\\u{%x}" % cp
        return c

    chunk = 0x4000
    for start in range(0, sys.maxunicode + 1, chunk):
        points = [cp for cp in range(start, start + chunk) if not 0xD800 <= cp <= 0xDFFF]
        text = "".join(map(chr, points))
        assert quoted(text) == '"' + "".join(map(expected, points)) + '"', hex(start)
