"""lorvik.geometry: planes, circles and the intersection functions.

Numerical results are compared bit for bit with pure-Python evaluations of the
same formulas in the same order (Python floats are IEEE doubles, no FMA).
"""

from __future__ import annotations

import math
import random
import subprocess
import sys
from collections.abc import Callable
from typing import Any

import pytest

from lorvik import Vec3d, geometry

import reference as ref
from ieee import EPS, INF, NAN, bits, vbits
from reference import RefCircle, RefPlane, V

# The submodule is an attribute of lorvik, not an importable package.
Circle: Any = geometry.Circle
Plane: Any = geometry.Plane
circle_circle: Any = geometry.circle_circle
circle_point: Any = geometry.circle_point
circle_point_unchecked: Any = geometry.circle_point_unchecked
plane_line: Any = geometry.plane_line


def vec(v: V) -> Vec3d:
    return Vec3d(*v)


def raw_circle(center: V, radius: float, normal: V) -> Any:
    """A circle whose fields are written through the setters (stored as given)."""
    c = Circle.none()
    c.center, c.radius, c.normal = vec(center), radius, vec(normal)
    return c


def raw_plane(normal: V, distance: float) -> Any:
    p = Plane.xy()
    p.normal, p.distance = vec(normal), distance
    return p


HOSTILE_NORMALS: list[V] = [
    (0.0, 0.0, 1.0),
    (0.0, 0.0, 2.0),
    (3.0, 4.0, 12.0),
    (0.0, 0.0, -1.0),
    (0.0, 0.0, 0.0),
    (NAN, 0.0, 1.0),
    (INF, 0.0, 0.0),
    (1e-200, 0.0, 0.0),
    (1e200, 1e200, 0.0),
    (0.1, -0.7, 0.3),
]
SCALARS = [3.0, 0.0, -0.0, -2.5, NAN, INF, 5e-324, 1.0000000000000002]
POINTS: list[V] = [
    (0.0, 0.0, 0.0),
    (5.0, -1.0, 3.0),
    (0.0, 0.0, -3.0),
    (NAN, 1.0, 2.0),
    (1e-16, 0.0, 0.0),
]


# ---------------------------------------------------------------------------
# Module shape.


def test_submodule_registration() -> None:
    # The order of __all__ and the class attributes: tests/test_module.py.
    for function in (circle_circle, circle_point, circle_point_unchecked, plane_line):
        assert function.__module__ == "lorvik.geometry"
        assert function.__self__ is geometry
    assert plane_line.__text_signature__ == "($module, plane, a, b)"
    assert Plane.from_points.__text_signature__ == "(point1, point2, point3)"
    assert Circle.in_same_plane.__text_signature__ == "($self, other)"


def test_plane_identity_comparison_and_hash() -> None:
    p = Plane.xy()
    q = Plane.xy()
    assert p is not q
    assert p == p and p != q and not (p == q)
    assert hash(p) == hash(p)
    with pytest.raises(TypeError):
        p < q  # noqa: B015


def test_circle_comparison() -> None:
    c = Circle(Vec3d(1, 2, 3), 2.0, Vec3d(0, 0, 1))
    assert c == c and not (c != c)
    assert c == Circle(Vec3d(1, 2, 3), 2.0, Vec3d(0, 0, -1))
    assert (c == 5) is False and (c != 5) is True
    assert Circle.__hash__ is None
    with pytest.raises(TypeError):
        hash(c)
    with pytest.raises(TypeError):
        c < c  # noqa: B015
    none = Circle.none()
    # The NaN normal makes it unequal to itself, and != follows ==.
    assert not (none == none) and none != none
    assert none != Circle.none()


# ---------------------------------------------------------------------------
# Plane.


@pytest.mark.parametrize("normal", HOSTILE_NORMALS)
@pytest.mark.parametrize("distance", SCALARS)
def test_plane_constructor(normal: V, distance: float) -> None:
    p = Plane(vec(normal), distance)
    assert vbits(p.normal) == vbits(ref.normalize(normal))
    assert bits(p.distance) == bits(-distance)


@pytest.mark.parametrize("normal", HOSTILE_NORMALS)
@pytest.mark.parametrize("point", POINTS)
def test_plane_from_point(normal: V, point: V) -> None:
    p = Plane.from_point(vec(normal), vec(point))
    n, d = ref.plane_from_point(normal, point)
    assert vbits(p.normal) == vbits(n) and bits(p.distance) == bits(d)


@pytest.mark.parametrize(
    "points",
    [
        ((0, 0, 0), (1, 0, 0), (0, 1, 0)),
        ((0, 0, 0), (0, 1, 0), (1, 0, 0)),
        ((1.5, -2, 0.25), (3, 7, -1), (-4, 0.5, 9)),
        ((0, 0, 0), (1, 1, 1), (2, 2, 2)),  # collinear: NaN plane
        ((1, 2, 3), (1, 2, 3), (4, 5, 6)),
    ],
)
def test_plane_from_points(points: tuple[V, V, V]) -> None:
    p1, p2, p3 = ((float(p[0]), float(p[1]), float(p[2])) for p in points)
    p = Plane.from_points(vec(p1), vec(p2), vec(p3))
    n, d = ref.plane_from_points(p1, p2, p3)
    assert vbits(p.normal) == vbits(n) and bits(p.distance) == bits(d)


@pytest.mark.parametrize(
    ("factory", "normal"),
    [(Plane.xy, (0.0, 0.0, 1.0)), (Plane.xz, (0.0, 1.0, 0.0)), (Plane.yz, (1.0, 0.0, 0.0))],
)
def test_coordinate_planes(factory: Callable[[], Any], normal: V) -> None:
    p = factory()
    assert vbits(p.normal) == vbits(normal)
    assert bits(p.distance) == bits(-0.0)
    assert factory() is not p


@pytest.mark.parametrize("normal", HOSTILE_NORMALS)
@pytest.mark.parametrize("distance", [0.0, -3.0, 1e-16, NAN])
@pytest.mark.parametrize("point", POINTS + [(0.0, 0.0, 3.0), (0.0, 0.0, 1e-16), (0.0, 0.0, 3e-16)])
def test_plane_point_queries(normal: V, distance: float, point: V) -> None:
    p = raw_plane(normal, distance)
    value = abs(ref.dot(normal, point) + distance)
    assert bits(p.distance_to_point(vec(point))) == bits(value)
    assert p.contains_point(vec(point)) is (value < EPS)


def test_plane_setters_store_unchanged() -> None:
    p = Plane(Vec3d(0, 0, 2), 3.0)
    assert vbits(p.normal) == vbits((0.0, 0.0, 1.0)) and p.distance == -3.0
    p.distance = 3.0
    assert p.distance == 3.0 and p.contains_point(Vec3d(0, 0, -3))
    p.normal = Vec3d(0, 0, 2)
    assert vbits(p.normal) == vbits((0.0, 0.0, 2.0))
    assert p.distance_to_point(Vec3d(0, 0, 1)) == 5.0


# ---------------------------------------------------------------------------
# Circle.


@pytest.mark.parametrize("radius", SCALARS + [-INF])
@pytest.mark.parametrize("normal", HOSTILE_NORMALS)
def test_circle_constructor_and_area(radius: float, normal: V) -> None:
    center = (1.0, NAN, -3.0)
    c = Circle(vec(center), radius, vec(normal))
    assert vbits(c.center) == vbits(center)
    assert bits(c.radius) == bits(abs(radius))
    assert vbits(c.normal) == vbits(ref.normalize(normal))
    assert bits(c.area) == bits((abs(radius) * abs(radius)) * math.pi)


@pytest.mark.parametrize("radius", [-2.0, -0.0, NAN, 1.5])
@pytest.mark.parametrize("normal", [(0.0, 0.0, 2.0), (0.0, 0.0, 0.0), (NAN, 1.0, 0.0)])
def test_circle_setters_store_unchanged(radius: float, normal: V) -> None:
    c = raw_circle((1.0, 2.0, 3.0), radius, normal)
    assert bits(c.radius) == bits(radius)
    assert vbits(c.normal) == vbits(normal)
    assert bits(c.area) == bits((radius * radius) * math.pi)


@pytest.mark.parametrize("normal", HOSTILE_NORMALS)
@pytest.mark.parametrize("center", POINTS)
def test_circle_get_plane(normal: V, center: V) -> None:
    p = raw_circle(center, 1.0, normal).get_plane()
    n, d = ref.plane_from_point(normal, center)
    assert isinstance(p, Plane)
    assert vbits(p.normal) == vbits(n) and bits(p.distance) == bits(d)


@pytest.mark.parametrize(
    ("radius", "degenerate"), [(0.0, True), (-0.0, True), (5e-324, False), (NAN, False)]
)
def test_is_degenerate(radius: float, degenerate: bool) -> None:
    assert raw_circle((0, 0, 0), radius, (0, 0, 1)).is_degenerate() is degenerate


def test_none() -> None:
    none = Circle.none()
    assert vbits(none.center) == vbits((0.0, 0.0, 0.0))
    assert bits(none.radius) == bits(0.0)
    assert all(math.isnan(x) for x in (none.normal.x, none.normal.y, none.normal.z))
    assert none.is_degenerate()
    assert not none.in_same_plane(none)


def test_center_is_a_copy() -> None:
    c = Circle(Vec3d(1, 2, 3), 1.0, Vec3d(0, 0, 1))
    c.center.x = 5.0
    assert c.center.x == 1.0


CIRCLE_PAIRS: list[tuple[RefCircle, RefCircle]] = [
    (((0, 0, 0), 1, (0, 0, 1)), ((0, 0, 0), 1, (0, 0, 1))),
    (((0, 0, 0), 1, (0, 0, 1)), ((0, 0, 0), 1.0000000000000002, (0, 0, 1))),
    (((0, 0, 0), 1, (0, 0, 1)), ((0, 0, 0), 1, (0, 0, -1))),
    (((0, 0, 0), 1, (0, 0, 1)), ((1e-16, 0, 0), 1, (0, 0, 1))),
    (((0, 0, 0), 1, (0, 0, 1)), ((3e-16, 0, 0), 1, (0, 0, 1))),
    (((0, 0, 0), 0.0, (0, 0, 1)), ((0, 0, 0), -0.0, (0, 0, 1))),
    (((0, 0, 0), NAN, (0, 0, 1)), ((0, 0, 0), NAN, (0, 0, 1))),
    (((0, 0, 1), 1, (0, 0, 1)), ((0, 0, 1), 1, (0, 0, -1))),
    (((0, 0, 1), 1, (0, 0, 1)), ((5, 0, -1), 2, (0, 0, -1))),
    (((0, 0, 1), 1, (0, 0, 1)), ((5, 0, 1), 2, (0, 0, -1))),
    (((0, 0, 1), 1, (0, 0, 2)), ((5, 0, 0.5), 2, (0, 0, 2))),
    (((0, 0, 0), 1, (0, 0, 1)), ((0, 0, 1), 1, (0, 0, 1))),
    (((0, 0, 0), 1, (0, 0, 1)), ((0, 0, 0), 1, (0, 1, 0))),
    (((0, 0, 0), 1, (0, 0, 0)), ((1, 0, 0), 1, (0, 0, 0))),
    (((1, 2, 3), 2, (NAN, 0, 1)), ((1, 2, 3), 2, (NAN, 0, 1))),
]


def _floats(c: RefCircle) -> RefCircle:
    center, radius, normal = c
    return (
        tuple(map(float, center)),  # type: ignore[return-value]
        float(radius),
        tuple(map(float, normal)),
    )


@pytest.mark.parametrize(("a", "b"), CIRCLE_PAIRS)
def test_equality_and_in_same_plane(a: RefCircle, b: RefCircle) -> None:
    a, b = _floats(a), _floats(b)
    ca, cb = raw_circle(*a), raw_circle(*b)
    assert (ca == cb) is ref.circle_equal(a, b)
    assert (ca != cb) is (not ref.circle_equal(a, b))
    assert ca.in_same_plane(cb) is ref.in_same_plane(a, b)
    assert cb.in_same_plane(ca) is ref.in_same_plane(b, a)


@pytest.mark.parametrize(
    ("center2", "normal2", "same"),
    [
        ((0, 0, 1), (0, 0, -1), True),
        ((0, 0, -1), (0, 0, -1), False),
        ((3, -2, 1), (0, 0, 1), True),
    ],
)
def test_in_same_plane_with_opposite_normals(center2: V, normal2: V, same: bool) -> None:
    a = Circle(Vec3d(0, 0, 1), 1.0, Vec3d(0, 0, 1))
    b = Circle(vec(center2), 1.0, vec(normal2))
    assert a.in_same_plane(b) is same


# ---------------------------------------------------------------------------
# Intersections.

U: RefCircle = ((0.0, 0.0, 0.0), 1.0, (0.0, 0.0, 1.0))
U_OBJ = Circle(Vec3d(0, 0, 0), 1.0, Vec3d(0, 0, 1))


@pytest.mark.parametrize(
    ("circle", "point", "inner", "checked", "expected"),
    [
        (U, (1, 0, 0), False, True, True),
        (U, (0.6, 0.8, 0), False, True, True),
        (U, (0.5, 0, 0), True, True, True),
        (U, (0.5, 0, 0), False, True, False),
        (U, (0, 0, 0), True, True, True),
        (U, (2, 0, 0), True, True, False),
        (U, (1, 0, 1e-15), True, True, False),
        (U, (1, 0, 1e-15), True, False, True),
        (((0, 0, 0), 1.0000000000000002, (0, 0, 1)), (1, 0, 0), True, True, False),
        (((0, 0, 0), 5.0, (0, 0, 1)), (0, 0, 5), False, True, False),
        (((0, 0, 0), 5.0, (0, 0, 1)), (0, 0, 5), False, False, True),
    ],
)
def test_circle_point_cases(
    circle: RefCircle, point: V, inner: bool, checked: bool, expected: bool
) -> None:
    function = circle_point if checked else circle_point_unchecked
    assert function(raw_circle(*_floats(circle)), vec(point), inner) is expected


POINT_CIRCLES: list[RefCircle] = [
    U,
    ((1.0, 2.0, 3.0), 2.0, (0.0, 0.0, 2.0)),
    ((0.0, 0.0, 0.0), -1.0, (0.0, 0.0, 1.0)),
    ((0.0, 0.0, 0.0), 1.0, (0.0, 0.0, 0.0)),
    ((0.0, 0.0, 0.0), NAN, (0.0, 0.0, 1.0)),
    ((0.5, -0.25, 0.0), 0.75, (0.6, 0.0, 0.8)),
]
PROBES: list[V] = [
    (1.0, 0.0, 0.0),
    (0.6, 0.8, 0.0),
    (0.3, 0.1, 0.0),
    (3.0, 2.0, 3.0),
    (1.0, 2.0, 3.0),
    (1.0, 0.0, 2.0 * EPS),
    (1.0, 0.0, EPS / 4),
    (NAN, 0.0, 0.0),
    (1.0, 2.0, 5.0),
]


@pytest.mark.parametrize("circle", POINT_CIRCLES)
@pytest.mark.parametrize("point", PROBES)
@pytest.mark.parametrize("inner", [True, False])
def test_circle_point_matches_formula(circle: RefCircle, point: V, inner: bool) -> None:
    c = raw_circle(*circle)
    for checked, function in ((True, circle_point), (False, circle_point_unchecked)):
        assert function(c, vec(point), inner) is ref.circle_point(circle, point, inner, checked)


def _near_tangent_pairs() -> list[tuple[RefCircle, RefCircle]]:
    """Externally and internally touching circles with irregular radii, where
    rounding often leaves the value under the root slightly negative."""
    rng = random.Random(20240601)
    pairs = []
    for _ in range(60):
        r1, r2 = rng.uniform(0.1, 10.0), rng.uniform(0.1, 10.0)
        angle = rng.uniform(0.0, 2.0 * math.pi)
        direction = (math.cos(angle), math.sin(angle), 0.0)
        for d in (r1 + r2, abs(r1 - r2)):
            c1 = (rng.uniform(-5, 5), rng.uniform(-5, 5), 0.0)
            c2 = (c1[0] + d * direction[0], c1[1] + d * direction[1], 0.0)
            pairs.append(((c1, r1, (0.0, 0.0, 1.0)), (c2, r2, (0.0, 0.0, 1.0))))
    return pairs


CIRCLE_CIRCLE_CASES: list[tuple[RefCircle, RefCircle]] = [
    (U, ((1, 0, 0), 1, (0, 0, 1))),
    (U, ((1, 0, 0), 1, (0, 0, -1))),
    (((0, 0, 0), 3, (0, 0, 1)), ((4, 0, 0), 5, (0, 0, 1))),
    (U, ((2, 0, 0), 1, (0, 0, 1))),
    (U, ((3, 0, 0), 1, (0, 0, 1))),
    (((0, 0, 0), 2, (0, 0, 1)), ((0.5, 0, 0), 1, (0, 0, 1))),
    (((0, 0, 0), 2, (0, 0, 1)), ((1, 0, 0), 1, (0, 0, 1))),
    (U, ((0, 0, 0), 1, (0, 0, -1))),
    (U, U),
    (U, ((0, 0, 1), 1, (0, 0, 1))),
    (U, ((1, 0, 0), 1, (0, 1, 0))),
    (((0, 0, 0), 1, (0, 0, 1)), ((0, 0, 0), 2, (0, 0, 1))),
    (((0, 0, 1), 1, (0, 0, 1)), ((1, 0, 1), 1, (0, 0, -1))),
    (((0, 0, 1), 1, (0, 0, -1)), ((1, 0, 1), 1.5, (0, 0, 1))),
    (((1, 2, 3), 2, (0.6, 0, 0.8)), ((1.8, 2, 2.4), 1.5, (-0.6, 0, -0.8))),
    (((0, 0, 0), -1, (0, 0, 1)), ((1, 0, 0), -1, (0, 0, 1))),
    (((0, 0, 0), NAN, (0, 0, 1)), ((1, 0, 0), 1, (0, 0, 1))),
    (((0, 0, 0), NAN, (0, 0, 1)), ((0, 0, 0), 1, (0, 0, 1))),
    (((0, 0, 0), 1, (0, 0, 1)), ((0, 0, 0), 1, (NAN, 0, 1))),
    (((NAN, 0, 0), 1, (0, 0, 1)), ((1, 0, 0), 1, (0, 0, 1))),
    (((0, 0, 0), 1, (0, 0, 0)), ((1, 0, 0), 1, (0, 0, 0))),
    (((0, 0, 0), 1, (0, 0, 3)), ((1, 0, 0), 1, (0, 0, 3))),
    (((0, 0, 0), 0, (0, 0, 1)), ((0, 0, 0), 0, (0, 0, 1))),
    (((0, 0, 0), 0, (0, 0, 1)), ((1, 0, 0), 1, (0, 0, 1))),
    (((0.1, 0.2, 0), 0.3, (0, 0, 1)), ((0.4, 0.2, 0), 0.0, (0, 0, 1))),
    (((0, 0, 0), INF, (0, 0, 1)), ((1, 0, 0), INF, (0, 0, 1))),
] + _near_tangent_pairs()


@pytest.mark.parametrize(("a", "b"), CIRCLE_CIRCLE_CASES)
def test_circle_circle_matches_formula(a: RefCircle, b: RefCircle) -> None:
    a, b = _floats(a), _floats(b)
    expected = ref.circle_circle(a, b)
    if isinstance(expected, str):
        with pytest.raises(ValueError) as raised:
            circle_circle(raw_circle(*a), raw_circle(*b))
        assert str(raised.value) == expected
        assert type(raised.value) is ValueError
        return
    result = circle_circle(raw_circle(*a), raw_circle(*b))
    assert type(result) is tuple and len(result) == 2
    assert all(type(point) is Vec3d for point in result)
    assert (vbits(result[0]), vbits(result[1])) == (vbits(expected[0]), vbits(expected[1]))


SIN60 = 0.8660254037844386


@pytest.mark.parametrize(
    ("a", "b", "first", "second"),
    [
        (U, ((1, 0, 0), 1, (0, 0, 1)), (0.5, -SIN60, 0), (0.5, SIN60, 0)),
        (U, ((1, 0, 0), 1, (0, 0, -1)), (0.5, SIN60, 0), (0.5, -SIN60, 0)),
        (((0, 0, 0), 3, (0, 0, 1)), ((4, 0, 0), 5, (0, 0, 1)), (0, -3, 0), (0, 3, 0)),
        (U, ((2, 0, 0), 1, (0, 0, 1)), (1, 0, 0), (1, 0, 0)),
        (((0, 0, 0), 2, (0, 0, 1)), ((1, 0, 0), 1, (0, 0, 1)), (2, 0, 0), (2, 0, 0)),
        # Opposite normals on the same plane z = 1 now intersect.
        (((0, 0, 1), 1, (0, 0, 1)), ((1, 0, 1), 1, (0, 0, -1)), (0.5, SIN60, 1), (0.5, -SIN60, 1)),
    ],
)
def test_circle_circle_known_points(a: RefCircle, b: RefCircle, first: V, second: V) -> None:
    p, q = circle_circle(Circle(*map(_arg, a)), Circle(*map(_arg, b)))
    assert (p.x, p.y, p.z) == first and (q.x, q.y, q.z) == second


def _arg(value: Any) -> Any:
    return vec(value) if isinstance(value, tuple) else float(value)


def test_touching_circles_give_the_contact_point_twice() -> None:
    """Where rounding leaves h² below zero, h is 0: both points are the foot
    of the chord, not NaN. The generated pairs must reach that case."""
    clamped = [
        (a, b)
        for a, b in _near_tangent_pairs()
        if not isinstance(ref.circle_circle(a, b), str) and ref.chord(a, b)[1] < 0.0
    ]
    assert len(clamped) >= 5
    for a, b in clamped:
        first, second = circle_circle(raw_circle(*a), raw_circle(*b))
        assert vbits(first) == vbits(second)
        assert not any(math.isnan(x) for x in (first.x, first.y, first.z))


PLANES: list[RefPlane] = [
    ((0.0, 0.0, 1.0), -0.0),
    ((0.0, 0.0, 1.0), -3.0),
    ((0.0, 0.0, 2.0), 1.0),
    ((0.6, 0.0, 0.8), 0.7),
    ((0.0, 0.0, 0.0), 1.0),
    ((NAN, 0.0, 1.0), 0.0),
    ((1.0, 1.0, 1.0), NAN),
]
LINES: list[tuple[V, V]] = [
    ((1.0, 1.0, 1.0), (1.0, 1.0, -1.0)),
    ((0.1, 0.2, 0.3), (-1.7, 2.5, 9.25)),
    ((0.0, 0.0, 1.0), (1.0, 0.0, 1.0)),  # parallel to z = const
    ((0.0, 0.0, 0.0), (1.0, 0.0, 0.0)),  # inside the xy plane: 0 / 0
    ((2.0, 3.0, 4.0), (2.0, 3.0, 4.0)),  # a == b
    ((1e300, 0.0, 1e-300), (-1e300, 1.0, 5.0)),
]


@pytest.mark.parametrize("plane", PLANES)
@pytest.mark.parametrize(("a", "b"), LINES)
def test_plane_line_matches_formula(plane: RefPlane, a: V, b: V) -> None:
    result = plane_line(raw_plane(*plane), vec(a), vec(b))
    assert type(result) is Vec3d
    assert vbits(result) == vbits(ref.plane_line(plane, a, b))


# ---------------------------------------------------------------------------
# The `inner` argument and other conversions.


def bool_like(module: str, truth: Callable[[Any], bool]) -> object:
    """An instance of a class named like numpy's bool scalar, from `module`."""
    cls = type("bool_", (), {"__bool__": truth})
    cls.__module__ = module
    return cls()


def refuse(_: object) -> bool:
    raise ValueError("no truth value")


def test_inner_accepts_numpy_bools() -> None:
    np = pytest.importorskip("numpy")
    c = Circle(Vec3d(0, 0, 0), 1.0, Vec3d(0, 0, 1))
    inside = Vec3d(0.5, 0, 0)
    assert circle_point(c, inside, np.True_) is True
    assert circle_point(c, inside, np.bool_(False)) is False
    assert circle_point_unchecked(c, inside, inner=np.array([True])[0]) is True


def test_inner_uses_the_truth_slot_of_numpy_bools() -> None:
    c = Circle(Vec3d(0, 0, 0), 1.0, Vec3d(0, 0, 1))
    inside = Vec3d(0.5, 0, 0)
    assert circle_point(c, inside, bool_like("numpy", lambda _: True)) is True
    assert circle_point(c, inside, bool_like("numpy", lambda _: False)) is False
    with pytest.raises(ValueError, match="^no truth value$"):
        circle_point(c, inside, bool_like("numpy", refuse))


@pytest.mark.parametrize(
    ("value", "message"),
    [
        (1, "argument 'inner': 'int' object is not an instance of 'bool'"),
        (0, "argument 'inner': 'int' object is not an instance of 'bool'"),
        (None, "argument 'inner': 'None' is not an instance of 'bool'"),
        (1.0, "argument 'inner': 'float' object is not an instance of 'bool'"),
        (
            bool_like("mypackage", lambda _: True),
            "argument 'inner': 'bool_' object is not an instance of 'bool'",
        ),
    ],
)
@pytest.mark.parametrize("function", [circle_point, circle_point_unchecked])
def test_inner_refuses_non_bools(
    function: Callable[..., bool], value: object, message: str
) -> None:
    c = Circle(Vec3d(0, 0, 0), 1.0, Vec3d(0, 0, 1))
    with pytest.raises(TypeError) as raised:
        function(c, Vec3d(1, 0, 0), value)
    assert str(raised.value) == message


def test_inner_check_does_not_import_numpy() -> None:
    code = (
        "import sys\n"
        "from lorvik import Vec3d\n"
        "from lorvik import geometry\n"
        "c = geometry.Circle(Vec3d(0, 0, 0), 1.0, Vec3d(0, 0, 1))\n"
        "assert geometry.circle_point(c, Vec3d(1, 0, 0), True)\n"
        "try:\n"
        "    geometry.circle_point(c, Vec3d(1, 0, 0), 1)\n"
        "except TypeError:\n"
        "    pass\n"
        "assert 'numpy' not in sys.modules\n"
    )
    subprocess.run([sys.executable, "-c", code], check=True)


def test_keyword_arguments() -> None:
    c2 = Circle(Vec3d(1, 0, 0), 1.0, Vec3d(0, 0, 1))
    by_keyword = circle_circle(circle2=c2, circle1=U_OBJ)
    assert vbits(by_keyword[0]) == vbits(circle_circle(U_OBJ, c2)[0])
    result = plane_line(b=Vec3d(1, 1, -1), a=Vec3d(1, 1, 1), plane=Plane.xy())
    assert (result.x, result.y, result.z) == (1.0, 1.0, 0.0)
    assert Plane(normal=Vec3d(0, 0, 1), distance=2).distance == -2.0


@pytest.mark.parametrize(
    ("make", "name", "value", "error", "message"),
    [
        (Plane.xy, "normal", 5, TypeError, "'int' object is not an instance of 'Vec3d'"),
        (Plane.xy, "distance", "x", TypeError, "must be real number, not str"),
        (Circle.none, "center", None, TypeError, "'None' is not an instance of 'Vec3d'"),
        (Circle.none, "radius", 10**400, OverflowError, None),
        (Circle.none, "normal", U_OBJ, TypeError, "'Circle' object is not an instance of 'Vec3d'"),
    ],
)
def test_failed_setters_change_nothing(
    make: Callable[[], Any], name: str, value: object, error: type[Exception], message: str | None
) -> None:
    obj = make()
    before = getattr(obj, name)
    with pytest.raises(error) as raised:
        setattr(obj, name, value)
    if message is not None:
        assert str(raised.value) == f"argument 'value': {message}"
    after = getattr(obj, name)
    if isinstance(before, Vec3d):
        assert vbits(after) == vbits(before)
    else:
        assert bits(after) == bits(before)


@pytest.mark.parametrize(
    ("obj", "name"),
    [(Plane.xy(), "normal"), (Plane.xy(), "distance")]
    + [(U_OBJ, name) for name in ("center", "radius", "normal")],
)
def test_properties_cannot_be_deleted(obj: object, name: str) -> None:
    with pytest.raises(AttributeError, match="^property has no deleter$"):
        delattr(obj, name)


def test_area_is_read_only() -> None:
    c = Circle(Vec3d(1, 2, 3), -2.0, Vec3d(0, 0, 5))
    assert c.area == 12.566370614359172
    with pytest.raises(AttributeError):
        c.area = 1.0  # type: ignore[misc]
    with pytest.raises(AttributeError):
        c.w = 1  # type: ignore[attr-defined]
