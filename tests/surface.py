"""The whole Python surface of lorvik as one table of calls.

Every entry point (constructor, method, static method, property get, set and
delete, operator, comparison, hash, repr, length, item, iteration, module
function) appears with calls that succeed and calls that fail: wrong types,
wrong argument counts, unknown or repeated keywords, negative and oversized
indices, conversion hooks that raise, intersection errors, internal faults
and borrow conflicts. The leak test (tests/test_leaks.py) and the long leak
check (tools/leakcheck.py) run every case in loops.

`members()` lists every entry point the classes and modules define, taken from
dir(); `uncovered()` names those without a case, so a member added without a
case fails the leak test.
"""

# Lambdas bind loop variables through default arguments, which mypy cannot type.
# mypy: disable-error-code="misc"

from __future__ import annotations

import math
import re
from collections.abc import Callable, Iterator
from dataclasses import dataclass
from typing import Any

import lorvik

# The cases call with wrong types on purpose: the module is untyped here.
_lorvik: Any = lorvik
Vec3d, AngleRadians, AngleDegrees, Quat = _lorvik.Vec3d, _lorvik.AngleRadians, _lorvik.AngleDegrees, _lorvik.Quat
VecList = _lorvik.VecList
Circle, Plane = _lorvik.geometry.Circle, _lorvik.geometry.Plane
circle_circle, circle_point = _lorvik.geometry.circle_circle, _lorvik.geometry.circle_point
circle_point_unchecked, plane_line = _lorvik.geometry.circle_point_unchecked, _lorvik.geometry.plane_line

# Attributes that every class has and that are not entry points.
NOT_ENTRIES = {"__doc__", "__module__"}


# ---------------------------------------------------------------------------
# Objects with conversion hooks.


class Hostile(Exception):
    """Raised by the conversion hooks below; lorvik must pass it through."""


class FloatLike:
    def __init__(self, value: float) -> None:
        self.value = value

    def __float__(self) -> float:
        return self.value


class IndexLike:
    def __init__(self, value: int) -> None:
        self.value = value

    def __index__(self) -> int:
        return self.value


class RaisingFloat:
    def __float__(self) -> float:
        raise Hostile("__float__")


class RaisingIndex:
    def __index__(self) -> int:
        raise Hostile("__index__")


class WrongFloat:
    def __float__(self) -> object:
        return "not a float"


class WrongIndex:
    def __index__(self) -> object:
        return 1.5


class TouchingIndex:
    """__index__ first runs `touch` (which may change the receiver of the call
    in progress), then returns `value`."""

    def __init__(self, touch: Callable[[], object], value: int = 0) -> None:
        self.touch = touch
        self.value = value

    def __index__(self) -> int:
        self.touch()
        return self.value


class RaisingSequence:
    """A sequence whose iteration fails at the second item."""

    def __init__(self, first: object) -> None:
        self.first = first

    def __len__(self) -> int:
        return 2

    def __getitem__(self, index: int) -> object:
        if index == 0:
            return self.first
        raise Hostile("__getitem__")


class LengthlessSequence(list[object]):
    """A list without a length: its query raises TypeError, which only means
    there is no length to reserve room for."""

    def __len__(self) -> int:
        raise TypeError("no length")


class RaisingLength(list[object]):
    """A list whose length query fails with another error, which propagates."""

    def __len__(self) -> int:
        raise Hostile("__len__")


# ---------------------------------------------------------------------------
# Cases.


@dataclass(frozen=True)
class Case:
    member: str  # the entry point, "Vec3d.dot", "Vec3d.x", "geometry.plane_line"
    label: str  # what this call does
    call: Callable[[], object]
    raises: type[BaseException] | tuple[type[BaseException], ...] | None = None
    match: str | None = None  # searched for in str(exception)
    watched: tuple[object, ...] = ()  # objects whose reference counts must not move

    @property
    def id(self) -> str:
        return f"{self.member}: {self.label}"

    def check_once(self) -> None:
        """Runs the call once and checks its outcome."""
        if self.raises is None:
            self.call()
            return
        try:
            self.call()
        except self.raises as error:
            if self.match is not None and not re.search(self.match, str(error)):
                raise AssertionError(f"{self.id}: message {str(error)!r} lacks {self.match!r}") from error
            return
        raise AssertionError(f"{self.id}: no {self.raises}")

    def loop(self, count: int) -> None:
        """`count` calls, failures caught; no per-call checks."""
        call = self.call
        if self.raises is None:
            for _ in range(count):
                call()
        else:
            raises = self.raises
            for _ in range(count):
                try:
                    call()
                except raises:
                    pass


def panic_type() -> type[BaseException]:
    try:
        VecList.empty().collapse(3)
    except BaseException as error:  # PanicException derives from BaseException
        return type(error)
    raise AssertionError("collapse(3) did not fault")


# Kinds of parameters: good value factories and refused values with the
# exception they raise (exact TypeErrors for the class checks and wrapped
# conversions; OverflowError and the hooks' own exception pass unchanged).
Bad = tuple[str, object, type[BaseException], str | None]


@dataclass(frozen=True)
class Kind:
    name: str
    good: Callable[[], object]
    bad: Callable[[str], list[Bad]]
    also_good: Callable[[], list[tuple[str, object]]] = lambda: []


def float_bad(arg: str) -> list[Bad]:
    return [
        ("str", "1.5", TypeError, f"^argument '{arg}': must be real number, not str$"),
        ("None", None, TypeError, f"^argument '{arg}': "),
        ("huge int", 10**400, OverflowError, None),
        ("raising __float__", RaisingFloat(), Hostile, None),
        ("__float__ of wrong type", WrongFloat(), TypeError, f"^argument '{arg}': "),
    ]


def index_bad(arg: str) -> list[Bad]:
    return [
        ("negative", -1, OverflowError, None),
        ("above 64 bits", 2**64, OverflowError, None),
        ("float", 1.5, TypeError, f"^argument '{arg}': "),
        ("str", "0", TypeError, f"^argument '{arg}': "),
        ("raising __index__", RaisingIndex(), Hostile, None),
        ("__index__ of wrong type", WrongIndex(), TypeError, f"^argument '{arg}': "),
        ("negative __index__", IndexLike(-5), OverflowError, None),
    ]


def class_bad(class_name: str, wrong: Callable[[], object]) -> Callable[[str], list[Bad]]:
    def bad(arg: str) -> list[Bad]:
        other = wrong()
        return [
            ("None", None, TypeError, f"^argument '{arg}': 'None' is not an instance of '{class_name}'$"),
            ("float", 1.0, TypeError, f"^argument '{arg}': 'float' object is not an instance of '{class_name}'$"),
            (
                "other class",
                other,
                TypeError,
                f"^argument '{arg}': '{type(other).__qualname__}' object is not an instance of '{class_name}'$",
            ),
        ]

    return bad


def bool_bad(arg: str) -> list[Bad]:
    return [
        ("int", 1, TypeError, f"^argument '{arg}': 'int' object is not an instance of 'bool'$"),
        ("None", None, TypeError, f"^argument '{arg}': 'None' is not an instance of 'bool'$"),
    ]


F = Kind("float", lambda: 0.75, float_bad, lambda: [("int", 3), ("bool", True), ("__float__", FloatLike(2.5)), ("__index__", IndexLike(4))])
I = Kind("index", lambda: 1, index_bad, lambda: [("bool", True), ("__index__", IndexLike(1))])
B = Kind("bool", lambda: True, bool_bad)
V = Kind("Vec3d", lambda: Vec3d(0.5, -1.0, 2.0), class_bad("Vec3d", lambda: Quat(1, 0, 0, 0)))
R = Kind("AngleRadians", lambda: AngleRadians(0.25), class_bad("AngleRadians", lambda: AngleDegrees(10)))
Q = Kind("Quat", lambda: Quat(0.5, 0.5, -0.5, 0.5), class_bad("Quat", lambda: Vec3d(1, 2, 3)))
C = Kind("Circle", lambda: Circle(Vec3d(0, 0, 0), 1.0, Vec3d(0, 0, 1)), class_bad("Circle", lambda: Plane.xy()))
P = Kind("Plane", lambda: Plane(Vec3d(0, 0, 1), 2.0), class_bad("Plane", lambda: Circle.none()))
L = Kind("VecList", lambda: VecList([Vec3d(1, 2, 3)]), class_bad("VecList", lambda: [Vec3d(1, 2, 3)]))


def sequence_bad(arg: str) -> list[Bad]:
    v = Vec3d(1, 2, 3)
    return [
        ("str", "abc", TypeError, "^argument 'list': Can't extract `str` to `Vec`$"),
        ("set", {v}, TypeError, "^argument 'list': 'set' object is not an instance of 'Sequence'$"),
        ("None", None, TypeError, "^argument 'list': 'None' is not an instance of 'Sequence'$"),
        ("generator", (x for x in [v]), TypeError, "not an instance of 'Sequence'"),
        ("item not a Vec3d", [v, 1], TypeError, "^argument 'list': 'int' object is not an instance of 'Vec3d'$"),
        ("item None", (v, None), TypeError, "^argument 'list': 'None' is not an instance of 'Vec3d'$"),
        ("failing iteration", RaisingSequence(v), Hostile, None),
        ("failing len", RaisingLength([v]), Hostile, None),
    ]


S = Kind(
    "Sequence",
    lambda: [Vec3d(1, 2, 3), Vec3d(-4, 5, 0.5)],
    sequence_bad,
    lambda: [("tuple", (Vec3d(1, 2, 3),)), ("empty", []), ("no len", LengthlessSequence([Vec3d(1, 2, 3)]))],
)


def call_cases(
    member: str, function: Callable[..., object], names: list[str], kinds: list[Kind], good: list[object] | None = None
) -> Iterator[Case]:
    """Cases of a callable with named, required parameters: a good call by
    position and by keyword, every argument-parsing error, and every refused
    value of each parameter."""
    args = good if good is not None else [kind.good() for kind in kinds]
    watched = (function, *args)

    def with_arg(index: int, value: object) -> list[object]:
        changed = list(args)
        changed[index] = value
        return changed

    yield Case(member, "ok", lambda: function(*args), watched=watched)
    display = member.split(".")[-1] if member.startswith("geometry.") else member
    if names:
        kwargs = dict(zip(names, args))
        yield Case(member, "by keyword", lambda: function(**kwargs), watched=watched)
        yield Case(member, "missing all", lambda: function(), TypeError, re.escape(f"{display}() missing"), watched)
        yield Case(
            member,
            "given twice",
            lambda: function(*args, **{names[0]: args[0]}),
            TypeError,
            "got multiple values for argument",
            watched,
        )
        yield Case(
            member, "unknown keyword", lambda: function(*args, bogus=1), TypeError, "unexpected keyword argument 'bogus'", watched
        )
        yield Case(
            member,
            "one too many",
            lambda: function(*args, args[0]),
            TypeError,
            f"takes {len(names)} positional arguments but {len(names) + 1} were given",
            watched,
        )
    else:
        yield Case(member, "one too many", lambda: function(1), TypeError, None, watched)
        yield Case(member, "unknown keyword", lambda: function(bogus=1), TypeError, None, watched)
    for index, (name, kind) in enumerate(zip(names, kinds)):
        for label, value, error, match in kind.bad(name):
            bad_args = with_arg(index, value)
            yield Case(member, f"{name} {label}", lambda a=bad_args: function(*a), error, match, (function, *bad_args))
        for label, value in kind.also_good():
            good_args = with_arg(index, value)
            yield Case(member, f"{name} {label}", lambda a=good_args: function(*a), watched=(function, *good_args))


def method_cases(cls: type, name: str, receiver: object, names: list[str], kinds: list[Kind]) -> Iterator[Case]:
    member = f"{cls.__name__}.{name}"
    yield from call_cases(member, getattr(receiver, name), names, kinds)
    args = [kind.good() for kind in kinds]
    unbound = getattr(cls, name)
    yield Case(member, "foreign receiver", lambda: unbound(1.0, *args), TypeError, None, (unbound, *args))


def static_cases(cls: type, name: str, names: list[str], kinds: list[Kind]) -> Iterator[Case]:
    yield from call_cases(f"{cls.__name__}.{name}", getattr(cls, name), names, kinds)


def constructor_cases(cls: type, names: list[str], kinds: list[Kind]) -> Iterator[Case]:
    member = f"{cls.__name__}.__new__"
    # Calling the class (vectorcall) and __new__ itself (tuple and dict).
    yield from call_cases(member, cls, names, kinds)
    args = [kind.good() for kind in kinds]
    new: Any = cls.__new__
    yield Case(member, "via __new__", lambda: new(cls, *args), watched=(cls, *args))
    yield Case(member, "via __new__ by keyword", lambda: new(cls, **dict(zip(names, args))), watched=(cls, *args))
    yield Case(member, "via __new__ missing", lambda: new(cls), TypeError, "missing", (cls,))
    yield Case(member, "via __new__ unknown keyword", lambda: new(cls, *args, bogus=2), TypeError, "bogus", (cls, *args))
    yield Case(member, "via __new__ foreign class", lambda: new(int, *args), TypeError, None, (cls, *args))


def property_cases(cls: type, receiver: object, name: str, kind: Kind | None) -> Iterator[Case]:
    """Get, set and delete of a property; kind None for a read-only one."""
    member = f"{cls.__name__}.{name}"
    watched = (receiver,)
    descriptor = vars(cls)[name]
    yield Case(member, "get", lambda: getattr(receiver, name), watched=watched)
    yield Case(member, "get foreign", lambda: descriptor.__get__(1.0), TypeError, None, watched)
    if kind is None:
        yield Case(member, "set read-only", lambda: setattr(receiver, name, 1.0), AttributeError, None, watched)
        yield Case(member, "delete read-only", lambda: delattr(receiver, name), AttributeError, None, watched)
        return
    value = kind.good()
    current = getattr(receiver, name)
    # Setting the current value keeps the receiver as it is for later cases.
    yield Case(member, "set", lambda: setattr(receiver, name, current), watched=(receiver, current))
    yield Case(member, "set new", lambda: setattr(receiver, name, value), watched=(receiver, value))
    yield Case(member, "delete", lambda: delattr(receiver, name), AttributeError, "^property has no deleter$", watched)
    yield Case(member, "set foreign", lambda: descriptor.__set__(1.0, value), TypeError, None, (value,))
    for label, bad, error, match in kind.bad("value"):
        yield Case(member, f"set {label}", lambda b=bad: setattr(receiver, name, b), error, match, (receiver, bad))
    for label, good in kind.also_good():
        yield Case(member, f"set {label}", lambda g=good: setattr(receiver, name, g), watched=(receiver, good))
    # Put the value back so that other cases see the receiver unchanged.
    yield Case(member, "set back", lambda: setattr(receiver, name, current), watched=(receiver, current))


def dunder(
    member: str, label: str, call: Callable[[], object], *watched: object, raises: Any = None, match: str | None = None
) -> Case:
    return Case(member, label, call, raises, match, tuple(watched))


# ---------------------------------------------------------------------------
# The classes.


def vec3d_cases() -> Iterator[Case]:
    v, w = Vec3d(1.0, -2.0, 0.5), Vec3d(3.0, 4.0, -0.25)
    nan = Vec3d(math.nan, 0.0, -0.0)
    yield from constructor_cases(Vec3d, ["x", "y", "z"], [F, F, F])
    for name in ("zero", "i", "j", "k"):
        yield from static_cases(Vec3d, name, [], [])
    yield from static_cases(Vec3d, "new_from_to", ["from", "to"], [V, V])
    for name in ("dot", "cross", "distance_to", "distance_squared", "angle_to"):
        yield from method_cases(Vec3d, name, v, ["other"], [V])
    yield from method_cases(Vec3d, "project_onto_plane", v, ["normal"], [V])
    yield from method_cases(Vec3d, "distance_to_line", v, ["a", "b"], [V, V])
    yield from method_cases(Vec3d, "project_onto_line", v, ["line_r", "line_q"], [V, V])
    yield from method_cases(Vec3d, "scalar_triple_product", v, ["b", "c"], [V, V])
    for name in ("magnitude", "normalize", "is_unit", "to_array", "to_quat"):
        yield from method_cases(Vec3d, name, v, [], [])
    for name in ("x", "y", "z"):
        yield from property_cases(Vec3d, v, name, F)

    m = "Vec3d."
    yield dunder(m + "__repr__", "repr", lambda: repr(v), v)
    yield dunder(m + "__repr__", "repr of NaN", lambda: repr(nan), nan)
    yield dunder(m + "__repr__", "foreign", lambda: Vec3d.__repr__(1.0), raises=TypeError)
    yield dunder(m + "__hash__", "hash", lambda: hash(v), v)
    yield dunder(m + "__hash__", "hash of NaN", lambda: hash(nan), nan)
    # Setting goes through the class's own setter slot, which also answers for names it lacks.
    yield dunder(m + "x", "set a name it lacks", lambda: setattr(v, "w2", 1.0), v, raises=AttributeError, match="no __dict__")
    yield dunder(m + "x", "delete a name it lacks", lambda: delattr(v, "w2"), v, raises=AttributeError, match="no __dict__")
    yield dunder(m + "__hash__", "foreign", lambda: Vec3d.__hash__(1.0), raises=TypeError)
    yield dunder(m + "__eq__", "equal", lambda: v == w, v, w)
    yield dunder(m + "__eq__", "NaN", lambda: nan == nan, nan)
    yield dunder(m + "__eq__", "foreign", lambda: v == 3, v)
    yield dunder(m + "__eq__", "foreign receiver", lambda: Vec3d.__eq__(3.0, v), v, raises=TypeError)
    yield dunder(m + "__ne__", "not equal", lambda: v != w, v, w)
    yield dunder(m + "__ne__", "foreign", lambda: v != "v", v)
    for op, call in ORDERINGS.items():
        yield dunder(m + op, "refused", lambda c=call: c(v, w), v, w, raises=TypeError)
        yield dunder(m + op, "foreign", lambda c=call: c(v, 1.0), v, raises=TypeError)
    touch = TouchingIndex(lambda: setattr(v, "x", 1.0), 0)
    yield dunder(m + "__getitem__", "0", lambda: v[0], v)
    yield dunder(m + "__getitem__", "2", lambda: v[2], v)
    yield dunder(m + "__getitem__", "bool", lambda: v[True], v)
    yield dunder(m + "__getitem__", "__index__", lambda i=IndexLike(1): v[i], v)
    yield dunder(m + "__getitem__", "3", lambda: v[3], v, raises=IndexError, match="^Index out of bounds$")
    yield dunder(m + "__getitem__", "2**64 - 1", lambda: v[2**64 - 1], v, raises=IndexError)
    for label, bad, error, match in index_bad("index"):
        yield dunder(m + "__getitem__", label, lambda b=bad: v[b], v, bad, raises=error, match=match)
    yield dunder(m + "__getitem__", "receiver changed by __index__", lambda: v[touch], v, touch, raises=RuntimeError,
                 match="^Already borrowed$")
    yield dunder(m + "__add__", "add", lambda: v + w, v, w)
    yield dunder(m + "__add__", "foreign", lambda: v + 1, v, raises=TypeError)
    yield dunder(m + "__radd__", "reflected", lambda: w.__radd__(v), v, w)
    yield dunder(m + "__radd__", "foreign", lambda: 1 + v, v, raises=TypeError)
    yield dunder(m + "__sub__", "subtract", lambda: v - w, v, w)
    yield dunder(m + "__sub__", "foreign", lambda: v - None, v, raises=TypeError)
    yield dunder(m + "__rsub__", "reflected", lambda: w.__rsub__(v), v, w)
    yield dunder(m + "__rsub__", "foreign", lambda: 1.0 - v, v, raises=TypeError)
    yield from multiply_cases(m, v, [2.5, True, FloatLike(0.5)], lambda: setattr(v, "x", 1.0))
    yield dunder(m + "__mul__", "vector", lambda: v * w, v, w, raises=TypeError)
    yield dunder(m + "__truediv__", "divide", lambda: v / 3.0, v)
    yield dunder(m + "__truediv__", "by zero", lambda: v / 0, v)
    yield dunder(m + "__truediv__", "str", lambda: v / "2", v, raises=TypeError)
    yield dunder(m + "__truediv__", "raising __float__", lambda r=RaisingFloat(): v / r, v, raises=TypeError)
    yield dunder(m + "__rtruediv__", "foreign", lambda: 2.0 / v, v, raises=TypeError)
    yield dunder(m + "__neg__", "negate", lambda: -v, v)
    yield dunder(m + "__neg__", "foreign", lambda: Vec3d.__neg__(1.0), raises=TypeError)


ORDERINGS: dict[str, Callable[[Any, Any], object]] = {
    "__lt__": lambda a, b: a < b,
    "__le__": lambda a, b: a <= b,
    "__gt__": lambda a, b: a > b,
    "__ge__": lambda a, b: a >= b,
}


def multiply_cases(m: str, receiver: object, factors: list[object], touch: Callable[[], object]) -> Iterator[Case]:
    """Both forms of a multiplication entry; `touch` changes the receiver."""
    r: Any = receiver
    for factor in factors:
        yield dunder(m + "__mul__", f"by {type(factor).__name__}", lambda f=factor: r * f, r, factor)
        yield dunder(m + "__rmul__", f"by {type(factor).__name__}", lambda f=factor: f * r, r, factor)
    for bad in ("2", None, 10**400, RaisingFloat(), WrongFloat()):
        yield dunder(m + "__mul__", f"by {type(bad).__name__}", lambda b=bad: r * b, r, bad, raises=TypeError)
        yield dunder(m + "__rmul__", f"by {type(bad).__name__}", lambda b=bad: b * r, r, bad, raises=TypeError)
    # The receiver changes under its own multiplication: the conversion
    # error is discarded like any other.
    touching = FloatTouching(touch)
    yield dunder(m + "__mul__", "receiver changed by __float__", lambda: r * touching, r, touching, raises=TypeError)


class FloatTouching:
    def __init__(self, touch: Callable[[], object], value: float = 2.0) -> None:
        self.touch = touch
        self.value = value

    def __float__(self) -> float:
        self.touch()
        return self.value


def angle_cases() -> Iterator[Case]:
    a, b = AngleRadians(0.5), AngleRadians(-1.25)
    d, e = AngleDegrees(90.0), AngleDegrees(45.0)
    nan = AngleRadians(math.nan)
    yield from constructor_cases(AngleRadians, ["angle"], [F])
    yield from constructor_cases(AngleDegrees, ["angle"], [F])
    for name in ("zero", "pi", "two_pi", "half_pi", "third_pi", "quarter_pi", "sixth_pi"):
        yield from static_cases(AngleRadians, name, [], [])
    for name in ("sin", "cos", "tan", "sec", "csc", "cot", "to_degrees"):
        yield from method_cases(AngleRadians, name, a, [], [])
    yield from method_cases(AngleDegrees, "to_radians", d, [], [])
    yield from property_cases(AngleRadians, a, "angle", F)
    yield from property_cases(AngleDegrees, d, "angle", F)
    for cls, x, y, foreign in ((AngleRadians, a, b, d), (AngleDegrees, d, e, a)):
        m = cls.__name__ + "."
        yield dunder(m + "__repr__", "repr", lambda x=x: repr(x), x)
        yield dunder(m + "__repr__", "foreign", lambda c=cls: c.__repr__(1.0), raises=TypeError)
        yield dunder(m + "__hash__", "unhashable", lambda x=x: hash(x), x, raises=TypeError)
        yield dunder(m + "__eq__", "equal", lambda x=x, y=y: x == y, x, y)
        yield dunder(m + "__eq__", "other unit", lambda x=x, f=foreign: x == f, x, foreign)
        yield dunder(m + "__ne__", "not equal", lambda x=x, y=y: x != y, x, y)
        yield dunder(m + "__ne__", "foreign", lambda x=x: x != 1.0, x)
        for op, compare in ORDERINGS.items():
            yield dunder(m + op, "ordered", lambda c=compare, x=x, y=y: c(x, y), x, y)
            yield dunder(m + op, "other unit", lambda c=compare, x=x, f=foreign: c(x, f), x, foreign, raises=TypeError)
            yield dunder(m + op, "foreign", lambda c=compare, x=x: c(x, 1.0), x, raises=TypeError)
        yield dunder(m + "__neg__", "negate", lambda x=x: -x, x)
        yield dunder(m + "__neg__", "foreign", lambda c=cls: c.__neg__(1.0), raises=TypeError)
    yield dunder("AngleRadians.__eq__", "NaN", lambda: nan == nan, nan)
    yield dunder("AngleRadians.__ne__", "NaN", lambda: nan != nan, nan)
    m = "AngleRadians."
    yield dunder(m + "__add__", "add", lambda: a + b, a, b)
    yield dunder(m + "__add__", "degrees", lambda: a + d, a, d, raises=TypeError)
    yield dunder(m + "__radd__", "reflected", lambda: b.__radd__(a), a, b)
    yield dunder(m + "__radd__", "float", lambda: 1.0 + a, a, raises=TypeError)
    yield dunder(m + "__sub__", "subtract", lambda: a - b, a, b)
    yield dunder(m + "__sub__", "float", lambda: a - 1.0, a, raises=TypeError)
    yield dunder(m + "__rsub__", "reflected", lambda: b.__rsub__(a), a, b)
    yield dunder(m + "__rsub__", "float", lambda: 1.0 - a, a, raises=TypeError)
    yield dunder(m + "__mul__", "float", lambda: a * 2.0, a)
    yield dunder(m + "__mul__", "__float__", lambda f=FloatLike(3.0): a * f, a)
    for bad in ("2", None, 10**400, RaisingFloat(), WrongFloat(), FloatTouching(lambda: setattr(a, "angle", 0.5))):
        yield dunder(m + "__mul__", f"by {type(bad).__name__}", lambda x=bad: a * x, a, bad, raises=TypeError)
    yield dunder(m + "__rmul__", "float", lambda: 2.0 * a, a, raises=TypeError)
    yield dunder(m + "__rmul__", "direct", lambda: a.__rmul__(2.0), a)
    yield dunder(m + "__truediv__", "float", lambda: a / 4.0, a)
    yield dunder(m + "__truediv__", "zero", lambda: a / 0, a)
    yield dunder(m + "__truediv__", "str", lambda: a / "4", a, raises=TypeError)
    yield dunder(m + "__rtruediv__", "float", lambda: 2.0 / a, a, raises=TypeError)


def quat_cases() -> Iterator[Case]:
    q, r = Quat(0.5, 0.5, -0.5, 0.5), Quat(1.0, 2.0, 3.0, 4.0)
    yield from constructor_cases(Quat, ["w", "i", "j", "k"], [F, F, F, F])
    yield from static_cases(Quat, "identity", [], [])
    yield from static_cases(Quat, "from_axis_angle", ["axis", "angle"], [V, R])
    for name in ("conjugate", "magnitude", "normalize", "is_unit", "to_axis_angle", "to_rotation_matrix", "to_vec3d"):
        yield from method_cases(Quat, name, q, [], [])
    yield from method_cases(Quat, "rotate", q, ["v"], [V])
    for name in ("w", "i", "j", "k"):
        yield from property_cases(Quat, q, name, F)
    m = "Quat."
    yield dunder(m + "__repr__", "repr", lambda: repr(q), q)
    yield dunder(m + "__repr__", "foreign", lambda: Quat.__repr__(1.0), raises=TypeError)
    yield dunder(m + "__hash__", "unhashable", lambda: hash(q), q, raises=TypeError)
    yield dunder(m + "__eq__", "equal", lambda: q == r, q, r)
    yield dunder(m + "__eq__", "foreign", lambda: q == 1, q)
    yield dunder(m + "__ne__", "not equal", lambda: q != r, q, r)
    yield dunder(m + "__ne__", "foreign", lambda: q != (1, 0, 0, 0), q)
    for op, compare in ORDERINGS.items():
        yield dunder(m + op, "refused", lambda c=compare: c(q, r), q, r, raises=TypeError)


def geometry_cases() -> Iterator[Case]:
    p = Plane(Vec3d(0, 0, 2), 3.0)
    c = Circle(Vec3d(1, 0, 0), 2.0, Vec3d(0, 0, 1))
    yield from constructor_cases(Plane, ["normal", "distance"], [V, F])
    yield from constructor_cases(Circle, ["center", "radius", "normal"], [V, F, V])
    for name in ("xy", "xz", "yz"):
        yield from static_cases(Plane, name, [], [])
    yield from static_cases(Plane, "from_point", ["normal", "point"], [V, V])
    yield from static_cases(Plane, "from_points", ["point1", "point2", "point3"], [V, V, V])
    yield from method_cases(Plane, "contains_point", p, ["point"], [V])
    yield from method_cases(Plane, "distance_to_point", p, ["point"], [V])
    yield from property_cases(Plane, p, "normal", V)
    yield from property_cases(Plane, p, "distance", F)
    yield from static_cases(Circle, "none", [], [])
    yield from method_cases(Circle, "get_plane", c, [], [])
    yield from method_cases(Circle, "is_degenerate", c, [], [])
    yield from method_cases(Circle, "in_same_plane", c, ["other"], [C])
    for name, kind in (("center", V), ("radius", F), ("normal", V), ("area", None)):
        yield from property_cases(Circle, c, name, kind)
    m = "Circle."
    d = Circle(Vec3d(1, 0, 0), 2.0, Vec3d(0, 0, 1))
    yield dunder(m + "__eq__", "equal", lambda: c == d, c, d)
    yield dunder(m + "__eq__", "foreign", lambda: c == 5, c)
    yield dunder(m + "__ne__", "not equal", lambda: c != d, c, d)
    yield dunder(m + "__ne__", "foreign", lambda: c != p, c, p)
    yield dunder(m + "__hash__", "unhashable", lambda: hash(c), c, raises=TypeError)
    for op, compare in ORDERINGS.items():
        yield dunder(m + op, "refused", lambda f=compare: f(c, d), c, d, raises=TypeError)

    yield from call_cases("geometry.plane_line", plane_line, ["plane", "a", "b"], [P, V, V])
    for name, function in (("circle_point", circle_point), ("circle_point_unchecked", circle_point_unchecked)):
        yield from call_cases(f"geometry.{name}", function, ["circle", "point", "inner"], [C, V, B])
    unit = Circle(Vec3d(0, 0, 0), 1.0, Vec3d(0, 0, 1))
    crossing = Circle(Vec3d(1, 0, 0), 1.0, Vec3d(0, 0, 1))
    yield from call_cases("geometry.circle_circle", circle_circle, ["circle1", "circle2"], [C, C], [unit, crossing])
    failures = [
        ("identical", unit, "The given geometries are identical."),
        ("too far apart", Circle(Vec3d(3, 0, 0), 1.0, Vec3d(0, 0, 1)),
         "The given geometries are too far apart and do not intersect at all."),
        ("contained", Circle(Vec3d(0.1, 0, 0), 0.25, Vec3d(0, 0, 1)),
         "One of the given geometries is contained entirely within the other. The surfaces do not intersect."),
        ("out of plane", Circle(Vec3d(0, 0, 1), 1.0, Vec3d(0, 0, 1)),
         "The given geometries are out of plane from each other"),
    ]
    for label, other, text in failures:
        yield dunder("geometry.circle_circle", label, lambda o=other: circle_circle(unit, o), unit, other,
                     raises=ValueError, match=f"^{re.escape(text)}$")


def vec_list_cases() -> Iterator[Case]:
    vectors = [Vec3d(1, 2, 3), Vec3d(-0.5, 0.0, 4.0), Vec3d(1e-3, 7.0, -2.0)]
    v = VecList(vectors)
    big = VecList([Vec3d(i, -i, 0.5 * i) for i in range(256)])  # several chunks for the pool
    empty = VecList.empty()
    o = Vec3d(0.25, 0.5, -1.0)
    yield from constructor_cases(VecList, ["list"], [S])
    yield from static_cases(VecList, "empty", [], [])
    # append and extend grow their receiver: a fresh list per call.
    for name, names, kinds in (("append", ["vec"], [V]), ("extend", ["other"], [L])):
        member = f"VecList.{name}"
        arg = kinds[0].good()
        yield dunder(member, "ok", lambda n=name, a=arg: getattr(VecList.empty(), n)(a), arg)
        yield dunder(member, "by keyword", lambda n=name, k=names[0], a=arg: getattr(VecList.empty(), n)(**{k: a}), arg)
        for case in call_cases(member, getattr(v, name), names, kinds):
            if case.raises is not None:
                yield case
        yield Case(member, "foreign receiver", lambda n=name, a=arg: getattr(VecList, n)(1.0, a), TypeError, None, (arg,))
    yield dunder("VecList.extend", "itself", lambda: v.extend(v), v, raises=RuntimeError, match="^Already mutably borrowed$")
    for name in ("dot", "cross", "distance_to", "distance_squared"):
        yield from method_cases(VecList, name, v, ["other"], [V])
        yield dunder(f"VecList.{name}", "pool", lambda n=name: getattr(big, n)(o), big, o)
    for name in ("magnitude", "normalize", "is_unit", "to_array"):
        yield from method_cases(VecList, name, v, [], [])
        yield dunder(f"VecList.{name}", "pool", lambda n=name: getattr(big, n)(), big)
        yield dunder(f"VecList.{name}", "empty", lambda n=name: getattr(empty, n)(), empty)
    panic = panic_type()
    yield from method_cases(VecList, "collapse", v, ["axis"], [I])
    yield dunder("VecList.collapse", "axis 3", lambda: v.collapse(3), v, raises=panic, match="^assertion failed: axis <= 2$")
    yield dunder("VecList.collapse", "axis 2**64 - 1", lambda: v.collapse(2**64 - 1), v, raises=panic)
    append_touch = TouchingIndex(lambda: v.append(o), 1)
    yield dunder("VecList.collapse", "receiver changed by __index__", lambda: v.collapse(append_touch), v, append_touch,
                 raises=RuntimeError, match="^Already borrowed$")
    yield from method_cases(VecList, "rotate", v, ["quat"], [Q])
    yield dunder("VecList.rotate", "pool", lambda q=Quat(0.5, 0.5, 0.5, 0.5).normalize(): big.rotate(q), big)
    yield from method_cases(VecList, "minimum_distance_to", v, ["other", "stride"], [V, I])
    yield dunder("VecList.minimum_distance_to", "pool", lambda: big.minimum_distance_to(o, 7), big, o)
    yield dunder("VecList.minimum_distance_to", "stride 0", lambda: v.minimum_distance_to(o, 0), v, o, raises=panic,
                 match="^assertion failed: stride != 0$")
    yield dunder("VecList.minimum_distance_to", "empty", lambda: empty.minimum_distance_to(o, 1), empty, o, raises=panic)
    yield dunder("VecList.minimum_distance_to", "receiver changed by __index__",
                 lambda: v.minimum_distance_to(o, append_touch), v, o, raises=RuntimeError, match="^Already borrowed$")
    yield from property_cases(VecList, v, "list", None)
    yield dunder("VecList.list", "pool", lambda: big.list, big)

    m = "VecList."
    yield dunder(m + "__repr__", "repr", lambda: repr(v), v)
    yield dunder(m + "__repr__", "pool", lambda: repr(big), big)
    yield dunder(m + "__repr__", "empty", lambda: repr(empty), empty)
    yield dunder(m + "__repr__", "foreign", lambda: VecList.__repr__(1.0), raises=TypeError)
    yield dunder(m + "__len__", "len", lambda: len(v), v)
    yield dunder(m + "__len__", "foreign", lambda: VecList.__len__(1.0), raises=TypeError)
    yield dunder(m + "__iter__", "iter", lambda: iter(v), v)
    yield dunder(m + "__iter__", "foreign", lambda: VecList.__iter__(1.0), raises=TypeError)
    yield dunder(m + "__getitem__", "last", lambda: v[2], v)
    yield dunder(m + "__getitem__", "bool", lambda: v[True], v)
    yield dunder(m + "__getitem__", "length", lambda: v[3], v, raises=IndexError, match="^Index out of bounds$")
    yield dunder(m + "__getitem__", "empty", lambda: empty[0], empty, raises=IndexError)
    for label, bad, error, match in index_bad("index"):
        yield dunder(m + "__getitem__", label, lambda b=bad: v[b], v, bad, raises=error, match=match)
    yield dunder(m + "__getitem__", "receiver changed by __index__", lambda: v[append_touch], v, append_touch,
                 raises=RuntimeError, match="^Already borrowed$")
    yield dunder(m + "__add__", "add", lambda: v + o, v, o)
    yield dunder(m + "__add__", "pool", lambda: big + o, big, o)
    yield dunder(m + "__add__", "list", lambda: v + v, v, raises=TypeError)
    yield dunder(m + "__radd__", "vector", lambda: o + v, v, o, raises=TypeError)
    yield dunder(m + "__sub__", "subtract", lambda: v - o, v, o)
    yield dunder(m + "__sub__", "float", lambda: v - 1.0, v, raises=TypeError)
    yield dunder(m + "__rsub__", "vector", lambda: o - v, v, o, raises=TypeError)
    yield from multiply_cases(m, v, [2.5, True, FloatLike(0.5)], lambda: v.extend(empty))
    yield dunder(m + "__mul__", "pool", lambda: big * 2.0, big)
    yield dunder(m + "__truediv__", "divide", lambda: v / 3.0, v)
    yield dunder(m + "__truediv__", "zero", lambda: v / 0, v)
    yield dunder(m + "__truediv__", "str", lambda: v / "3", v, raises=TypeError)
    yield dunder(m + "__rtruediv__", "float", lambda: 3.0 / v, v, raises=TypeError)

    Iterator_ = type(iter(empty))
    it = iter(v)
    exhausted = iter(empty)
    m = "VecListIterator."
    yield dunder(m + "__iter__", "iter", lambda: iter(it), it)
    yield dunder(m + "__iter__", "foreign", lambda: Iterator_.__iter__(1.0), raises=TypeError)
    yield dunder(m + "__next__", "next", lambda: next(iter(v)), v)
    yield dunder(m + "__next__", "whole list", lambda: list(iter(v)), v)
    yield dunder(m + "__next__", "exhausted", lambda: next(exhausted), exhausted, raises=StopIteration)
    yield dunder(m + "__next__", "foreign", lambda: Iterator_.__next__(1.0), raises=TypeError)


def cases() -> list[Case]:
    """Every case, made with fresh objects."""
    builders: list[Callable[[], Iterator[Case]]] = [
        vec3d_cases, angle_cases, quat_cases, geometry_cases, vec_list_cases,
    ]
    return [case for build in builders for case in build()]


def classes() -> list[type]:
    return [AngleDegrees, AngleRadians, Quat, Vec3d, Circle, Plane, VecList, type(iter(VecList.empty()))]


def members() -> set[str]:
    """Every entry point of the module: the own members of each class (from
    dir(), inherited ones left out) and the functions of the modules."""
    names = {
        f"{cls.__name__}.{name}" for cls in classes() for name in dir(cls) if name in vars(cls) and name not in NOT_ENTRIES
    }
    for module, prefix in ((lorvik, ""), (_lorvik.geometry, "geometry.")):
        for name in dir(module):
            if callable(getattr(module, name)) and not isinstance(getattr(module, name), type):
                names.add(prefix + name)
    return names


def uncovered(table: list[Case]) -> set[str]:
    covered = {case.member for case in table}
    return members() - covered
