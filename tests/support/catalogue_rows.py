"""The rows the facts catalogue declares beside its fields, read from its source."""

import json
import re

import pytest

from support.cpp_driver import SOURCES

CATALOGUE = SOURCES / "facts" / "catalogue.def"


def catalogue_rows(macro):
    """The (group, name, docstring) rows of the list `macro` (say VORN_FACTS_DERIVED), in order;
    skips when the sources are not next to the tests."""
    if not CATALOGUE.is_file():
        pytest.skip("no sources next to the tests")
    text = CATALOGUE.read_text(encoding="utf-8")
    block = text[text.index(f"#define {macro}("):].split("\n\n", 1)[0]
    return [(group, name, json.loads(f'"{doc}"'))
            for group, name, doc in re.findall(r'\b[A-Z]\((\w+), (\w+), "((?:[^"\\]|\\.)*)"\)', block)]
