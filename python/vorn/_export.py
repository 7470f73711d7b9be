"""Which attributes of the native module each module of the package presents.

Every class of vorn._vorn reports, as __module__, the package module that
presents it ("vorn", "vorn.pgn", "vorn.uci.protocol", ...), and pickle finds
classes there. The native module records, as it adds each name, which
package modules present it, and hands that record over as `_exports`; each
package module copies the names listed for it.
"""

from vorn import _vorn


def export(module_name):
    """The native module's attributes that `module_name` presents, in the native module's order."""
    return {name: getattr(_vorn, name) for name in _vorn._exports.get(module_name, ())}
