"""The UCI wire layer without a process: command lines, search limits, engine
lines read into messages, reports and answers, option declarations and
values, and the session's order of a conversation."""

import gc
import math
import pickle
from pathlib import Path

import pytest

import vorn._vorn as native
from vorn._vorn import (
    CHESS960,
    Answer,
    Command,
    EngineDied,
    EngineTimeout,
    Error,
    Game,
    Info,
    Limits,
    Message,
    Option,
    ParseError,
    ProtocolError,
    Session,
    UciError,
    uci_parse,
)
from support.quoting import quoted

DATA = Path(__file__).parent / "data" / "uci"


def game_of(*moves, fen=None, variant=None):
    # Seed 518 is the standard arrangement in Chess960 too.
    game = Game(variant=variant, seed=518) if fen is None else Game.from_fen(fen, variant=variant)
    for move in moves:
        game.play(move)
    return game


def ucis(moves):
    return [m.uci(castling="king_two_squares") for m in moves]


def uci_or_none(move):
    return None if move is None else move.uci()


def info(line, game=None):
    message = uci_parse(line, game=game)
    assert message.kind == "info"
    return message.info


# ---- Commands ----

@pytest.mark.parametrize("command, line, keyword", [
    (Command.uci(), "uci", "uci"),
    (Command.debug(True), "debug on", "debug"),
    (Command.debug(False), "debug off", "debug"),
    (Command.isready(), "isready", "isready"),
    (Command.setoption("Hash", "64"), "setoption name Hash value 64", "setoption"),
    (Command.setoption("Clear Hash"), "setoption name Clear Hash", "setoption"),
    (Command.setoption("Clear Hash", None), "setoption name Clear Hash", "setoption"),
    (Command.setoption("Style", ""), "setoption name Style value ", "setoption"),
    (Command.setoption("Book File", "a  b"), "setoption name Book File value a  b", "setoption"),
    (Command.ucinewgame(), "ucinewgame", "ucinewgame"),
    (Command.go(), "go", "go"),
    (Command.go(None), "go", "go"),
    (Command.go(Limits()), "go", "go"),
    (Command.go(Limits(depth=12)), "go depth 12", "go"),
    (Command.stop(), "stop", "stop"),
    (Command.ponderhit(), "ponderhit", "ponderhit"),
    (Command.quit(), "quit", "quit"),
], ids=lambda v: v if isinstance(v, str) else None)
def test_command_wire_text(command, line, keyword):
    assert command.to_line() == line
    assert command.keyword == keyword
    assert repr(command) == f"<Command {line}>"


def test_go_with_every_limit_writes_the_fixed_order():
    limits = Limits(depth=12, nodes=2**64 - 1, movetime=0.25, mate=3, infinite=True, ponder=True,
                    white_time=1.9999, black_time=0.0004, white_increment=2.5,
                    black_increment=0, moves_to_go=30, search_moves=["e2e4", "d2d4"])
    line = ("go ponder wtime 1999 btime 0 winc 2500 binc 0 movestogo 30 depth 12"
            " nodes 18446744073709551615 mate 3 movetime 250 infinite searchmoves e2e4 d2d4")
    assert Command.go(limits).to_line() == line
    assert repr(limits) == f"<Limits {line}>"


@pytest.mark.parametrize("seconds, millis", [
    (1.9999, "1999"), (0.0004, "0"), (0.001, "1"), (3, "3000"), (-0.0, "0"),
    (2.0**63, "9223372036854775808000"), (2.0**64 - 2048, "18446744073709549568000"),
])
def test_movetime_milliseconds_drop_the_fraction(seconds, millis):
    assert Command.go(Limits(movetime=seconds)).to_line() == f"go movetime {millis}"


@pytest.mark.parametrize("seconds, nanos, millis", [
    (1 / 1024, 976_562, "0"),  # 976562.5 ns: a tie goes to the even neighbour
    (3 / 1024, 2_929_688, "2"),  # 2929687.5 ns
    (0.9999999999, 1_000_000_000, "1000"),  # rounds up into a whole second
    (1.9999, 1_999_900_000, "1999"),
    (5e-324, 0, "0"),
])
def test_seconds_round_to_the_nearest_nanosecond(seconds, nanos, millis):
    limits = Limits(movetime=seconds)
    assert limits.movetime == nanos // 10**9 + nanos % 10**9 / 1e9
    assert Command.go(limits).to_line() == f"go movetime {millis}"


START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR"
CASTLED = ["e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "g8f6"]


@pytest.mark.parametrize("game, castling, line", [
    (game_of(), None, "position startpos"),
    (game_of("e2e4", "e7e5"), None, "position startpos moves e2e4 e7e5"),
    (game_of(fen=START + " w KQkq - 0 1"), None, "position startpos"),
    (game_of(fen=START + " w KQkq - 0 2"), None, f"position fen {START} w KQkq - 0 2"),
    (game_of(fen=START + " w KQkq - 1 1"), None, f"position fen {START} w KQkq - 1 1"),
    (game_of(fen=START + " w KQkq -"), None, f"position fen {START} w KQkq - 0 1"),
    (game_of(fen=START + " w Kkq - 0 1"), None, f"position fen {START} w Kkq - 0 1"),
    (game_of(fen=START + " b KQkq - 0 1"), None, f"position fen {START} b KQkq - 0 1"),
    (game_of(*CASTLED, "e1g1"), None, "position startpos moves " + " ".join(CASTLED) + " e1h1"),
    (game_of(*CASTLED, "e1g1"), "king_to_rook",
     "position startpos moves " + " ".join(CASTLED) + " e1h1"),
    (game_of(*CASTLED, "e1g1"), "king_two_squares",
     "position startpos moves " + " ".join(CASTLED) + " e1g1"),
    (game_of(variant=CHESS960), None, "position startpos"),
    (game_of(fen=START + " w HAha - 0 1", variant=CHESS960), None, "position startpos"),
    (game_of(*CASTLED, "e1h1", variant=CHESS960), "king_two_squares",
     "position startpos moves " + " ".join(CASTLED) + " e1h1"),
    (game_of(*CASTLED, "e1h1", variant=CHESS960), "king_to_rook",
     "position startpos moves " + " ".join(CASTLED) + " e1h1"),
])
def test_position_wire_text(game, castling, line):
    assert Command.position(game, castling=castling).to_line() == line


def test_position_of_another_chess960_arrangement_is_its_fen():
    game = Game(variant=CHESS960, seed=0)
    assert Command.position(game).to_line() == f"position fen {game.start_position.fen}"


def test_position_follows_the_games_castling_output():
    game = game_of(*CASTLED, "e1g1")
    game.castling_output = "king_two_squares"
    assert Command.position(game).to_line().endswith(" e1g1")


def test_chess960_castling_is_king_takes_rook_in_both_styles():
    game = game_of("c1b1", fen="nrk1r3/8/8/8/8/8/8/NRK1R3 w BEbe - 0 1", variant=CHESS960)
    start = game.start_position.fen
    for castling in [None, "king_to_rook", "king_two_squares"]:
        line = Command.position(game, castling=castling).to_line()
        assert line == f"position fen {start} moves c1b1"


def test_position_refuses_an_unknown_castling_spelling():
    with pytest.raises(ParseError) as error:
        Command.position(game_of(), castling="sideways")
    assert str(error.value) == 'not a castling output style: "sideways"'


def test_commands_cannot_be_built_from_python():
    with pytest.raises(TypeError):
        Command()
    with pytest.raises(TypeError):
        Message()


# ---- Text that would break the command line ----

@pytest.mark.parametrize("build, text", [
    (lambda: Command.setoption("Hash", "64\nquit"),
     'option value contains a line break: "64\\nquit"'),
    (lambda: Command.setoption("Hash", "64\r"), 'option value contains a line break: "64\\r"'),
    (lambda: Command.setoption("Hash", "6\x004"), 'option value contains a NUL character: "6\\04"'),
    (lambda: Command.setoption("Hash\nquit", "1"),
     'option name contains a line break: "Hash\\nquit"'),
    (lambda: Command.setoption("Clear\r\nHash"),
     'option name contains a line break: "Clear\\r\\nHash"'),
    (lambda: Command.go(Limits(search_moves=["e2e4", "e7e5\nquit"])),
     'search move contains a line break: "e7e5\\nquit"'),
    (lambda: Command.go(Limits(search_moves=["e2e4\x00"])),
     'search move contains a NUL character: "e2e4\\0"'),
])
def test_line_breaks_and_nul_are_refused_not_truncated(build, text):
    with pytest.raises(ValueError) as error:
        build()
    assert str(error.value) == text


# ---- Limits ----

def test_limits_defaults():
    limits = Limits()
    for name in ["depth", "nodes", "movetime", "mate", "white_time", "black_time",
                 "white_increment", "black_increment", "moves_to_go"]:
        assert getattr(limits, name) is None
    assert limits.infinite is False and limits.ponder is False
    assert limits.search_moves == []
    assert repr(limits) == "<Limits go>"


def test_limits_getters_read_back():
    limits = Limits(depth=4294967295, nodes=2**64 - 1, mate=0, moves_to_go=7, movetime=0.25,
                    white_time=60, black_time=1.5, white_increment=0, black_increment=-0.0,
                    infinite=True, search_moves=("zz99", "e2e4", "e2e4"))
    assert (limits.depth, limits.nodes, limits.mate, limits.moves_to_go) == (
        4294967295, 2**64 - 1, 0, 7)
    assert (limits.movetime, limits.white_time, limits.black_time) == (0.25, 60.0, 1.5)
    assert (limits.white_increment, limits.black_increment) == (0.0, 0.0)
    assert limits.infinite is True and limits.ponder is False
    assert limits.search_moves == ["zz99", "e2e4", "e2e4"]
    assert repr(Limits(depth=12)) == "<Limits go depth 12>"


@pytest.mark.parametrize("kwargs, text", [
    ({"white_time": -1}, "white_time is a count of seconds, not -1"),
    ({"black_time": -0.5}, "black_time is a count of seconds, not -0.5"),
    ({"movetime": math.nan}, "movetime is a count of seconds, not NaN"),
    ({"movetime": math.inf}, "movetime is a count of seconds, not inf"),
    ({"white_increment": -math.inf}, "white_increment is a count of seconds, not -inf"),
    ({"black_increment": -1e-7}, "black_increment is a count of seconds, not -0.0000001"),
    ({"movetime": 1e20}, "movetime is a count of seconds, not 100000000000000000000"),
    # The fewest digits that read back, then zeros: not the float's exact value.
    ({"movetime": 2.0**64}, "movetime is a count of seconds, not 18446744073709552000"),
    ({"movetime": 1e23}, "movetime is a count of seconds, not 1" + "0" * 23),
    ({"white_time": -(2.0**70)}, "white_time is a count of seconds, not -1180591620717411300000"),
    ({"black_time": -1e300}, "black_time is a count of seconds, not -1" + "0" * 300),
    ({"movetime": -5e-324}, "movetime is a count of seconds, not -0." + "0" * 323 + "5"),
    ({"white_time": -1, "movetime": math.nan}, "white_time is a count of seconds, not -1"),
])
def test_limits_refuse_times_that_are_no_count_of_seconds(kwargs, text):
    with pytest.raises(ValueError) as error:
        Limits(**kwargs)
    assert str(error.value) == text


@pytest.mark.parametrize("kwargs, exception", [
    ({"depth": -1}, OverflowError),
    ({"depth": 2**32}, OverflowError),
    ({"nodes": 2**64}, OverflowError),
    ({"infinite": 1}, TypeError),
    ({"infinite": None}, TypeError),
    ({"ponder": 0}, TypeError),
    ({"search_moves": "e2e4"}, TypeError),
    ({"search_moves": [1]}, TypeError),
    ({"movetime": "1"}, TypeError),
    ({"colour": "white"}, TypeError),
])
def test_limits_refuse_wrong_types(kwargs, exception):
    with pytest.raises(exception):
        Limits(**kwargs)


def test_limits_take_no_positional_argument():
    with pytest.raises(TypeError):
        Limits(12)


# ---- Info lines ----

@pytest.mark.parametrize("line, expected", [
    ("info depth 12 seldepth 20 score cp -35 upperbound nodes 100 pv e2e4 e7e5 string two  words ",
     {"depth": 12, "seldepth": 20, "cp": -35, "mate": None, "bound": "upperbound", "nodes": 100,
      "pv": ["e2e4", "e7e5"], "string": "two  words", "unknown": []}),
    ("info depth x", {"depth": None, "unknown": ["depth", "x"]}),
    ("info score 10", {"cp": None, "mate": None, "unknown": ["score", "10"]}),
    ("info score lowerbound", {"cp": None, "bound": "lowerbound", "unknown": []}),
    ("info score mate -3", {"mate": -3, "cp": None, "bound": None}),
    ("info score mate 2 cp +15", {"cp": 15, "mate": None}),
    ("info score cp 2147483648", {"cp": None, "unknown": ["score", "cp", "2147483648"]}),
    ("info score cp -2147483648", {"cp": -2147483648}),
    ("info wdl 1 2", {"wdl": None, "unknown": ["wdl", "1", "2"]}),
    ("info wdl 10 980 10 depth 3", {"wdl": (10, 980, 10), "depth": 3}),
    ("info pv", {"pv": [], "unknown": ["pv"]}),
    ("info pv cp 5", {"pv": [], "unknown": ["pv", "cp", "5"]}),
    ("info currline 1 e2e4", {"currline_cpu": 1, "currline": ["e2e4"]}),
    ("info currline e2e4", {"currline_cpu": None, "currline": ["e2e4"]}),
    ("info currline 3", {"currline_cpu": 3, "currline": []}),
    ("info depth 1", {"currline_cpu": None, "currline": [], "refutation": []}),
    ("info time 1500", {"time": 1.5}),
    ("info", {"depth": None, "pv": [], "string": None, "unknown": []}),
    ("info string", {"string": ""}),
    ("info string depth 3", {"string": "depth 3", "depth": None}),
    ("info currmove", {"currmove": None, "unknown": ["currmove"]}),
    ("info currmove e2e4 currmovenumber 1", {"currmove": "e2e4", "currmovenumber": 1}),
    ("info refutation d2d4 d7d5", {"refutation": ["d2d4", "d7d5"]}),
    ("info depth 1 depth 2", {"depth": 2}),
    ("info multipv +2 hashfull 999 cpuload 1000 tbhits 4 sbhits 5 nps 6",
     {"multipv": 2, "hashfull": 999, "cpuload": 1000, "tbhits": 4, "sbhits": 5, "nps": 6}),
    ("info hashfull -1", {"hashfull": None, "unknown": ["hashfull", "-1"]}),
    ("info frobnicate 3 depth 2", {"depth": 2, "unknown": ["frobnicate", "3"]}),
    ("noise before info depth 2", {"depth": 2, "unknown": []}),
    # Past the field's integer range: neither wrapped nor raised.
    ("info depth 4294967296 seldepth 4294967295",
     {"depth": None, "seldepth": 4294967295, "unknown": ["depth", "4294967296"]}),
    ("info nodes 18446744073709551616 nps 18446744073709551615",
     {"nodes": None, "nps": 2**64 - 1, "unknown": ["nodes", "18446744073709551616"]}),
    ("info time 99999999999999999999999",
     {"time": None, "unknown": ["time", "99999999999999999999999"]}),
    ("info wdl 1 2 4294967296", {"wdl": None, "unknown": ["wdl", "1", "2", "4294967296"]}),
    ("info currline 4294967296 e2e4", {"currline_cpu": None, "currline": []}),
    # Unicode white space separates tokens; other characters stay inside them.
    ("info\u00a0depth\u30007\u2028string a\u2003b\u2029", {"depth": 7, "string": "a\u2003b"}),
    ("info depth\ufffd 3", {"depth": None, "unknown": ["depth\ufffd", "3"]}),
    ("info depth\x1c3 nodes\u200b4 seldepth\u180e5 multipv\ufeff6",
     {"depth": None, "nodes": None, "unknown": ["depth\x1c3", "nodes\u200b4", "seldepth\u180e5",
                                                "multipv\ufeff6"]}),
])
def test_info_line(line, expected):
    report = info(line)
    moves = {"pv", "refutation", "currline", "currmove"}
    for name, value in expected.items():
        got = getattr(report, name)
        if name in moves:
            got = ucis(got) if isinstance(got, list) else uci_or_none(got)
        assert got == value, name


def test_info_moves_stop_at_the_first_illegal_move():
    report = info("info depth 3 currmove e7e5 pv e2e4 e7e5 e1e3 g1f3 refutation d2d4 d7d5")
    assert ucis(report.pv) == ["e2e4", "e7e5"]
    assert ucis(report.refutation) == ["d2d4", "d7d5"]
    assert report.currmove is None
    after = game_of("e2e4")
    assert info("info currmove e7e5 pv e2e4", game=after).currmove.uci() == "e7e5"
    assert info("info currmove e7e5 pv e2e4", game=after).pv == []


def test_info_reads_castling_in_both_spellings():
    game = game_of(*CASTLED)
    assert ucis(info("info pv e1g1 f8c5", game=game).pv) == ["e1g1", "f8c5"]
    assert ucis(info("info pv e1h1 f8c5", game=game).pv) == ["e1g1", "f8c5"]
    assert game.ply == len(CASTLED)


@pytest.mark.parametrize("line, text", [
    ("info depth 12 score cp 31", "<Info depth 12 cp 31 pv >"),
    ("info score mate -2 pv e2e4 e7e5", "<Info depth - mate -2 pv e2e4 e7e5>"),
    ("info", "<Info depth - pv >"),
])
def test_info_repr(line, text):
    assert repr(info(line)) == text


def test_info_repr_spells_castling_king_takes_rook():
    assert repr(info("info depth 1 pv e1g1", game=game_of(*CASTLED))) == "<Info depth 1 pv e1h1>"


# ---- Other lines ----

@pytest.mark.parametrize("line, kind", [
    ("readyok now", "readyok"),
    ("some words uciok", "uciok"),
    ("", "raw"),
    ("  \t ", "raw"),
    ("UCIOK", "raw"),
    ("Stockfish 15.1 by the Stockfish developers", "raw"),
    ("id name", "raw"),
    ("id", "raw"),
    ("bestmove", "raw"),
    ("bestmove e2e4 ponder", "raw"),
    ("bestmove e2e4 e7e5", "raw"),
    ("bestmove e2e4 e7e5 ponder", "raw"),
    ("option name X type wheel", "raw"),
    ("option name type spin", "raw"),
    ("option name X", "raw"),
    ("option name X type", "raw"),
    ("option X type spin", "raw"),
    ("bestmove info", "bestmove"),
    ("info bestmove e2e4", "info"),
    ("id info depth 3", "id"),
])
def test_message_kind(line, kind):
    message = uci_parse(line)
    assert message.kind == kind
    assert message.line == line


def test_id_line_keeps_inner_spacing():
    message = uci_parse("id name two  words ")
    assert (message.key, message.value) == ("name", "two  words")
    assert message.info is None and message.answer is None and message.option is None
    assert uci_parse("readyok").key is None and uci_parse("readyok").value is None


@pytest.mark.parametrize("line, best, ponder", [
    ("bestmove e2e4", "e2e4", None),
    ("bestmove e2e4 ponder e7e5", "e2e4", "e7e5"),
    ("bestmove e2e4 ponder e7e5 more words", "e2e4", "e7e5"),
    ("bestmove e2e4 ponder 0000", "e2e4", None),
    ("bestmove e2e4 ponder e2e4", "e2e4", None),
    ("bestmove (none)", None, None),
    ("bestmove none ponder e7e5", None, None),
    ("bestmove e7e5 ponder e2e4", None, None),
    ("bestmove e1g1", None, None),
    ("bestmove null", None, None),
    ("bestmove e2e4 ponder none", "e2e4", None),
    ("bestmove e2e4 ponder null", "e2e4", None),
])
def test_bestmove_answer_from_the_start(line, best, ponder):
    answer = uci_parse(line).answer
    assert isinstance(answer, Answer)
    assert uci_or_none(answer.best) == best
    assert uci_or_none(answer.ponder) == ponder


def test_bestmove_answer_against_a_game():
    game = game_of("e2e4")
    answer = uci_parse("bestmove e2e4 ponder e7e5", game=game).answer
    assert answer.best is None and answer.ponder is None
    answer = uci_parse("bestmove e7e5 ponder g1f3", game=game).answer
    assert (answer.best.uci(), answer.ponder.uci()) == ("e7e5", "g1f3")
    assert game.ply == 1
    assert repr(answer) == "<Answer e7e5>"
    assert repr(uci_parse("bestmove (none)").answer) == "<Answer (none)>"
    castle = uci_parse("bestmove e1g1", game=game_of(*CASTLED)).answer
    assert repr(castle) == "<Answer e1h1>"


@pytest.mark.parametrize("line", ["", 'say "hi" \\ now\n', "tab\there\x1b\x7f\x85"])
def test_message_repr_quotes_the_line(line):
    assert repr(uci_parse(line)) == f"<Message raw {quoted(line)}>"


# ---- Hostile lines ----

def test_a_megabyte_line_reads():
    body = "a" * 2**20
    assert info(f"info string {body}   ").string == body
    assert uci_parse("x" * 2**20).kind == "raw"
    digits = "9" * 2**20
    report = info(f"info depth {digits}")
    assert report.depth is None and report.unknown == ["depth", digits]


def test_a_mixed_megabyte_line_reads():
    chunk = ("depth \ufffd\u3000score cp mate pv e2e4 e7e5 wdl 1 \u00a0 currline 2 "
             "nodes 99999999999999999999 ")
    count = 2**20 // len(chunk.encode())
    report = info("info " + chunk * count + "string end")
    assert report.depth is None and report.nodes is None and report.wdl is None
    assert ucis(report.pv) == ["e2e4", "e7e5"]
    assert report.currline_cpu == 2 and report.string == "end"
    assert len(report.unknown) == 9 * count


def test_a_str_subclass_line_is_kept_as_a_plain_str():
    # A subclass instance could hold the message itself: a cycle through the
    # message that the collector would never see.
    dropped = []

    class Line(str):
        def __del__(self):
            dropped.append(True)

    line = Line("info depth 3")
    message = uci_parse(line)
    assert type(message.line) is str and message.line == "info depth 3"
    line.message = message
    del line, message
    gc.collect()
    assert dropped == [True]


def test_lone_surrogates_read_as_replacement_characters():
    # The str form of undecodable engine bytes: no UTF-8 exists for them.
    line = "noise\udcff info depth 3 currmove e2e4\ud800 string a\udc80b"
    message = uci_parse(line)
    assert message.line == line
    report = message.info
    assert report.depth == 3 and report.currmove is None
    assert report.string.startswith("a\ufffd") and report.string.endswith("\ufffdb")
    assert set(report.string[1:-1]) == {"\ufffd"}
    assert repr(message).startswith('<Message info "noise\ufffd')
    assert uci_parse("bestmove \ud800 ponder e7e5").answer.best is None


def test_thousands_of_tokens():
    shuffle = ["g1f3", "g8f6", "f3g1", "f6g8"] * 2500
    report = info("info pv " + " ".join(shuffle))
    assert ucis(report.pv) == shuffle
    report = info("info " + "depth " * 50000)
    assert report.depth is None and report.unknown == ["depth"] * 50000
    report = info("info " + "score " * 50000 + "cp 3")
    assert report.cp == 3 and report.unknown == ["score"] * 49999
    option = uci_parse("option name X type combo" + " var a" * 20000).option
    assert option.vars == ["a"] * 20000
    assert uci_parse("bestmove e2e4 ponder e7e5" + " x" * 50000).answer.ponder.uci() == "e7e5"


# ---- Engine output captured from real engines ----

def option_line(option):
    parts = ["option name", option.name, "type", option.type]
    if option.type == "check":
        parts += ["default", "true" if option.default else "false"]
    elif option.type == "spin":
        parts += ["default", str(option.default), "min", str(option.min), "max", str(option.max)]
    elif option.type == "combo":
        parts += ["default", option.default] + [f"var {v}" for v in option.vars]
    elif option.type == "string":
        parts += ["default", option.default or "<empty>"]
    return " ".join(parts)


def info_tokens(report, castling):
    tokens = ["info"]
    for name in ["depth", "seldepth", "nodes", "multipv", "nps", "hashfull", "tbhits",
                 "sbhits", "cpuload", "currmovenumber"]:
        if getattr(report, name) is not None:
            tokens += [name, str(getattr(report, name))]
    if report.time is not None:
        tokens += ["time", str(round(report.time * 1000))]
    for unit in ["cp", "mate"]:
        if getattr(report, unit) is not None:
            tokens += ["score", unit, str(getattr(report, unit))]
    if report.bound:
        tokens.append(report.bound)
    if report.wdl is not None:
        tokens += ["wdl", *map(str, report.wdl)]
    if report.currmove is not None:
        tokens += ["currmove", report.currmove.uci(castling=castling)]
    if report.pv:
        tokens += ["pv"] + [m.uci(castling=castling) for m in report.pv]
    if report.string is not None:
        tokens += ["string"] + report.string.split()
    return sorted(tokens + report.unknown)


# Whole sessions of Debian's engines, with the moves and start of the game
# each searched.
SESSIONS = {
    "stockfish": (["e2e4"], None),
    "fairy-stockfish": (["e2e4"], None),
    "toga2": (["e2e4"], None),
    "toga2-currmove": ([], None),
    "stockfish-multipv": (["e2e4", "e7e5"], None),  # UCI_ShowWDL, MultiPV 3
    "stockfish-mate": ([], "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1"),
    "stockfish-mated": ([], "7k/5QQ1/8/8/8/8/8/6K1 b - - 0 1"),
    "stockfish-960": (["c1b1"], "nrk1r3/8/8/8/8/8/8/NRK1R3 w BEbe - 0 1"),  # searchmoves c8b8
}


@pytest.mark.parametrize("engine", SESSIONS)
def test_engine_output_reads_without_loss(engine):
    moves, fen = SESSIONS[engine]
    # In Chess960 mode an engine writes castling as king takes rook.
    chess960 = engine.endswith("960")
    castling = "king_to_rook" if chess960 else "king_two_squares"
    game = game_of(*moves, fen=fen, variant=CHESS960 if chess960 else None)
    lines = (DATA / f"{engine}.txt").read_text(encoding="utf-8").splitlines()
    kinds = {}
    for line in lines:
        message = uci_parse(line, game=game)
        kinds[message.kind] = kinds.get(message.kind, 0) + 1
        assert message.line == line
        if message.kind == "info":
            assert message.info.unknown == []
            assert info_tokens(message.info, castling) == sorted(line.split())
        elif message.kind == "option":
            normal = line.rstrip(" ")
            assert option_line(message.option) == normal + (" <empty>" * normal.endswith("default"))
        elif message.kind == "id":
            assert f"id {message.key} {message.value}" == line
        elif message.kind == "bestmove":
            words = [None if w == "(none)" else w for w in line.split()[1::2]]
            answer = [message.answer.best, message.answer.ponder][:len(words)]
            assert [m and m.uci(castling=castling) for m in answer] == words
        else:
            assert message.kind in {"uciok", "readyok", "raw"}
    assert kinds["id"] == 2 and kinds["uciok"] == 1 and kinds["readyok"] == 1
    assert kinds["bestmove"] == 1 and kinds["option"] > 20
    assert kinds["info"] == sum(line.startswith("info ") for line in lines)


def test_engine_options_as_declared():
    options = {}
    for line in (DATA / "fairy-stockfish.txt").read_text(encoding="utf-8").splitlines():
        message = uci_parse(line)
        if message.kind == "option":
            options[message.option.name] = message.option
    assert options["Debug Log File"].default == ""
    assert options["VariantPath"].default == ""
    assert options["Contempt"].min == -100
    assert options["Analysis Contempt"].vars == ["Both", "Off", "White", "Black"]
    assert options["Clear Hash"].type == "button"
    assert options["UCI_Chess960"].default is False
    lines = (DATA / "toga2.txt").read_text(encoding="utf-8").splitlines()
    toga = [uci_parse(line).option for line in lines if line.startswith("option")]
    null_move = [o.vars for o in toga if o.name == "NullMove Pruning"]
    assert null_move == [["Always", "Fail High", "Never"]]


# ---- Options ----

SPIN = "option name Hash type spin default 16 min 1 max 1024"
COMBO = "option name Style type combo default Solid var Solid var Risky  Play"


def option(line):
    message = uci_parse(line)
    assert message.kind == "option"
    return message.option


@pytest.mark.parametrize("line, fields", [
    (SPIN, {"name": "Hash", "type": "spin", "default": 16, "min": 1, "max": 1024, "vars": []}),
    ("option name Skill  Level type spin default x min -20",
     {"name": "Skill Level", "default": None, "min": -20, "max": None}),
    ("option name Big type spin default 9223372036854775808 max -9223372036854775808",
     {"default": None, "max": -2**63}),
    (COMBO, {"type": "combo", "default": "Solid", "vars": ["Solid", "Risky Play"],
             "min": None, "max": None}),
    ("option name Ponder type check default false", {"type": "check", "default": False}),
    ("option name Ponder type check default TRUE", {"default": None}),
    ("option name Clear Hash type button default 1",
     {"type": "button", "default": None, "vars": [], "min": None}),
    ("option name Path type string default <empty>", {"type": "string", "default": ""}),
    ("option name Path type string default a  b", {"default": "a b"}),
    ("option name Path type string", {"default": None}),
    ("option name D type spin default 1 default 2 min 0 min 5", {"default": 1, "min": 0}),
    ("option name A var type spin min 1", {"name": "A var", "min": 1}),
    ("option name S type spin default +5 min -0 max 7 8", {"default": 5, "min": 0, "max": None}),
])
def test_option_declaration(line, fields):
    declared = option(line)
    assert isinstance(declared, Option)
    for name, value in fields.items():
        assert getattr(declared, name) == value, name


def test_option_repr():
    assert repr(option(SPIN)) == "<Option Hash type spin>"
    assert repr(option("option name Clear Hash type button")) == "<Option Clear Hash type button>"


@pytest.mark.parametrize("line, value, text", [
    (SPIN, 64, "64"),
    (SPIN, 1, "1"),
    ("option name N type spin", -2**63, "-9223372036854775808"),
    ("option name P type check", True, "true"),
    ("option name P type check", False, "false"),
    (COMBO, "Risky Play", "Risky Play"),
    ("option name S type string", "", "<empty>"),
    ("option name S type string", "a b", "a b"),
    ("option name B type button", None, None),
])
def test_option_value_text(line, value, text):
    assert option(line).value_text(value) == text
    assert option(line).value_text(value=value) == text


def test_button_takes_no_argument():
    assert option("option name B type button").value_text() is None


@pytest.mark.parametrize("line, value, text", [
    (SPIN, True, 'option "Hash" is a spin option, which takes an integer'),
    (SPIN, 7.0, 'option "Hash" is a spin option, which takes an integer'),
    (SPIN, "7", 'option "Hash" is a spin option, which takes an integer'),
    (SPIN, 2**63, 'option "Hash" is a spin option, which takes an integer'),
    (SPIN, None, 'option "Hash" is a spin option, which takes a value'),
    (SPIN, 0, 'option "Hash": 0 is outside [1, 1024]'),
    (SPIN, 1025, 'option "Hash": 1025 is outside [1, 1024]'),
    ("option name M type spin max 5", 6, 'option "M": 6 is outside [-, 5]'),
    ("option name P type check", 1, 'option "P" is a check option, which takes True or False'),
    ("option name P type check", None, 'option "P" is a check option, which takes a value'),
    (COMBO, 1, 'option "Style" is a combo option, which takes one of its values'),
    (COMBO, "solid", 'option "Style": "solid" is none of Solid, Risky Play'),
    (COMBO, 'a"b\n', 'option "Style": "a\\"b\\n" is none of Solid, Risky Play'),
    ("option name C type combo", "x", 'option "C": "x" is none of '),
    ("option name S type string", 5, 'option "S" is a string option, which takes text'),
    ("option name B type button", 1, 'option "B" is a button option, which takes no value'),
    ("option name B type button", "", 'option "B" is a button option, which takes no value'),
    ('option name Q"uote type check', 2,
     'option "Q\\"uote" is a check option, which takes True or False'),
])
def test_option_value_refusals(line, value, text):
    with pytest.raises(ValueError) as error:
        option(line).value_text(value)
    assert str(error.value) == text


def test_options_cannot_be_built_from_python():
    with pytest.raises(TypeError):
        Option()


# ---- Session ----

COMMANDS = {
    "uci": Command.uci(), "debug": Command.debug(True), "isready": Command.isready(),
    "setoption": Command.setoption("Hash", "1"), "ucinewgame": Command.ucinewgame(),
    "position": Command.position(game_of()), "go": Command.go(), "stop": Command.stop(),
    "ponderhit": Command.ponderhit(), "quit": Command.quit(),
}
MESSAGES = {
    "id": "id name X", "uciok": "uciok", "readyok": "readyok",
    "option": "option name B type button", "info": "info depth 1", "bestmove": "bestmove e2e4",
    "raw": "hello",
}
# How to reach each state from a new session.
REACH = {
    "started": [],
    "identifying": ["uci"],
    "idle": ["uci", "<uciok"],
    "searching": ["uci", "<uciok", "go"],
    "pondering": ["uci", "<uciok", "go ponder"],
    "quitting": ["quit"],
}
SENDABLE = {
    "started": {"uci", "debug", "isready", "quit"},
    "identifying": {"debug", "isready", "quit"},
    "idle": {"uci", "debug", "isready", "setoption", "ucinewgame", "position", "go", "quit"},
    "searching": {"debug", "isready", "stop", "quit"},
    "pondering": {"debug", "isready", "stop", "ponderhit", "quit"},
    "quitting": {"quit"},
}
SENT_TO = {
    ("started", "uci"): "identifying", ("idle", "uci"): "identifying",
    ("idle", "go"): "searching", ("pondering", "ponderhit"): "searching",
}
RECEIVABLE = {  # readyok aside: it needs an isready outstanding
    "started": {"info", "raw"},
    "identifying": {"id", "option", "uciok", "info", "raw"},
    "idle": {"info", "raw"},
    "searching": {"bestmove", "info", "raw"},
    "pondering": {"bestmove", "info", "raw"},
    "quitting": {"info", "raw"},
}
RECEIVED_IN = {
    ("identifying", "uciok"): "idle", ("searching", "bestmove"): "idle",
    ("pondering", "bestmove"): "idle",
}


def reached(state):
    session = Session()
    for step in REACH[state]:
        if step.startswith("<"):
            session.received(uci_parse(step[1:]))
        elif step == "go ponder":
            session.sent(Command.go(Limits(ponder=True)))
        else:
            session.sent(COMMANDS[step])
    assert session.state == state
    return session


@pytest.mark.parametrize("state", REACH)
@pytest.mark.parametrize("keyword", COMMANDS)
def test_session_commands(state, keyword):
    session = reached(state)
    if keyword in SENDABLE[state]:
        assert session.sent(COMMANDS[keyword]) is None
        after = "quitting" if keyword == "quit" else SENT_TO.get((state, keyword), state)
        assert session.state == after
    else:
        with pytest.raises(ProtocolError) as error:
            session.sent(COMMANDS[keyword])
        assert str(error.value) == f"{keyword} cannot be sent to a {state} engine"
        assert session.state == state and session.pending_ready == 0


@pytest.mark.parametrize("state", REACH)
@pytest.mark.parametrize("kind", MESSAGES)
def test_session_messages(state, kind):
    session = reached(state)
    if kind in RECEIVABLE[state]:
        assert session.received(uci_parse(MESSAGES[kind])) is None
        assert session.state == RECEIVED_IN.get((state, kind), state)
    else:
        with pytest.raises(ProtocolError) as error:
            session.received(uci_parse(MESSAGES[kind]))
        assert str(error.value) == f"a {state} engine cannot send {kind}"
        assert session.state == state


def test_session_go_ponder_then_ponderhit():
    session = Session()
    assert (session.state, session.pending_ready) == ("started", 0)
    assert repr(session) == "<Session started>"
    states = []
    for step in [lambda: session.sent(Command.uci()), lambda: session.received(uci_parse("uciok")),
                 lambda: session.sent(Command.go(Limits(ponder=True))),
                 lambda: session.sent(Command.ponderhit())]:
        step()
        states.append(session.state)
    assert states == ["identifying", "idle", "pondering", "searching"]
    session.sent(Command.stop())
    assert session.state == "searching"
    session.received(uci_parse("bestmove e2e4"))
    assert repr(session) == "<Session idle>"


@pytest.mark.parametrize("state", [s for s in REACH if s != "quitting"])
def test_session_counts_isready(state):
    session = reached(state)
    session.sent(Command.isready())
    session.sent(Command.isready())
    assert session.pending_ready == 2
    session.received(uci_parse("readyok"))
    session.received(uci_parse("readyok"))
    assert session.pending_ready == 0 and session.state == state
    with pytest.raises(ProtocolError) as error:
        session.received(uci_parse("readyok"))
    assert str(error.value) == f"a {state} engine cannot send readyok"


def test_session_after_quit():
    session = reached("idle")
    session.sent(Command.isready())
    session.sent(Command.quit())
    session.sent(Command.quit())
    session.received(uci_parse("readyok"))  # still owed
    for command in [Command.isready(), Command.debug(False)]:
        with pytest.raises(ProtocolError):
            session.sent(command)
    assert session.state == "quitting" and session.pending_ready == 0


@pytest.mark.parametrize("call, argument", [
    (lambda: Session().sent("uci"), "command"),
    (lambda: Session().received("uciok"), "message"),
    (lambda: Session().sent(uci_parse("uci")), "command"),
    (lambda: Session().received(Command.uci()), "message"),
    (lambda: Command.debug(1), "on"),
    (lambda: Command.setoption(1), "name"),
    (lambda: Command.setoption("Hash", 64), "value"),
    (lambda: Command.position("e2e4"), "game"),
    (lambda: Command.position(game_of(), castling=0), "castling"),
    (lambda: Command.go({"depth": 3}), "limits"),
    (lambda: uci_parse(b"uciok"), "line"),
    (lambda: uci_parse("uciok", game=game_of().position), "game"),
    (lambda: Limits(nodes="3"), "nodes"),
])
def test_wrong_argument_types_name_the_argument(call, argument):
    with pytest.raises(TypeError) as error:
        call()
    assert str(error.value).startswith(f"argument '{argument}': ")


@pytest.mark.parametrize("cls, base, doc", [
    (UciError, Exception, "The base of every error talking to an engine raises."),
    (EngineTimeout, UciError, "The engine did not say what was awaited in time."),
    (EngineDied, UciError, "The engine closed its output or exited."),
    (ProtocolError, UciError, "The engine broke the order of the conversation."),
])
def test_uci_exception_classes(cls, base, doc):
    name = cls.__name__
    assert cls.__bases__ == (base,)
    assert (cls.__doc__, cls.__module__, cls.__qualname__) == (doc, "vorn.uci", name)
    assert not issubclass(cls, (ValueError, OSError, Error))
    error = pickle.loads(pickle.dumps(cls("text")))
    assert type(error) is cls and error.args == ("text",)


def test_a_refusal_is_the_modules_protocol_error_with_one_argument():
    with pytest.raises(ProtocolError) as error:
        Session().sent(Command.go())
    assert type(error.value) is native.ProtocolError
    assert error.value.args == ("go cannot be sent to a started engine",)


@pytest.mark.parametrize("cls, doc", [
    (Limits, "What bounds a search. Times are seconds; nothing set asks the engine to\n"
             "search until stopped."),
    (Option, "One option an engine offers, and the domain it declared for it."),
    (Info, "One `info` line of a search, with its moves read against the position\nsearched."),
    (Answer, "An engine's answer to a search."),
])
def test_class_docstrings(cls, doc):
    assert (cls.__doc__, cls.__module__) == (doc, "vorn.uci")


def test_text_signatures():
    assert Limits.__text_signature__ == (
        "(*, depth=None, nodes=None, movetime=None, mate=None, infinite=False, ponder=False, "
        "white_time=None, black_time=None, white_increment=None, black_increment=None, "
        "moves_to_go=None, search_moves=None)")
    assert Option.value_text.__text_signature__ == "($self, value=None)"
    assert uci_parse.__text_signature__ == "(line, game=None)"
    assert Session.__text_signature__ == "()"


def test_protocol_error_is_a_uci_error_only():
    assert issubclass(ProtocolError, UciError)
    assert not issubclass(UciError, ValueError)
    assert not issubclass(ProtocolError, ValueError)
    assert isinstance(uci_parse("info").info, Info)
