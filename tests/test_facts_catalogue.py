"""The facts catalogue and the classes built from it: every group's fields,
type texts and meanings as the catalogue functions give them, and the same
names, order and docstrings in every group class, its to_dict and its repr."""

import re

import pytest

import vorn
from support.catalogue_rows import catalogue_rows

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"

GROUPS = [
    ("placement", "PlacementFacts", 7),
    ("state", "StateFacts", 6),
    ("history", "HistoryFacts", 11),
    ("material", "MaterialFacts", 11),
    ("pawns", "PawnFacts", 33),
    ("pieces", "PieceFacts", 24),
    ("king", "KingFacts", 25),
    ("mobility", "MobilityFacts", 15),
    ("attacks", "AttackFacts", 18),
    ("exchange", "ExchangeFacts", 4),
    ("threats", "ThreatFacts", 12),
    ("tactics", "TacticsFacts", 44),
    ("endgame", "EndgameFacts", 6),
    ("maps", "MapFacts", 5),
]

CATALOGUE = {group["name"]: group for group in vorn.facts_catalogue()}


@pytest.fixture(scope="module")
def facts():
    return vorn.Facts(START)


@pytest.fixture(scope="module")
def derived():
    """Each group's derived attributes, as the catalogue declares them."""
    by_group = {}
    for group, name, doc in catalogue_rows("VORN_FACTS_DERIVED"):
        by_group.setdefault(group, []).append((name, doc))
    return by_group


@pytest.fixture(scope="module")
def own_docs():
    """The attributes whose docstring the catalogue writes apart from the field's meaning."""
    return {(group, field): doc for group, field, doc in catalogue_rows("VORN_FACTS_ATTRIBUTE_DOCS")}


def test_catalogue_lists_the_groups_in_order_with_their_field_counts():
    catalogue = vorn.facts_catalogue()
    assert [(g["name"], len(g["fields"])) for g in catalogue] == [(name, n) for name, _, n in GROUPS]
    assert sum(len(g["fields"]) for g in catalogue) == 221
    assert vorn.Facts.groups() == [name for name, _, _ in GROUPS]
    assert vorn.Facts(START).groups() == vorn.Facts.groups() and vorn.Facts.groups() is not vorn.Facts.groups()


def test_catalogue_entries_are_plain_trimmed_data_and_new_on_each_call():
    first, second = vorn.facts_catalogue(), vorn.facts_catalogue()
    assert first == second and first is not second
    for group in first:
        assert list(group) == ["name", "meaning", "fields"]
        texts = [group["meaning"]]
        for field in group["fields"]:
            assert list(field) == ["name", "type", "meaning"]
            texts.append(field["meaning"])
        assert all(text and text == text.strip() for text in texts)
    assert CATALOGUE["state"]["fields"][4] == {
        "name": "en_passant", "type": "Option<File>",
        "meaning": "The file the position names as the en-passant target, if any."}


def test_move_facts_catalogue():
    catalogue = vorn.move_facts_catalogue()
    bools = ["bool"]
    expected_types = (["Option<Role>", "Role", "Option<Role>"] + bools * 8 + ["i32"] * 2 + bools * 8
                      + ["i32"] * 4 + bools * 2)
    assert [f["type"] for f in catalogue] == expected_types
    assert catalogue[0] == {"name": "victim", "type": "Option<Role>",
                            "meaning": "The role captured, the pawn for an en-passant capture."}
    assert catalogue[-1]["name"] == "gives_discovered_attack"
    assert vorn.move_facts_catalogue() is not catalogue


@pytest.mark.parametrize(("group", "class_name", "count"), GROUPS, ids=[g[0] for g in GROUPS])
def test_group_class_follows_the_catalogue(facts, derived, own_docs, group, class_name, count):
    cls = getattr(vorn, class_name)
    fields = [f["name"] for f in CATALOGUE[group]["fields"]]
    value = getattr(facts, group)
    assert type(value) is cls and cls.__module__ == "vorn" and cls.__name__ == class_name
    assert cls.__doc__ == CATALOGUE[group]["meaning"]
    assert list(value.to_dict()) == fields
    assert list(facts.to_dict()[group]) == fields
    derived_names = [name for name, _ in derived.get(group, [])]
    own_attributes = [name for name in vars(cls) if not name.startswith("_") and name != "to_dict"]
    assert own_attributes == fields + derived_names
    for field in CATALOGUE[group]["fields"]:
        expected = own_docs.get((group, field["name"]), field["meaning"])
        assert getattr(cls, field["name"]).__doc__ == expected, field["name"]
    for name, doc in derived.get(group, []):
        assert getattr(cls, name).__doc__ == doc and isinstance(getattr(value, name), vorn.ByColour)
    shown = repr(value)
    assert shown.startswith(class_name + "(" + fields[0] + "=")
    positions = [shown.index(", " + name + "=") for name in fields[1:]]
    assert positions == sorted(positions)
    assert not any(re.search(r"\b" + name + "=", shown) for name in derived_names)


def test_candidates_docstring_is_the_rule_computed():
    meaning = next(f["meaning"] for f in CATALOGUE["pawns"]["fields"] if f["name"] == "candidates")
    assert vorn.PawnFacts.candidates.__doc__ == meaning
    assert "backed by at least as many friendly pawns" in meaning


def test_move_facts_class_follows_the_catalogue():
    catalogue = vorn.move_facts_catalogue()
    facts = vorn.Position.from_fen(START).annotated_moves()[0].facts
    assert list(facts.to_dict()) == [f["name"] for f in catalogue]
    for field in catalogue:
        assert getattr(vorn.MoveFacts, field["name"]).__doc__ == field["meaning"]
    shown = repr(facts)
    assert shown.startswith("MoveFacts(victim=None, mover='p', promotion=None, gives_check=False")
    assert shown.endswith(", gives_discovered_attack=False)")
