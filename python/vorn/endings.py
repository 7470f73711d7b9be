"""The classification of endings, with a verdict and a technique."""

from vorn._export import export

globals().update(export(__name__))
del export  # the helper is not part of the module
