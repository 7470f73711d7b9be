"""Playing moves: the resulting positions, clocks (saturating at the top of
their range), castling rights, en passant, outcomes and the errors of play."""

import pytest

import vorn

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
START4 = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"
CASTLING = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"
U32_MAX = 2**32 - 1


def play_all(fen, moves, variant=None):
    position = vorn.Position.from_fen(fen)
    for text in moves.split():
        position = position.play(text, variant=variant)
    return position


@pytest.mark.parametrize(
    "fen, move, after",
    [
        pytest.param(START, "e2e4", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
                     id="double-step-sets-ep-without-capturer"),
        pytest.param("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", "g8f6",
                     "rnbqkb1r/pppppppp/5n2/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 1 2",
                     id="other-move-clears-ep"),
        pytest.param("4k3/8/8/3pP3/8/8/8/4K1N1 w - d6 7 30", "e5d6",
                     "4k3/8/3P4/8/8/8/8/4K1N1 b - - 0 30", id="en-passant-removes-victim"),
        pytest.param("3r3k/4P3/8/8/8/8/8/K7 w - - 0 1", "e7d8n", "3N3k/8/8/8/8/8/8/K7 b - - 0 1",
                     id="capturing-underpromotion"),
        pytest.param(CASTLING, "e1h1", "r3k2r/8/8/8/8/8/8/R4RK1 b kq - 1 1", id="short-castling"),
        pytest.param(CASTLING, "e1g1", "r3k2r/8/8/8/8/8/8/R4RK1 b kq - 1 1",
                     id="short-castling-two-squares"),
        pytest.param(CASTLING, "e1a1", "r3k2r/8/8/8/8/8/8/2KR3R b kq - 1 1", id="long-castling"),
        pytest.param(CASTLING, "e1c1", "r3k2r/8/8/8/8/8/8/2KR3R b kq - 1 1",
                     id="long-castling-two-squares"),
        pytest.param("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8h8",
                     "r4rk1/8/8/8/8/8/8/R3K2R w KQ - 1 2", id="black-castling"),
        pytest.param(CASTLING, "e1d1", "r3k2r/8/8/8/8/8/8/R2K3R b kq - 1 1", id="king-move"),
        pytest.param(CASTLING, "a1b1", "r3k2r/8/8/8/8/8/8/1R2K2R b Kkq - 1 1",
                     id="rook-leaves-corner"),
        pytest.param(CASTLING, "h1h8", "r3k2R/8/8/8/8/8/8/R3K3 b Qq - 0 1",
                     id="rook-takes-rook-in-corner"),
        pytest.param("1r2k1r1/8/8/8/8/8/8/1R2K1R1 w GBgb - 0 1", "g1g2",
                     "1r2k1r1/8/8/8/8/8/6R1/1R2K3 b Bgb - 1 1", id="chess960-rook-leaves"),
    ],
)
def test_play(fen, move, after):
    position = vorn.Position.from_fen(fen)
    played = position.play(move)
    assert played.fen == after
    assert vorn.Position.from_fen(played.fen) == played
    assert position.fen == vorn.Position.from_fen(fen).fen


@pytest.mark.parametrize(
    "fen, move, after",
    [
        pytest.param("4k3/8/8/8/8/8/8/6KR w H - 0 1", "g1h1", "4k3/8/8/8/8/8/8/5RK1 b - - 1 1",
                     id="king-stays"),
        pytest.param("1k1r4/8/8/8/8/8/8/RK6 w A - 0 1", "b1a1", "1k1r4/8/8/8/8/8/8/2KR4 b - - 1 1",
                     id="king-b1-rook-a1"),
        pytest.param("rkr5/pppppppp/8/8/8/8/PPPPPPPP/RKR5 w CAca - 0 1", "b1c1",
                     "rkr5/pppppppp/8/8/8/8/PPPPPPPP/R4RK1 b ca - 1 1", id="adjacent-rook"),
        pytest.param("4k3/8/8/8/8/8/8/5RKR w HF - 0 1", "g1f1", "4k3/8/8/8/8/8/8/2KR3R b - - 1 1",
                     id="long-past-own-rook"),
    ],
)
def test_play_chess960_castling(fen, move, after):
    played = vorn.Position.from_fen(fen).play(move, variant=vorn.CHESS960)
    assert played.fen == after


def test_text_and_move_object_play_alike():
    start = vorn.Position.from_fen(START)
    assert start.play("e2e4") == start.play(vorn.Move("e2", "e4"))
    castling = vorn.Position.from_fen(CASTLING)
    # Flags are not consulted: the king onto its own rook castles.
    assert castling.play(vorn.Move("e1", "h1")) == castling.play("e1g1")


def test_positions_held_keep_their_values_while_others_are_dropped():
    # Dropped positions are handed out again; one still held never is.
    moves = "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6 e1h1 f8e7 f1e1 b7b5 a4b3 d7d6".split()
    held, position = [], vorn.Position.from_fen(START)
    for ply, text in enumerate(moves):
        for _ in range(3):
            position.play(text)  # made and dropped at once
        position = position.play(text)
        held.append(position)
    assert [kept.fen for kept in held] == [play_all(START, " ".join(moves[: ply + 1])).fen
                                           for ply in range(len(moves))]


class TestClocks:
    @pytest.mark.parametrize(
        "fen, move, halfmove, fullmove",
        [
            pytest.param("rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 10 2", "e4d5",
                         0, 2, id="capture"),
            pytest.param("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 10 5", "g1f3",
                         11, 5, id="knight-move"),
            pytest.param("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 10 5", "e2e3",
                         0, 5, id="pawn-move"),
            pytest.param("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 10 20", "e1h1", 11, 20, id="castling"),
            pytest.param("4k3/8/8/3pP3/8/8/8/4K1N1 w - d6 10 30", "e5d6", 0, 30, id="en-passant"),
            pytest.param("3r3k/4P3/8/8/8/8/8/K7 w - - 10 40", "e7e8q", 0, 40, id="promotion"),
            pytest.param("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 3 1", "g8f6",
                         4, 2, id="black-moves"),
            pytest.param(f"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - {U32_MAX} 7",
                         "g1f3", U32_MAX, 7, id="halfmove-saturates"),
            pytest.param(f"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 {U32_MAX}",
                         "g8f6", 1, U32_MAX, id="fullmove-saturates"),
            pytest.param(f"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - {U32_MAX} {U32_MAX}",
                         "g8f6", U32_MAX, U32_MAX, id="both-saturate"),
        ],
    )
    def test_clocks(self, fen, move, halfmove, fullmove):
        played = vorn.Position.from_fen(fen).play(move)
        assert (played.halfmove_clock, played.fullmove_number) == (halfmove, fullmove)
        assert played.clocks_known
        reread = vorn.Position.from_fen(played.fen)
        assert reread == played
        assert reread.fen.split()[-2:] == [str(halfmove), str(fullmove)]

    def test_saturated_clocks_stay_through_a_game(self):
        fen = f"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - {U32_MAX} {U32_MAX}"
        position = play_all(fen, "g1f3 g8f6 f3g1 f6g8 b1c3")
        assert (position.halfmove_clock, position.fullmove_number) == (U32_MAX, U32_MAX)
        assert vorn.Position.from_fen(position.fen) == position

    def test_unknown_clocks_stay_unknown(self):
        position = play_all(START4, "e2e4 e7e5 g1f3 b8c6")
        assert not position.clocks_known
        assert (position.halfmove_clock, position.fullmove_number) == (2, 3)
        fen = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3"
        assert position.fen == fen
        assert repr(position) == f"<Position {fen[:-4]}>"
        assert position != vorn.Position.from_fen(fen)


class TestOutcome:
    @pytest.mark.parametrize(
        "fen, outcome",
        [
            pytest.param(START, None, id="start"),
            pytest.param("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", "checkmate", id="white-mates"),
            pytest.param("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3",
                         "checkmate", id="black-mates"),
            pytest.param("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "stalemate", id="stalemate"),
            pytest.param("k7/8/1K6/8/8/8/7B/8 b - - 0 1", "stalemate",
                         id="stalemate-before-insufficient-material"),
            pytest.param("4k3/8/8/8/8/8/8/4K3 w - - 0 1", "insufficient_material", id="kings"),
            pytest.param("4k3/8/8/8/8/8/8/2B1K3 w - - 0 1", "insufficient_material", id="kb-k"),
            pytest.param("4k3/8/8/8/8/8/8/1N2K3 w - - 0 1", "insufficient_material", id="kn-k"),
            pytest.param("4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", None, id="knn-k"),
            pytest.param("4k3/8/8/8/8/8/8/1NB1K3 w - - 0 1", None, id="kbn-k"),
            pytest.param("2b1k3/8/8/8/8/8/8/1N2K3 w - - 0 1", None, id="kn-kb"),
            pytest.param("2b1k3/8/8/8/8/8/8/4KB2 w - - 0 1", "insufficient_material",
                         id="kb-kb-light-squares"),
            pytest.param("4k3/8/8/8/8/4B3/8/2B1K3 w - - 0 1", "insufficient_material",
                         id="kbb-k-dark-squares"),
            pytest.param("2b1k3/8/8/8/8/8/8/2B1K3 w - - 0 1", None, id="kb-kb-opposite-squares"),
            pytest.param("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", None, id="pawn"),
            pytest.param("4k3/8/8/8/8/8/8/R3K3 w - - 149 100", None, id="halfmove-149"),
            pytest.param("4k3/8/8/8/8/8/8/R3K3 w - - 150 100", "seventy_five_moves",
                         id="halfmove-150"),
            pytest.param("4k3/8/8/8/8/8/8/4K3 w - - 200 150", "insufficient_material",
                         id="insufficient-before-seventy-five"),
            pytest.param("7k/5Q2/6K1/8/8/8/8/8 b - - 150 100", "stalemate",
                         id="stalemate-before-seventy-five"),
            pytest.param("R5k1/5ppp/8/8/8/8/8/6K1 b - - 150 80", "checkmate",
                         id="checkmate-before-seventy-five"),
        ],
    )
    def test_outcome(self, fen, outcome):
        position = vorn.Position.from_fen(fen)
        assert position.outcome() == outcome
        assert position.outcome(variant=vorn.CHESS960) == outcome
        if outcome in ("checkmate", "stalemate"):
            assert position.legal_moves() == []

    def test_fools_mate(self):
        position = play_all(START, "f2f3 e7e5 g2g4 d8h4")
        assert position.outcome() == "checkmate"
        assert position.in_check

    def test_variant_must_be_a_variant(self):
        with pytest.raises(TypeError, match="variant"):
            vorn.Position.from_fen(START).outcome(variant="chess")


class TestErrors:
    @pytest.mark.parametrize(
        "fen, move, message",
        [
            pytest.param(START, "e2e9", f'malformed move text: "e2e9" in {START}', id="malformed"),
            pytest.param(START, "e2e4 ", f'malformed move text: "e2e4 " in {START}',
                         id="trailing-blank"),
            pytest.param(START, "", f'malformed move text: "" in {START}', id="empty"),
            pytest.param(START, "e2e5", f'no such legal move: "e2e5" in {START}', id="not-legal"),
            pytest.param(START4, "e2e5", f'no such legal move: "e2e5" in {START}',
                         id="fen-with-clocks"),
            pytest.param("3r3k/4P3/8/8/8/8/8/K7 w - - 0 1", "e7e8",
                         'no such legal move: "e7e8" in 3r3k/4P3/8/8/8/8/8/K7 w - - 0 1',
                         id="promotion-without-letter"),
            pytest.param("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", "g8h8",
                         'no such legal move: "g8h8" in R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1',
                         id="no-legal-moves"),
        ],
    )
    def test_move_text(self, fen, move, message):
        with pytest.raises(vorn.MoveParseError) as caught:
            vorn.Position.from_fen(fen).play(move)
        assert str(caught.value) == message

    @pytest.mark.parametrize(
        "fen, move, message",
        [
            pytest.param(START, vorn.Move("e2", "e5"), f"e2e5 is not legal in {START}",
                         id="pawn-too-far"),
            pytest.param(START4, vorn.Move("e2", "e5"), f"e2e5 is not legal in {START}",
                         id="fen-with-clocks"),
            pytest.param(CASTLING, vorn.Move("e1", "g1", kind="castling"),
                         f"e1g1 is not legal in {CASTLING}", id="castling-two-squares"),
            pytest.param("3r3k/4P3/8/8/8/8/8/K7 w - - 0 1", vorn.Move("e7", "e8"),
                         "e7e8 is not legal in 3r3k/4P3/8/8/8/8/8/K7 w - - 0 1",
                         id="promotion-without-role"),
            pytest.param("4k3/4r3/8/8/8/8/4N3/4K3 w - - 0 1", vorn.Move("e2", "c3"),
                         "e2c3 is not legal in 4k3/4r3/8/8/8/8/4N3/4K3 w - - 0 1",
                         id="pinned-knight"),
        ],
    )
    def test_illegal_move(self, fen, move, message):
        position = vorn.Position.from_fen(fen)
        with pytest.raises(vorn.IllegalMove) as caught:
            position.play(move)
        assert str(caught.value) == message
        assert isinstance(caught.value, ValueError)

    def test_illegal_move_text_uses_king_to_rook_spelling(self):
        fen = "r3k2r/8/8/8/8/8/8/R3K2R b kq - 0 1"
        with pytest.raises(vorn.IllegalMove) as caught:
            vorn.Position.from_fen(fen).play(vorn.Move("e1", "h1", kind="castling"))
        assert str(caught.value) == f"e1h1 is not legal in {fen}"

    @pytest.mark.parametrize("move", [42, None, b"e2e4", ("e2", "e4")], ids=repr)
    def test_move_of_wrong_type(self, move):
        with pytest.raises(TypeError):
            vorn.Position.from_fen(START).play(move)

    def test_variant_checked_first(self):
        with pytest.raises(TypeError, match="variant"):
            vorn.Position.from_fen(START).play(42, variant="chess")
