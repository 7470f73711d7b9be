"""English explanations of rule situations: castling, en passant, pins, draws."""

from vorn._export import export

globals().update(export(__name__))
del export  # the helper is not part of the module
