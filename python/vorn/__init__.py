"""Chess for Python: positions, moves and games, their analysis, PGN records,
Polyglot opening books, opening names and UCI engines.

The submodules vorn.explain, vorn.endings, vorn.pgn, vorn.polyglot,
vorn.openings, vorn.uci and vorn.uci.protocol hold the classes of those
areas; everything else, with every function and exception, is here.
"""

from vorn._export import export

globals().update(export(__name__))
del export  # the helper is not part of the module

from vorn import endings, explain, openings, pgn, polyglot, uci  # noqa: E402  (they read the native module too)
