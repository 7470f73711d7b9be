"""The Unicode classes the module is built with, read from the committed table
(src/text/unicode_tables.inc) rather than from the running Python's
unicodedata, whose Unicode version changes from one Python to the next. The
table itself is checked against its generator by test_quote.py wherever the
versions match."""

import bisect
import pathlib
import re

PATH = pathlib.Path(__file__).resolve().parents[2] / "src" / "text" / "unicode_tables.inc"

_TEXT = PATH.read_text()

VERSION = re.search(r"Unicode ([\d.]+) database", _TEXT).group(1)


def _ranges(name):
    body = re.search(rf"\b{name}\[\] = \{{(.*?)\}};", _TEXT, re.S).group(1)
    return [(int(first, 16), int(last, 16)) for first, last in re.findall(r"\{0x(\w+), 0x(\w+)\}", body)]


class _Class:
    """One table: a membership test over its sorted, disjoint inclusive ranges."""

    def __init__(self, name):
        self._ranges = _ranges(name)
        self._firsts = [first for first, _ in self._ranges]
        assert self._ranges, name

    def __contains__(self, cp):
        at = bisect.bisect_right(self._firsts, cp) - 1
        return at >= 0 and cp <= self._ranges[at][1]


NON_PRINTABLE = _Class("kNonPrintable")
GRAPHEME_EXTEND = _Class("kGraphemeExtend")
WHITE_SPACE = _Class("kWhiteSpace")
ALPHABETIC = _Class("kAlphabetic")
NUMERIC = _Class("kNumeric")
