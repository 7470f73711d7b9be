"""UCI chess engines run as child processes: positions, searches and answers."""

from vorn._export import export

globals().update(export(__name__))
del export  # the helper is not part of the module

from vorn.uci import protocol  # noqa: E402
