"""Text from outside: one UTF-8 decoding policy (a U+FFFD per maximal invalid
subpart, as Python's errors="replace") and the White_Space class, seen through
uci_parse, which reads a str's lone surrogates as the bytes they encode to."""

import pytest

from vorn import uci_parse

PREFIX = "info string "


@pytest.mark.parametrize(
    "text",
    [
        pytest.param("a\ud800b", id="high-surrogate"),
        pytest.param("a\udfffb", id="low-surrogate"),
        pytest.param("a\ud800\udc00b", id="surrogates-in-pair-order"),
        pytest.param("\udc80\udcff", id="escaped-bytes"),
        pytest.param("é\ud83dx日\ude00本", id="among-multibyte-characters"),
        pytest.param("\ud800" * 5, id="a-run"),
    ],
)
def test_lone_surrogates_decode_as_python_replaces_them(text):
    expected = (PREFIX + text).encode("utf-8", "surrogatepass").decode("utf-8", "replace")
    assert uci_parse(PREFIX + text).info.string == expected.removeprefix(PREFIX)


@pytest.mark.parametrize(
    ("char", "is_space"),
    [
        ("\t", True), ("\x0b", True), ("\x0c", True), ("\r", True), ("\x85", True),
        ("\xa0", True), ("\u1680", True), ("\u2000", True), ("\u200a", True),
        ("\u2028", True), ("\u2029", True), ("\u202f", True), ("\u205f", True),
        ("\u3000", True),
        # Near misses: Python's str.isspace() takes the first four, White_Space does not.
        ("\x1c", False), ("\x1f", False), ("\u180e", False), ("\u200b", False),
        ("\ufeff", False), ("_", False),
    ],
    ids=lambda v: f"U+{ord(v):04X}" if isinstance(v, str) else str(v),
)
def test_tokens_split_at_white_space_only(char, is_space):
    report = uci_parse(f"info depth{char}7").info
    assert report.depth == (7 if is_space else None)
