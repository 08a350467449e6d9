"""Hostile calls to every entry point.

Every member of every class and every module function (found through dir(),
as in surface.py) is called with hostile arguments: wrong types, None, huge
ints, NaN, infinities, subnormals, other lorvik objects (the receiver itself
included), objects whose __float__ or __index__ raise, return the wrong type,
or change the receiver of the call in progress, sequences that fail half-way.
A call may succeed; when it fails, the exception must be one the module
specifies (with its text where the module fixes one), and no lorvik object
taking part may have changed.

Hypothesis draws a seed and a few values per example; each example then makes
a batch of calls from them. Derandomized, so every run makes the same calls.
"""

from __future__ import annotations

import importlib
import math
import operator
import random
import warnings
from collections import Counter
from collections.abc import Callable
from dataclasses import dataclass
from typing import Any

import numpy
import pytest
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

import surface
from ieee import exact_bits
from surface import FloatLike, Hostile, IndexLike, RaisingFloat, RaisingIndex, RaisingSequence, WrongFloat, WrongIndex

lorvik: Any = importlib.import_module("lorvik")
geometry: Any = lorvik.geometry
Vec3d, Quat, AngleRadians, AngleDegrees = lorvik.Vec3d, lorvik.Quat, lorvik.AngleRadians, lorvik.AngleDegrees
Plane, Circle = geometry.Plane, geometry.Circle

EXAMPLES = 800
CALLS_PER_EXAMPLE = 250  # 200 000 hostile calls in all

INTERSECTION_TEXTS = {
    "The given geometries are too far apart and do not intersect at all.",
    "One of the given geometries is contained entirely within the other. The surfaces do not intersect.",
    "The given geometries are identical.",
    "The given geometries are out of plane from each other",
}
BORROW_TEXTS = {"Already borrowed", "Already mutably borrowed"}
# Entry points with an internal fault of their own.
PANICS = {"VecList.collapse", "VecList.minimum_distance_to"}


# ---------------------------------------------------------------------------
# The entry points, with how to call them.


@dataclass(frozen=True)
class Entry:
    member: str  # "Vec3d.dot", "geometry.plane_line"
    owner: Any  # the class, or the module
    name: str
    kind: str  # "method", "static", "new", "property", "slot", "function", "unhashable"
    params: list[str]


def parameters(signature: str | None) -> list[str]:
    """Parameter names of a text signature, without $self, $module, / and *."""
    inner = (signature or "()").strip()[1:-1]
    return [p.strip() for p in inner.split(",") if p.strip() and not p.strip().startswith(("$", "/", "*"))]


def entries() -> list[Entry]:
    found: list[Entry] = []
    for cls in surface.classes():
        for name in dir(cls):
            if name not in vars(cls) or name in surface.NOT_ENTRIES:
                continue
            attribute = vars(cls)[name]
            member = f"{cls.__name__}.{name}"
            if name == "__new__":
                found.append(Entry(member, cls, name, "new", parameters(cls.__text_signature__)))
            elif attribute is None:
                found.append(Entry(member, cls, name, "unhashable", []))
            elif isinstance(attribute, staticmethod):
                found.append(Entry(member, cls, name, "static", parameters(getattr(cls, name).__text_signature__)))
            elif type(attribute).__name__ == "getset_descriptor":
                found.append(Entry(member, cls, name, "property", []))
            elif type(attribute).__name__ == "wrapper_descriptor":
                found.append(Entry(member, cls, name, "slot", parameters(attribute.__text_signature__)))
            else:
                found.append(Entry(member, cls, name, "method", parameters(attribute.__text_signature__)))
    for name in dir(geometry):
        attribute = getattr(geometry, name)
        if callable(attribute) and not isinstance(attribute, type):
            found.append(Entry(f"geometry.{name}", geometry, name, "function", parameters(attribute.__text_signature__)))
    return found


ENTRIES = entries()

# Operator forms of the slots, beside calling the slot wrapper itself.
SYNTAX: dict[str, Callable[..., object]] = {
    "__add__": operator.add,
    "__sub__": operator.sub,
    "__mul__": operator.mul,
    "__truediv__": operator.truediv,
    "__radd__": lambda a, b: b + a,
    "__rsub__": lambda a, b: b - a,
    "__rmul__": lambda a, b: b * a,
    "__rtruediv__": lambda a, b: b / a,
    "__eq__": operator.eq,
    "__ne__": operator.ne,
    "__lt__": operator.lt,
    "__le__": operator.le,
    "__gt__": operator.gt,
    "__ge__": operator.ge,
    "__getitem__": operator.getitem,
    "__neg__": operator.neg,
    "__repr__": repr,
    "__hash__": hash,
    "__len__": len,
    "__iter__": iter,
    "__next__": next,
}


# ---------------------------------------------------------------------------
# Hostile values.


SPECIAL_FLOATS = [
    0.0, -0.0, math.inf, -math.inf, math.nan, -math.nan, 5e-324, -5e-324, 2.2250738585072014e-308,
    1.7976931348623157e308, -1.7976931348623157e308, 1.0, -1.0, 1.0000000000000002, 1e300, 1e-300, 3.0,
]
SPECIAL_INTS = [0, 1, 2, 3, -1, -(2**63), 2**63 - 1, 2**63, 2**64 - 1, 2**64, -(2**64), 10**400, True, False]


class FloatSubclass(float):
    pass


class FloatSubclassReturning:
    """__float__ returning a float subclass: deprecated, still accepted."""

    def __float__(self) -> float:
        return FloatSubclass(1.5)


class RaisingEq:
    def __eq__(self, other: object) -> bool:
        raise Hostile("__eq__")

    __hash__ = object.__hash__


class Touching:
    """__float__ and __index__ that first change `target` (append to a
    VecList; set a property of anything else to the value it already has),
    then return a number or raise."""

    def __init__(self, target: object, value: float, raising: bool) -> None:
        self.target = target
        self.value = value
        self.raising = raising
        self.touched = 0
        self.refused = 0

    def touch(self) -> None:
        target: Any = self.target
        self.touched += 1
        try:
            if isinstance(target, lorvik.VecList):
                target.append(Vec3d(0.0, 0.0, 0.0))
            else:
                name = next(n for n, a in vars(type(target)).items()
                            if type(a).__name__ == "getset_descriptor" and a.__set__ is not None and n != "list")
                setattr(target, name, getattr(target, name))
        except RuntimeError as error:
            assert str(error) in BORROW_TEXTS
            self.refused += 1
        except (StopIteration, AttributeError, TypeError):
            self.refused += 1  # nothing to change: a foreign receiver or the iterator

    def __float__(self) -> float:
        self.touch()
        if self.raising:
            raise Hostile("after touching")
        return self.value

    def __index__(self) -> int:
        self.touch()
        if self.raising:
            raise Hostile("after touching")
        return int(self.value) if math.isfinite(self.value) else 1


def lorvik_values(rng: random.Random, floats: list[float]) -> list[object]:
    def f() -> float:
        return rng.choice(floats)

    values: list[object] = [
        Vec3d(f(), f(), f()),
        Vec3d(1.0, 0.0, 0.0),
        Quat(f(), f(), f(), f()),
        Quat.identity(),
        AngleRadians(f()),
        AngleDegrees(f()),
        Plane(Vec3d(f(), f(), f()), f()),
        Circle(Vec3d(f(), f(), f()), f(), Vec3d(f(), f(), f())),
        Circle(Vec3d(0, 0, 0), 1.0, Vec3d(0, 0, 1)),
        Circle(Vec3d(1, 0, 0), 1.0, Vec3d(0, 0, 1)),
    ]
    for size in (0, 2, 100):  # 100: long enough for the worker pool
        vec_list = lorvik.VecList([Vec3d(f(), f(), f()) for _ in range(size)])
        values += [vec_list, iter(vec_list)]
    return values


def hostile_values(rng: random.Random, floats: list[float], ints: list[int]) -> list[object]:
    v = Vec3d(1.0, 2.0, 3.0)
    return [
        *floats, *ints, None, "1.5", "", b"2", [], (), {}, object(), 1 + 2j, numpy.True_, numpy.float64(0.5),
        FloatLike(rng.choice(floats)), IndexLike(rng.choice(ints)), RaisingFloat(), RaisingIndex(), WrongFloat(),
        WrongIndex(), FloatSubclassReturning(), RaisingEq(), FloatSubclass(2.0),
        [v, v], (v,), [v, 1], "abc", {v}, RaisingSequence(v), surface.LengthlessSequence([v]),
        surface.RaisingLength([v]), [v, None],
    ]


# ---------------------------------------------------------------------------
# State of lorvik objects, compared bit for bit (NaN payloads included).


def state(obj: object) -> object:
    kind = type(obj).__name__
    o: Any = obj
    if kind == "Vec3d":
        return (exact_bits(o.x), exact_bits(o.y), exact_bits(o.z))
    if kind == "Quat":
        return (exact_bits(o.w), exact_bits(o.i), exact_bits(o.j), exact_bits(o.k))
    if kind in ("AngleRadians", "AngleDegrees"):
        return exact_bits(o.angle)
    if kind == "Plane":
        return (state(o.normal), exact_bits(o.distance))
    if kind == "Circle":
        return (state(o.center), exact_bits(o.radius), state(o.normal))
    if kind == "VecList":
        return tuple(b for row in o.to_array() for b in map(exact_bits, row))
    return None  # not a lorvik value (iterators are left alone: reading would consume)


def accepted(entry: Entry, error: BaseException, panic: type[BaseException]) -> bool:
    """Whether `error` is an outcome the module specifies for this entry."""
    text = str(error)
    if isinstance(error, Hostile | TypeError | OverflowError):
        return True
    if isinstance(error, IndexError):
        return text == "Index out of bounds"
    if isinstance(error, ValueError):
        return entry.member == "geometry.circle_circle" and text in INTERSECTION_TEXTS
    if isinstance(error, RuntimeError):
        return text in BORROW_TEXTS
    if isinstance(error, AttributeError):
        return entry.kind == "property"
    if isinstance(error, StopIteration):
        return entry.name == "__next__"
    if isinstance(error, panic):
        return entry.member in PANICS
    return False


FOREIGN_RECEIVERS: list[object] = [1.0, None, "v"]

# What a parameter takes, by its name and, where names are shared, by member.
PARAM_KINDS = {
    **dict.fromkeys(["x", "y", "z", "w", "i", "j", "k", "radius", "distance", "angle", "value"], "float"),
    **dict.fromkeys(["other", "from", "to", "a", "b", "c", "line_r", "line_q", "normal", "point", "point1", "point2",
                     "point3", "center", "axis", "v", "vec"], "Vec3d"),
    "quat": "Quat", "circle": "Circle", "circle1": "Circle", "circle2": "Circle", "plane": "Plane",
    "inner": "bool", "stride": "int", "key": "int", "list": "sequence",
}
MEMBER_PARAM_KINDS = {
    ("Circle.in_same_plane", "other"): "Circle",
    ("VecList.extend", "other"): "VecList",
    ("VecList.collapse", "axis"): "int",
    ("Quat.from_axis_angle", "angle"): "AngleRadians",
}


def fitting(rng: random.Random, kind: str, pool: list[object]) -> object:
    """A value of the kind a parameter takes, drawn from the pool."""
    if kind == "float":
        return rng.choice([x for x in pool if isinstance(x, float | int) and not isinstance(x, bool)])
    if kind == "int":
        return rng.choice([0, 1, 2, 3, 2**64 - 1, *(x for x in pool if type(x) is int)])
    if kind == "bool":
        return rng.choice([True, False, numpy.True_, numpy.False_])
    if kind == "sequence":
        vectors = [x for x in pool if type(x).__name__ == "Vec3d"]
        return rng.sample(vectors, rng.randint(0, len(vectors)))
    return rng.choice([x for x in pool if type(x).__name__ == kind] or [None])


def make_call(
    rng: random.Random, entry: Entry, receiver: Any, pool: list[object]
) -> tuple[Callable[[], object], list[object]]:
    """A call of the entry with arguments from the pool (wrong counts and
    keywords now and then), and the arguments it uses."""
    count = len(entry.params)
    if rng.random() < 0.1:
        count = max(count + rng.choice([-1, 1]), 0)

    def value(param: str | None) -> object:
        kind = MEMBER_PARAM_KINDS.get((entry.member, param or ""), PARAM_KINDS.get(param or ""))
        if kind is not None and rng.random() < 0.75:
            return fitting(rng, kind, pool)
        return rng.choice(pool)

    args = [value(entry.params[i] if i < len(entry.params) else None) for i in range(count)]
    keywords: dict[str, object] = {}
    if entry.kind in ("method", "static", "new", "function") and rng.random() < 0.2:
        names = entry.params + ["bogus"] if rng.random() < 0.2 else entry.params
        for name in rng.sample(names, rng.randint(0, len(names))):
            keywords[name] = value(name)
        if rng.random() < 0.7:  # usually not given twice
            args = args[: max(len(entry.params) - len(keywords), 0)]
    used = [*args, *keywords.values()]
    owner, name = entry.owner, entry.name
    foreign = receiver in FOREIGN_RECEIVERS

    if entry.kind == "new":
        return lambda: owner(*args, **keywords), used
    if entry.kind in ("static", "function"):
        return lambda: getattr(owner, name)(*args, **keywords), used
    if entry.kind == "unhashable":
        return lambda: hash(receiver), used
    if entry.kind == "property":
        descriptor = vars(owner)[name]
        new_value = value(name)
        # A name built at run time is not the interned one the class holds.
        attribute = name if rng.random() < 0.7 else "".join(list(name))
        if rng.random() < 0.05:
            attribute = "bogus"  # not an attribute at all: AttributeError
        action = rng.randrange(3)
        if action == 0:
            return (lambda: descriptor.__get__(receiver)) if foreign else (lambda: getattr(receiver, attribute)), used
        if action == 1:
            if foreign:
                return lambda: descriptor.__set__(receiver, new_value), [new_value]
            return lambda: setattr(receiver, attribute, new_value), [new_value]
        if foreign:
            return lambda: descriptor.__delete__(receiver), used
        return lambda: delattr(receiver, attribute), used
    if foreign or rng.random() < 0.2:
        # Through the class: the receiver is one more argument.
        return lambda: getattr(owner, name)(receiver, *args, **keywords), used
    if entry.kind == "slot" and name in SYNTAX and count == len(entry.params) and rng.random() < 0.7:
        return lambda: SYNTAX[name](receiver, *args), used
    return lambda: getattr(receiver, name)(*args, **keywords), used


CALLED: Counter[str] = Counter()
FAILED: Counter[str] = Counter()


@settings(
    max_examples=EXAMPLES,
    derandomize=True,
    database=None,
    deadline=None,
    suppress_health_check=list(HealthCheck),
)
@given(
    seed=st.integers(0, 2**32 - 1),
    floats=st.lists(st.floats(allow_nan=True, allow_infinity=True, allow_subnormal=True), min_size=1, max_size=6),
    ints=st.lists(st.integers(-(2**80), 2**80), min_size=1, max_size=4),
)
def fuzz_batch(seed: int, floats: list[float], ints: list[int]) -> None:
    rng = random.Random(seed)
    float_pool = SPECIAL_FLOATS + floats
    int_pool = SPECIAL_INTS + ints
    objects = lorvik_values(rng, float_pool)
    pool = hostile_values(rng, float_pool, int_pool) + objects
    panic = surface.panic_type()
    by_class: dict[type, list[object]] = {}
    for obj in objects:
        by_class.setdefault(type(obj), []).append(obj)
    for _ in range(CALLS_PER_EXAMPLE):
        entry = ENTRIES[rng.randrange(len(ENTRIES))]
        own = by_class.get(entry.owner, [])
        if own and rng.random() > 0.03:
            receiver = rng.choice(own)
        else:
            receiver = rng.choice(FOREIGN_RECEIVERS)
        # Conversion hooks that change this receiver, and the receiver
        # itself as an argument.
        touching = [Touching(receiver, rng.choice(float_pool), False), Touching(receiver, 1.0, True)]
        call, used = make_call(rng, entry, receiver, pool + touching + [receiver] * 3)
        involved = [receiver, *used]
        before = [state(x) for x in involved]
        CALLED[entry.member] += 1
        try:
            call()
        except BaseException as error:
            FAILED[entry.member] += 1
            if not accepted(entry, error, panic):
                raise AssertionError(f"{entry.member}: unexpected {type(error).__name__}: {error}") from error
            touched = any(hook.refused < hook.touched for hook in touching)  # the hook changed the receiver
            after = [state(x) for x in involved]
            changed = [repr(x)[:80] for x, b, a in zip(involved, before, after)
                       if b != a and not (touched and x is receiver)]
            assert not changed, f"{entry.member} failed with {error!r} but changed {changed}"
        if entry.kind in ("method", "slot") and receiver not in FOREIGN_RECEIVERS:
            # A method converts its arguments with its receiver borrowed.
            for hook in touching:
                assert hook.refused == hook.touched, f"{entry.member}: receiver changed during a conversion"


@pytest.mark.filterwarnings("ignore::DeprecationWarning")
def test_hostile_calls() -> None:
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", DeprecationWarning)
        fuzz_batch()
    assert sum(CALLED.values()) >= 100_000
    assert set(CALLED) == surface.members(), "entry points never called"
    # Failures were exercised broadly, not only successes.
    assert sum(FAILED.values()) > sum(CALLED.values()) // 4


def test_every_member_has_a_call_form() -> None:
    assert {entry.member for entry in ENTRIES} == surface.members()
