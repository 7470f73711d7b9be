"""The UCI protocol without a process: client commands, engine messages and
the order of a conversation."""

from vorn._export import export

globals().update(export(__name__))
del export  # the helper is not part of the module
