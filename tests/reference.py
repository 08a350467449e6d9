"""The library's formulas in pure Python, in the library's evaluation order.

Python floats are IEEE doubles and every operation below is rounded on its own
(no fused multiply-add), so these give the library's bits. Division, square
root and the trigonometry go through `ieee`, which returns what the CPU and the
C library return where Python would raise. The module suite compares against
these, and core/tests/reference_values.py prints the C++ tests' expected values
from them.
"""

from __future__ import annotations

import math
import struct

from ieee import EPS, PI, acos, cos, div, flip_sign, sin, sqrt

V = tuple[float, float, float]
Q = tuple[float, float, float, float]
RefPlane = tuple[V, float]
RefCircle = tuple[V, float, V]  # center, radius, normal

TOO_FAR = "The given geometries are too far apart and do not intersect at all."
CONTAINED = (
    "One of the given geometries is contained entirely within the other. "
    "The surfaces do not intersect."
)
IDENTICAL = "The given geometries are identical."
OUT_OF_PLANE = "The given geometries are out of plane from each other"


# ---------------------------------------------------------------------------
# Vec3d


def add(a: V, b: V) -> V:
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def sub(a: V, b: V) -> V:
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def along(a: V, t: float, d: V) -> V:
    """a + t·d, one component at a time."""
    return (a[0] + t * d[0], a[1] + t * d[1], a[2] + t * d[2])


def dot(a: V, b: V) -> float:
    return (a[0] * b[0] + a[1] * b[1]) + a[2] * b[2]


def cross(a: V, b: V) -> V:
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def magnitude(a: V) -> float:
    return sqrt(dot(a, a))


def normalize(a: V) -> V:
    n = magnitude(a)
    return (div(a[0], n), div(a[1], n), div(a[2], n))


def distance_squared(a: V, b: V) -> float:
    d = sub(a, b)
    return dot(d, d)


def distance_to_line(p: V, a: V, b: V) -> float:
    d = sub(b, a)
    t = div(dot(sub(p, a), d), dot(d, d))
    foot = (d[0] * t + a[0], d[1] * t + a[1], d[2] * t + a[2])
    return magnitude(sub(p, foot))


def project_onto_line(p: V, r: V, q: V) -> V:
    d = sub(r, q)
    t = div(dot(sub(q, p), d), dot(d, d))
    return (q[0] - t * d[0], q[1] - t * d[1], q[2] - t * d[2])


def project_onto_plane(p: V, n: V) -> V:
    h = dot(p, n)
    return (p[0] - h * n[0], p[1] - h * n[1], p[2] - h * n[2])


def scalar_triple_product(a: V, b: V, c: V) -> float:
    return dot(a, cross(b, c))


def within(a: tuple[float, ...], b: tuple[float, ...]) -> bool:
    """Componentwise equality within one machine epsilon (Vec3d and Quat ==)."""
    return all(abs(x - y) < EPS for x, y in zip(a, b))


def opposite(a: V, b: V) -> bool:
    return all(abs(x + y) < EPS for x, y in zip(a, b))


# ---------------------------------------------------------------------------
# Angles


def to_degrees(radians: float) -> float:
    return div(radians * 180.0, PI)


def to_radians(degrees: float) -> float:
    return div(degrees * PI, 180.0)


def angle_to(a: V, b: V) -> float:
    return acos(div(dot(a, b), magnitude(a) * magnitude(b)))


# ---------------------------------------------------------------------------
# Quat (w, i, j, k)


def hamilton(a: Q, b: Q) -> Q:
    return (
        ((a[0] * b[0] - a[1] * b[1]) - a[2] * b[2]) - a[3] * b[3],
        ((a[0] * b[1] + a[1] * b[0]) + a[2] * b[3]) - a[3] * b[2],
        ((a[0] * b[2] + a[2] * b[0]) + a[3] * b[1]) - a[1] * b[3],
        ((a[0] * b[3] + a[3] * b[0]) + a[1] * b[2]) - a[2] * b[1],
    )


def conjugate(q: Q) -> Q:
    return (q[0], flip_sign(q[1]), flip_sign(q[2]), flip_sign(q[3]))


def quat_magnitude(q: Q) -> float:
    return sqrt(((q[0] * q[0] + q[1] * q[1]) + q[2] * q[2]) + q[3] * q[3])


def quat_normalize(q: Q) -> Q:
    m = quat_magnitude(q)
    return (div(q[0], m), div(q[1], m), div(q[2], m), div(q[3], m))


def quat_is_unit(q: Q) -> bool:
    return abs(quat_magnitude(q) - 1.0) < EPS


def from_axis_angle(axis: V, angle: float) -> Q:
    h = angle * -0.5
    s, c = sin(h), cos(h)
    return (c, axis[0] * s, axis[1] * s, axis[2] * s)


def to_axis_angle(q: Q) -> tuple[V, float]:
    if abs(q[0] - 1.0) < EPS:
        return (1.0, 0.0, 0.0), 0.0
    h = acos(q[0])
    theta = h + h
    s = sin(theta * 0.5)
    return (div(q[1], s), div(q[2], s), div(q[3], s)), theta


def rotate(q: Q, v: V) -> V:
    r = hamilton(hamilton(conjugate(q), (0.0, v[0], v[1], v[2])), q)
    return (r[1], r[2], r[3])


def rotation_matrix(q: Q) -> list[list[float]]:
    w, i, j, k = q
    return [
        [1.0 - 2.0 * (j * j + k * k), 2.0 * (i * j - w * k), 2.0 * (i * k + w * j)],
        [2.0 * (i * j + w * k), 1.0 - 2.0 * (k * k + i * i), 2.0 * (j * k - w * i)],
        [2.0 * (i * k - w * j), 2.0 * (j * k + w * i), 1.0 - 2.0 * (j * j + i * i)],
    ]


# ---------------------------------------------------------------------------
# Planes, circles and their intersections


def plane_from_point(normal: V, point: V) -> RefPlane:
    n = normalize(normal)
    return n, -dot(n, point)


def plane_from_points(p1: V, p2: V, p3: V) -> RefPlane:
    return plane_from_point(cross(sub(p2, p1), sub(p3, p1)), p1)


def plane_line(plane: RefPlane, a: V, b: V) -> V:
    n, distance = plane
    d = sub(b, a)
    return along(a, div(-(dot(n, a) + distance), dot(n, d)), d)


def circle_equal(a: RefCircle, b: RefCircle) -> bool:
    return (
        within(a[0], b[0])
        and a[1] == b[1]
        and (within(a[2], b[2]) or opposite(a[2], b[2]))
    )


def in_same_plane(a: RefCircle, b: RefCircle) -> bool:
    if within(a[2], b[2]):
        return abs(dot(b[2], b[0]) - dot(a[2], a[0])) < EPS
    if opposite(a[2], b[2]):
        return abs(dot(b[2], b[0]) + dot(a[2], a[0])) < EPS
    return False


def circle_point(c: RefCircle, p: V, inner: bool, checked: bool) -> bool:
    if checked:
        n, d = plane_from_point(c[2], c[0])
        if not abs(dot(n, p) + d) < EPS:
            return False
    offset = c[1] - magnitude(sub(p, c[0]))
    if abs(offset) < EPS:
        return True
    return offset > EPS and inner


def chord(a: RefCircle, b: RefCircle) -> tuple[float, float]:
    """Where the common chord crosses the line of centres, as the fraction t of
    the way from a's centre to b's, and h², the squared half chord (rounding
    can leave it below zero for touching circles)."""
    (c1, r1, _), (c2, r2, _) = a, b
    d = magnitude(sub(c1, c2))
    t = div(r1 * r1 - r2 * r2, d * d + d * d) + 0.5
    return t, r1 * r1 - (t * t) * (d * d)


def circle_circle(a: RefCircle, b: RefCircle) -> tuple[V, V] | str:
    """The two points, or the message of the refusal."""
    if circle_equal(a, b):
        return IDENTICAL
    if not in_same_plane(a, b):
        return OUT_OF_PLANE
    (c1, r1, _), (c2, r2, n2) = a, b
    d = magnitude(sub(c1, c2))
    if d > r1 + r2:
        return TOO_FAR
    if abs(r1 - r2) > d:
        return CONTAINED
    t, h_squared = chord(a, b)
    h = 0.0 if h_squared < 0.0 else sqrt(h_squared)
    centres = sub(c2, c1)
    foot = along(c1, t, centres)
    u = normalize(cross(centres, n2))
    return along(foot, h, u), (foot[0] - h * u[0], foot[1] - h * u[1], foot[2] - h * u[2])


# ---------------------------------------------------------------------------
# Hash: SipHash over the canonical bit patterns

MASK = (1 << 64) - 1


def _rotl(value: int, shift: int) -> int:
    return ((value << shift) | (value >> (64 - shift))) & MASK


def _sip_round(v: list[int]) -> None:
    v[0] = (v[0] + v[1]) & MASK
    v[1] = _rotl(v[1], 13) ^ v[0]
    v[0] = _rotl(v[0], 32)
    v[2] = (v[2] + v[3]) & MASK
    v[3] = _rotl(v[3], 16) ^ v[2]
    v[0] = (v[0] + v[3]) & MASK
    v[3] = _rotl(v[3], 21) ^ v[0]
    v[2] = (v[2] + v[1]) & MASK
    v[1] = _rotl(v[1], 17) ^ v[2]
    v[2] = _rotl(v[2], 32)


def siphash(message: bytes, k0: int = 0, k1: int = 0, c_rounds: int = 1, d_rounds: int = 3) -> int:
    """SipHash-c-d of `message` under the key (k0, k1); SipHash-1-3 by default."""
    v = [
        k0 ^ 0x736F6D6570736575,
        k1 ^ 0x646F72616E646F6D,
        k0 ^ 0x6C7967656E657261,
        k1 ^ 0x7465646279746573,
    ]
    whole = len(message) - len(message) % 8
    blocks = [int.from_bytes(message[i : i + 8], "little") for i in range(0, whole, 8)]
    blocks.append(int.from_bytes(message[whole:], "little") | (len(message) & 0xFF) << 56)
    for block in blocks:
        v[3] ^= block
        for _ in range(c_rounds):
            _sip_round(v)
        v[0] ^= block
    v[2] ^= 0xFF
    for _ in range(d_rounds):
        _sip_round(v)
    return v[0] ^ v[1] ^ v[2] ^ v[3]


# The published SipHash-2-4 test vector (key 00..0f, message 00..0e).
assert siphash(bytes(range(15)), 0x0706050403020100, 0x0F0E0D0C0B0A0908, 2, 4) == 0xA129CA6149BE45E5


def vec3d_hash(v: V) -> int:
    """The unsigned 64-bit hash: SipHash-1-3, zero key, over the three
    components with -0.0 as 0.0 and every NaN as the one quiet NaN."""

    def canonical(c: float) -> bytes:
        return struct.pack("<Q", 0x7FF8000000000000) if math.isnan(c) else struct.pack("<d", c + 0.0)

    return siphash(b"".join(canonical(c) for c in v))
