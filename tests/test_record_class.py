"""The protocol every record class derives from its field list, shown on
MoveFacts: one attribute per field, the repr over those attributes, to_dict
through the compact JSON text, the hash of that text, and equality."""

import json

import pytest

import vorn
from support.siphash13 import python_hash, siphash13

# Italian-like: quiet moves, captures, checks and castling to choose from.
FEN = "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 1 5"


@pytest.fixture(scope="module")
def annotated():
    return {a.move.uci(): a.facts for a in vorn.Position.from_fen(FEN).annotated_moves()}


def fields():
    return [field["name"] for field in vorn.move_facts_catalogue()]


def test_repr_lists_every_field_through_its_attribute(annotated):
    facts = annotated["e1h1"]
    shown = ", ".join(f"{name}={getattr(facts, name)!r}" for name in fields())
    assert repr(facts) == f"MoveFacts({shown})"


@pytest.mark.parametrize("move", ["e1h1", "c4f7", "b1c3"])
def test_to_dict_is_the_records_json_read_back(annotated, move):
    plain = annotated[move].to_dict()
    assert type(plain) is dict
    assert list(plain) == fields()
    assert plain == json.loads(json.dumps(plain))
    assert plain["mover"] == annotated[move].mover


@pytest.mark.parametrize("move", ["e1h1", "c4f7", "b1c3"])
def test_hash_is_siphash_of_the_json_text_and_ff(annotated, move):
    text = json.dumps(annotated[move].to_dict(), separators=(",", ":")).encode()
    assert hash(annotated[move]) == python_hash(siphash13(text + b"\xff"))


def test_equality_is_the_records(annotated):
    again = {a.move.uci(): a.facts for a in vorn.Position.from_fen(FEN).annotated_moves()}
    assert annotated["b1c3"] == again["b1c3"] and not annotated["b1c3"] != again["b1c3"]
    assert annotated["b1c3"] != annotated["c4f7"]
    assert annotated["b1c3"] != annotated["b1c3"].to_dict()
    with pytest.raises(TypeError):
        annotated["b1c3"] < again["b1c3"]


def test_fields_are_read_only(annotated):
    with pytest.raises(AttributeError):
        annotated["b1c3"].see = 3
