"""PGN game records: reading, writing and counting games."""

from vorn._export import export

globals().update(export(__name__))
del export  # the helper is not part of the module
