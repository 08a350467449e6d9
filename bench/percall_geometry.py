"""Per-call cost of lorvik.geometry against scikit-spatial and plain numpy.

scikit-spatial is the library a user would pick for planes and lines; its
Circle is two-dimensional, so circle statements compare on circles in the
plane z = 0 (scikit-spatial gets the 2-D equivalents). The numpy peer is the
code a user would write by hand: the same formulas on float64 arrays. The
objects of every peer are built in the setup, as lorvik's are, so each
statement times the call alone.
"""

from __future__ import annotations

import numpy as np
from numpy.typing import NDArray
from lorvik import Vec3d, geometry  # noqa: F401  (used by the statements)
from skspatial.objects import Circle as SkCircle  # noqa: F401
from skspatial.objects import Line as SkLine  # noqa: F401
from skspatial.objects import Plane as SkPlane  # noqa: F401
from skspatial.objects import Points as SkPoints  # noqa: F401

from percall import Case

EPSILON = 2.0**-52
Array = NDArray[np.float64]


def np_plane_line(normal: Array, distance: float, a: Array, b: Array) -> Array:
    direction = b - a
    t = -(normal @ a + distance) / (normal @ direction)
    return a + t * direction


def np_circle_point(center: Array, radius: float, normal: Array, point: Array) -> bool:
    n = normal / np.linalg.norm(normal)
    if not abs(n @ point - n @ center) < EPSILON:
        return False
    return bool(abs(radius - np.linalg.norm(point - center)) < EPSILON)


def np_circle_circle(
    c1: Array, r1: float, c2: Array, r2: float, normal2: Array
) -> tuple[Array, Array]:
    d = float(np.linalg.norm(c1 - c2))
    if d > r1 + r2 or abs(r1 - r2) > d:
        raise ValueError("no intersection")
    t = (r1 * r1 - r2 * r2) / (d * d + d * d) + 0.5
    h = np.sqrt(max(r1 * r1 - (t * t) * (d * d), 0.0))
    direction = c2 - c1
    foot = c1 + t * direction
    u = np.cross(direction, normal2)
    u = u / np.linalg.norm(u)
    return foot + h * u, foot - h * u


SETUP = """
g = geometry
plane = g.Plane(Vec3d(0.0, 0.6, 0.8), 1.5)
a = Vec3d(1.0, 2.0, 3.0); b = Vec3d(-2.0, 0.5, -4.0)
c1 = g.Circle(Vec3d(0.0, 0.0, 0.0), 1.0, Vec3d(0.0, 0.0, 1.0))
c2 = g.Circle(Vec3d(1.0, 0.5, 0.0), 1.25, Vec3d(0.0, 0.0, 1.0))
on = Vec3d(0.6, 0.8, 0.0)
p1 = Vec3d(0.0, 0.0, 1.0); p2 = Vec3d(1.0, 0.0, 1.5); p3 = Vec3d(0.0, 2.0, 0.5)

sk_plane = SkPlane([0.0, 0.9, 1.2], [0.0, 0.6, 0.8])
sk_line = SkLine.from_points([1.0, 2.0, 3.0], [-2.0, 0.5, -4.0])
sk_c1 = SkCircle([0.0, 0.0], 1.0); sk_c2 = SkCircle([1.0, 0.5], 1.25)
sk_on = [0.6, 0.8]; sk_point = [1.0, 2.0, 3.0]
sk_p1 = [0.0, 0.0, 1.0]; sk_p2 = [1.0, 0.0, 1.5]; sk_p3 = [0.0, 2.0, 0.5]

n = np.array([0.0, 0.6, 0.8]); na = np.array([1.0, 2.0, 3.0]); nb = np.array([-2.0, 0.5, -4.0])
nc1 = np.array([0.0, 0.0, 0.0]); nc2 = np.array([1.0, 0.5, 0.0]); nz = np.array([0.0, 0.0, 1.0])
non = np.array([0.6, 0.8, 0.0])
"""


def case(name: str, ours: str, skspatial: str | None, numpy: str | None) -> Case:
    peers = {}
    if skspatial is not None:
        peers["scikit-spatial"] = skspatial
    if numpy is not None:
        peers["numpy"] = numpy
    return Case(name, ours, peers, SETUP)


CASES: list[Case] = [
    case("plane_line", "g.plane_line(plane, a, b)", "sk_plane.intersect_line(sk_line)",
         "np_plane_line(n, -1.5, na, nb)"),
    case("circle_circle", "g.circle_circle(c1, c2)", "sk_c1.intersect_circle(sk_c2)",
         "np_circle_circle(nc1, 1.0, nc2, 1.25, nz)"),
    case("circle_point", "g.circle_point(c1, on, False)", "sk_c1.contains_point(sk_on)",
         "np_circle_point(nc1, 1.0, nz, non)"),
    case("circle_point_unchecked", "g.circle_point_unchecked(c1, on, True)",
         "sk_c1.contains_point(sk_on)", "abs(1.0 - np.linalg.norm(non - nc1)) < EPSILON"),
    case("Plane(normal, distance)", "g.Plane(a, 1.5)", "SkPlane(sk_point, sk_point)", None),
    case("Plane.from_points", "g.Plane.from_points(p1, p2, p3)",
         "SkPlane.from_points(sk_p1, sk_p2, sk_p3)", None),
    case("Plane.contains_point", "plane.contains_point(a)", "sk_plane.contains_point(sk_point)",
         "abs(n @ na - 1.5) < EPSILON"),
    case("Plane.distance_to_point", "plane.distance_to_point(a)",
         "sk_plane.distance_point(sk_point)", "abs(n @ na - 1.5)"),
    case("Circle(center, radius, normal)", "g.Circle(a, 1.0, p1)", "SkCircle([1.0, 2.0], 1.0)",
         None),
    case("Circle.area", "c1.area", "sk_c1.area()", None),
    case("Circle == Circle", "c1 == c2", None, None),
    case("Circle.in_same_plane", "c1.in_same_plane(c2)", None, None),
]
