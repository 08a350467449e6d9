"""Independent reference values for the tavrel unit tests.

Python floats are IEEE doubles and every operation below is rounded on its own, so evaluating a
formula here in the same order as the library gives the same bits; math.sin/cos/tan/acos call the
same C library. The script prints the values as hex bit patterns, which the C++ tests embed.

For each order-sensitive formula the script also evaluates a plausible wrong order and asserts
that at least one input tells the two apart, so that the embedded values catch such a fault.

Run: python3 core/tests/reference_values.py
"""

import math
import struct

MASK = (1 << 64) - 1


def bits(v: float) -> str:
    return "0x%016x" % struct.unpack("<Q", struct.pack("<d", v))[0]


# --- SipHash ---------------------------------------------------------------------------------


def rotl(v: int, n: int) -> int:
    return ((v << n) | (v >> (64 - n))) & MASK


def siphash(data: bytes, k0: int, k1: int, c_rounds: int, d_rounds: int) -> int:
    v = [
        k0 ^ 0x736F6D6570736575,
        k1 ^ 0x646F72616E646F6D,
        k0 ^ 0x6C7967656E657261,
        k1 ^ 0x7465646279746573,
    ]

    def sipround() -> None:
        v[0] = (v[0] + v[1]) & MASK
        v[1] = rotl(v[1], 13) ^ v[0]
        v[0] = rotl(v[0], 32)
        v[2] = (v[2] + v[3]) & MASK
        v[3] = rotl(v[3], 16) ^ v[2]
        v[0] = (v[0] + v[3]) & MASK
        v[3] = rotl(v[3], 21) ^ v[0]
        v[2] = (v[2] + v[1]) & MASK
        v[1] = rotl(v[1], 17) ^ v[2]
        v[2] = rotl(v[2], 32)

    blocks = [data[n : n + 8] for n in range(0, len(data) - len(data) % 8, 8)]
    last = data[len(data) - len(data) % 8 :] + bytes(8 - len(data) % 8 - 1) + bytes([len(data) & 0xFF])
    for block in blocks + [last]:
        m = int.from_bytes(block, "little")
        v[3] ^= m
        for _ in range(c_rounds):
            sipround()
        v[0] ^= m
    v[2] ^= 0xFF
    for _ in range(d_rounds):
        sipround()
    return v[0] ^ v[1] ^ v[2] ^ v[3]


# The published SipHash-2-4 test vector (key 00..0f, message 00..0e) validates the construction.
assert siphash(bytes(range(15)), 0x0706050403020100, 0x0F0E0D0C0B0A0908, 2, 4) == 0xA129CA6149BE45E5


def canonical(v: float) -> bytes:
    if math.isnan(v):
        return struct.pack("<Q", 0x7FF8000000000000)
    return struct.pack("<d", v + 0.0)


def vec_hash(x: float, y: float, z: float) -> int:
    return siphash(canonical(x) + canonical(y) + canonical(z), 0, 0, 1, 3)


# --- Vec3d formulas, in the library's order ---------------------------------------------------


def dot(a, b):
    return (a[0] * b[0] + a[1] * b[1]) + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def magnitude(a):
    return math.sqrt((a[0] * a[0] + a[1] * a[1]) + a[2] * a[2])


def normalize(a):
    n = magnitude(a)
    return (a[0] / n, a[1] / n, a[2] / n)


def distance_to_line(p, a, b):
    d = (b[0] - a[0], b[1] - a[1], b[2] - a[2])
    t = (((p[0] - a[0]) * d[0] + (p[1] - a[1]) * d[1]) + (p[2] - a[2]) * d[2]) / (
        (d[0] * d[0] + d[1] * d[1]) + d[2] * d[2]
    )
    f = (d[0] * t + a[0], d[1] * t + a[1], d[2] * t + a[2])
    e = (p[0] - f[0], p[1] - f[1], p[2] - f[2])
    return math.sqrt((e[0] * e[0] + e[1] * e[1]) + e[2] * e[2])


def project_onto_line(p, r, q):
    d = (r[0] - q[0], r[1] - q[1], r[2] - q[2])
    t = (((q[0] - p[0]) * d[0] + (q[1] - p[1]) * d[1]) + (q[2] - p[2]) * d[2]) / (
        (d[0] * d[0] + d[1] * d[1]) + d[2] * d[2]
    )
    return (q[0] - t * d[0], q[1] - t * d[1], q[2] - t * d[2])


def project_onto_plane(p, n):
    h = dot(p, n)
    return (p[0] - h * n[0], p[1] - h * n[1], p[2] - h * n[2])


def triple(a, b, c):
    return dot(a, cross(b, c))


# Plausible wrong orders, to make sure the chosen inputs discriminate.
def dot_reassociated(a, b):
    return a[0] * b[0] + (a[1] * b[1] + a[2] * b[2])


def normalize_by_reciprocal(a):
    r = 1.0 / magnitude(a)
    return (a[0] * r, a[1] * r, a[2] * r)


def project_onto_line_anchored_at_r(p, r, q):
    return project_onto_line(p, q, r)


def triple_as_det(a, b, c):
    return dot(cross(a, b), c)


A = (0.1, 0.7, -0.3)
B = (1e16, 3.3, -1e16 + 2.0)
C = (-2.5, 1.0 / 3.0, 0.2)
D = (4.1, -7.3, 0.9)
E = (1e-3, 2e8, 1.0 + 2**-52)
F = (1.0, 2.0**-53, 2.0**-53)
G = (1.0, 1.0, 1.0)


def hexv(t):
    return "{" + ", ".join(bits(c) for c in t) + "}"


def section_vec3d() -> None:
    print("// Vec3d: inputs A..E")
    for name, v in zip("ABCDEFG", (A, B, C, D, E, F, G)):
        print(f"// {name} = {v!r}")
    pairs = [(A, B), (F, G)]
    assert any(bits(dot(a, b)) != bits(dot_reassociated(a, b)) for a, b in pairs)
    for a, b in pairs:
        print("dot", bits(dot(a, b)), "cross", hexv(cross(a, b)))
    assert any(normalize(v) != normalize_by_reciprocal(v) for v in (A, E))
    for v in (A, E):
        print("magnitude", bits(magnitude(v)), "normalize", hexv(normalize(v)))
    triples = [(A, B, C), (C, D, E)]
    for p, a, b in triples:
        print("distance_to_line", bits(distance_to_line(p, a, b)))
    assert any(
        project_onto_line(p, r, q) != project_onto_line_anchored_at_r(p, r, q) for p, r, q in triples
    )
    for p, r, q in triples:
        print("project_onto_line", hexv(project_onto_line(p, r, q)))
    for p, n in pairs:
        print("project_onto_plane", hexv(project_onto_plane(p, n)))
    assert any(bits(triple(a, b, c)) != bits(triple_as_det(a, b, c)) for a, b, c in triples)
    for a, b, c in triples:
        print("scalar_triple_product", bits(triple(a, b, c)))


def section_hash() -> None:
    print("// SipHash-1-3, zero key, message bytes 0..n-1")
    for n in (0, 1, 7, 8, 9, 15, 16, 24, 63):
        print(n, "0x%016x" % siphash(bytes(range(n)), 0, 0, 1, 3))
    print("// SipHash-1-3, key 00..0f, message bytes 0..n-1")
    for n in (0, 1, 8, 15):
        print(n, "0x%016x" % siphash(bytes(range(n)), 0x0706050403020100, 0x0F0E0D0C0B0A0908, 1, 3))
    print("// Vec3d hashes")
    for v in [(0.0, 0.0, 0.0), (1.0, 2.0, 3.0), (math.nan, 0.5, -math.inf), (1e-300, -2.5, 7.0)]:
        print(v, "0x%016x" % vec_hash(*v))


# --- Angles ----------------------------------------------------------------------------------

PI = math.pi


def to_degrees(r):
    return (r * 180.0) / PI


def to_radians(d):
    return (d * PI) / 180.0


def angle_to(a, b):
    return math.acos(dot(a, b) / (magnitude(a) * magnitude(b)))


def section_angles() -> None:
    radians = [0.1, 1.0, -2.5, 123.456]
    assert any(to_degrees(r) != r * (180.0 / PI) for r in radians)
    print("// to_degrees")
    for r in radians:
        print(repr(r), bits(to_degrees(r)))
    degrees = [3.0, 1.0, -45.5, 1e6]
    assert any(to_radians(d) != d * (PI / 180.0) for d in degrees)
    print("// to_radians")
    for d in degrees:
        print(repr(d), bits(to_radians(d)))
    print("// sin cos tan sec csc cot")
    for r in [0.5, -3.0, 1e22]:
        s, c, t = math.sin(r), math.cos(r), math.tan(r)
        print(repr(r), bits(s), bits(c), bits(t), bits(1.0 / c), bits(1.0 / s), bits(1.0 / t))
    print("// angle_to")
    for a, b in [(A, C), (C, D), (D, E), (B, C)]:
        print(a, b, bits(angle_to(a, b)))


# --- Quaternions -----------------------------------------------------------------------------


def hamilton(a, b):
    aw, ai, aj, ak = a
    bw, bi, bj, bk = b
    return (
        ((aw * bw - ai * bi) - aj * bj) - ak * bk,
        ((aw * bi + ai * bw) + aj * bk) - ak * bj,
        ((aw * bj + aj * bw) + ak * bi) - ai * bk,
        ((aw * bk + ak * bw) + ai * bj) - aj * bi,
    )


def conj(q):
    return (q[0], -q[1], -q[2], -q[3])


def q_magnitude(q):
    return math.sqrt(((q[0] * q[0] + q[1] * q[1]) + q[2] * q[2]) + q[3] * q[3])


def q_normalize(q):
    m = q_magnitude(q)
    return tuple(c / m for c in q)


def from_axis_angle(axis, angle):
    h = angle * -0.5
    s, c = math.sin(h), math.cos(h)
    return (c, axis[0] * s, axis[1] * s, axis[2] * s)


def to_axis_angle(q):
    if abs(q[0] - 1.0) < 2.0**-52:
        return (1.0, 0.0, 0.0), 0.0
    h = math.acos(q[0])
    theta = h + h
    s = math.sin(theta * 0.5)
    return (q[1] / s, q[2] / s, q[3] / s), theta


def rotate(q, v):
    r = hamilton(hamilton(conj(q), (0.0, v[0], v[1], v[2])), q)
    return r[1:]


def rotate_other_side(q, v):
    r = hamilton(hamilton(q, (0.0, v[0], v[1], v[2])), conj(q))
    return r[1:]


def matrix(q):
    w, i, j, k = q
    return (
        (1.0 - 2.0 * (j * j + k * k), 2.0 * (i * j - w * k), 2.0 * (i * k + w * j)),
        (2.0 * (i * j + w * k), 1.0 - 2.0 * (k * k + i * i), 2.0 * (j * k - w * i)),
        (2.0 * (i * k - w * j), 2.0 * (j * k + w * i), 1.0 - 2.0 * (j * j + i * i)),
    )


def section_quat() -> None:
    cases = [
        ((0.0, 0.0, 1.0), PI / 2.0),
        (normalize((1.0, 2.0, 3.0)), 0.7),
        ((1.0, 1.0, 0.0), -1.2),
    ]
    v = (1.5, -2.25, 0.75)
    # The chosen vector is turned differently by the two multiplication orders.
    assert any(rotate(from_axis_angle(a, t), v) != rotate_other_side(from_axis_angle(a, t), v) for a, t in cases)
    print("// from_axis_angle, to_axis_angle, rotate (1.5, -2.25, 0.75), magnitude, normalize, matrix")
    for axis, angle in cases:
        q = from_axis_angle(axis, angle)
        ax, th = to_axis_angle(q)
        print(axis, repr(angle))
        print("  q", hexv(q))
        print("  axis", hexv(ax), "angle", bits(th))
        print("  rotate", hexv(rotate(q, v)))
        print("  magnitude", bits(q_magnitude(q)), "normalize", hexv(q_normalize(q)))
        print("  matrix", ", ".join(hexv(row) for row in matrix(q)))
    a = (0.3, -1.7, 2.9, 0.01)
    b = (-4.4, 0.25, 1.0 / 3.0, 7.5)
    print("// hamilton a*b, b*a")
    print(hexv(hamilton(a, b)), hexv(hamilton(b, a)))
    print("// non-unit q (0.3, -1.7, 2.9, 0.01): magnitude, normalize, rotate, to_axis_angle")
    print(bits(q_magnitude(a)), hexv(q_normalize(a)), hexv(rotate(a, v)))
    print(hexv(to_axis_angle((0.25, 0.5, -0.5, 0.1))[0]), bits(to_axis_angle((0.25, 0.5, -0.5, 0.1))[1]))


# --- Planes, circles, intersections -----------------------------------------------------------


def plane_make(normal, distance):
    return normalize(normal), -distance


def plane_from_point(normal, point):
    n = normalize(normal)
    return n, -dot(n, point)


def plane_from_points(p1, p2, p3):
    sub = lambda a, b: (a[0] - b[0], a[1] - b[1], a[2] - b[2])
    return plane_from_point(cross(sub(p2, p1), sub(p3, p1)), p1)


def plane_line(plane, a, b):
    n, dist = plane
    d = (b[0] - a[0], b[1] - a[1], b[2] - a[2])
    t = -(dot(n, a) + dist) / dot(n, d)
    return (a[0] + t * d[0], a[1] + t * d[1], a[2] + t * d[2])


def circle_circle(c1, r1, n1, c2, r2, n2, clamp=True):
    e = (c1[0] - c2[0], c1[1] - c2[1], c1[2] - c2[2])
    d = math.sqrt((e[0] * e[0] + e[1] * e[1]) + e[2] * e[2])
    assert not d > r1 + r2 and not abs(r1 - r2) > d
    t = (r1 * r1 - r2 * r2) / (d * d + d * d) + 0.5
    h2 = r1 * r1 - (t * t) * (d * d)
    if h2 < 0.0:
        if not clamp:
            return None
        h = 0.0
    else:
        h = math.sqrt(h2)
    D = (c2[0] - c1[0], c2[1] - c1[1], c2[2] - c1[2])
    P = (c1[0] + t * D[0], c1[1] + t * D[1], c1[2] + t * D[2])
    u = normalize(cross(D, n2))
    first = (P[0] + h * u[0], P[1] + h * u[1], P[2] + h * u[2])
    second = (P[0] - h * u[0], P[1] - h * u[1], P[2] - h * u[2])
    return first, second


def section_geometry() -> None:
    print("// Plane.make((0.3, -1.2, 2.0), 1.7)", [hexv(x) if isinstance(x, tuple) else bits(x) for x in plane_make((0.3, -1.2, 2.0), 1.7)])
    print("// Plane.from_point((0.3, -1.2, 2.0), (4.5, 0.1, -3.3))", [hexv(x) if isinstance(x, tuple) else bits(x) for x in plane_from_point((0.3, -1.2, 2.0), (4.5, 0.1, -3.3))])
    pl = plane_from_points((1.0, 2.0, 3.0), (-0.5, 4.0, 0.25), (2.2, -1.0, 1.1))
    print("// Plane.from_points((1, 2, 3), (-0.5, 4, 0.25), (2.2, -1, 1.1))", hexv(pl[0]), bits(pl[1]))
    print("//   distance_to_point (0.7, 0.7, 0.7)", bits(abs(dot(pl[0], (0.7, 0.7, 0.7)) + pl[1])))
    print("//   plane_line (0.1, 0.2, 0.3) -> (5, -6, 7)", hexv(plane_line(pl, (0.1, 0.2, 0.3), (5.0, -6.0, 7.0))))
    print("// area r=1.3", bits((1.3 * 1.3) * PI))
    # Two tilted coplanar circles.
    n = normalize((1.0, 2.0, 2.0))
    c1 = (0.5, -0.25, 0.0)
    c2 = (1.5, -0.75, 0.0)  # c2 - c1 = (1, -0.5, 0) is orthogonal to n
    assert dot(n, c1) == dot(n, c2)
    first, second = circle_circle(c1, 0.9, n, c2, 0.7, n)
    print("// circle_circle tilted", hexv(first), hexv(second))
    # Near tangency: search for radii whose h^2 rounds below zero.
    import random
    rng = random.Random(7)
    for _ in range(100000):
        r1 = rng.uniform(0.1, 10.0)
        r2 = rng.uniform(0.1, 10.0)
        x = r1 + r2
        c2 = (x, 0.0, 0.0)
        d = x
        if d > r1 + r2 or abs(r1 - r2) > d:
            continue
        if circle_circle((0.0, 0.0, 0.0), r1, (0.0, 0.0, 1.0), c2, r2, (0.0, 0.0, 1.0), clamp=False) is None:
            f, s2 = circle_circle((0.0, 0.0, 0.0), r1, (0.0, 0.0, 1.0), c2, r2, (0.0, 0.0, 1.0))
            print("// near tangency r1", repr(r1), "r2", repr(r2), "x", repr(x), hexv(f), hexv(s2))
            break


if __name__ == "__main__":
    section_hash()
    section_vec3d()
    section_angles()
    section_quat()
    section_geometry()
