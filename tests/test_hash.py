"""The SipHash-1-3 behind the library's hashes: a plain-Python reference,
checked against published values, then the hashes of FileSet and SquareSet
checked against it."""

import os
import subprocess
import sys

import pytest

import vorn
from support.siphash13 import python_hash, siphash13


def cpython_key(seed):
    """The SipHash key CPython uses under PYTHONHASHSEED=seed: zero for 0,
    else the first 16 bytes of its LCG's output."""
    if seed == 0:
        return 0, 0
    x = seed
    secret = bytearray()
    for _ in range(16):
        x = (x * 214013 + 2531011) & 0xFFFFFFFF
        secret.append((x >> 16) & 0xFF)
    return int.from_bytes(secret[:8], "little"), int.from_bytes(secret[8:], "little")


UCS2 = "äú∑ℇ".encode("utf-16-le")  # how CPython hashes that str: its 2-byte code units


# The siphash13 values of CPython's Lib/test/test_hash.py (64-bit, little-endian).
@pytest.mark.parametrize(
    ("seed", "data", "expected"),
    [
        (0, b"abc", -4594863902769663758),
        (42, b"abc", 3869580338025362921),
        (42, b"abcdefghijk", 7764564197781545852),
        (0, UCS2, -2810468059467891395),
        (42, UCS2, -2845126246016066802),
    ],
)
def test_reference_matches_published_values(seed, data, expected):
    assert python_hash(siphash13(data, *cpython_key(seed))) == expected


@pytest.mark.skipif(sys.hash_info.algorithm != "siphash13", reason="this CPython does not hash with SipHash-1-3")
def test_reference_matches_cpython_zero_key_for_every_tail_length():
    # PYTHONHASHSEED=0 gives CPython the zero key; bytes hash with SipHash-1-3
    # (the empty bytes excepted, which hash to 0).
    samples = [bytes(range(7, 7 + n)) for n in range(1, 40)]
    code = f"print([hash(b) for b in {samples!r}])"
    result = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, check=True,
                            env={**os.environ, "PYTHONHASHSEED": "0"})
    assert eval(result.stdout) == [python_hash(siphash13(b)) for b in samples]


def test_python_hash_never_gives_minus_one():
    assert python_hash((1 << 64) - 1) == -2
    assert python_hash((1 << 64) - 2) == -2
    assert python_hash(5) == 5


@pytest.mark.parametrize("files", [[], ["a"], ["a", "d", "h"], list("abcdefgh")])
def test_file_set_hash_is_siphash_of_its_mask_byte(files):
    mask = sum(1 << (ord(f) - ord("a")) for f in files)
    assert hash(vorn.FileSet(files)) == python_hash(siphash13(bytes([mask])))


@pytest.mark.parametrize("squares", [[], ["a1"], ["e4", "d5"], ["h8"]])
def test_square_set_hash_is_siphash_of_its_bits(squares):
    bits = vorn.SquareSet(squares).bits
    assert hash(vorn.SquareSet(squares)) == python_hash(siphash13(bits.to_bytes(8, "little")))


def test_full_square_set_hash():
    full = ~vorn.SquareSet()
    assert hash(full) == python_hash(siphash13(b"\xff" * 8))


def test_hashes_are_the_same_in_every_process():
    code = "import vorn; print(hash(vorn.FileSet(['c'])), hash(vorn.SquareSet(['e4'])))"
    runs = {
        subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, check=True,
                       env={**os.environ, "PYTHONHASHSEED": seed}).stdout
        for seed in ("1", "2")
    }
    assert runs == {f"{hash(vorn.FileSet(['c']))} {hash(vorn.SquareSet(['e4']))}\n"}
