"""Quat and Vec3d.to_quat.

Results are compared bit for bit with pure-Python evaluations of the same
formulas in the same order, over unit, non-unit, zero and hostile
quaternions (signed zeros, NaN, infinities, subnormals, w just outside
[-1, 1]).
"""

from __future__ import annotations

import math
import random
from collections.abc import Callable

import pytest

from lorvik import AngleRadians, Quat, Vec3d

import reference as ref
from ieee import EPS, HOSTILE, NAN, bits, exact_bits, from_bits, sample, vbits
from reference import Q, V


# ---------------------------------------------------------------------------
# Inputs


def quaternions(seed: int, count: int = 1200) -> list[Q]:
    """Unit, near-identity, non-unit, zero and hostile quaternions."""
    rng = random.Random(seed)
    hostile = sample(seed, 600)
    found: list[Q] = [(0.0, 0.0, 0.0, 0.0), (1.0, 0.0, 0.0, 0.0), (-1.0, 0.0, 0.0, 0.0)]
    while len(found) < count:
        kind = rng.randrange(5)
        if kind == 0:  # a rotation
            axis = normalized_axis(rng)
            found.append(ref.from_axis_angle(axis, rng.uniform(-7.0, 7.0)))
        elif kind == 1:  # w a few units in the last place from +-1
            w = from_bits(rng.choice([0x3FF0000000000000, 0xBFF0000000000000]) + rng.randint(-3, 3))
            found.append((w, rng.uniform(-1e-8, 1e-8), rng.choice([0.0, -0.0]), rng.random()))
        elif kind == 2:  # non-unit
            found.append(tuple(rng.uniform(-3.0, 3.0) for _ in range(4)))  # type: ignore[arg-type]
        else:  # hostile components mixed with ordinary ones
            found.append(
                tuple(  # type: ignore[arg-type]
                    rng.choice(hostile) if rng.random() < 0.5 else rng.uniform(-1.0, 1.0)
                    for _ in range(4)
                )
            )
    return found


def normalized_axis(rng: random.Random) -> V:
    x, y, z = (rng.gauss(0.0, 1.0) for _ in range(3))
    n = math.sqrt((x * x + y * y) + z * z)
    return (x / n, y / n, z / n)


def vectors(seed: int, count: int) -> list[V]:
    rng = random.Random(seed)
    hostile = sample(seed, 300)
    return [
        tuple(  # type: ignore[misc]
            rng.choice(hostile) if rng.random() < 0.15 else rng.uniform(-10.0, 10.0)
            for _ in range(3)
        )
        for _ in range(count)
    ]


def qbits(q: Quat | Q, exact: bool = False) -> tuple[str, ...]:
    values = (q.w, q.i, q.j, q.k) if isinstance(q, Quat) else q
    return tuple((exact_bits if exact else bits)(x) for x in values)


# ---------------------------------------------------------------------------
# Formulas


QUAT_UNARY: dict[str, tuple[Callable[[Quat], object], Callable[[Q], object]]] = {
    "conjugate": (lambda q: qbits(q.conjugate(), True), lambda q: qbits(ref.conjugate(q), True)),
    "normalize": (lambda q: qbits(q.normalize()), lambda q: qbits(ref.quat_normalize(q))),
    "magnitude": (lambda q: bits(q.magnitude()), lambda q: bits(ref.quat_magnitude(q))),
    "is_unit": (lambda q: q.is_unit(), ref.quat_is_unit),
    "to_vec3d": (
        lambda q: tuple(exact_bits(x) for x in q.to_vec3d()),
        lambda q: qbits(q, True)[1:],
    ),
    "to_rotation_matrix": (
        lambda q: [[bits(x) for x in row] for row in q.to_rotation_matrix()],
        lambda q: [[bits(x) for x in row] for row in ref.rotation_matrix(q)],
    ),
    "to_axis_angle": (
        lambda q: (vbits(q.to_axis_angle()[0]), bits(q.to_axis_angle()[1].angle)),
        lambda q: (vbits(ref.to_axis_angle(q)[0]), bits(ref.to_axis_angle(q)[1])),
    ),
}


@pytest.mark.parametrize("name", list(QUAT_UNARY))
def test_quat_formulas(name: str) -> None:
    ours, reference = QUAT_UNARY[name]
    for q in quaternions(21):
        assert ours(Quat(*q)) == reference(q), (name, q)


def test_rotate() -> None:
    for q, v in zip(quaternions(22), vectors(23, 1200)):
        assert vbits(Quat(*q).rotate(Vec3d(*v))) == vbits(ref.rotate(q, v)), (q, v)


def test_from_axis_angle() -> None:
    angles = sample(24, 1200)
    for axis, angle in zip(vectors(25, 1200), angles):
        result = Quat.from_axis_angle(Vec3d(*axis), AngleRadians(angle))
        assert qbits(result) == qbits(ref.from_axis_angle(axis, angle)), (axis, angle)


def test_equality() -> None:
    rng = random.Random(26)
    for a in quaternions(27, 600):
        nudged = tuple(x + rng.choice([0.0, 1e-16, -2e-16, EPS, 1e-300]) for x in a)
        for b in (a, nudged, tuple(reversed(a))):
            expected = ref.within(a, b)
            assert (Quat(*a) == Quat(*b)) is expected, (a, b)
            assert (Quat(*a) != Quat(*b)) is not expected, (a, b)


def test_to_quat() -> None:
    for v in vectors(28, 300) + [(x, -0.0, x) for x in HOSTILE]:
        assert qbits(Vec3d(*v).to_quat(), True) == qbits((0.0, *v), True), v


@pytest.mark.parametrize(
    "q, text",
    [
        (Quat.identity(), "Quat(1, 0, 0, 0)"),
        (Quat(0.5, -0.0, 2, 1e21), "Quat(0.5, -0, 2, 1000000000000000000000)"),
        (Quat(0, 0, 0, 0).normalize(), "Quat(NaN, NaN, NaN, NaN)"),
        (
            Quat.from_axis_angle(Vec3d(0, 0, 1), AngleRadians.half_pi()),
            "Quat(0.7071067811865476, -0, -0, -0.7071067811865475)",
        ),
        (Quat.from_axis_angle(Vec3d(1, 2, 3), AngleRadians.zero()), "Quat(1, -0, -0, -0)"),
        (Vec3d(1, 2, 3).to_quat(), "Quat(0, 1, 2, 3)"),
        (Quat(-float("inf"), 1e-7, NAN, 3), "Quat(-inf, 0.0000001, NaN, 3)"),
    ],
)
def test_repr(q: Quat, text: str) -> None:
    assert repr(q) == text and str(q) == text


@pytest.mark.parametrize(
    "q, axis, angle",
    [
        ((1.0, 0.5, 0.0, 0.0), (1.0, 0.0, 0.0), 0.0),
        ((0.9999999999999999, 0.0, 0.0, 0.0), (1.0, 0.0, 0.0), 0.0),
        ((0.0, 0.0, 0.0, 0.0), (0.0, 0.0, 0.0), math.pi),
        ((-1.0, 0.0, 0.0, 0.0), (0.0, 0.0, 0.0), 6.283185307179586),
        ((1.0000000000000002, 0.0, 0.0, 0.0), (NAN, NAN, NAN), NAN),
    ],
)
def test_to_axis_angle_cases(q: Q, axis: V, angle: float) -> None:
    result = Quat(*q).to_axis_angle()
    assert type(result) is tuple and len(result) == 2
    assert type(result[0]) is Vec3d and type(result[1]) is AngleRadians
    found = (result[0].x, result[0].y, result[0].z, result[1].angle)
    for x, y in zip(found, (*axis, angle)):
        assert x == y or (math.isnan(x) and math.isnan(y))


def test_result_shapes() -> None:
    q = Quat(1, 2, 3, 4)
    assert q.to_vec3d() == (2.0, 3.0, 4.0) and type(q.to_vec3d()) is tuple
    assert Quat.identity().to_rotation_matrix() == [[1.0, 0.0, 0.0], [0.0, 1.0, 0.0], [0.0, 0.0, 1.0]]
    assert q.to_rotation_matrix() is not q.to_rotation_matrix()
    rotated = Quat.identity().rotate(Vec3d(1, 2, 3))
    assert type(rotated) is Vec3d and (rotated.x, rotated.y, rotated.z) == (1.0, 2.0, 3.0)
    assert Quat.identity() is not Quat.identity()
    assert Quat(2, 0, 0, 0).rotate(Vec3d(1, 2, 3)) == Vec3d(4, 8, 12)


# ---------------------------------------------------------------------------
# Python surface


def test_class_identity() -> None:
    assert Quat.__doc__ is None
    assert Quat.__text_signature__ == "(w, i, j, k)"
    assert Quat.__module__ == "builtins"
    assert Quat.__hash__ is None
    assert Quat.from_axis_angle.__text_signature__ == "(axis, angle)"
    assert Quat.rotate.__text_signature__ == "($self, v)"
    with pytest.raises(TypeError):
        type("Sub", (Quat,), {})


@pytest.mark.parametrize(
    "expression",
    [
        lambda: hash(Quat.identity()),
        lambda: Quat(1, 0, 0, 0) < Quat(2, 0, 0, 0),
        lambda: Quat(1, 0, 0, 0) >= Quat(2, 0, 0, 0),
        lambda: Quat.identity() + Quat.identity(),
        lambda: Quat.identity() * Quat.identity(),
        lambda: 2 * Quat.identity(),
        lambda: -Quat.identity(),
    ],
)
def test_unsupported_operations_raise_type_error(expression: Callable[[], object]) -> None:
    with pytest.raises(TypeError):
        expression()


def test_foreign_equality() -> None:
    q = Quat.identity()
    assert (q == 1) is False and (q != 1) is True
    assert (q == Vec3d(1, 0, 0)) is False
    nan = Quat(NAN, 0, 0, 0)
    assert (nan == nan) is False and (nan != nan) is True


def test_keywords() -> None:
    q = Quat(w=1, i=2, j=3, k=4)
    assert (q.w, q.i, q.j, q.k) == (1.0, 2.0, 3.0, 4.0)
    made = Quat.from_axis_angle(angle=AngleRadians.half_pi(), axis=Vec3d(0, 0, 1))
    assert made == Quat.from_axis_angle(Vec3d(0, 0, 1), AngleRadians.half_pi())
    assert Quat.identity().rotate(v=Vec3d(1, 2, 3)) == Vec3d(1, 2, 3)


@pytest.mark.parametrize("name", ["w", "i", "j", "k"])
def test_component_properties(name: str) -> None:
    q = Quat.identity()
    setattr(q, name, 2)
    expected = {"w": 1.0, "i": 0.0, "j": 0.0, "k": 0.0} | {name: 2.0}
    assert {c: getattr(q, c) for c in "wijk"} == expected
    with pytest.raises(TypeError, match=r"^argument 'value': must be real number, not str$"):
        setattr(q, name, "5")
    with pytest.raises(AttributeError, match="^property has no deleter$"):
        delattr(q, name)
    assert {c: getattr(q, c) for c in "wijk"} == expected


def test_arguments_are_left_unchanged() -> None:
    axis, angle = Vec3d(0, 0, 2), AngleRadians.half_pi()
    q = Quat.from_axis_angle(axis, angle)
    assert q.k == -1.414213562373095 and not q.is_unit()
    assert (axis.x, axis.y, axis.z, angle.angle) == (0.0, 0.0, 2.0, math.pi / 2)
