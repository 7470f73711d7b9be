"""Which attributes of the native module each module of the package presents.

Every class of vorn._vorn reports, as __module__, the package module that
presents it ("vorn", "vorn.pgn", "vorn.uci.protocol", ...), and pickle finds
classes there. The native module records, as it adds each name, which
package modules present it, and hands that record over as `_exports`; it is
taken off the native module here, once, so that the native module holds
only its own names, and each package module copies the names listed for it.
"""

from vorn import _vorn

_PRESENTED = vars(_vorn).pop("_exports")


def export(module_name):
    """The native module's attributes that `module_name` presents, in the native module's order."""
    return {name: getattr(_vorn, name) for name in _PRESENTED.get(module_name, ())}
