"""Polyglot opening books: reading, querying, building and writing."""

from vorn._export import export

globals().update(export(__name__))
