"""Reading and writing FEN: fields, error kinds and their order, clocks,
castling fields with rook-file letters, en passant and mirroring."""

import pytest

import vorn
from support.quoting import quoted

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
START4 = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"
BOARD = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR"
U32_MAX = 2**32 - 1

FIELD_COUNT = "a FEN has four or six fields"
PLACEMENT = "invalid placement field"
SIDE = "invalid side-to-move field"
CASTLING = "invalid castling field"
EN_PASSANT = "invalid en-passant field"
HALFMOVE = "invalid halfmove clock"
FULLMOVE = "invalid full-move number"
ILLEGAL = "not a legal position"


# (given, written back with clocks)
ROUND_TRIPS = [
    pytest.param(START, START, id="start"),
    pytest.param(START4, START, id="four-fields"),
    pytest.param("  " + START4 + " \t ", START, id="blanks-around"),
    pytest.param(START.replace(" ", " \t  "), START, id="whitespace-runs"),
    pytest.param(BOARD + " w HAha - 0 1", START, id="corner-files-as-KQkq"),
    pytest.param(BOARD + " w qkQK - 0 1", START, id="letters-any-order"),
    pytest.param(BOARD + " w kQ - 0 1", BOARD + " w Qk - 0 1", id="rights-slot-order"),
    pytest.param(BOARD + " w - - 0 1", BOARD + " w - - 0 1", id="no-rights"),
    pytest.param("rnbqkbnr/pppppppp/44/8/8/3113/PPPPPPPP/RNBQKBNR w KQkq - 0 1", START,
                 id="digits-add-up"),
    pytest.param("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                 "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                 id="kiwipete"),
    pytest.param("rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq D6 +0 +3",
                 "rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3",
                 id="upper-case-ep-and-plus-clocks"),
    pytest.param("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
                 "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
                 id="ep-kept-without-capturer"),
    pytest.param(BOARD + f" w KQkq - {U32_MAX} {U32_MAX}",
                 BOARD + f" w KQkq - {U32_MAX} {U32_MAX}", id="largest-clocks"),
    # Chess960 rights: the KQkq letters pick the outermost rooks, file
    # letters name the rook; one right off the corner files switches all.
    pytest.param("nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w KQkq - 0 1",
                 "nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w GBgb - 0 1", id="960-KQkq"),
    pytest.param("nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w GBgb - 0 1",
                 "nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w GBgb - 0 1", id="960-files"),
    pytest.param("nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w bGgB - 0 1",
                 "nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w GBgb - 0 1",
                 id="960-files-any-order"),
    pytest.param("bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w KQkq - 0 1",
                 "bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w HFhf - 0 1", id="960-number-0"),
    pytest.param("4k3/8/8/8/8/8/8/R3K1R1 w KQ - 0 1", "4k3/8/8/8/8/8/8/R3K1R1 w GA - 0 1",
                 id="one-right-off-corner"),
    pytest.param("4k3/8/8/8/8/8/8/R1R1KR1R w KQ - 0 1", "4k3/8/8/8/8/8/8/R1R1KR1R w KQ - 0 1",
                 id="outermost-rooks"),
    pytest.param("4k3/8/8/8/8/8/8/R1R1KR1R w FC - 0 1", "4k3/8/8/8/8/8/8/R1R1KR1R w FC - 0 1",
                 id="inner-rooks-by-file"),
    pytest.param("r3k2r/8/8/8/8/8/8/R1R1KR1R w KCha - 0 1",
                 "r3k2r/8/8/8/8/8/8/R1R1KR1R w HCha - 0 1", id="mixed-letters"),
    pytest.param("r1r1k2r/8/8/8/8/8/8/4K3 w c - 0 1", "r1r1k2r/8/8/8/8/8/8/4K3 w c - 0 1",
                 id="black-inner-long"),
    # Check from the pawn that just made its double step, and a line check
    # through the square the pawn left: both are positions a move can reach.
    pytest.param("7k/8/8/3p4/4K3/8/8/8 w - d6 0 1", "7k/8/8/3p4/4K3/8/8/8 w - d6 0 1",
                 id="ep-pawn-gives-check"),
    pytest.param("4b2k/8/8/1K1p4/8/8/8/8 w - d6 0 1", "4b2k/8/8/1K1p4/8/8/8/8 w - d6 0 1",
                 id="ep-discovered-check"),
]


@pytest.mark.parametrize("given, written", ROUND_TRIPS)
def test_reads_and_writes(given, written):
    position = vorn.Position.from_fen(given)
    assert position.fen == written
    assert position.epd == " ".join(written.split()[:4])
    again = vorn.Position.from_fen(position.fen)
    assert again.fen == written
    assert again.castling_rights == position.castling_rights


@pytest.mark.parametrize(
    "fen, kind",
    [
        # Field count.
        pytest.param("", FIELD_COUNT, id="empty"),
        pytest.param(" \t\n", FIELD_COUNT, id="blank"),
        pytest.param(BOARD + " w KQkq", FIELD_COUNT, id="three-fields"),
        pytest.param(START4 + " 0", FIELD_COUNT, id="five-fields"),
        pytest.param(START + " 1", FIELD_COUNT, id="seven-fields"),
        # Placement.
        pytest.param("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq - 0 1", PLACEMENT, id="seven-rows"),
        pytest.param(BOARD + "/8 w KQkq - 0 1", PLACEMENT, id="nine-rows"),
        pytest.param(BOARD + "/ w KQkq - 0 1", PLACEMENT, id="trailing-slash"),
        pytest.param("rnbqkbnr/pppppppp/8//8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", PLACEMENT,
                     id="empty-row"),
        pytest.param("rnbqkbnr/pppppppp/7/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", PLACEMENT,
                     id="short-row"),
        pytest.param("rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", PLACEMENT,
                     id="digit-nine"),
        pytest.param("rnbqkbnr/pppppppp/08/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", PLACEMENT,
                     id="digit-zero"),
        pytest.param("rnbqkbnrp/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", PLACEMENT,
                     id="letter-past-h"),
        pytest.param("rnbqkbnr/pppxpppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", PLACEMENT,
                     id="unknown-letter"),
        pytest.param("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN\u00e9 w KQkq - 0 1", PLACEMENT,
                     id="non-ascii"),
        # Side to move.
        pytest.param(BOARD + " W KQkq - 0 1", SIDE, id="upper-case-side"),
        pytest.param(BOARD + " white KQkq - 0 1", SIDE, id="side-word"),
        pytest.param(BOARD + " - KQkq - 0 1", SIDE, id="side-dash"),
        # Castling, while reading the field.
        pytest.param(BOARD + " w KK - 0 1", CASTLING, id="slot-twice"),
        pytest.param(BOARD + " w HK - 0 1", CASTLING, id="slot-twice-by-file"),
        pytest.param(BOARD + " w KQkqX - 0 1", CASTLING, id="unknown-letter"),
        pytest.param(BOARD + " w KQ-kq - 0 1", CASTLING, id="dash-inside"),
        pytest.param("4k3/8/8/8/8/8/4K3/7R w K - 0 1", CASTLING, id="king-off-back-rank"),
        pytest.param("4k3/8/8/8/8/8/4K3/7R w H - 0 1", CASTLING, id="king-off-back-rank-file"),
        pytest.param("rnbqkbn1/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w Kk - 0 1", CASTLING,
                     id="no-rook-for-k"),
        # Castling, while building the board.
        pytest.param("4k3/8/8/8/8/8/8/4K3 w H - 0 1", CASTLING, id="no-rook-on-file"),
        pytest.param("4k3/8/8/8/8/8/8/4K2r w H - 0 1", CASTLING, id="enemy-rook-on-file"),
        pytest.param("4k3/8/8/8/8/8/8/R3K3 w E - 0 1", CASTLING, id="file-of-king"),
        # En passant.
        pytest.param(BOARD + " w KQkq e3 0 1", EN_PASSANT, id="rank-3-white-to-move"),
        pytest.param(BOARD + " b KQkq e6 0 1", EN_PASSANT, id="rank-6-black-to-move"),
        pytest.param(BOARD + " w KQkq e9 0 1", EN_PASSANT, id="not-a-square"),
        pytest.param(BOARD + " w KQkq e 0 1", EN_PASSANT, id="file-only"),
        pytest.param(BOARD + " w KQkq e66 0 1", EN_PASSANT, id="three-chars"),
        pytest.param(BOARD + " w KQkq e6 0 1", EN_PASSANT, id="no-pawn-in-front"),
        pytest.param("4k3/8/4n3/4p3/8/8/8/4K3 w - e6 0 1", EN_PASSANT, id="target-occupied"),
        pytest.param("4k3/4n3/8/4p3/8/8/8/4K3 w - e6 0 1", EN_PASSANT, id="start-occupied"),
        pytest.param("4k3/8/8/3p4/8/4n3/8/3K4 w - d6 0 1", EN_PASSANT, id="check-from-knight"),
        # Clocks.
        pytest.param(BOARD + " w KQkq - -1 1", HALFMOVE, id="halfmove-negative"),
        pytest.param(BOARD + " w KQkq - x 1", HALFMOVE, id="halfmove-letter"),
        pytest.param(BOARD + " w KQkq - + 1", HALFMOVE, id="halfmove-plus-only"),
        pytest.param(BOARD + " w KQkq - ++1 1", HALFMOVE, id="halfmove-two-signs"),
        pytest.param(BOARD + " w KQkq - 1.0 1", HALFMOVE, id="halfmove-decimal-point"),
        pytest.param(BOARD + f" w KQkq - {2**32} 1", HALFMOVE, id="halfmove-overflow"),
        pytest.param(BOARD + " w KQkq - 0 0", FULLMOVE, id="fullmove-zero"),
        pytest.param(BOARD + " w KQkq - 0 +0", FULLMOVE, id="fullmove-plus-zero"),
        pytest.param(BOARD + " w KQkq - 0 -1", FULLMOVE, id="fullmove-negative"),
        pytest.param(BOARD + f" w KQkq - 0 {2**32}", FULLMOVE, id="fullmove-overflow"),
        # The board itself.
        pytest.param("8/8/8/8/8/8/8/8 w - - 0 1", ILLEGAL, id="no-kings"),
        pytest.param("8/8/8/8/8/8/8/4K3 w - - 0 1", ILLEGAL, id="no-black-king"),
        pytest.param("4k3/8/8/8/8/8/8/3KK3 w - - 0 1", ILLEGAL, id="two-white-kings"),
        pytest.param("P3k3/8/8/8/8/8/8/4K3 w - - 0 1", ILLEGAL, id="pawn-on-rank-8"),
        pytest.param("4k3/8/8/8/8/8/8/p3K3 w - - 0 1", ILLEGAL, id="pawn-on-rank-1"),
        pytest.param("4k3/8/8/8/P7/8/PPPPPPPP/4K3 w - - 0 1", ILLEGAL, id="nine-pawns"),
        pytest.param("4k3/8/8/8/NNNNNNNN/8/NNNNNNNN/4K3 w - - 0 1", ILLEGAL, id="seventeen-units"),
        pytest.param("4k3/8/8/8/8/8/8/4R1K1 w - - 0 1", ILLEGAL, id="side-not-to-move-in-check"),
        # Order of the checks: the first failing step decides.
        pytest.param(START + " 1 x", FIELD_COUNT, id="order-count-before-placement"),
        pytest.param("x W KQkq - 0 1", PLACEMENT, id="order-placement-before-side"),
        pytest.param(BOARD + " W KK - 0 1", SIDE, id="order-side-before-castling"),
        pytest.param(BOARD + " w KK e9 0 1", CASTLING, id="order-castling-before-ep"),
        pytest.param(BOARD + " w KQkq e9 x 1", EN_PASSANT, id="order-ep-before-halfmove"),
        pytest.param(BOARD + " w KQkq - x 0", HALFMOVE, id="order-halfmove-before-fullmove"),
        pytest.param("8/8/8/8/8/8/8/8 w - - 0 0", FULLMOVE, id="order-fullmove-before-board"),
        pytest.param("8/8/8/8/8/8/8/8 w - e3 0 1", EN_PASSANT, id="order-ep-rank-before-board"),
        pytest.param("8/8/8/8/8/8/8/8 w K - 0 1", CASTLING, id="order-castling-read-before-board"),
        pytest.param("4k3/8/8/8/8/8/8/3KK3 w H - 0 1", ILLEGAL,
                     id="order-board-before-castling-rook"),
        pytest.param("4k3/8/8/8/8/8/8/4K3 w H e6 0 1", CASTLING,
                     id="order-castling-rook-before-ep-pawn"),
    ],
)
def test_errors(fen, kind):
    with pytest.raises(vorn.FenError) as caught:
        vorn.Position.from_fen(fen)
    assert str(caught.value) == f"{kind}: {quoted(fen)}"
    assert caught.value.args == (str(caught.value),)


@pytest.mark.parametrize(
    "fen, message",
    [
        pytest.param('a"b\\c', r'a FEN has four or six fields: "a\"b\\c"', id="quote-backslash"),
        pytest.param("a\tb", r'a FEN has four or six fields: "a\tb"', id="tab"),
        pytest.param("a\rb\nc", r'a FEN has four or six fields: "a\rb\nc"', id="cr-lf"),
        pytest.param("a\0b", r'a FEN has four or six fields: "a\0b"', id="nul"),
        pytest.param("x'y", "a FEN has four or six fields: \"x'y\"", id="single-quote"),
        pytest.param("\u00e9\u00e8", 'a FEN has four or six fields: "\u00e9\u00e8"', id="accents"),
        pytest.param("x\u00a0y", r'a FEN has four or six fields: "x\u{a0}y"', id="nbsp"),
        pytest.param("x\u0301", r'a FEN has four or six fields: "x\u{301}"', id="combining-mark"),
    ],
)
def test_error_message_quotes_the_text(fen, message):
    with pytest.raises(vorn.FenError) as caught:
        vorn.Position.from_fen(fen)
    assert str(caught.value) == message


def test_fen_error_classes():
    assert issubclass(vorn.FenError, vorn.Error)
    assert issubclass(vorn.FenError, ValueError)
    with pytest.raises(ValueError):
        vorn.Position.from_fen("x")


def test_from_fen_needs_text():
    with pytest.raises(TypeError):
        vorn.Position.from_fen(42)


class TestClocks:
    def test_four_fields_leave_clocks_unknown(self):
        four = vorn.Position.from_fen(START4)
        six = vorn.Position.from_fen(START)
        assert (four.halfmove_clock, four.fullmove_number, four.clocks_known) == (0, 1, False)
        assert (six.halfmove_clock, six.fullmove_number, six.clocks_known) == (0, 1, True)
        assert four.fen == START
        assert four.epd == START4
        assert four != six

    @pytest.mark.parametrize(
        "fields, halfmove, fullmove",
        [
            pytest.param("7 12", 7, 12, id="plain"),
            pytest.param("+7 +12", 7, 12, id="plus-signs"),
            pytest.param("007 0012", 7, 12, id="leading-zeros"),
            pytest.param(f"{U32_MAX} {U32_MAX}", U32_MAX, U32_MAX, id="largest"),
            pytest.param("0 1", 0, 1, id="smallest"),
        ],
    )
    def test_values(self, fields, halfmove, fullmove):
        position = vorn.Position.from_fen(f"{START4} {fields}")
        assert position.halfmove_clock == halfmove
        assert position.fullmove_number == fullmove
        assert position.clocks_known
        assert position.fen == f"{START4} {halfmove} {fullmove}"


class TestEnPassant:
    @pytest.mark.parametrize(
        "fen, square",
        [
            pytest.param("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", "e3",
                         id="no-capturer"),
            pytest.param("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", "f6",
                         id="capturer"),
            pytest.param("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1", None,
                         id="none"),
            pytest.param("8/8/8/KPp4r/8/8/8/4k3 w - c6 0 1", "c6", id="capture-illegal"),
        ],
    )
    def test_square(self, fen, square):
        assert vorn.Position.from_fen(fen).en_passant == square

    def test_file_is_part_of_the_position(self):
        with_ep = vorn.Position.from_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1")
        without = vorn.Position.from_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1")
        assert with_ep != without


class TestCastlingRights:
    @pytest.mark.parametrize(
        "fen, field",
        [
            pytest.param(START, "KQkq", id="start"),
            pytest.param(BOARD + " w HAha - 0 1", "KQkq", id="corner-files"),
            pytest.param(BOARD + " w Kq - 0 1", "Kq", id="partial"),
            pytest.param(BOARD + " w - - 0 1", "-", id="none"),
            pytest.param("nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w KQkq - 0 1", "GBgb",
                         id="chess960"),
            pytest.param("nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w Gb - 0 1", "Gb",
                         id="chess960-partial"),
            pytest.param("rk4r1/8/8/8/8/8/8/RK4R1 w KQkq - 0 1", "GAga", id="king-b-rook-g"),
        ],
    )
    def test_field(self, fen, field):
        assert vorn.Position.from_fen(fen).castling_rights == field

    def test_same_rights_from_either_letters(self):
        by_letter = vorn.Position.from_fen(START)
        by_file = vorn.Position.from_fen(BOARD + " w HAha - 0 1")
        assert by_letter == by_file
        assert hash(by_letter) == hash(by_file)


class TestMirrored:
    @pytest.mark.parametrize(
        "fen, mirrored",
        [
            pytest.param(START, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1",
                         id="start"),
            pytest.param("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
                         "rnbqkbnr/pppp1ppp/8/4p3/8/8/PPPPPPPP/RNBQKBNR w KQkq e6 0 1",
                         id="ep-follows-side"),
            pytest.param("nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w Gb - 5 17",
                         "nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN b Bg - 5 17",
                         id="chess960-rights-swap-colour"),
            pytest.param("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w Kq - 3 9",
                         "r3k2r/pppbbppp/2n2q1P/1P2p3/3pn3/BN2PNP1/P1PPQPB1/R3K2R b Qk - 3 9",
                         id="kiwipete"),
        ],
    )
    def test_mirrored(self, fen, mirrored):
        position = vorn.Position.from_fen(fen)
        assert position.mirrored().fen == mirrored
        assert position.mirrored().mirrored() == position

    def test_keeps_clocks_unknown(self):
        mirrored = vorn.Position.from_fen(START4).mirrored()
        assert not mirrored.clocks_known
        assert mirrored.epd == "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -"
