"""Vec3d: every operation bit for bit against the same formula in Python.

Python floats are IEEE doubles evaluated one operation at a time, so a Python
evaluation in the documented order is the exact reference. Results are
compared by bit pattern; NaN payloads are compared only where the operation
promises to keep them (negation, storage).
"""

from __future__ import annotations

import math
import os
import random
import subprocess
import sys
from collections.abc import Callable
from typing import Any

import pytest

from lorvik import Vec3d

import reference as ref
from ieee import EPS, HOSTILE, bits, display, div, exact_bits, from_bits

Triple = tuple[float, float, float]
VECTOR_HOSTILE = HOSTILE + [
    from_bits(0x7FF8000000000123),  # quiet NaN with a payload
    2.0**-52,
    1.0 - 2.0**-53,
    0.1,
    0.5,
]


def to_bits(value: float) -> int:
    return int(exact_bits(value), 16)


def random_component(rng: random.Random) -> float:
    kind = rng.randrange(4)
    if kind == 0:
        return rng.choice(VECTOR_HOSTILE)
    if kind == 1:
        return from_bits(rng.getrandbits(64))
    if kind == 2:
        return rng.uniform(-1.0, 1.0) * 10.0 ** rng.randint(-320, 300)
    return rng.uniform(-100.0, 100.0)


def make_vectors(count: int) -> list[Triple]:
    rng = random.Random(0x5EC3D)
    return [
        (random_component(rng), random_component(rng), random_component(rng))
        for _ in range(count)
    ]


VECTORS = make_vectors(300)
SCALARS = VECTOR_HOSTILE + [random_component(random.Random(seed)) for seed in range(40)]


def components(result: Any) -> tuple[Any, ...]:
    if isinstance(result, Vec3d):
        return (result.x, result.y, result.z)
    if isinstance(result, (list, tuple)):
        return tuple(result)
    return (result,)


def assert_same(got: Any, expected: Any, inputs: object) -> None:
    got_parts, want_parts = components(got), components(expected)
    assert len(got_parts) == len(want_parts)
    for g, e in zip(got_parts, want_parts):
        if isinstance(e, bool):
            assert g is e, inputs
        else:
            assert type(g) is float and bits(g) == bits(e), (inputs, got_parts, want_parts)


VectorOp = tuple[str, Callable[..., Any], Callable[..., Any]]

# (name, call on Vec3d objects, reference on tuples); arity from the reference.
VECTOR_OPS: list[VectorOp] = [
    ("add", lambda a, b: a + b, ref.add),
    ("sub", lambda a, b: a - b, ref.sub),
    ("new_from_to", Vec3d.new_from_to, lambda f, t: ref.sub(t, f)),
    ("dot", Vec3d.dot, ref.dot),
    ("cross", Vec3d.cross, ref.cross),
    ("magnitude", Vec3d.magnitude, ref.magnitude),
    ("normalize", Vec3d.normalize, ref.normalize),
    ("is_unit", Vec3d.is_unit, lambda a: abs(ref.magnitude(a) - 1.0) < EPS),
    ("to_array", Vec3d.to_array, list),
    ("distance_to", Vec3d.distance_to, lambda a, b: math.sqrt(ref.distance_squared(a, b))),
    ("distance_squared", Vec3d.distance_squared, ref.distance_squared),
    ("distance_to_line", Vec3d.distance_to_line, ref.distance_to_line),
    ("project_onto_line", Vec3d.project_onto_line, ref.project_onto_line),
    ("project_onto_plane", Vec3d.project_onto_plane, ref.project_onto_plane),
    ("scalar_triple_product", Vec3d.scalar_triple_product, ref.scalar_triple_product),
    ("eq", lambda a, b: a == b, ref.within),
    ("ne", lambda a, b: a != b, lambda a, b: not ref.within(a, b)),
]


@pytest.mark.parametrize(("name", "call", "reference"), VECTOR_OPS, ids=[o[0] for o in VECTOR_OPS])
def test_vector_operations_bit_exact(
    name: str, call: Callable[..., Any], reference: Callable[..., Any]
) -> None:
    arity = reference.__code__.co_argcount if hasattr(reference, "__code__") else 1
    for index in range(len(VECTORS)):
        triples = [VECTORS[(index + shift * 7) % len(VECTORS)] for shift in range(arity)]
        got = call(*(Vec3d(*t) for t in triples))
        assert_same(got, reference(*triples), (name, triples))


ScalarOp = tuple[str, Callable[[Vec3d, float], Vec3d], Callable[[float, float], float]]

SCALAR_OPS: list[ScalarOp] = [
    ("v * s", lambda v, s: v * s, lambda c, s: c * s),
    ("s * v", lambda v, s: s * v, lambda c, s: c * s),
    ("v / s", lambda v, s: v / s, div),
]


@pytest.mark.parametrize(("name", "call", "reference"), SCALAR_OPS, ids=[o[0] for o in SCALAR_OPS])
def test_scalar_operations_bit_exact(
    name: str, call: Callable[[Vec3d, float], Vec3d], reference: Callable[[float, float], float]
) -> None:
    for index, t in enumerate(VECTORS):
        s = SCALARS[index % len(SCALARS)]
        expected = tuple(reference(c, s) for c in t)
        assert_same(call(Vec3d(*t), s), expected, (name, t, s))


def test_storage_and_negation_keep_every_bit() -> None:
    for t in VECTORS:
        v = Vec3d(*t)
        assert [to_bits(c) for c in (v.x, v.y, v.z)] == [to_bits(c) for c in t]
        assert [to_bits(v[i]) for i in range(3)] == [to_bits(c) for c in t]
        n = -v
        assert [to_bits(c) for c in n.to_array()] == [to_bits(c) ^ (1 << 63) for c in t]


@pytest.mark.parametrize(
    ("value", "expected"),
    [
        (Vec3d.zero(), (0.0, 0.0, 0.0)),
        (Vec3d.i(), (1.0, 0.0, 0.0)),
        (Vec3d.j(), (0.0, 1.0, 0.0)),
        (Vec3d.k(), (0.0, 0.0, 1.0)),
        (Vec3d.i().cross(Vec3d.j()), (0.0, 0.0, 1.0)),
        (Vec3d(0, 0, 0).normalize(), (math.nan,) * 3),
        (Vec3d(0, 1, -1) / 0, (math.nan, math.inf, -math.inf)),
        (Vec3d(1, 1, 0).project_onto_line(Vec3d(2, 0, 0), Vec3d.zero()), (1.0, 0.0, 0.0)),
        (Vec3d(1, 1, 1).project_onto_plane(Vec3d(0, 0, 2)), (1.0, 1.0, -3.0)),
        (Vec3d(0, 1, 0).distance_to_line(Vec3d(5, 0, 0), Vec3d(6, 0, 0)), 1.0),
        (Vec3d.i().scalar_triple_product(Vec3d.j(), Vec3d.k()), 1.0),
        (Vec3d(1, 2, 2).normalize().is_unit(), True),
        (Vec3d(42, 31, 7).normalize().is_unit(), False),
        (Vec3d(1.0 - 2.0**-53, 0, 0).is_unit(), True),
        (Vec3d(1.0 - EPS, 0, 0).is_unit(), False),
    ],
)
def test_documented_values(value: Any, expected: Any) -> None:
    assert_same(value, expected, expected)


def test_static_constructors_and_lists_are_new_objects() -> None:
    assert Vec3d.zero() is not Vec3d.zero()
    v = Vec3d(1, 2, 3)
    assert v.to_array() is not v.to_array()
    assert v.zero() == Vec3d.zero()
    assert v.x is not v.x


# ---------------------------------------------------------------------------
# Display


@pytest.mark.parametrize(
    ("triple", "text"),
    [
        ((1, 2, 3), "Vec3d(1, 2, 3)"),
        ((0.1, -0.0, math.nan), "Vec3d(0.1, -0, NaN)"),
        ((1e21, 1e-7, math.inf), "Vec3d(1000000000000000000000, 0.0000001, inf)"),
        ((-0.5, 100.0, -math.inf), "Vec3d(-0.5, 100, -inf)"),
    ],
)
def test_display_examples(triple: Triple, text: str) -> None:
    assert repr(Vec3d(*triple)) == text


def test_display_matches_reference() -> None:
    assert display(5e-324) == "0." + "0" * 323 + "5"
    for t in VECTORS:
        v = Vec3d(*t)
        expected = f"Vec3d({display(t[0])}, {display(t[1])}, {display(t[2])})"
        assert repr(v) == expected
        assert str(v) == expected
    assert repr(-Vec3d(0, 0, 0)) == "Vec3d(-0, -0, -0)"


# ---------------------------------------------------------------------------
# Hash: SipHash-1-3, zero key, over the canonical bit patterns.


def as_python_hash(unsigned: int) -> int:
    signed = unsigned - (1 << 64) if unsigned >> 63 else unsigned
    return -2 if signed == -1 else signed


def test_reference_siphash_matches_the_interpreters() -> None:
    # With PYTHONHASHSEED=0 the interpreter hashes bytes with SipHash-1-3 under
    # the zero key, an independent check of the reference above.
    messages = [bytes(range(n)) for n in (1, 7, 8, 9, 15, 24, 31)]
    script = "import sys\nfor m in sys.argv[1:]: print(hash(bytes.fromhex(m)))"
    result = subprocess.run(
        [sys.executable, "-c", script, *(m.hex() for m in messages)],
        env={**os.environ, "PYTHONHASHSEED": "0"},
        capture_output=True,
        text=True,
        check=True,
    )
    expected = [as_python_hash(ref.siphash(m)) for m in messages]
    assert [int(line) for line in result.stdout.split()] == expected


def test_hash_matches_reference() -> None:
    for t in VECTORS:
        assert hash(Vec3d(*t)) == as_python_hash(ref.vec3d_hash(t)), t


@pytest.mark.parametrize(
    ("a", "b"),
    [
        ((0.0, 0.0, 0.0), (-0.0, -0.0, -0.0)),
        ((math.nan, 1.0, 2.0), (from_bits(0xFFF0000000000abc), 1.0, 2.0)),
        ((1.0, from_bits(0x7FF0000000000001), 2.0), (1.0, -math.nan, 2.0)),
    ],
)
def test_hash_canonicalises_zero_and_nan(a: Triple, b: Triple) -> None:
    assert hash(Vec3d(*a)) == hash(Vec3d(*b))


def test_hash_is_the_same_in_every_process() -> None:
    script = "import lorvik; print(hash(lorvik.Vec3d(1.5, -2.0, 1e300)))"
    result = subprocess.run(
        [sys.executable, "-c", script],
        env={**os.environ, "PYTHONHASHSEED": "12345", "PYTHONPATH": os.pathsep.join(sys.path)},
        capture_output=True,
        text=True,
        check=True,
    )
    assert int(result.stdout) == hash(Vec3d(1.5, -2.0, 1e300))


def test_equal_within_tolerance_may_hash_apart() -> None:
    a, b = Vec3d(0, 0, 1e-16), Vec3d(0, 0, 2e-16)
    assert a == b
    assert len({a, b}) == 2


# ---------------------------------------------------------------------------
# Equality and comparison dispatch


@pytest.mark.parametrize(
    ("a", "b", "equal"),
    [
        ((1, 2, 3), (1, 2, 3), True),
        ((0, 0, 1e-16), (0, 0, 2e-16), True),
        ((0, 0, 0), (0, 0, 3e-16), False),
        ((0, 0, 1e-17), (0, 0, -1e-17), True),
        ((3, 0, 0), (3.0000000000000004, 0, 0), False),
        ((0, 0, 0), (0, EPS, 0), False),
        ((0, 0, 0), (0, math.nextafter(EPS, 0), 0), True),
        ((math.inf, 0, 0), (math.inf, 0, 0), False),  # inf - inf is NaN
        ((math.nan, 0, 0), (math.nan, 0, 0), False),
    ],
)
def test_equality_tolerance(a: Triple, b: Triple, equal: bool) -> None:
    va, vb = Vec3d(*a), Vec3d(*b)
    assert (va == vb) is equal and (vb == va) is equal
    assert (va != vb) is (not equal)


def test_nan_vector_is_unequal_to_itself() -> None:
    v = Vec3d(math.nan, 0, 0)
    assert not v == v
    assert v != v


@pytest.mark.parametrize("other", [3, (1, 2, 3), [1.0, 2.0, 3.0], None, "Vec3d(1, 2, 3)"])
def test_comparison_with_foreign_operand(other: object) -> None:
    v = Vec3d(1, 2, 3)
    assert (v == other) is False
    assert (v != other) is True
    assert v.__eq__(other) is NotImplemented


@pytest.mark.parametrize("op", ["__lt__", "__le__", "__gt__", "__ge__"])
def test_ordering_is_not_defined(op: str) -> None:
    a, b = Vec3d(1, 2, 3), Vec3d(2, 3, 4)
    assert getattr(a, op)(b) is NotImplemented
    with pytest.raises(TypeError):
        a < b  # noqa: B015


# ---------------------------------------------------------------------------
# Operators with foreign operands


class RightAdd:
    def __radd__(self, other: object) -> str:
        return "radd"

    def __rmul__(self, other: object) -> str:
        return "rmul"

    def __rsub__(self, other: object) -> str:
        return "rsub"


class Three:
    def __index__(self) -> int:
        return 3


class FloatFails:
    def __float__(self) -> float:
        raise ValueError("conversion error is discarded")


v0 = Vec3d(1, 2, 3)


@pytest.mark.parametrize(
    "call",
    [
        lambda: v0 + 1,
        lambda: 1 + v0,
        lambda: v0 - 1,
        lambda: 2 / v0,
        lambda: v0 * v0,
        lambda: v0 + (1, 2, 3),
        lambda: v0 * "2",
        lambda: v0 * FloatFails(),
        lambda: FloatFails() * v0,
        lambda: v0 / FloatFails(),
        lambda: abs(v0),
        lambda: +v0,
        lambda: len(v0),
        lambda: list(v0),
        lambda: v0 @ v0,
    ],
)
def test_unsupported_operands_raise_type_error(call: Callable[[], object]) -> None:
    with pytest.raises(TypeError):
        call()


@pytest.mark.parametrize(
    ("call", "result"),
    [
        (lambda: v0 + RightAdd(), "radd"),
        (lambda: v0 - RightAdd(), "rsub"),
        (lambda: v0 * RightAdd(), "rmul"),
        (lambda: v0.__add__(1), NotImplemented),
        (lambda: v0.__mul__(v0), NotImplemented),
        (lambda: v0.__truediv__("x"), NotImplemented),
        (lambda: Vec3d.__add__(v0, 1), NotImplemented),
    ],
)
def test_foreign_operand_gives_not_implemented(call: Callable[[], object], result: object) -> None:
    assert call() is result


def test_multiplication_accepts_numbers_both_ways() -> None:
    v = Vec3d(1, -2, 0.5)
    assert v * True == v
    assert components(2 * v) == components(v * 2) == (2.0, -4.0, 1.0)
    assert components(v.__rmul__(2)) == (2.0, -4.0, 1.0)
    assert components(v * Three()) == (3.0, -6.0, 1.5)
    with pytest.raises(TypeError):  # the OverflowError is discarded: NotImplemented
        v * 10**400  # noqa: B018


def test_augmented_assignment_binds_a_new_object() -> None:
    v = Vec3d(1, 2, 3)
    u = v
    u += Vec3d(1, 1, 1)
    u *= 2
    assert u is not v
    assert components(v) == (1.0, 2.0, 3.0)
    assert components(u) == (4.0, 6.0, 8.0)


# ---------------------------------------------------------------------------
# Properties and borrows


def test_property_assignment() -> None:
    v = Vec3d(1, 2, 3)
    v.x = 5
    v.y = True
    v.z = Three()
    assert [type(c) for c in v.to_array()] == [float] * 3
    assert components(v) == (5.0, 1.0, 3.0)
    with pytest.raises(TypeError, match=r"^argument 'value': "):
        v.x = "5"  # type: ignore[assignment]
    assert v.x == 5.0


@pytest.mark.parametrize(
    "assign",
    [
        lambda v, value: setattr(v, "y", value),
        lambda v, value: setattr(v, "".join(["y"]), value),  # a name that is not interned
        lambda v, value: v.__setattr__("y", value),
        lambda v, value: object.__setattr__(v, "y", value),
    ],
)
def test_every_assignment_route_reaches_the_setter(assign: Callable[[Vec3d, object], None]) -> None:
    v = Vec3d(1, 2, 3)
    assign(v, Three())
    assert components(v) == (1.0, 3.0, 3.0)
    with pytest.raises(TypeError, match=r"^argument 'value': "):
        assign(v, "5")
    number = WritesDuringConversion(v)
    assign(v, number)
    assert number.errors == [] and components(v) == (99.0, 2.0, 3.0)


@pytest.mark.parametrize("name", ["x", "y", "z"])
def test_components_cannot_be_deleted(name: str) -> None:
    v = Vec3d(1, 2, 3)
    with pytest.raises(AttributeError) as info:
        delattr(v, name)
    assert str(info.value) == "property has no deleter"
    assert components(v) == (1.0, 2.0, 3.0)


class WritesDuringConversion:
    """A number whose conversion assigns to `target.x` first."""

    def __init__(self, target: Vec3d) -> None:
        self.target = target
        self.errors: list[str] = []

    def __float__(self) -> float:
        try:
            self.target.x = 99.0
        except RuntimeError as error:
            self.errors.append(str(error))
            raise
        return 2.0


@pytest.mark.parametrize(
    "call",
    [lambda v, s: v * s, lambda v, s: s * v, lambda v, s: v / s],
    ids=["v * s", "s * v", "v / s"],
)
def test_conversion_cannot_write_to_a_borrowed_receiver(
    call: Callable[[Vec3d, object], object],
) -> None:
    v = Vec3d(1, 2, 3)
    number = WritesDuringConversion(v)
    with pytest.raises(TypeError):  # the failed conversion makes it NotImplemented
        call(v, number)
    assert number.errors == ["Already borrowed"]
    assert components(v) == (1.0, 2.0, 3.0)


def test_setter_converts_before_borrowing() -> None:
    v = Vec3d(1, 2, 3)
    number = WritesDuringConversion(v)
    v.y = number
    assert number.errors == []
    assert components(v) == (99.0, 2.0, 3.0)


def test_receiver_may_also_be_the_argument() -> None:
    v = Vec3d(1, 2, 3)
    assert v.dot(v) == 14.0
    assert v.distance_to(v) == 0.0
    assert v.scalar_triple_product(v, v) == 0.0
    assert v == v
