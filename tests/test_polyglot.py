"""Polyglot books on small crafted inputs: the record format, lookups,
choosing a move, records as Python values, writing and building books."""

import os
import pathlib
import random
import struct
import subprocess
import sys
import textwrap
import threading

import pytest

import vorn
from support.siphash13 import siphash13
from vorn.polyglot import (
    POLYGLOT_ENTRY_SIZE,
    PolyglotBook,
    PolyglotBookIter,
    PolyglotBuilder,
    PolyglotEntry,
    PolyglotRaw,
)

START = vorn.Position.from_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1")
START_KEY = 0x463B96181691FC9C
# White may castle on both sides; f1 and g1 are empty.
CASTLING = vorn.Position.from_fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1")
PROMOTION = vorn.Position.from_fen("8/P6k/8/8/8/8/8/K7 w - - 0 1")

PROMOTION_CODES = {None: 0, "n": 1, "b": 2, "r": 3, "q": 4}


def square(name):
    return (int(name[1]) - 1) * 8 + "abcdefgh".index(name[0])


def bits(uci, code=None):
    """The move bits of UCI text, packed independently of the library."""
    promotion = PROMOTION_CODES[uci[4:] or None] if code is None else code
    return promotion << 12 | square(uci[:2]) << 6 | square(uci[2:4])


def record(key, uci_or_bits, weight=1, learn=0):
    packed = bits(uci_or_bits) if isinstance(uci_or_bits, str) else uci_or_bits
    return struct.pack(">QHHI", key, packed, weight, learn)


def book_of(*records):
    return PolyglotBook.from_bytes(b"".join(records))


def file_records(path):
    data = pathlib.Path(path).read_bytes()
    assert len(data) % 16 == 0
    return [struct.unpack_from(">QHHI", data, i) for i in range(0, len(data), 16)]


def ucis(entries):
    return [(e.move.uci(), e.weight) for e in entries]


# ---- the file format -----------------------------------------------------------------


def test_entry_size():
    assert POLYGLOT_ENTRY_SIZE == vorn.POLYGLOT_ENTRY_SIZE == 16


def test_fields_are_read_big_endian():
    book = book_of(bytes(range(1, 17)))
    raw = book.get(0)
    assert (raw.key, raw.bits, raw.weight, raw.learn) == (0x0102030405060708, 0x090A, 0x0B0C, 0x0D0E0F10)


@pytest.mark.parametrize("make", [
    pytest.param(lambda path: PolyglotBook.from_bytes(b""), id="from_bytes"),
    pytest.param(lambda path: PolyglotBook(path), id="file"),
])
def test_empty_book(tmp_path, make):
    path = tmp_path / "empty.bin"
    path.write_bytes(b"")
    book = make(path)
    assert (len(book), repr(book), list(book)) == (0, "<PolyglotBook 0 entries>", [])
    assert book.get(0) is None
    assert book.raw_entries(START_KEY) == book.entries(START) == []
    assert book.best(START) is book.pick(START, 7) is None


@pytest.mark.parametrize("size", [1, 15, 17, 33])
def test_length_must_be_whole_records(tmp_path, size):
    path = tmp_path / "broken.bin"
    path.write_bytes(bytes(size))
    for make in (lambda: PolyglotBook(path), lambda: PolyglotBook.from_bytes(bytes(size))):
        with pytest.raises(OSError) as caught:
            make()
        assert type(caught.value) is OSError
        assert str(caught.value) == "a book is a whole number of 16-byte entries"


@pytest.mark.parametrize("chunk", [1, 7, 17, 4099, 1 << 16])
@pytest.mark.parametrize("stray", [0, 5], ids=["whole", "stray-bytes"])
def test_a_book_read_from_a_pipe_in_pieces_that_split_records(tmp_path, chunk, stray):
    # Reads of a pipe end wherever its writer's pieces do, mid-record mostly;
    # the records must come out as from_bytes reads the same bytes.
    draw = random.Random(chunk)
    data = bytes(draw.getrandbits(8) for _ in range(20_000 * POLYGLOT_ENTRY_SIZE + stray))
    path = tmp_path / "pipe"
    os.mkfifo(path)

    def write():
        with open(path, "wb", buffering=0) as out:
            for at in range(0, len(data), chunk):
                out.write(data[at:at + chunk])

    writer = threading.Thread(target=write)
    writer.start()
    try:
        if stray:
            with pytest.raises(OSError, match="^a book is a whole number of 16-byte entries$"):
                PolyglotBook(path)
        else:
            assert list(PolyglotBook(path)) == list(PolyglotBook.from_bytes(data))
    finally:
        writer.join()


@pytest.mark.parametrize("source", ["sparse-file", "/dev/zero"])
def test_a_book_past_1_gib_is_refused(tmp_path, source):
    # The sparse file (whole entries, no disk used) tells its size and is
    # refused unread; /dev/zero, which never ends, once read to the bound. The
    # child's address space is capped, so that a bound that failed fails the
    # test rather than the machine.
    path = tmp_path / "huge.bin" if source == "sparse-file" else pathlib.Path(source)
    if source == "sparse-file":
        with open(path, "wb") as out:
            out.truncate((1 << 30) + POLYGLOT_ENTRY_SIZE)
    code = """
    import resource, sys
    import vorn.polyglot

    resource.setrlimit(resource.RLIMIT_AS, (4 << 30, 4 << 30))
    try:
        vorn.polyglot.PolyglotBook(sys.argv[1])
    except OSError as error:
        print(type(error).__name__, error)
    """
    done = subprocess.run([sys.executable, "-c", textwrap.dedent(code), str(path)], capture_output=True, text=True,
                          timeout=120)
    assert done.returncode == 0, done.stderr
    assert done.stdout == "OSError a book holds at most 67108864 entries (1 GiB)\n"


@pytest.mark.parametrize(("make_path", "error"), [
    pytest.param(lambda tmp: tmp / "missing.bin", FileNotFoundError, id="missing"),
    pytest.param(lambda tmp: tmp, IsADirectoryError, id="directory"),
])
def test_open_failures_are_the_matching_os_errors(tmp_path, make_path, error):
    path = make_path(tmp_path)
    with pytest.raises(error) as caught:
        PolyglotBook(path)
    assert caught.value.filename == str(path)


def test_paths_are_text_bytes_or_path_like(tmp_path):
    path = tmp_path / "one.bin"
    path.write_bytes(record(START_KEY, "e2e4"))
    for given in (path, str(path), os.fsencode(path)):
        assert len(PolyglotBook(given)) == 1
    with pytest.raises(TypeError, match="argument 'path'"):
        PolyglotBook(1)
    with pytest.raises(ValueError, match="null"):
        PolyglotBook(str(path) + "\0x")


@pytest.mark.parametrize("data", [
    pytest.param(bytearray(record(START_KEY, "e2e4")), id="bytearray"),
    pytest.param(list(record(START_KEY, "e2e4")), id="list of ints"),
    pytest.param(memoryview(record(START_KEY, "e2e4")), id="memoryview"),
])
def test_from_bytes_takes_byte_sequences(data):
    assert PolyglotBook.from_bytes(data).get(0).uci == "e2e4"


@pytest.mark.parametrize(("data", "error"), [
    pytest.param("0" * 16, TypeError, id="str"),
    pytest.param([0] * 15 + [256], OverflowError, id="int above 255"),
    pytest.param([0] * 15 + [-1], OverflowError, id="negative int"),
    pytest.param(16, TypeError, id="int"),
])
def test_from_bytes_refuses(data, error):
    with pytest.raises(error):
        PolyglotBook.from_bytes(data)


def test_get_counts_from_the_start_of_the_file():
    book = book_of(record(1, "e2e4"), record(2, "d2d4"), record(3, "c2c4"))
    assert book.get(2) == PolyglotRaw(3, bits("c2c4"))
    assert book.get(3) is None
    assert book.get(2**64 - 1) is None
    with pytest.raises(OverflowError):
        book.get(-1)
    with pytest.raises(OverflowError):
        book.get(2**64)


def test_iteration_is_file_order_and_repeatable():
    book = book_of(record(9, "e2e4", 3), record(1, "d2d4"), record(5, "c2c4", 7, 11))
    first, second = list(book), list(book)
    assert first == second == [book.get(i) for i in range(len(book))]
    assert [r.key for r in first] == [9, 1, 5]


def test_an_ended_iterator_stays_ended():
    book = book_of(record(1, "e2e4"))
    it = iter(book)
    assert type(it) is PolyglotBookIter and iter(it) is it and repr(it) == "<PolyglotBookIter>"
    assert next(it) == book.get(0)
    for _ in range(3):
        with pytest.raises(StopIteration):
            next(it)


def test_an_iterator_outlives_its_book():
    it = iter(book_of(record(1, "e2e4"), record(2, "d2d4")))
    assert [r.key for r in it] == [1, 2]


# ---- lookups -------------------------------------------------------------------------


def test_raw_entries_keep_file_order_and_every_record():
    book = book_of(record(1, "a2a3"), record(START_KEY, "e2e4", 5), record(START_KEY, 5 << 12, 9),
                   record(START_KEY, "e2e5", 4), record(START_KEY + 1, "d2d4"))
    assert [(r.bits, r.weight) for r in book.raw_entries(START_KEY)] == [
        (bits("e2e4"), 5), (5 << 12, 9), (bits("e2e5"), 4)]
    # The promotion code 5 and the impossible e2e5 name no legal move.
    assert ucis(book.entries(START)) == [("e2e4", 5)]
    assert book.raw_entries(0) == book.raw_entries(2**64 - 1) == []


def test_an_unsorted_book_gives_the_run_at_the_lower_bound():
    # Looking for 1, the search probes index 1 (key 1 >= 1), then index 0
    # (key 3 >= 1), and lands on index 0; looking for 3 it probes indexes 1
    # and 2 (keys 1 and 2, both below 3) and lands past the end.
    book = book_of(record(3, "e2e4"), record(1, "d2d4"), record(2, "c2c4"))
    assert book.raw_entries(1) == book.raw_entries(3) == []
    assert [r.key for r in book.raw_entries(2)] == [2]


def test_best_prefers_the_earlier_of_equal_weights():
    book = book_of(record(START_KEY, "d2d4", 5), record(START_KEY, "e2e4", 9), record(START_KEY, "c2c4", 9))
    assert ucis([book.best(START)]) == [("e2e4", 9)]


def test_best_lets_weight_zero_entries_take_part():
    book = book_of(record(START_KEY, "e2e5", 9), record(START_KEY, "g1f3", 0))
    assert ucis([book.best(START)]) == [("g1f3", 0)]


@pytest.mark.parametrize(("seed", "chosen"), [(0, "d2d4"), (1, "c2c4"), (2, "c2c4"), (3, "c2c4"), (4, "d2d4"),
                                              (2**64 - 1, "c2c4")])
def test_pick_draws_by_running_total(seed, chosen):
    book = book_of(record(START_KEY, "d2d4", 1), record(START_KEY, "e2e4", 0), record(START_KEY, "c2c4", 3))
    assert book.pick(START, seed).move.uci() == chosen


@pytest.mark.parametrize("seed", [0, 1, 5, 2**63])
def test_pick_with_every_weight_zero_gives_the_first_decodable(seed):
    book = book_of(record(START_KEY, "e2e5", 0), record(START_KEY, "g1f3", 0), record(START_KEY, "e2e4", 0))
    assert book.pick(START, seed).move.uci() == "g1f3"


def test_pick_refuses_negative_seeds():
    with pytest.raises(OverflowError):
        book_of(record(START_KEY, "e2e4")).pick(START, -1)


def test_queries_without_a_decodable_entry_give_none():
    book = book_of(record(START_KEY, "e2e5"), record(START_KEY, 7 << 12))
    assert book.entries(START) == [] and book.best(START) is None and book.pick(START, 3) is None


def test_queries_take_the_variant_by_keyword():
    start960 = vorn.CHESS960.start_position(0)   # bbqnnrkr
    book = book_of(record(start960.polyglot_key, "g1h1"), record(start960.polyglot_key, "e2e4"))
    assert ucis(book.entries(start960, variant=vorn.CHESS960)) == [("e2e4", 1)]
    assert book.best(position=start960, variant=None).move.uci() == "e2e4"
    with pytest.raises(TypeError, match="argument 'position'"):
        book.entries(START.fen)
    with pytest.raises(TypeError, match="argument 'variant'"):
        book.entries(START, variant="chess")


# ---- decoding ---------------------------------------------------------------------------


CHESS960_CASTLING = vorn.Position.from_fen("rk5r/8/8/8/8/8/8/RK5R w HAha - 0 1")


@pytest.mark.parametrize(("position", "uci", "kind", "variant"), [
    pytest.param(START, "e2e4", "quiet", None, id="pawn push"),
    pytest.param(CASTLING, "e1h1", "castling", None, id="short castling"),
    pytest.param(CASTLING, "e1a1", "castling", None, id="long castling"),
    pytest.param(PROMOTION, "a7a8q", "promotion", None, id="queen promotion"),
    pytest.param(PROMOTION, "a7a8n", "promotion", None, id="knight promotion"),
    pytest.param(vorn.Position.from_fen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1"), "e5d6", "en_passant", None,
                 id="en passant"),
    pytest.param(CHESS960_CASTLING, "b1a1", "castling", vorn.CHESS960, id="chess960 long castling"),
    pytest.param(CHESS960_CASTLING, "b1h1", "castling", vorn.CHESS960, id="chess960 short castling"),
])
def test_decode_gives_the_legal_move(position, uci, kind, variant):
    raw = PolyglotRaw(position.polyglot_key, bits(uci), 7, 3)
    assert raw.uci == uci
    entry = raw.decode(position, variant=variant)
    legal = position.parse_uci(uci, variant=variant)
    assert (entry.key, entry.weight, entry.learn, entry.bits) == (raw.key, 7, 3, raw.bits)
    assert entry.move == legal and entry.move.kind == legal.kind == kind
    book = book_of(record(position.polyglot_key, uci, 7, 3))
    assert book.entries(position, variant=variant) == [entry] and book.best(position, variant=variant) == entry


@pytest.mark.parametrize(("position", "packed"), [
    pytest.param(START, bits("e2e4", code=4), id="promotion code on a pawn push"),
    pytest.param(PROMOTION, bits("a7a8"), id="promotion without a code"),
    pytest.param(PROMOTION, bits("a7a8", code=5), id="code 5"),
    pytest.param(CASTLING, bits("e1g1"), id="castling by the king's two squares"),
    pytest.param(START, 0, id="a1a1"),
])
def test_decode_refuses_bits_naming_no_legal_move(position, packed):
    assert PolyglotRaw(position.polyglot_key, packed).decode(position) is None


def test_decode_ignores_the_key():
    assert PolyglotRaw(12345, bits("e2e4")).decode(START).key == 12345


@pytest.mark.parametrize(("packed", "text"), [
    (0, "a1a1"), (bits("e2e4"), "e2e4"), (bits("h7h8r"), "h7h8r"), (bits("b2b1b"), "b2b1b"),
    (bits("e1h1"), "e1h1"), (bits("e2e4") | 1 << 15, "e2e4"),
    (5 << 12, None), (6 << 12 | bits("e2e4"), None), (7 << 12, None),
])
def test_uci_reads_the_bits_alone(packed, text):
    raw = PolyglotRaw(0, packed)
    assert raw.uci == text
    assert repr(raw) == f"<PolyglotRaw 0000000000000000 {text or '?'} weight 1>"


# ---- records as Python values ----------------------------------------------------------


def test_raw_defaults_and_repr():
    raw = PolyglotRaw(0, 0)
    assert (raw.key, raw.bits, raw.weight, raw.learn, raw.uci) == (0, 0, 1, 0, "a1a1")
    assert repr(raw) == "<PolyglotRaw 0000000000000000 a1a1 weight 1>"
    assert repr(PolyglotRaw(START_KEY, bits("e2e4"), weight=65535, learn=2**32 - 1)) == (
        "<PolyglotRaw 463b96181691fc9c e2e4 weight 65535>")


@pytest.mark.parametrize("args", [(-1, 0), (2**64, 0), (0, 65536), (0, 0, 65536), (0, 0, 1, 2**32), (0, 0, -1)])
def test_raw_fields_are_range_checked(args):
    with pytest.raises(OverflowError):
        PolyglotRaw(*args)


def test_entry_holds_any_move_unchecked():
    entry = PolyglotEntry(START_KEY, vorn.Move("a1", "h8", promotion="q"), learn=9)
    assert (entry.weight, entry.learn, entry.bits) == (1, 9, bits("a1h8q"))
    assert repr(entry) == "<PolyglotEntry 463b96181691fc9c a1h8q weight 1>"
    assert isinstance(entry.move, vorn.Move) and entry.move is not entry.move
    with pytest.raises(TypeError, match="argument 'mv'"):
        PolyglotEntry(0, "e2e4")


def test_entry_repr_writes_castling_king_to_rook():
    castle = CASTLING.parse_uci("e1g1")
    assert repr(PolyglotEntry(1, castle, 2)) == "<PolyglotEntry 0000000000000001 e1h1 weight 2>"


def raw_hash(key, packed, weight, learn):
    value = siphash13(struct.pack("<QHHI", key, packed, weight, learn))
    value -= (value >> 63) << 64
    return -2 if value == -1 else value


def entry_hash(key, origin, destination, promotion, weight, learn):
    data = struct.pack("<QBB", key, origin, destination)
    data += struct.pack("<Q", 0) if promotion is None else struct.pack("<QQ", 1, promotion)
    value = siphash13(data + struct.pack("<HI", weight, learn))
    value -= (value >> 63) << 64
    return -2 if value == -1 else value


@pytest.mark.parametrize("fields", [(0, 0, 1, 0), (START_KEY, bits("e2e4"), 65535, 2**32 - 1), (2**64 - 1, 2**16 - 1, 0, 7)])
def test_raw_equality_and_hash(fields):
    a, b = PolyglotRaw(*fields), PolyglotRaw(*fields)
    assert a == b and not a != b and hash(a) == hash(b) == raw_hash(*fields)
    for other in (PolyglotRaw(fields[0] ^ 1, *fields[1:]), PolyglotRaw(*fields[:3], fields[3] ^ 1)):
        assert a != other


@pytest.mark.parametrize(("move", "promotion"), [
    (vorn.Move("e2", "e4"), None), (vorn.Move("a7", "a8", promotion="n"), 1),
    (vorn.Move("h2", "h1", promotion="q"), 4)])
def test_entry_equality_and_hash(move, promotion):
    entry = PolyglotEntry(START_KEY, move, 300, 5)
    assert hash(entry) == entry_hash(START_KEY, square(move.uci()[:2]), square(move.uci()[2:4]), promotion, 300, 5)
    assert entry == PolyglotEntry(START_KEY, move, 300, 5)
    assert entry != PolyglotEntry(START_KEY, move, 301, 5)


def test_entry_equality_ignores_the_move_kind():
    castle = CASTLING.parse_uci("e1h1")
    plain = vorn.Move("e1", "h1")
    assert castle.kind != plain.kind
    assert PolyglotEntry(1, castle) == PolyglotEntry(1, plain)
    assert hash(PolyglotEntry(1, castle)) == hash(PolyglotEntry(1, plain))


def test_records_compare_only_for_equality_within_their_class():
    raw, entry = PolyglotRaw(0, bits("e2e4")), PolyglotEntry(0, vorn.Move("e2", "e4"))
    assert raw != entry and entry != raw and raw != (0, bits("e2e4"), 1, 0)
    for a, b in ((raw, raw), (entry, entry), (raw, entry)):
        with pytest.raises(TypeError):
            a < b


def test_books_builders_and_iterators_compare_by_identity():
    book = book_of()
    assert book == book and book != book_of() and hash(book) == hash(book)
    assert PolyglotBuilder() != PolyglotBuilder()


@pytest.mark.parametrize("cls", [PolyglotRaw, PolyglotEntry, PolyglotBook, PolyglotBookIter, PolyglotBuilder])
def test_classes_cannot_be_subclassed(cls):
    with pytest.raises(TypeError):
        type("Sub", (cls,), {})


def test_getters_are_read_only():
    raw = PolyglotRaw(1, 2)
    with pytest.raises(AttributeError):
        raw.weight = 5


# ---- writing ------------------------------------------------------------------------------


def move_of_bits(packed):
    return vorn.Move.from_uci(PolyglotRaw(0, packed).uci)


def test_write_sorts_by_key_then_weight_then_bits(tmp_path):
    path = tmp_path / "out.bin"
    raws = [(9, 5, 1), (5, 900, 3), (5, 20, 7), (5, 10, 7)]
    PolyglotBook.write(path, [PolyglotEntry(k, move_of_bits(b), w) for k, b, w in raws])
    assert [(r.key, r.bits, r.weight) for r in PolyglotBook(path)] == [(5, 10, 7), (5, 20, 7), (5, 900, 3), (9, 5, 1)]


def test_write_merges_duplicates_saturating_and_keeps_the_heaviest_learn(tmp_path):
    path = tmp_path / "out.bin"
    e4 = vorn.Move("e2", "e4")
    PolyglotBook.write(path, [PolyglotEntry(1, e4, 30000, 3), PolyglotEntry(1, e4, 40000, 4),
                              PolyglotEntry(1, vorn.Move("d2", "d4"), 2, 8)])
    assert file_records(path) == [(1, bits("e2e4"), 65535, 4), (1, bits("d2d4"), 2, 8)]


def test_write_merges_into_the_merged_order(tmp_path):
    path = tmp_path / "out.bin"
    e4, d4 = vorn.Move("e2", "e4"), vorn.Move("d2", "d4")
    # d4 is heavier on its own, e4 heavier once its two records merge.
    PolyglotBook.write(path, [PolyglotEntry(1, d4, 5, 1), PolyglotEntry(1, e4, 3, 2), PolyglotEntry(1, e4, 3, 3)])
    assert file_records(path) == [(1, bits("e2e4"), 6, 2), (1, bits("d2d4"), 5, 1)]


def test_write_merges_many_duplicates_like_a_counting_model(tmp_path):
    path = tmp_path / "out.bin"
    moves = [vorn.Move.from_uci(u) for u in ("e2e4", "d2d4", "c2c4", "g1f3", "b1c3")]
    entries = [PolyglotEntry(i % 7, moves[i * 3 % 5], weight=i * 7919 % 9001, learn=i) for i in range(20000)]
    merged = {}
    for e in entries:
        total, heaviest, learn = merged.get((e.key, e.bits), (0, -1, 0))
        if e.weight > heaviest:   # the first of the heaviest keeps its learn
            heaviest, learn = e.weight, e.learn
        merged[(e.key, e.bits)] = (min(total + e.weight, 65535), heaviest, learn)
    expected = sorted(((key, packed, total, learn) for (key, packed), (total, _, learn) in merged.items()),
                      key=lambda r: (r[0], -r[2], r[1]))
    PolyglotBook.write(path, entries)
    assert file_records(path) == expected


def test_write_with_no_entries_creates_an_empty_file(tmp_path):
    path = tmp_path / "out.bin"
    path.write_bytes(b"old content")
    PolyglotBook.write(path, [])
    assert path.read_bytes() == b""


def test_write_refuses_what_is_not_a_list_of_entries(tmp_path):
    with pytest.raises(TypeError):
        PolyglotBook.write(tmp_path / "x.bin", "e2e4")
    with pytest.raises(TypeError):
        PolyglotBook.write(tmp_path / "x.bin", [PolyglotRaw(0, 0)])


def test_write_failures_are_os_errors(tmp_path):
    with pytest.raises(FileNotFoundError):
        PolyglotBook.write(tmp_path / "no" / "such" / "dir.bin", [])
    with pytest.raises(IsADirectoryError):
        PolyglotBuilder().write(tmp_path)


def test_an_open_book_survives_its_file_being_rewritten(tmp_path):
    # A book that mapped its file would die of SIGBUS when the file shrinks,
    # so the check runs in a child process.
    path = tmp_path / "book.bin"
    script = textwrap.dedent(f"""
        import os, vorn
        from vorn.polyglot import PolyglotBook, PolyglotEntry
        path = {str(path)!r}
        start = vorn.Position.from_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1")
        move = start.parse_uci("e2e4")
        PolyglotBook.write(path, [PolyglotEntry(k, move) for k in range(5000)] + [PolyglotEntry(start.polyglot_key, move)])
        book = PolyglotBook(path)
        PolyglotBook.write(path, [])                 # our own write, truncating
        assert os.path.getsize(path) == 0
        assert len(book) == 5001 and book.best(start).move == move
        assert len(list(book)) == 5001 and book.get(5000).key == start.polyglot_key
        with open(path, "r+b") as f:                 # another writer
            f.write(b"x" * 16)
        assert book.entries(start)[0].move == move
        print("ok")
    """)
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True)
    assert (done.returncode, done.stdout.strip(), done.stderr) == (0, "ok", "")


# ---- building -------------------------------------------------------------------------------


def game_of(*sans, fen=None):
    game = vorn.Game() if fen is None else vorn.Game.from_fen(fen)
    for san in sans:
        game.play_san(san)
    return game


def test_new_builder():
    builder = PolyglotBuilder()
    assert (len(builder), repr(builder), builder.entries()) == (0, "<PolyglotBuilder 0 moves>", [])


@pytest.mark.parametrize("kwargs", [{"max_ply": -1}, {"min_count": -1}, {"max_ply": 2**32}])
def test_builder_limits_are_unsigned(kwargs):
    with pytest.raises(OverflowError):
        PolyglotBuilder(**kwargs)


def test_builder_arguments_are_keyword_only():
    with pytest.raises(TypeError):
        PolyglotBuilder(3)


def test_builder_counts_every_move_in_its_position():
    builder = PolyglotBuilder()
    builder.add_game(game_of("e4", "e5", "Nf3"))
    builder.add_game(game_of("Nf3", "e5", "e4"))
    builder.add_game(game_of("e4", "e5"))
    after_e4 = START.play("e2e4")
    # Nf3 e5 e4 transposes into e4 e5 Nf3, so e7e5 is counted under two keys.
    expected = sorted([
        (START_KEY, bits("e2e4"), 2), (START_KEY, bits("g1f3"), 1),
        (after_e4.polyglot_key, bits("e7e5"), 2),
        (START.play("g1f3").polyglot_key, bits("e7e5"), 1),
        (after_e4.play("e7e5").polyglot_key, bits("g1f3"), 1),
        (START.play("g1f3").play("e7e5").polyglot_key, bits("e2e4"), 1),
    ], key=lambda r: (r[0], -r[2], r[1]))
    assert [(r.key, r.bits, r.weight) for r in builder.entries()] == expected
    assert all(r.learn == 0 for r in builder.entries())
    assert len(builder) == 6 and repr(builder) == "<PolyglotBuilder 6 moves>"


def test_builder_packs_castling_and_promotion_like_the_format():
    builder = PolyglotBuilder()
    game = vorn.Game.from_fen("r3k2r/P7/8/8/8/8/8/R3K2R w KQkq - 0 1")
    game.play_san("O-O")
    game.play_san("O-O-O")
    game.play_san("a8=N")
    builder.add_game(game)
    assert sorted(r.uci for r in builder.entries()) == ["a7a8n", "e1h1", "e8a8"]


@pytest.mark.parametrize(("max_ply", "counted"), [(0, []), (1, ["e2e4", "d2d4"]), (2, ["e2e4", "d2d4", "e7e5", "d7d5"]),
                                                  (None, ["e2e4", "d2d4", "e7e5", "d7d5", "g1f3"])])
def test_max_ply_counts_the_first_moves_of_each_game(max_ply, counted):
    builder = PolyglotBuilder(max_ply=max_ply)
    builder.add_game(game_of("e4", "e5", "Nf3"))
    builder.add_game(game_of("d4", "d5"))
    assert sorted(r.uci for r in builder.entries()) == sorted(counted)
    assert len(builder) == len(counted)


def test_max_ply_counts_from_a_set_up_start():
    fen = "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1"
    builder = PolyglotBuilder(max_ply=1)
    builder.add_game(game_of("e4", "Kd7", fen=fen))
    assert [(r.key, r.uci) for r in builder.entries()] == [(vorn.Position.from_fen(fen).polyglot_key, "e2e4")]


@pytest.mark.parametrize(("min_count", "kept"), [(0, 2), (1, 2), (2, 1), (3, 0)])
def test_min_count_filters_records_not_the_length(min_count, kept):
    builder = PolyglotBuilder(min_count=min_count)
    builder.add_game(game_of("e4"))
    builder.add_game(game_of("e4"))
    builder.add_game(game_of("d4"))
    assert len(builder.entries()) == kept and len(builder) == 2


def test_counts_beyond_the_weight_range_give_weight_65535():
    builder = PolyglotBuilder()
    game = game_of("e4")
    for _ in range(70000):
        builder.add_game(game)
    assert [(r.uci, r.weight) for r in builder.entries()] == [("e2e4", 65535)]


def test_counts_beyond_the_weight_range_keep_their_proportion_per_position():
    builder = PolyglotBuilder(min_count=2)
    # Counted from the start: e4 140,000 times, d4 70,000, c4 3, Nf3 2, a3 once (left out by
    # min_count); after 1. e4: e5 2 and c5 3, a position whose counts all fit.
    builder.add_pgn_string("1. e4 *\n" * 139_995 + "1. d4 *\n" * 70_000 + "1. c4 *\n" * 3 + "1. Nf3 *\n" * 2
                           + "1. a3 *\n" + "1. e4 e5 *\n" * 2 + "1. e4 c5 *\n" * 3)
    after_e4 = START.play("e2e4").polyglot_key
    assert [(r.key, r.uci, r.weight) for r in builder.entries()] == sorted([
        (START_KEY, "e2e4", 65535), (START_KEY, "d2d4", 32768), (START_KEY, "c2c4", 1), (START_KEY, "g1f3", 1),
        (after_e4, "c7c5", 3), (after_e4, "e7e5", 2)], key=lambda r: (r[0], -r[2], bits(r[1])))


def test_builder_writes_its_entries_and_may_go_on(tmp_path):
    path = tmp_path / "built.bin"
    builder = PolyglotBuilder()
    builder.write(path)
    assert path.read_bytes() == b""
    builder.add_game(game_of("e4", "c5"))
    builder.write(str(path))
    assert list(PolyglotBook(path)) == builder.entries()
    builder.add_game(game_of("e4"))
    builder.write(path)
    assert PolyglotBook(path).best(START).weight == 2


def test_add_game_takes_only_games():
    with pytest.raises(TypeError, match="argument 'game'"):
        PolyglotBuilder().add_game(START)


# ---- building from PGN ------------------------------------------------------------------------

PGN_TWO_GOOD_ONE_BAD = """[Event "good"]

1. e4 e5 2. Nf3 (2. Nc3 Nc6 3. f4) Nc6 *

[Event "an illegal move"]

1. e4 e4 *

[Event "set up"]
[FEN "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1"]
[SetUp "1"]

1. e4 Kd7 1-0
"""
SET_UP = vorn.Position.from_fen("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1")


@pytest.mark.parametrize("how", ["string", "file"])
def test_add_pgn_counts_main_lines_of_the_games_that_read(tmp_path, how):
    builder = PolyglotBuilder()
    if how == "file":
        path = tmp_path / "games.pgn"
        path.write_text(PGN_TWO_GOOD_ONE_BAD)
        assert builder.add_pgn(path) == 2
    else:
        assert builder.add_pgn_string(PGN_TWO_GOOD_ONE_BAD) == 2
    after_e4 = START.play("e2e4")
    # Variations are not counted: no b1c3, no f2f4.
    assert sorted((r.key, r.uci) for r in builder.entries()) == sorted([
        (START_KEY, "e2e4"), (after_e4.polyglot_key, "e7e5"), (after_e4.play("e7e5").polyglot_key, "g1f3"),
        (after_e4.play("e7e5").play("g1f3").polyglot_key, "b8c6"),
        (SET_UP.polyglot_key, "e2e4"), (SET_UP.play("e2e4").polyglot_key, "e8d7")])


def random_games_and_counts(seed, games):
    """The PGN text of `games` random legal games, and how often each (key, uci) occurs in them."""
    draw = random.Random(seed)
    texts, counts = [], {}
    for _ in range(games):
        game = vorn.Game()
        for _ in range(draw.randint(80, 120)):
            moves = game.legal_moves()
            if not moves:
                break
            move = draw.choice(moves)
            pair = (game.position.polyglot_key, move.uci())
            counts[pair] = counts.get(pair, 0) + 1
            game.play(move)
        texts.append(str(game.to_pgn()))
    return "\n".join(texts), counts


# Castling rights lost to a capture on the rook's corner, which random games
# need not hold.
@pytest.mark.parametrize(("fen", "sans"), [
    ("r3k3/1P6/8/8/8/8/8/4K3 w q - 0 1", ["bxa8=Q+", "Ke7", "Qb7+", "Kf6", "Ke2"]),
    ("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", ["Rxa8+", "Ke7", "Raxh8", "Kf6", "O-O", "Kg5"]),
], ids=["promotion-takes-a-rook", "rook-taken-on-its-corner"])
def test_pgn_keys_kept_move_by_move_are_the_positions_keys(fen, sans):
    # The reader keeps the key up move by move: it must be the key the position has.
    game, expected = vorn.Game.from_fen(fen), []
    for san in sans:
        expected.append((game.position.polyglot_key, game.position.parse_san(san).uci()))
        game.play_san(san)
    builder = PolyglotBuilder()
    assert builder.add_pgn_string(str(game.to_pgn())) == 1
    assert sorted((r.key, r.uci) for r in builder.entries()) == sorted(expected)


def test_counts_stay_right_however_the_pairs_are_batched_and_read():
    # Over a million moves in one call, and the same games fed in parts with
    # the counts read between them: pairs counted earlier meet the same
    # pairs again, each way must give the counts of the games.
    text, counts = random_games_and_counts(5, 200)
    expected = sorted((key, uci, 60 * n) for (key, uci), n in counts.items())
    whole = PolyglotBuilder()
    assert whole.add_pgn_string(text * 60) == 12_000
    in_parts = PolyglotBuilder()
    for part in (1, 2, 3, 6, 48):
        assert in_parts.add_pgn_string(text * part) == 200 * part
        assert len(in_parts) == len(counts)
    for builder in (whole, in_parts):
        assert len(builder) == len(counts)
        assert sorted((r.key, r.uci, r.weight) for r in builder.entries()) == expected


@pytest.mark.parametrize(("max_ply", "moves"), [(0, 0), (1, 2), (None, 6)])
def test_add_pgn_counts_games_whatever_max_ply_counts(max_ply, moves):
    builder = PolyglotBuilder(max_ply=max_ply)
    assert builder.add_pgn_string(PGN_TWO_GOOD_ONE_BAD) == 2
    assert len(builder) == moves


def test_add_pgn_with_nothing_to_read():
    builder = PolyglotBuilder()
    assert builder.add_pgn_string("") == builder.add_pgn_string("garbage { never closed") == 0
    assert len(builder) == 0


def test_add_pgn_refuses_paths_it_cannot_open(tmp_path):
    builder = PolyglotBuilder()
    with pytest.raises(FileNotFoundError) as caught:
        builder.add_pgn(tmp_path / "missing.pgn")
    assert caught.value.filename == str(tmp_path / "missing.pgn")
    with pytest.raises(IsADirectoryError):
        builder.add_pgn(tmp_path)
    with pytest.raises(TypeError, match="argument 'text'"):
        builder.add_pgn_string(b"1. e4 *")



def random_games(seed, count, variant=None):
    draw = random.Random(seed)
    for _ in range(count):
        game = vorn.Game(variant=variant, seed=draw.randrange(960)) if variant else vorn.Game()
        while game.ply < 200 and game.outcome() is None:
            moves = game.legal_moves()
            # Pawns moved half the time, for double steps beside pawns, en passant and promotions.
            pawn_moves = [mv for mv in moves if game.position.piece_at(mv.origin) in "Pp"]
            game.play(draw.choice(pawn_moves if pawn_moves and draw.random() < 0.5 else moves))
        yield game


@pytest.mark.parametrize("variant", [None, vorn.CHESS960], ids=["chess", "chess960"])
def test_add_pgn_keys_every_position_as_a_fresh_key_does(variant):
    """The key add_pgn keeps up move by move, through captures, castling, en
    passant and promotions, equals the one add_game computes afresh."""
    games = list(random_games(17, 60, variant))
    played = PolyglotBuilder()
    for game in games:
        played.add_game(game)
    read = PolyglotBuilder()
    assert read.add_pgn_string("\n".join(str(game.to_pgn()) for game in games)) == len(games)
    assert read.entries() == played.entries()
    assert {"castling", "en_passant", "promotion"} <= {str(mv.kind) for game in games for mv in game.moves}
