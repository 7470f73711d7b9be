"""Names of openings, from a table of ECO-coded openings."""

from vorn._export import export

globals().update(export(__name__))
del export  # the helper is not part of the module
