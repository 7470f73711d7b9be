"""SipHash-1-3 in plain Python: the reference the library's hashes are
checked against (test_hash.py checks it against published values first)."""

MASK = (1 << 64) - 1


def _rotl(x, b):
    return ((x << b) | (x >> (64 - b))) & MASK


def _round(v):
    v0, v1, v2, v3 = v
    v0 = (v0 + v1) & MASK
    v1 = _rotl(v1, 13) ^ v0
    v0 = _rotl(v0, 32)
    v2 = (v2 + v3) & MASK
    v3 = _rotl(v3, 16) ^ v2
    v0 = (v0 + v3) & MASK
    v3 = _rotl(v3, 21) ^ v0
    v2 = (v2 + v1) & MASK
    v1 = _rotl(v1, 17) ^ v2
    v2 = _rotl(v2, 32)
    return [v0, v1, v2, v3]


def siphash13(data, k0=0, k1=0):
    """The 64-bit SipHash-1-3 of `data` (bytes) under the key halves k0, k1."""
    v = [k0 ^ 0x736F6D6570736575, k1 ^ 0x646F72616E646F6D, k0 ^ 0x6C7967656E657261, k1 ^ 0x7465646279746573]
    whole = len(data) - len(data) % 8
    for i in range(0, whole, 8):
        m = int.from_bytes(data[i:i + 8], "little")
        v[3] ^= m
        v = _round(v)
        v[0] ^= m
    last = int.from_bytes(data[whole:], "little") | ((len(data) & 0xFF) << 56)
    v[3] ^= last
    v = _round(v)
    v[0] ^= last
    v[2] ^= 0xFF
    for _ in range(3):
        v = _round(v)
    return v[0] ^ v[1] ^ v[2] ^ v[3]


def python_hash(value):
    """A 64-bit hash as Python reports it: signed, with -1 turned into -2."""
    signed = value - (1 << 64) if value >= 1 << 63 else value
    return -2 if signed == -1 else signed
