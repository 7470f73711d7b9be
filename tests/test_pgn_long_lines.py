"""A line past the 16 MiB bound costs the game it stands in and no other: the
reader follows tags, brace comments and ";" comments through the refused
line's bytes, so the refused game's rest ends where reading would end it."""

import os
import subprocess
import sys
import threading

import pytest

from support.pgn_reading import drain
from vorn.pgn import pgn_count, pgn_read, pgn_read_string

# Past the bound on a line of its own.
LONG = "x" * ((16 << 20) + 1)

# Game "1" has no result, so it ends only at the "[" of whatever follows it;
# the games after the placement have no braces, so that a comment taken to
# stay open would swallow them all.
BEFORE = '[A "1"]\n1. e4\n\n'
AFTER = '[A "3"]\n1. d4 d5 *\n\n[A "4"]\n1. c4 *\n'


def error(line):
    return f"line {line}, column 1: a line longer than 16 MiB"


# What stands between BEFORE (lines 1-3) and AFTER, and what it reads as:
# "A" tags of games, and error messages.
PLACEMENTS = [
    pytest.param('[A "2"]\n1. e4 {opens\n' + LONG + "} e5 *\n\n", [error(6)],
                 id="comment-closing-on-the-line"),
    pytest.param('[A "2"]\n1. e4 {' + LONG + '\n[A "in comment"]\n} e5 *\n\n', [error(5)],
                 id="comment-opening-on-the-line"),
    pytest.param('[A "2"]\n1. e4 {opens\n' + LONG + '\n[A "in comment"]\ncloses} e5 *\n\n', [error(6)],
                 id="comment-running-across-the-line"),
    pytest.param('[A "2"]\n1. e4 (1. d4 {opens\n' + LONG + "} d5\n2. c4) e5 *\n\n", [error(6)],
                 id="comment-closing-on-the-line-inside-a-variation"),
    pytest.param('[A "2' + LONG + '"]\n[B "x"]\n\n1. e4 e5 *\n\n', [error(4)],
                 id="first-tag-line-ending-a-game-without-result"),
    pytest.param('[A "2"]\n[B "\\"{' + LONG + '"]\n[C "y"]\n\n1. e4 e5 *\n\n', [error(5)],
                 id="tag-line-with-a-quote-and-brace-in-its-value"),
    pytest.param('[A "2"]\n1. e4 ' + LONG + " e5\nNf3 *\n\n", [error(5)], id="movetext-token"),
    pytest.param('[A "2"]\n1. e4 ; {' + LONG + "\ne5 *\n\n", [error(5)], id="semicolon-comment-with-a-brace"),
    pytest.param('[A "2"]\n1. e4\n%{' + LONG + "\ne5 *\n\n", [error(6)], id="percent-line-with-a-brace"),
    pytest.param('[A "2"]\n1. e4 {' + LONG + "} e5 *\n", [error(5)], id="next-game-tags-straight-after"),
    # A game begun on the refused line is part of what it refuses, its
    # comments followed like any other.
    pytest.param('[A "2"]\n1. e4 {' + LONG + '} * [A "2b"] {\n[A "in comment"]\n} 1. d4 *\n\n', [error(5)],
                 id="next-game-begun-on-the-line"),
    # Two refused games in a row, each its own error.
    pytest.param('[A "2"]\n1. e4 {opens\n' + LONG + '} e5 *\n\n[A "2b' + LONG + '"]\n1. e4 *\n\n',
                 [error(6), error(8)], id="first-tag-line-straight-after-a-refused-game"),
    # A refused game that ends deep in a second long line, past the first
    # piece a file or a pipe hands out, leaves the rest to a game refused in
    # its turn, as a string read whole does.
    pytest.param('[A "2"]\n1. e4 {' + LONG + "\n" + LONG + LONG + '} * [A "2b"] 1. d4 *\n\n',
                 [error(5), error(6)], id="refused-game-ending-deep-in-a-second-long-line"),
    # Recovery after an ordinary error steps over no game a long line begins.
    pytest.param('[A "2"]\n1. e5 *\n\n[A "2b' + LONG + '"]\n1. e4 *\n\n',
                 ["line 5, column 4: no such legal move: e5", error(7)],
                 id="first-tag-line-after-an-ordinary-error"),
]


def fifo_items(path, text, skip_errors):
    os.mkfifo(path)

    def write():
        with open(path, "w") as out:
            out.write(text)

    writer = threading.Thread(target=write, daemon=True)
    writer.start()
    try:
        return drain(pgn_read(path, skip_errors=skip_errors))
    finally:
        writer.join(30)


@pytest.mark.parametrize(("placement", "expected"), PLACEMENTS)
def test_a_long_line_costs_its_own_game_only(tmp_path, placement, expected):
    text = BEFORE + placement + AFTER
    path = tmp_path / "long.pgn"
    path.write_text(text)
    games = ["1", "3", "4"]
    for skip_errors in (False, True):
        readings = {
            "string": drain(pgn_read_string(text, skip_errors=skip_errors)),
            "file": drain(pgn_read(path, skip_errors=skip_errors)),
            "fifo": fifo_items(tmp_path / f"pipe-{skip_errors}", text, skip_errors),
        }
        for source, got in readings.items():
            named = [item if isinstance(item, str) else item.headers["A"] for item in got]
            assert named == (games if skip_errors else ["1", *expected, "3", "4"]), source
    assert pgn_count(path) == len(games)


# The bytes that change where a refused line stands, each at every place in
# an eight-byte word of the line: one missed leaves a brace comment open,
# which would swallow the games after it. A game begun on the refused line
# takes game "3" into its tags.
@pytest.mark.parametrize("shift", range(9))
@pytest.mark.parametrize(
    ("line", "games"),
    [
        pytest.param(lambda filler: "1. e4 {" + filler + "}", ["3", "4"], id="closing-brace"),
        pytest.param(lambda filler: "1. e4 " + filler + ";{", ["3", "4"], id="semicolon"),
        pytest.param(lambda filler: "1. e4 " + filler + '[B "{"]', ["4"], id="tag-pair"),
    ],
)
def test_every_mark_in_a_long_line_is_seen_wherever_it_stands(line, games, shift):
    text = BEFORE + '[A "2"]\n' + line(LONG[shift:] + "x" * shift * 2) + "\n" + AFTER
    named = [item if isinstance(item, str) else item.headers["A"] for item in drain(pgn_read_string(text))]
    assert named == ["1", error(5), *games]


# A child interpreter reads a pipe that brings the long line slowly, and
# once the line's error is out, Ctrl-C comes again and again while the rest
# of the line arrives: each interrupted read goes on where it stood, the
# refused line followed across the interruptions. No signal comes while a
# game or error is on its way out, so none is lost.
INTERRUPTED = """
import os, signal, sys, threading, time
from vorn.pgn import pgn_read

path = sys.argv[1]
os.mkfifo(path)
erred, sending = threading.Event(), threading.Event()
sending.set()

def interrupter():
    erred.wait()
    while sending.is_set():
        os.kill(os.getpid(), signal.SIGINT)
        time.sleep(0.013)

sender = threading.Thread(target=interrupter, daemon=True)

def writer():
    with open(path, "wb") as out:
        out.write(b'[A "1"]\\n1. e4 *\\n\\n[A "2"]\\n1. e4 {opens\\n')
        for _ in range(32):
            out.write(b"x" * (1 << 20))
            time.sleep(0.02)
        sending.clear()
        sender.join()
        out.write(b'} e5 *\\n\\n[A "3"]\\n1. d4 *\\n')

sender.start()
threading.Thread(target=writer, daemon=True).start()
reader = pgn_read(path)
got, interrupts = [], 0
while True:
    try:
        try:
            item = next(reader)
        except ValueError as error:
            item = str(error)
            erred.set()
        except StopIteration:
            break
        got.append(item if isinstance(item, str) else item.headers["A"])
    except KeyboardInterrupt:
        interrupts += 1
print(got, interrupts > 0)
"""


def test_a_long_line_from_a_pipe_is_followed_across_interrupted_reads(tmp_path):
    done = subprocess.run([sys.executable, "-c", INTERRUPTED, str(tmp_path / "pipe")],
                          capture_output=True, text=True, timeout=120, env=dict(os.environ))
    assert done.returncode == 0, done.stderr
    assert done.stdout.strip() == f"['1', '{error(6)}', '3'] True"
