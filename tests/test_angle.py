"""AngleRadians, AngleDegrees and Vec3d.angle_to.

Every numerical result is compared bit for bit with a pure-Python evaluation
of the same formula in the same order, over ordinary and hostile doubles
(signed zeros, NaN with payloads, infinities, subnormals, extremes).
"""

from __future__ import annotations

import math
import operator
import random
from collections.abc import Callable
from typing import Any

import pytest

from lorvik import AngleDegrees, AngleRadians, Vec3d

import reference as ref
from ieee import INF, PI, bits, cos, display, div, exact_bits, flip_sign, pairs, sample, sin, tan

DEGREE_SIGN = "\u00b0"


# ---------------------------------------------------------------------------
# Formulas


RADIANS_UNARY: dict[str, tuple[Callable[[AngleRadians], float], Callable[[float], float]]] = {
    "sin": (lambda a: a.sin(), sin),
    "cos": (lambda a: a.cos(), cos),
    "tan": (lambda a: a.tan(), tan),
    "sec": (lambda a: a.sec(), lambda x: div(1.0, cos(x))),
    "csc": (lambda a: a.csc(), lambda x: div(1.0, sin(x))),
    "cot": (lambda a: a.cot(), lambda x: div(1.0, tan(x))),
    "to_degrees": (lambda a: a.to_degrees().angle, ref.to_degrees),
}


@pytest.mark.parametrize("name", list(RADIANS_UNARY))
def test_radians_unary_formulas(name: str) -> None:
    ours, reference = RADIANS_UNARY[name]
    for x in sample(11):
        assert bits(ours(AngleRadians(x))) == bits(reference(x)), (name, x)


def test_to_radians_formula() -> None:
    for x in sample(12):
        assert bits(AngleDegrees(x).to_radians().angle) == bits(ref.to_radians(x)), x


@pytest.mark.parametrize("cls", [AngleRadians, AngleDegrees])
def test_negation_flips_only_the_sign_bit(cls: type) -> None:
    for x in sample(18, 400):
        assert exact_bits((-cls(x)).angle) == exact_bits(flip_sign(x)), x


@pytest.mark.parametrize(
    "ours, reference",
    [
        (lambda a, b: (AngleRadians(a) + AngleRadians(b)).angle, lambda a, b: a + b),
        (lambda a, b: (AngleRadians(a) - AngleRadians(b)).angle, lambda a, b: a - b),
        (lambda a, s: (AngleRadians(a) * s).angle, lambda a, s: s * a),
        (lambda a, s: (AngleRadians(a) / s).angle, div),
    ],
    ids=["add", "subtract", "multiply", "divide"],
)
def test_radians_arithmetic(
    ours: Callable[[float, float], float], reference: Callable[[float, float], float]
) -> None:
    for a, b in pairs(13):
        assert bits(ours(a, b)) == bits(reference(a, b)), (a, b)


COMPARISONS = [operator.eq, operator.ne, operator.lt, operator.le, operator.gt, operator.ge]


@pytest.mark.parametrize("cls", [AngleRadians, AngleDegrees])
@pytest.mark.parametrize("op", COMPARISONS, ids=lambda op: op.__name__)
def test_comparisons_are_ieee(cls: type, op: Callable[[Any, Any], bool]) -> None:
    for a, b in pairs(14, 400):
        assert op(cls(a), cls(b)) is op(a, b), (a, b)
    nan = cls(math.nan)
    assert op(nan, nan) is (op is operator.ne)  # also for the same object


def test_constants() -> None:
    expected = {
        "zero": 0.0, "pi": PI, "two_pi": PI * 2.0, "half_pi": PI / 2.0,
        "third_pi": PI / 3.0, "quarter_pi": PI / 4.0, "sixth_pi": PI / 6.0,
    }
    for name, value in expected.items():
        constant = getattr(AngleRadians, name)()
        assert bits(constant.angle) == bits(value), name
        assert constant is not getattr(AngleRadians, name)()
    assert bits(PI) == "400921fb54442d18"


@pytest.mark.parametrize(
    "angle, text",
    [
        (AngleRadians.half_pi(), "1.5707963267948966 radians"),
        (AngleRadians(-0.0), "-0 radians"),
        (AngleRadians(math.nan), "NaN radians"),
        (AngleRadians(7 * PI), "21.991148575128552 radians"),
        (AngleDegrees(90), "90" + DEGREE_SIGN),
        (-AngleDegrees(90), "-90" + DEGREE_SIGN),
        (AngleRadians.third_pi().to_degrees(), "59.99999999999999" + DEGREE_SIGN),
        (AngleDegrees(-INF), "-inf" + DEGREE_SIGN),
        (AngleDegrees(1e21), "1000000000000000000000" + DEGREE_SIGN),
    ],
)
def test_repr(angle: object, text: str) -> None:
    assert repr(angle) == text
    assert str(angle) == text


def test_repr_of_any_value() -> None:
    for x in sample(15, 300):
        assert repr(AngleRadians(x)) == display(x) + " radians"
        assert repr(AngleDegrees(x)) == display(x) + DEGREE_SIGN


@pytest.mark.parametrize(
    "radians, degrees",
    [(0.1, 5.729577951308232), (PI, 180.0), (PI / 2, 90.0), (PI / 6, 29.999999999999996)],
)
def test_to_degrees_rounds_twice(radians: float, degrees: float) -> None:
    assert AngleRadians(radians).to_degrees().angle == degrees


@pytest.mark.parametrize(
    "degrees, radians", [(3.0, 0.05235987755982988), (180.0, PI), (90.0, PI / 2)]
)
def test_to_radians_rounds_twice(degrees: float, radians: float) -> None:
    assert AngleDegrees(degrees).to_radians().angle == radians


# ---------------------------------------------------------------------------
# Vec3d.angle_to


def test_angle_to_formula() -> None:
    values = sample(16, 1200)
    rng = random.Random(17)
    for _ in range(1500):
        a = tuple(rng.choice(values) if rng.random() < 0.2 else rng.uniform(-5, 5) for _ in "xyz")
        b = tuple(rng.choice(values) if rng.random() < 0.2 else rng.uniform(-5, 5) for _ in "xyz")
        result = Vec3d(*a).angle_to(Vec3d(*b))
        assert type(result) is AngleRadians
        assert bits(result.angle) == bits(ref.angle_to(a, b)), (a, b)


@pytest.mark.parametrize(
    "a, b, text",
    [
        ((1, 0, 0), (0, 1, 0), "1.5707963267948966 radians"),
        ((1, 1, 1), (1, 1, 1), "NaN radians"),
        ((1, 2, 3), (0, 0, 0), "NaN radians"),
    ],
)
def test_angle_to_cases(a: tuple[float, ...], b: tuple[float, ...], text: str) -> None:
    assert repr(Vec3d(*a).angle_to(Vec3d(*b))) == text


# ---------------------------------------------------------------------------
# Python surface


@pytest.mark.parametrize(
    "expression",
    [
        lambda: 2 * AngleRadians(1),
        lambda: 1.0 + AngleRadians(1),
        lambda: 1.0 / AngleRadians(1),
        lambda: AngleRadians(1) + 2,
        lambda: AngleRadians(1) - AngleDegrees(1),
        lambda: AngleRadians(1) * AngleRadians(2),
        lambda: AngleRadians(1) / "2",
        lambda: AngleDegrees(1) + AngleDegrees(2),
        lambda: AngleDegrees(1) * 2,
        lambda: AngleRadians.pi() < AngleDegrees(180),
        lambda: AngleRadians(1) >= 1.0,
        lambda: hash(AngleRadians(1)),
        lambda: hash(AngleDegrees(1)),
        lambda: {AngleRadians(1)},
    ],
)
def test_unsupported_operations_raise_type_error(expression: Callable[[], object]) -> None:
    with pytest.raises(TypeError):
        expression()


def test_operators_accept_numbers_and_give_new_objects() -> None:
    a = AngleRadians(1)
    assert (a * 2).angle == 2.0 and (a * True).angle == 1.0
    assert (a / 0).angle == INF and math.isnan((AngleRadians(0) / 0).angle)
    b = a
    b += AngleRadians(2)
    assert b is not a and a.angle == 1.0 and b.angle == 3.0
    assert AngleRadians.__hash__ is None and AngleDegrees.__hash__ is None


def test_foreign_equality_falls_back_to_identity() -> None:
    assert (AngleRadians.pi() == AngleDegrees(180)) is False
    assert (AngleRadians(1) != AngleDegrees(1)) is True
    assert (AngleRadians(1) == 1.0) is False and (1.0 != AngleRadians(1)) is True
    assert AngleRadians.pi() == AngleDegrees(180).to_radians()


@pytest.mark.parametrize("cls", [AngleRadians, AngleDegrees])
def test_class_identity(cls: type) -> None:
    assert cls.__doc__ is None
    assert cls.__text_signature__ == "(angle)"
    assert cls.__module__ == "builtins"
    with pytest.raises(TypeError):
        type("Sub", (cls,), {})
    assert cls(angle=2.5).angle == 2.5


@pytest.mark.parametrize("cls", [AngleRadians, AngleDegrees])
def test_angle_property(cls: type) -> None:
    a = cls(1.5)
    a.angle = 5
    assert type(a.angle) is float and a.angle == 5.0
    with pytest.raises(TypeError, match=r"^argument 'value': must be real number, not str$"):
        a.angle = "2"
    with pytest.raises(AttributeError, match="^property has no deleter$"):
        del a.angle
    assert a.angle == 5.0


def test_setter_refused_while_an_operator_holds_the_angle() -> None:
    a = AngleRadians(1.5)
    seen: list[str] = []

    class Sneaky:
        def __float__(self) -> float:
            try:
                a.angle = 99.0  # a is borrowed by the running multiplication
            except RuntimeError as error:
                seen.append(str(error))
            return 2.0

    assert (a * Sneaky()).angle == 3.0
    assert seen == ["Already borrowed"] and a.angle == 1.5
