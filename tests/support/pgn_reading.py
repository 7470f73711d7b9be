"""Helpers of the PGN tests: every item a text yields, read one by one."""

from vorn.pgn import pgn_read_string


def items(text, skip_errors=False):
    """Games as PgnGame, errors as the ValueError's message, until the end."""
    return drain(pgn_read_string(text, skip_errors=skip_errors))


def drain(reader):
    """What `reader` yields: games, and error messages for its ValueErrors."""
    out = []
    while True:
        try:
            out.append(next(reader))
        except StopIteration:
            return out
        except ValueError as error:
            out.append(str(error))


def movetext(game):
    """The game's export text after its tags, on one line."""
    text = str(game)
    if game.headers:
        text = text.split("\n\n", 1)[1]
    return " ".join(text.split("\n")).strip()


def outline(text, skip_errors=False):
    """Each item: an error message, or the game's movetext."""
    return [item if isinstance(item, str) else movetext(item) for item in items(text, skip_errors)]


def one(text):
    (game,) = items(text)
    assert not isinstance(game, str), game
    return game


# The start of a script, indented to be dedented with what follows it: a
# reader of a pipe whose writer stalls inside game "a" until go_on is set,
# then writes the rest of it and game "b".
STALLED = """
    import os, signal, sys, threading, time
    import vorn.pgn

    path = sys.argv[1]
    os.mkfifo(path)
    go_on = threading.Event()

    def writer():
        with open(path, "wb", buffering=0) as out:
            out.write(b'[Event "a"]\\n\\n1. e4')
            go_on.wait()
            out.write(b' e5 *\\n\\n[Event "b"]\\n\\n1. d4 *\\n')

    threading.Thread(target=writer).start()
    reader = vorn.pgn.pgn_read(path)
"""
