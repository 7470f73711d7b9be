"""The quoted form in which error messages give a refused text, for ASCII
text and control characters: the text between double quotes, with backslash
escapes for tab, carriage return, line feed, NUL, backslash and the double
quote, and \\u{hex} for the other control characters. Wider Unicode classes
are spelt out by the tests that need them."""

_ESCAPES = {"\t": "\\t", "\r": "\\r", "\n": "\\n", "\0": "\\0", "\\": "\\\\", '"': '\\"'}


def quoted(text):
    return '"' + "".join(
        _ESCAPES.get(c, f"\\u{{{ord(c):x}}}" if ord(c) < 0x20 or 0x7F <= ord(c) < 0xA0 else c)
        for c in text) + '"'
