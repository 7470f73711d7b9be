"""Which attributes of the native module each module of the package presents.

Every class of vorn._vorn reports, as __module__, the package module that
presents it ("vorn", "vorn.pgn", "vorn.uci.protocol", ...), and pickle finds
classes there. Each package module therefore copies from the native module
the names that belong to it, found by scanning, so that new classes and
functions need no edit here.
"""

import types

from vorn import _vorn

# Module attributes that are neither classes nor functions.
_CONSTANTS = {
    "vorn": ("CLASSIC", "CHESS960", "KING_TO_ROOK", "KING_TWO_SQUARES", "POLYGLOT_ENTRY_SIZE", "__version__"),
    "vorn.polyglot": ("POLYGLOT_ENTRY_SIZE",),
}

# Module-level functions belong to the module their name starts with; the
# package itself presents all of them.
_FUNCTION_PREFIXES = {
    "vorn.pgn": "pgn_",
    "vorn.openings": "openings_",
    "vorn.endings": "endings_",
    "vorn.uci": "uci_",
}


def _belongs(module_name, name, value):
    if name in _CONSTANTS.get(module_name, ()):
        return True
    if name.startswith("_"):
        return False
    if isinstance(value, type):
        if module_name == "vorn" and issubclass(value, BaseException):
            return True
        return value.__module__ == module_name
    if isinstance(value, types.BuiltinFunctionType):
        return module_name == "vorn" or name.startswith(_FUNCTION_PREFIXES.get(module_name, "\0"))
    return False


def export(module_name):
    """The native module's attributes that `module_name` presents, in the native module's order."""
    return {name: value for name, value in vars(_vorn).items() if _belongs(module_name, name, value)}
