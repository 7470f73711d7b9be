"""Polyglot opening books: reading, querying, building and writing."""

from vorn._export import export

globals().update(export(__name__))
del export  # the helper is not part of the module
