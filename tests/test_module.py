"""Start-up of the module and the conventions every class shares.

Vec3d serves as the vehicle for the shared conventions; classes that are not
built yet are skipped where a table names them.
"""

from __future__ import annotations

import importlib
import sys
import weakref
from collections.abc import Callable
from types import ModuleType
from typing import Any

import pytest

import lorvik
from lorvik import AngleDegrees, AngleRadians, Quat, Vec3d, geometry
from surface import FloatLike, IndexLike

TOP_ORDER = ["AngleDegrees", "AngleRadians", "Quat", "VecList", "Vec3d", "geometry"]
GEOMETRY_ORDER = [
    "Circle",
    "circle_circle",
    "circle_point",
    "circle_point_unchecked",
    "plane_line",
    "Plane",
]
SIGNATURES = {
    "AngleDegrees": "(angle)",
    "AngleRadians": "(angle)",
    "Quat": "(w, i, j, k)",
    "VecList": "(list)",
    "Vec3d": "(x, y, z)",
    "geometry.Circle": "(center, radius, normal)",
    "geometry.Plane": "(normal, distance)",
}


# ---------------------------------------------------------------------------
# Start-up


@pytest.mark.parametrize(
    ("module", "order"),
    [(lorvik, TOP_ORDER), (lorvik.geometry, GEOMETRY_ORDER)],
    ids=["lorvik", "geometry"],
)
def test_all_follows_registration_order(module: ModuleType, order: list[str]) -> None:
    assert module.__doc__ == ""
    assert module.__all__ == order
    assert all(getattr(module, name) is not None for name in module.__all__)


def test_geometry_is_only_an_attribute() -> None:
    assert isinstance(lorvik.geometry, ModuleType)
    assert lorvik.geometry.__name__ == "lorvik.geometry"
    assert "lorvik.geometry" not in sys.modules
    with pytest.raises(ModuleNotFoundError):
        importlib.import_module("lorvik.geometry")
    from lorvik import geometry

    assert geometry is lorvik.geometry


def test_reimport_makes_new_module_sharing_classes() -> None:
    old = sys.modules.pop("lorvik")
    try:
        new = importlib.import_module("lorvik")
        assert new is not old
        assert new.__all__ == old.__all__
        assert new.__all__ is not old.__all__
        for name in old.__all__:
            assert getattr(new, name) is getattr(old, name)
    finally:
        sys.modules["lorvik"] = old


@pytest.mark.parametrize("config", ["isolated", "legacy"])
def test_subinterpreter_import_is_refused(config: str) -> None:
    interpreters = pytest.importorskip("_interpreters")
    interpreter = interpreters.create(interpreters.new_config(config))
    try:
        failure = interpreters.exec(interpreter, "import lorvik")
    finally:
        interpreters.destroy(interpreter)
    assert failure is not None, "the sub-interpreter imported lorvik"
    assert failure.type.__name__ == "ImportError"
    assert "interpreter" in failure.msg
    # The owning interpreter is unaffected.
    assert repr(Vec3d(1, 2, 3)) == "Vec3d(1, 2, 3)"


# ---------------------------------------------------------------------------
# Class identity


@pytest.mark.parametrize("path", list(SIGNATURES))
def test_class_identity(path: str) -> None:
    cls: Any = lorvik
    for part in path.split("."):
        cls = getattr(cls, part)
    name = path.rpartition(".")[2]
    assert (cls.__name__, cls.__qualname__, cls.__module__) == (name, name, "builtins")
    assert repr(cls) == f"<class 'builtins.{name}'>"
    assert cls.__bases__ == (object,)
    assert cls.__doc__ is None
    assert cls.__text_signature__ == SIGNATURES[path]  # type: ignore[attr-defined]
    assert cls.__dictoffset__ == 0 and cls.__weakrefoffset__ == 0
    with pytest.raises(TypeError):
        type("Sub", (cls,), {})


def test_instances_have_no_dict_or_weakref_and_no_gc() -> None:
    import gc

    v = Vec3d(1, 2, 3)
    assert not hasattr(v, "__dict__")
    assert not gc.is_tracked(v)
    with pytest.raises(TypeError):
        weakref.ref(v)


@pytest.mark.parametrize("assign", [True, False], ids=["set", "delete"])
@pytest.mark.parametrize(
    "make", [lambda: Vec3d(1, 2, 3), lambda: lorvik.Quat(1, 0, 0, 0), lambda: lorvik.AngleRadians(1)]
)
def test_unknown_attribute_text_is_the_interpreters(make: Callable[[], Any], assign: bool) -> None:
    # Classes with settable properties take a faster attribute-setting path;
    # the error for a name they lack reads as for any class without __dict__.
    receiver = make()
    with pytest.raises(AttributeError) as caught:
        if assign:
            receiver.w2 = 1
        else:
            del receiver.w2
    name = type(receiver).__module__ + "." + type(receiver).__name__
    assert str(caught.value) == (
        f"'{name}' object has no attribute 'w2' and no __dict__ for setting new attributes"
    )
    assert caught.value.name == "w2" and caught.value.obj is receiver


@pytest.mark.parametrize(
    ("member", "signature"),
    [
        (Vec3d.dot, "($self, other)"),
        (Vec3d.magnitude, "($self)"),
        (Vec3d.zero, "()"),
        (Vec3d.new_from_to, "(from, to)"),
        (Vec3d.distance_to_line, "($self, a, b)"),
    ],
)
def test_method_documentation_is_only_a_signature(member: Any, signature: str) -> None:
    assert member.__doc__ is None
    assert member.__text_signature__ == signature


def test_properties_have_no_documentation() -> None:
    assert Vec3d.x.__doc__ is None  # type: ignore[attr-defined]


# ---------------------------------------------------------------------------
# Argument parsing

v = Vec3d(1, 2, 3)
w = Vec3d(4, 5, 6)


U = geometry.Circle(Vec3d(0, 0, 0), 1.0, Vec3d(0, 0, 1))
O = Vec3d(0, 0, 0)
X = Vec3d(1, 0, 0)


# Every text the argument parser and the class, float and bool conversions make.
@pytest.mark.parametrize(
    ("call", "message"),
    [
        # Missing arguments.
        (lambda: v.dot(), "Vec3d.dot() missing 1 required positional argument: 'other'"),
        (lambda: Vec3d(), "Vec3d.__new__() missing 3 required positional arguments: 'x', 'y', and 'z'"),
        (lambda: Vec3d(1), "Vec3d.__new__() missing 2 required positional arguments: 'y' and 'z'"),
        (lambda: Vec3d(1, z=3), "Vec3d.__new__() missing 1 required positional argument: 'y'"),
        (
            lambda: Vec3d.__new__(Vec3d),
            "Vec3d.__new__() missing 3 required positional arguments: 'x', 'y', and 'z'",
        ),
        (lambda: AngleRadians(), "AngleRadians.__new__() missing 1 required positional argument: 'angle'"),
        (lambda: Quat(), "Quat.__new__() missing 4 required positional arguments: 'w', 'i', 'j', and 'k'"),
        (lambda: Quat(1, 2, 3), "Quat.__new__() missing 1 required positional argument: 'k'"),
        (
            lambda: Quat.from_axis_angle(X),
            "Quat.from_axis_angle() missing 1 required positional argument: 'angle'",
        ),
        (lambda: geometry.circle_circle(U), "circle_circle() missing 1 required positional argument: 'circle2'"),
        (lambda: geometry.Plane(O), "Plane.__new__() missing 1 required positional argument: 'distance'"),
        (
            lambda: geometry.Circle(),
            "Circle.__new__() missing 3 required positional arguments: 'center', 'radius', and 'normal'",
        ),
        (
            lambda: geometry.Plane.from_points(O, O),
            "Plane.from_points() missing 1 required positional argument: 'point3'",
        ),
        # Too many positional arguments; counts come before the class checks.
        (lambda: v.dot(w, w), "Vec3d.dot() takes 1 positional arguments but 2 were given"),
        (lambda: v.dot(1.0, 2.0), "Vec3d.dot() takes 1 positional arguments but 2 were given"),
        (lambda: Vec3d(1, 2, 3, 4), "Vec3d.__new__() takes 3 positional arguments but 4 were given"),
        (lambda: Vec3d.__new__(Vec3d, 1, 2, 3, 4), "Vec3d.__new__() takes 3 positional arguments but 4 were given"),
        (lambda: Vec3d.new_from_to(v, w, v), "Vec3d.new_from_to() takes 2 positional arguments but 3 were given"),
        (lambda: AngleRadians(1, 2), "AngleRadians.__new__() takes 1 positional arguments but 2 were given"),
        (lambda: AngleRadians(1).sin(1), "AngleRadians.sin() takes no arguments (1 given)"),
        (lambda: Quat(1, 2, 3, 4, 5), "Quat.__new__() takes 4 positional arguments but 5 were given"),
        (lambda: geometry.circle_circle(U, U, U), "circle_circle() takes 2 positional arguments but 3 were given"),
        (
            lambda: geometry.circle_point(U, O, True, True),
            "circle_point() takes 3 positional arguments but 4 were given",
        ),
        # Keywords, checked in the order given, before missing parameters.
        (lambda: v.dot(w, other=w), "Vec3d.dot() got multiple values for argument 'other'"),
        (lambda: Vec3d.__new__(Vec3d, 1, 2, 3, x=1), "Vec3d.__new__() got multiple values for argument 'x'"),
        (lambda: AngleDegrees(1, angle=1), "AngleDegrees.__new__() got multiple values for argument 'angle'"),
        (lambda: geometry.circle_point(U, O, point=O), "circle_point() got multiple values for argument 'point'"),
        (lambda: v.dot(q=w), "Vec3d.dot() got an unexpected keyword argument 'q'"),
        (lambda: v.distance_to_line(q=w, a=v, b=w), "Vec3d.distance_to_line() got an unexpected keyword argument 'q'"),
        (lambda: v.distance_to_line(v, c=w), "Vec3d.distance_to_line() got an unexpected keyword argument 'c'"),
        (lambda: AngleDegrees(degrees=1), "AngleDegrees.__new__() got an unexpected keyword argument 'degrees'"),
        (lambda: Quat.identity().rotate(u=X), "Quat.rotate() got an unexpected keyword argument 'u'"),
        (
            lambda: geometry.circle_point(circle=U, point=O, inner=True, x=1),
            "circle_point() got an unexpected keyword argument 'x'",
        ),
        # Conversions, naming the parameter.
        (lambda: v.dot(1.0), "argument 'other': 'float' object is not an instance of 'Vec3d'"),
        (lambda: v.dot(None), "argument 'other': 'None' is not an instance of 'Vec3d'"),
        (lambda: v.dot((1, 2, 3)), "argument 'other': 'tuple' object is not an instance of 'Vec3d'"),
        (lambda: v.scalar_triple_product(w, "c"), "argument 'c': 'str' object is not an instance of 'Vec3d'"),
        (lambda: v.scalar_triple_product(1, "c"), "argument 'b': 'int' object is not an instance of 'Vec3d'"),
        (lambda: Vec3d.new_from_to(v, Vec3d), "argument 'to': 'type' object is not an instance of 'Vec3d'"),
        (lambda: v.angle_to(1.0), "argument 'other': 'float' object is not an instance of 'Vec3d'"),
        (lambda: AngleRadians("1"), "argument 'angle': must be real number, not str"),
        (lambda: Quat(1, 2, "3", 4), "argument 'j': must be real number, not str"),
        (
            lambda: Quat.from_axis_angle(X, 1.0),
            "argument 'angle': 'float' object is not an instance of 'AngleRadians'",
        ),
        (
            lambda: Quat.from_axis_angle(X, AngleDegrees(90)),
            "argument 'angle': 'AngleDegrees' object is not an instance of 'AngleRadians'",
        ),
        (lambda: Quat.from_axis_angle(None, AngleRadians(1)), "argument 'axis': 'None' is not an instance of 'Vec3d'"),
        (lambda: Quat.identity().rotate((1, 2, 3)), "argument 'v': 'tuple' object is not an instance of 'Vec3d'"),
        (lambda: geometry.plane_line(U, O, O), "argument 'plane': 'Circle' object is not an instance of 'Plane'"),
        (
            lambda: geometry.plane_line(geometry.Plane.xy(), O, None),
            "argument 'b': 'None' is not an instance of 'Vec3d'",
        ),
        (
            lambda: U.in_same_plane(geometry.Plane.xy()),
            "argument 'other': 'Plane' object is not an instance of 'Circle'",
        ),
        (
            lambda: geometry.Plane.xy().contains_point((0, 0, 0)),
            "argument 'point': 'tuple' object is not an instance of 'Vec3d'",
        ),
    ],
)
def test_argument_errors(call: Callable[[], object], message: str) -> None:
    with pytest.raises(TypeError) as info:
        call()
    assert str(info.value) == message


def test_arguments_by_keyword() -> None:
    assert v.dot(other=w) == 32.0
    assert repr(Vec3d(z=3, x=1, y=2)) == "Vec3d(1, 2, 3)"
    assert Vec3d.new_from_to(**{"from": v, "to": w}) == w - v
    assert v.distance_to_line(b=w, a=v) == 0.0


@pytest.mark.parametrize(
    "call",
    [
        lambda: Vec3d.dot(1.0, v),
        lambda: Vec3d.magnitude(None),
        lambda: Vec3d.__hash__(1.0),
        lambda: Vec3d.__repr__((1, 2, 3)),
        lambda: Vec3d.x.__get__(1.0),  # type: ignore[attr-defined]
        lambda: Vec3d.x.__set__(1.0, 2.0),  # type: ignore[attr-defined]
    ],
)
def test_foreign_receiver_is_refused(call: Callable[[], object]) -> None:
    with pytest.raises(TypeError):
        call()


# ---------------------------------------------------------------------------
# Float conversion and argument error wrapping


def test_float_conversion_accepts_numbers() -> None:
    assert Vec3d(1, True, FloatLike(2.5)).to_array() == [1.0, 1.0, 2.5]
    assert Vec3d(IndexLike(7), 0, 0).x == 7.0
    assert type(Vec3d(1, 2, 3).x) is float


class RaisesFromFloat:
    """__float__ raises `error`, chained from a KeyError."""

    def __init__(self, error: BaseException) -> None:
        self.error = error

    def __float__(self) -> float:
        try:
            raise KeyError("inner")
        except KeyError as cause:
            raise self.error from cause


class TypeErrorSubclass(TypeError):
    pass


def test_type_error_is_wrapped_keeping_the_cause() -> None:
    with pytest.raises(TypeError) as info:
        Vec3d(0, RaisesFromFloat(TypeError("no float here")), 0)
    assert type(info.value) is TypeError
    assert str(info.value) == "argument 'y': no float here"
    assert isinstance(info.value.__cause__, KeyError)
    assert info.value.__suppress_context__


def test_wrapped_type_error_keeps_the_context() -> None:
    handled = KeyError("being handled")
    try:
        raise handled
    except KeyError:
        with pytest.raises(TypeError) as info:
            Vec3d(0, 0, "z")  # type: ignore[arg-type]
    assert str(info.value) == "argument 'z': must be real number, not str"
    assert info.value.__context__ is handled
    assert info.value.__cause__ is None and not info.value.__suppress_context__


def test_interpreter_conversion_text_is_wrapped() -> None:
    with pytest.raises(TypeError) as info:
        Vec3d(1, 2, "3")
    assert str(info.value) == "argument 'z': must be real number, not str"
    with pytest.raises(TypeError) as info:
        Vec3d(1, 2, 3).x = "5"  # type: ignore[assignment]
    assert str(info.value).startswith("argument 'value': ")


@pytest.mark.parametrize(
    "error",
    [ValueError("bad value"), RuntimeError("busy"), TypeErrorSubclass("sub"), OverflowError()],
    ids=lambda e: type(e).__name__,
)
def test_other_errors_pass_unchanged(error: BaseException) -> None:
    with pytest.raises(type(error)) as info:
        Vec3d(RaisesFromFloat(error), 0, 0)
    assert info.value is error
    assert isinstance(error.__cause__, KeyError)


def test_first_failing_argument_is_reported() -> None:
    with pytest.raises(TypeError, match=r"^argument 'y': "):
        Vec3d(1, "y", "z")
    with pytest.raises(OverflowError):
        Vec3d(10**400, "y", 0)


# ---------------------------------------------------------------------------
# Foreign operand: only a failure to convert makes an operator NotImplemented


class RaisingHooks(list[object]):
    """A sequence whose every hook lorvik may call raises `error`."""

    __hash__ = None  # type: ignore[assignment]

    def __init__(self, error: BaseException) -> None:
        super().__init__()
        self.error = error

    def __float__(self) -> float:
        raise self.error

    def __eq__(self, other: object) -> bool:
        raise self.error

    def __len__(self) -> int:
        raise self.error


ENTRIES_CALLING_HOOKS: list[tuple[str, Callable[[Any], object]]] = [
    ("Vec3d * x", lambda x: Vec3d(1, 2, 3) * x),
    ("x * Vec3d", lambda x: x * Vec3d(1, 2, 3)),
    ("Vec3d / x", lambda x: Vec3d(1, 2, 3) / x),
    ("VecList * x", lambda x: lorvik.VecList([Vec3d(1, 2, 3)]) * x),
    ("x * VecList", lambda x: x * lorvik.VecList([Vec3d(1, 2, 3)])),
    ("VecList / x", lambda x: lorvik.VecList([Vec3d(1, 2, 3)]) / x),
    ("AngleRadians * x", lambda x: AngleRadians(1) * x),
    ("AngleRadians / x", lambda x: AngleRadians(1) / x),
    ("AngleDegrees != x", lambda x: AngleDegrees(1) != x),
    ("Circle != x", lambda x: geometry.Circle.none() != x),
    ("VecList(x)", lambda x: lorvik.VecList(x)),
]


@pytest.mark.parametrize(
    "error",
    [KeyboardInterrupt(), SystemExit(3), GeneratorExit(), MemoryError(), RecursionError()],
    ids=lambda e: type(e).__name__,
)
@pytest.mark.parametrize("call", [c for _, c in ENTRIES_CALLING_HOOKS], ids=[n for n, _ in ENTRIES_CALLING_HOOKS])
def test_errors_that_are_no_conversion_failure_propagate(call: Callable[[Any], object], error: BaseException) -> None:
    with pytest.raises(type(error)) as info:
        call(RaisingHooks(error))
    assert info.value is error


# ---------------------------------------------------------------------------
# Index conversion


@pytest.mark.parametrize(
    ("index", "expected"),
    [(0, 1.0), (2, 3.0), (True, 2.0), (IndexLike(1), 2.0)],
)
def test_index_conversion(index: Any, expected: float) -> None:
    assert v[index] == expected


@pytest.mark.parametrize(
    ("index", "error", "prefix"),
    [
        (3, IndexError, "Index out of bounds"),
        (2**63, IndexError, "Index out of bounds"),
        (-1, OverflowError, ""),
        (IndexLike(-1), OverflowError, ""),
        (2**64, OverflowError, ""),
        (1.0, TypeError, "argument 'index': "),
        ("0", TypeError, "argument 'index': "),
    ],
)
def test_index_conversion_failures(index: Any, error: type[Exception], prefix: str) -> None:
    with pytest.raises(error) as info:
        v[index]
    assert type(info.value) is error
    assert str(info.value).startswith(prefix)
    if error is IndexError:
        assert str(info.value) == prefix


# ---------------------------------------------------------------------------
# Internal fault


def test_panic_exception() -> None:
    items = lorvik.VecList([Vec3d(1, 2, 3)])
    with pytest.raises(BaseException) as info:
        items.collapse(3)
    panic = type(info.value)
    assert f"{panic.__module__}.{panic.__qualname__}" == "pyo3_runtime.PanicException"
    assert panic.__bases__ == (BaseException,)
    assert not isinstance(info.value, Exception)
    assert info.value.args == ("assertion failed: axis <= 2",)
    # One class per process.
    with pytest.raises(panic):
        items.collapse(7)
