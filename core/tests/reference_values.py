"""Independent reference values for the tavrel unit tests.

The formulas are the module suite's references (tests/reference.py): Python floats are IEEE
doubles and every operation there is rounded on its own, in the library's order, and the sines
and cosines call the same C library. The script prints the values as hex bit patterns, which the
C++ tests embed.

For each order-sensitive formula the script also evaluates a plausible wrong order and asserts
that at least one input tells the two apart, so that the embedded values catch such a fault.

Run: python3 core/tests/reference_values.py
"""

import math
import random
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tests"))

from ieee import PI, exact_bits  # noqa: E402
from reference import (  # noqa: E402
    angle_to, chord, circle_circle, conjugate, cross, distance_to_line, dot, from_axis_angle,
    hamilton, magnitude, normalize, plane_from_point, plane_from_points, plane_line,
    project_onto_line, project_onto_plane, quat_magnitude, quat_normalize, rotate,
    rotation_matrix, scalar_triple_product, siphash, to_axis_angle, to_degrees, to_radians,
    vec3d_hash,
)


def literal(v: float) -> str:
    """A C++ literal of the bit pattern."""
    return "0x" + exact_bits(v)


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
    return "{" + ", ".join(literal(c) for c in t) + "}"


def section_vec3d() -> None:
    print("// Vec3d: inputs A..E")
    for name, v in zip("ABCDEFG", (A, B, C, D, E, F, G)):
        print(f"// {name} = {v!r}")
    pairs = [(A, B), (F, G)]
    assert any(literal(dot(a, b)) != literal(dot_reassociated(a, b)) for a, b in pairs)
    for a, b in pairs:
        print("dot", literal(dot(a, b)), "cross", hexv(cross(a, b)))
    assert any(normalize(v) != normalize_by_reciprocal(v) for v in (A, E))
    for v in (A, E):
        print("magnitude", literal(magnitude(v)), "normalize", hexv(normalize(v)))
    triples = [(A, B, C), (C, D, E)]
    for p, a, b in triples:
        print("distance_to_line", literal(distance_to_line(p, a, b)))
    assert any(
        project_onto_line(p, r, q) != project_onto_line_anchored_at_r(p, r, q) for p, r, q in triples
    )
    for p, r, q in triples:
        print("project_onto_line", hexv(project_onto_line(p, r, q)))
    for p, n in pairs:
        print("project_onto_plane", hexv(project_onto_plane(p, n)))
    assert any(literal(scalar_triple_product(*t)) != literal(triple_as_det(*t)) for t in triples)
    for a, b, c in triples:
        print("scalar_triple_product", literal(scalar_triple_product(a, b, c)))


def section_hash() -> None:
    print("// SipHash-1-3, zero key, message bytes 0..n-1")
    for n in (0, 1, 7, 8, 9, 15, 16, 24, 63):
        print(n, "0x%016x" % siphash(bytes(range(n)), 0, 0, 1, 3))
    print("// SipHash-1-3, key 00..0f, message bytes 0..n-1")
    for n in (0, 1, 8, 15):
        print(n, "0x%016x" % siphash(bytes(range(n)), 0x0706050403020100, 0x0F0E0D0C0B0A0908, 1, 3))
    print("// Vec3d hashes")
    for v in [(0.0, 0.0, 0.0), (1.0, 2.0, 3.0), (math.nan, 0.5, -math.inf), (1e-300, -2.5, 7.0)]:
        print(v, "0x%016x" % vec3d_hash(v))


# --- Angles ----------------------------------------------------------------------------------

def section_angles() -> None:
    radians = [0.1, 1.0, -2.5, 123.456]
    assert any(to_degrees(r) != r * (180.0 / PI) for r in radians)
    print("// to_degrees")
    for r in radians:
        print(repr(r), literal(to_degrees(r)))
    degrees = [3.0, 1.0, -45.5, 1e6]
    assert any(to_radians(d) != d * (PI / 180.0) for d in degrees)
    print("// to_radians")
    for d in degrees:
        print(repr(d), literal(to_radians(d)))
    print("// sin cos tan sec csc cot")
    for r in [0.5, -3.0, 1e22]:
        s, c, t = math.sin(r), math.cos(r), math.tan(r)
        print(repr(r), literal(s), literal(c), literal(t), literal(1.0 / c), literal(1.0 / s), literal(1.0 / t))
    print("// angle_to")
    for a, b in [(A, C), (C, D), (D, E), (B, C)]:
        print(a, b, literal(angle_to(a, b)))


# --- Quaternions -----------------------------------------------------------------------------


def rotate_other_side(q, v):
    r = hamilton(hamilton(q, (0.0, v[0], v[1], v[2])), conjugate(q))
    return r[1:]


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
        print("  axis", hexv(ax), "angle", literal(th))
        print("  rotate", hexv(rotate(q, v)))
        print("  magnitude", literal(quat_magnitude(q)), "normalize", hexv(quat_normalize(q)))
        print("  matrix", ", ".join(hexv(row) for row in rotation_matrix(q)))
    a = (0.3, -1.7, 2.9, 0.01)
    b = (-4.4, 0.25, 1.0 / 3.0, 7.5)
    print("// hamilton a*b, b*a")
    print(hexv(hamilton(a, b)), hexv(hamilton(b, a)))
    print("// non-unit q (0.3, -1.7, 2.9, 0.01): magnitude, normalize, rotate, to_axis_angle")
    print(literal(quat_magnitude(a)), hexv(quat_normalize(a)), hexv(rotate(a, v)))
    print(hexv(to_axis_angle((0.25, 0.5, -0.5, 0.1))[0]), literal(to_axis_angle((0.25, 0.5, -0.5, 0.1))[1]))


# --- Planes, circles, intersections -----------------------------------------------------------


def plane_make(normal, distance):
    return normalize(normal), -distance


def section_geometry() -> None:
    print("// Plane.make((0.3, -1.2, 2.0), 1.7)", [hexv(x) if isinstance(x, tuple) else literal(x) for x in plane_make((0.3, -1.2, 2.0), 1.7)])
    print("// Plane.from_point((0.3, -1.2, 2.0), (4.5, 0.1, -3.3))", [hexv(x) if isinstance(x, tuple) else literal(x) for x in plane_from_point((0.3, -1.2, 2.0), (4.5, 0.1, -3.3))])
    pl = plane_from_points((1.0, 2.0, 3.0), (-0.5, 4.0, 0.25), (2.2, -1.0, 1.1))
    print("// Plane.from_points((1, 2, 3), (-0.5, 4, 0.25), (2.2, -1, 1.1))", hexv(pl[0]), literal(pl[1]))
    print("//   distance_to_point (0.7, 0.7, 0.7)", literal(abs(dot(pl[0], (0.7, 0.7, 0.7)) + pl[1])))
    print("//   plane_line (0.1, 0.2, 0.3) -> (5, -6, 7)", hexv(plane_line(pl, (0.1, 0.2, 0.3), (5.0, -6.0, 7.0))))
    print("// area r=1.3", literal((1.3 * 1.3) * PI))
    # Two tilted coplanar circles.
    n = normalize((1.0, 2.0, 2.0))
    c1 = (0.5, -0.25, 0.0)
    c2 = (1.5, -0.75, 0.0)  # c2 - c1 = (1, -0.5, 0) is orthogonal to n
    assert dot(n, c1) == dot(n, c2)
    first, second = circle_circle((c1, 0.9, n), (c2, 0.7, n))
    print("// circle_circle tilted", hexv(first), hexv(second))
    # Near tangency: search for radii whose h^2 rounds below zero.
    rng = random.Random(7)
    for _ in range(100000):
        r1 = rng.uniform(0.1, 10.0)
        r2 = rng.uniform(0.1, 10.0)
        x = r1 + r2
        c2 = (x, 0.0, 0.0)
        d = x
        if d > r1 + r2 or abs(r1 - r2) > d:
            continue
        a, b = ((0.0, 0.0, 0.0), r1, (0.0, 0.0, 1.0)), (c2, r2, (0.0, 0.0, 1.0))
        if chord(a, b)[1] < 0.0:
            f, s2 = circle_circle(a, b)
            print("// near tangency r1", repr(r1), "r2", repr(r2), "x", repr(x), hexv(f), hexv(s2))
            break


if __name__ == "__main__":
    section_hash()
    section_vec3d()
    section_angles()
    section_quat()
    section_geometry()
