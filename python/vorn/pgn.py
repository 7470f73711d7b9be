"""PGN game records: reading, writing and counting games."""

from vorn._export import export

globals().update(export(__name__))
