"""Polyglot books on real files (Debian's gnuchess and pychess books), read
by vorn and, independently, by the `chess` library's chess.polyglot reader:
the records, the entries of thousands of positions, and books built, written
and read back."""

import collections
import random

import pytest

from support import pgn_files
import vorn
from support.oracle import python_chess
from support.random_play import random_positions
from support.real_files import real_file
from vorn.polyglot import PolyglotBook, PolyglotBuilder

chess = python_chess()
python_chess("chess.polyglot")  # reached as chess.polyglot

BOOKS = {
    "gnuchess": ("/usr/share/games/gnuchess/book.bin", "gnuchess-book"),
    "pychess": ("/usr/share/pychess/pychess_book.bin", "pychess"),
}
# gnuchess's small book ends in a stray byte.
SMALL_BOOK = ("/usr/share/gnuchess/smallbook.bin", "gnuchess")
START_FEN = chess.STARTING_FEN


@pytest.fixture(scope="module", params=sorted(BOOKS))
def books(request):
    path = real_file(*BOOKS[request.param])
    with chess.polyglot.open_reader(path) as oracle:
        yield path, PolyglotBook(path), oracle


def book_lines(book, count, plies, seed):
    """Games of `plies` moves drawn from the book by weight, as UCI texts."""
    draw = random.Random(seed)
    lines = []
    for _ in range(count):
        position, line = vorn.Position.from_fen(START_FEN), []
        for _ in range(plies):
            entry = book.pick(position, draw.getrandbits(64))
            if entry is None:
                break
            line.append(entry.move.uci())
            position = position.play(entry.move)
        lines.append(line)
    return lines


def reached_positions(book, limit):
    """FENs of the positions the book's own moves reach from the start, breadth first."""
    seen, queue, found = set(), collections.deque([vorn.Position.from_fen(START_FEN)]), []
    while queue and len(found) < limit:
        position = queue.popleft()
        if position.polyglot_key in seen:
            continue
        seen.add(position.polyglot_key)
        found.append(position.fen)
        queue.extend(position.play(entry.move) for entry in book.entries(position))
    return found


def oracle_entries(oracle, board):
    """Bits, weight, learn and whether the move castles, as chess.polyglot reads them."""
    return [(e.raw_move, e.weight, e.learn, board.is_castling(e.move))
            for e in oracle.find_all(board, minimum_weight=0)]


def vorn_entries(book, position):
    return [(e.bits, e.weight, e.learn, e.move.kind == "castling") for e in book.entries(position)]


def test_every_record_reads_as_the_oracle_reads_it(books):
    path, book, oracle = books
    assert len(book) == len(oracle) == path.stat().st_size // 16
    for raw, theirs in zip(book, oracle):
        assert (raw.key, raw.bits, raw.weight, raw.learn, raw.uci) == (
            theirs.key, theirs.raw_move, theirs.weight, theirs.learn, theirs.move.uci())


def test_entries_agree_on_positions_the_book_reaches(books):
    _, book, oracle = books
    fens = reached_positions(book, 3000)
    assert len(fens) == 3000
    for fen in fens:
        position, board = vorn.Position.from_fen(fen), chess.Board(fen)
        assert position.polyglot_key == chess.polyglot.zobrist_hash(board)
        assert vorn_entries(book, position) == oracle_entries(oracle, board), fen


def test_entries_agree_on_random_positions(books):
    _, book, oracle = books
    for fen in random_positions(1000, seed=7):
        assert vorn_entries(book, vorn.Position.from_fen(fen)) == oracle_entries(oracle, chess.Board(fen)), fen


def test_best_and_pick_agree_with_the_oracle(books):
    _, book, oracle = books
    for fen in reached_positions(book, 300):
        position, board = vorn.Position.from_fen(fen), chess.Board(fen)
        entries = list(oracle.find_all(board, minimum_weight=0))
        if not entries:
            assert book.best(position) is book.pick(position, 1) is None
            continue
        heaviest = max(entries, key=lambda e: e.weight)   # max keeps the first of equals
        assert book.best(position).bits == heaviest.raw_move
        total = sum(e.weight for e in entries)
        for seed in (0, 1, total - 1, total, 12345678901234567):
            rest = seed % total
            for e in entries:
                if rest < e.weight:
                    break
                rest -= e.weight
            assert book.pick(position, seed).bits == e.raw_move


def test_castling_records_decode_to_castling(books):
    _, book, _ = books
    castles = 0
    for fen in reached_positions(book, 3000):
        for entry in book.entries(vorn.Position.from_fen(fen)):
            if entry.move.kind == "castling":
                castles += 1
                assert entry.move.uci() in ("e1h1", "e1a1", "e8h8", "e8a8")
    assert castles > 0


def test_rewriting_the_records_of_reached_positions_gives_them_back(books, tmp_path):
    _, book, oracle = books
    entries = []
    for fen in reached_positions(book, 2000):
        entries += book.entries(vorn.Position.from_fen(fen))
    path = tmp_path / "rewritten.bin"
    PolyglotBook.write(path, entries)
    written = list(PolyglotBook(path))
    original = [raw for key in sorted({e.key for e in entries}) for raw in book.raw_entries(key)]
    # Equal weights may come in another move order than the original's.
    assert collections.Counter(written) == collections.Counter(original)
    assert [(r.key, -r.weight, r.bits) for r in written] == sorted((r.key, -r.weight, r.bits) for r in written)


def test_a_book_built_from_book_lines_counts_like_an_independent_model(books, tmp_path):
    _, book, _ = books
    lines = book_lines(book, 400, 16, seed=3)
    builder, expected = PolyglotBuilder(), collections.Counter()
    for line in lines:
        game, board = vorn.Game(), chess.Board()
        for uci in line:
            game.play(uci)
            move = chess.Move.from_uci(uci)
            # The format writes castling as the king taking its rook.
            if board.is_castling(move):
                move = chess.Move(move.from_square, chess.square(7 if board.is_kingside_castling(move) else 0,
                                                                 chess.square_rank(move.from_square)))
            expected[(chess.polyglot.zobrist_hash(board), move.from_square << 6 | move.to_square)] += 1
            board.push_uci(uci)
        builder.add_game(game)
    assert len(builder) == len(expected)
    path = tmp_path / "built.bin"
    builder.write(path)
    with chess.polyglot.open_reader(path) as written:
        assert collections.Counter({(e.key, e.raw_move): e.weight for e in written}) == expected
    assert list(PolyglotBook(path)) == builder.entries()


def test_a_book_with_a_stray_byte_is_refused():
    path = real_file(*SMALL_BOOK)
    assert path.stat().st_size % 16 != 0
    with pytest.raises(OSError, match="^a book is a whole number of 16-byte entries$"):
        PolyglotBook(path)


def real_pgn_files():
    """pychess's study and puzzle exports and pgn-extract's ECO file."""
    pgn_files.require(pgn_files.STUDIES + pgn_files.PUZZLES, "pychess")
    pgn_files.require([pgn_files.ECO], "pgn-extract")
    return pgn_files.STUDIES + pgn_files.PUZZLES + [pgn_files.ECO]


def oracle_pairs(pgn_game):
    """(key, bits) of every main-line move of a game vorn read, replayed by `chess`."""
    played = pgn_game.game()
    board = chess.Board(played.start_position.fen, chess960=played.variant.name == "chess960")
    for move in played.moves:
        raw = chess.Move.from_uci(move.uci())   # castling as the king taking its rook
        code = raw.promotion - 1 if raw.promotion else 0
        yield chess.polyglot.zobrist_hash(board), code << 12 | raw.from_square << 6 | raw.to_square
        board.push(board.parse_uci(move.uci()))


def test_a_book_built_from_real_games_reads_back_as_counted(tmp_path):
    files = real_pgn_files()
    builder, expected, games = PolyglotBuilder(), collections.Counter(), 0
    for path in files:
        read = list(vorn.pgn_read(path, skip_errors=True))
        assert builder.add_pgn(path) == len(read)
        games += len(read)
        for game in read:
            expected.update(oracle_pairs(game))
    assert games > 2000
    path = tmp_path / "real.bin"
    builder.write(path)
    with chess.polyglot.open_reader(path) as written:
        records = collections.Counter({(e.key, e.raw_move): e.weight for e in written})
    assert records == collections.Counter({pair: min(count, 65535) for pair, count in expected.items()})
    # Read back by vorn: the same multiset of records as the builder's rows.
    assert collections.Counter(PolyglotBook(path)) == collections.Counter(builder.entries())
