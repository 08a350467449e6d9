"""IEEE reference helpers for the bit-exact tests: bit patterns, division,
square root and the C library's trigonometry without Python's exceptions, the
decimal display of a double, and samples of ordinary and hostile doubles.
"""

from __future__ import annotations

import ctypes
import ctypes.util
import math
import random
import struct
from collections.abc import Callable
from decimal import Decimal
from typing import Protocol

INF = math.inf
NAN = math.nan
PI = 3.141592653589793
EPS = 2.0**-52

_libm = ctypes.CDLL(ctypes.util.find_library("m"))
for _name in ("sin", "cos", "tan", "acos"):
    getattr(_libm, _name).restype = ctypes.c_double
    getattr(_libm, _name).argtypes = [ctypes.c_double]


def libm(name: str) -> Callable[[float], float]:
    """The C library function; math.* calls it too but raises on domain errors."""
    python_version = getattr(math, name)
    c_version = getattr(_libm, name)

    def call(x: float) -> float:
        try:
            return float(python_version(x))
        except ValueError:
            return float(c_version(x))

    return call


sin, cos, tan, acos = libm("sin"), libm("cos"), libm("tan"), libm("acos")


def from_bits(pattern: int) -> float:
    return float(struct.unpack("<d", struct.pack("<Q", pattern))[0])


def exact_bits(x: float) -> str:
    return struct.pack(">d", x).hex()


def bits(x: float) -> str:
    """The bit pattern, except that every NaN is alike: where two NaNs meet in
    one operation, which of them survives depends on the compiler's operand
    order, not on the formula."""
    return "NaN" if math.isnan(x) else exact_bits(x)


class HasXYZ(Protocol):
    @property
    def x(self) -> float: ...
    @property
    def y(self) -> float: ...
    @property
    def z(self) -> float: ...


def vbits(v: HasXYZ | tuple[float, ...]) -> tuple[str, ...]:
    """`bits` of each component of a vector object or a tuple."""
    return tuple(bits(x) for x in (v if isinstance(v, tuple) else (v.x, v.y, v.z)))


def flip_sign(x: float) -> float:
    return from_bits(struct.unpack("<Q", struct.pack("<d", x))[0] ^ (1 << 63))


def div(a: float, b: float) -> float:
    """IEEE division, NaNs as the x86-64 CPU makes them (Python raises on 0)."""
    if b != 0.0 or math.isnan(b):
        return a / b
    if math.isnan(a):
        return a + 0.0  # the quieted operand
    if a == 0.0:
        return INF - INF  # the CPU's default NaN
    return math.copysign(INF, a) * math.copysign(1.0, b)


def sqrt(x: float) -> float:
    """IEEE square root: the CPU's NaN below zero (Python raises)."""
    return math.sqrt(x) if x >= 0.0 or math.isnan(x) else INF - INF


def display(x: float) -> str:
    """Shortest round-trip digits, fixed notation, no trailing '.0'."""
    if math.isnan(x):
        return "NaN"
    if math.isinf(x):
        return "inf" if x > 0 else "-inf"
    text = format(Decimal(repr(x)), "f")
    return text.rstrip("0").rstrip(".") if "." in text else text


HOSTILE = [
    0.0, -0.0, INF, -INF, math.nan, from_bits(0xFFF8000000000000), from_bits(0x7FF0000000000001),
    from_bits(0xFFF4000000000123), 5e-324, -5e-324, 2.2250738585072014e-308,
    2.225073858507201e-308, 1.7976931348623157e308, -1.7976931348623157e308, 1.0, -1.0,
    0.9999999999999999, 1.0000000000000002, PI, PI / 2, -PI, 1e300, 1e-300, 180.0, 3.0,
]


def sample(seed: int, count: int = 1500) -> list[float]:
    """Hostile values, then random bit patterns and ordinary magnitudes."""
    rng = random.Random(seed)
    values = list(HOSTILE)
    while len(values) < count:
        kind = rng.randrange(3)
        if kind == 0:
            values.append(from_bits(rng.getrandbits(64)))
        elif kind == 1:
            values.append(rng.uniform(-10.0, 10.0))
        else:
            values.append(rng.gauss(0.0, 1.0) * 10.0 ** rng.randint(-320, 300))
    return values


def pairs(seed: int, count: int = 1500) -> list[tuple[float, float]]:
    rng = random.Random(seed)
    left, right = sample(seed, count), sample(seed + 1, count)
    rng.shuffle(right)
    return list(zip(left, right)) + [(x, x) for x in HOSTILE] + [(0.0, -0.0), (-0.0, 0.0)]
