# Type stubs for the lorvik extension module.
#
# Every class is final. Instance methods take `self` positionally only; all
# other parameters are positional-or-keyword and required. Parameters typed
# `float` accept anything with __float__ or __index__ at run time; parameters
# typed with a lorvik class accept only instances of exactly that class.
#
# The docstrings are for users (editors, the reference site). Their `>>>`
# examples run against the built module in tests/test_doc_examples.py, with
# the names of `from lorvik import *` in scope.
"""Exact, fast three-dimensional geometry: vectors, angles, quaternions and
lists of vectors, with planes and circles in the `geometry` submodule.

Every result is reproducible to the last bit: each formula has a fixed order
of evaluation and nothing is fused into a multiply-add. Degenerate input never
raises: zero lengths and division by zero give IEEE infinities and NaN, and a
NaN carries into every number computed from it. Tests answer instead: `==`
and `is_unit` are False where a NaN is involved, and `Quat.to_axis_angle`
gives the identity's ((1, 0, 0), 0) for any quaternion whose w is within
2^-52 of 1, whatever its other components. Equality of `Vec3d` and `Quat` and
the `is_unit` tests use an absolute tolerance of 2^-52
(`|difference| < 2.220446049250313e-16`), under which an infinite component
equals nothing (inf - inf is NaN).

No instance can be pickled, and so `copy.copy` and `copy.deepcopy` raise
`TypeError` too: copy a value with its constructor, `Vec3d(v.x, v.y, v.z)`.

Examples in these docstrings assume `from lorvik import *`.

Errors common to every member:

- `TypeError` for a wrong argument count, name or type, naming the
  argument: "argument 'other': 'float' object is not an instance of 'Vec3d'".
  Arguments typed with a lorvik class take only instances of exactly that
  class; `float` arguments take anything with `__float__` or `__index__`.
- `RuntimeError` "Already borrowed" or "Already mutably borrowed" when an
  object is used while another call is changing it (for example `v.extend(v)`).
- `pyo3_runtime.PanicException` for a broken precondition (`stride=0`,
  `collapse(3)`). It derives from `BaseException`, not `Exception`, and
  cannot be imported: catch `BaseException` and test
  `type(error).__name__ == "PanicException"`.

Examples:
    >>> try:
    ...     VecList.empty().minimum_distance_to(Vec3d.zero(), 1)
    ... except BaseException as error:
    ...     if type(error).__name__ != "PanicException":
    ...         raise
    ...     print(error)
    minimum_distance_to needs at least one element
"""

import builtins
from collections.abc import Sequence
from typing import ClassVar, Self, final, type_check_only

from . import geometry as geometry

__all__ = ["AngleDegrees", "AngleRadians", "Quat", "VecList", "Vec3d", "geometry"]

@final
class AngleDegrees:
    """An angle in degrees: one float, never reduced into a range.

    Meant for display and conversion: it converts with `to_radians()`,
    negates and compares, and has no arithmetic or trigonometry. It never
    compares equal to an `AngleRadians`, whatever the values. Comparisons
    are those of floats (no tolerance; NaN equals nothing), and having
    equality but no hash, instances are unhashable.

    Examples:
        >>> AngleDegrees(90)
        90°
        >>> AngleDegrees(180).to_radians() == AngleRadians.pi()
        True
    """

    __hash__: ClassVar[None]  # type: ignore[assignment]
    def __new__(cls, /, angle: float) -> Self:
        """Make an angle of `angle` degrees, stored unchanged."""

    @property
    def angle(self) -> float:
        """The value in degrees; assigning stores a new value."""

    @angle.setter
    def angle(self, value: float) -> None: ...
    def to_radians(self, /) -> AngleRadians:
        """The same angle in radians: (angle × π) / 180, rounded after each step.

        Examples:
            >>> AngleDegrees(90).to_radians()
            1.5707963267948966 radians
        """

    def __neg__(self, /) -> AngleDegrees:
        """The angle with its sign flipped (-0.0 for 0.0)."""

    def __eq__(self, other: object, /) -> bool:
        """Float equality of the values; False for any other type."""

    def __ne__(self, other: object, /) -> bool:
        """The negation of `==` (True between NaN angles)."""

    def __lt__(self, other: AngleDegrees, /) -> bool:
        """Float comparison; `TypeError` against any other type."""

    def __le__(self, other: AngleDegrees, /) -> bool:
        """Float comparison; `TypeError` against any other type."""

    def __gt__(self, other: AngleDegrees, /) -> bool:
        """Float comparison; `TypeError` against any other type."""

    def __ge__(self, other: AngleDegrees, /) -> bool:
        """Float comparison; `TypeError` against any other type."""

@final
class AngleRadians:
    """An angle in radians: one float, never reduced into a range.

    The working angle type: constants, trigonometry and arithmetic. The
    unit is part of the type, so the only way to degrees is `to_degrees()`,
    and an `AngleRadians` never compares equal to an `AngleDegrees`.
    Comparisons are those of floats (no tolerance; NaN equals nothing), and
    having equality but no hash, instances are unhashable.

    Only `angle * s` and `angle / s` scale: `s * angle` raises `TypeError`.
    Division by zero gives an infinite or NaN angle.

    Examples:
        >>> AngleRadians(1) + AngleRadians(0.5), AngleRadians.pi() / 2
        (1.5 radians, 1.5707963267948966 radians)
        >>> AngleRadians.pi() == AngleDegrees(180)
        False
    """

    __hash__: ClassVar[None]  # type: ignore[assignment]
    def __new__(cls, /, angle: float) -> Self:
        """Make an angle of `angle` radians, stored unchanged."""

    @property
    def angle(self) -> float:
        """The value in radians; assigning stores a new value."""

    @angle.setter
    def angle(self, value: float) -> None: ...
    @staticmethod
    def zero() -> AngleRadians:
        """A new angle of 0 radians (+0.0)."""

    @staticmethod
    def pi() -> AngleRadians:
        """A new angle of π radians: 3.141592653589793, the float nearest π."""

    @staticmethod
    def two_pi() -> AngleRadians:
        """A new angle of 2π radians: 6.283185307179586."""

    @staticmethod
    def half_pi() -> AngleRadians:
        """A new angle of π/2 radians: 1.5707963267948966."""

    @staticmethod
    def third_pi() -> AngleRadians:
        """A new angle of π/3 radians: 1.0471975511965976.

        Examples:
            >>> AngleRadians.third_pi().to_degrees()
            59.99999999999999°
        """

    @staticmethod
    def quarter_pi() -> AngleRadians:
        """A new angle of π/4 radians: 0.7853981633974483."""

    @staticmethod
    def sixth_pi() -> AngleRadians:
        """A new angle of π/6 radians: 0.5235987755982988."""

    def sin(self, /) -> float:
        """The sine, from the C library.

        Examples:
            >>> AngleRadians.sixth_pi().sin()
            0.49999999999999994
        """

    def cos(self, /) -> float:
        """The cosine, from the C library.

        The cosine of `half_pi()` is 6.123233995736766e-17, not 0: π/2 is not
        a float.
        """

    def tan(self, /) -> float:
        """The tangent, from the C library."""

    def sec(self, /) -> float:
        """The secant, 1 / cos.

        Large but finite near the poles: `half_pi().sec()` is
        1.633123935319537e16.
        """

    def csc(self, /) -> float:
        """The cosecant, 1 / sin; inf at 0, -inf at -0.0.

        Examples:
            >>> AngleRadians.zero().csc(), AngleRadians(-0.0).csc()
            (inf, -inf)
        """

    def cot(self, /) -> float:
        """The cotangent, 1 / tan; inf at 0, -inf at -0.0."""

    def to_degrees(self, /) -> AngleDegrees:
        """The same angle in degrees: (angle × 180) / π, rounded after each step.

        Examples:
            >>> AngleRadians.pi().to_degrees(), AngleRadians(0.1).to_degrees()
            (180°, 5.729577951308232°)
        """

    def __add__(self, other: AngleRadians, /) -> AngleRadians:
        """The sum of two angles; `TypeError` for anything but `AngleRadians`."""

    def __sub__(self, other: AngleRadians, /) -> AngleRadians:
        """The difference of two angles; `TypeError` for anything but `AngleRadians`."""
    # No reflected forms: `2.0 * angle` is a TypeError.
    def __mul__(self, rhs: float, /) -> AngleRadians:
        """The angle scaled by a number; only this order: `2.0 * angle` is a `TypeError`.

        Examples:
            >>> AngleRadians(1) * 3
            3 radians
        """

    def __truediv__(self, rhs: float, /) -> AngleRadians:
        """The angle divided by a number; by zero it gives ±inf or NaN.

        Examples:
            >>> AngleRadians(1) / 0, AngleRadians(0) / 0
            (inf radians, NaN radians)
        """

    def __neg__(self, /) -> AngleRadians:
        """The angle with its sign flipped (-0.0 for 0.0)."""

    def __eq__(self, other: object, /) -> bool:
        """Float equality of the values (0.0 == -0.0); False for any other type."""

    def __ne__(self, other: object, /) -> bool:
        """The negation of `==` (True between NaN angles)."""

    def __lt__(self, other: AngleRadians, /) -> bool:
        """Float comparison; `TypeError` against any other type."""

    def __le__(self, other: AngleRadians, /) -> bool:
        """Float comparison; `TypeError` against any other type."""

    def __gt__(self, other: AngleRadians, /) -> bool:
        """Float comparison; `TypeError` against any other type."""

    def __ge__(self, other: AngleRadians, /) -> bool:
        """Float comparison; `TypeError` against any other type."""

@final
class Quat:
    """A quaternion w + i·**i** + j·**j** + k·**k**, scalar first, used as a rotation.

    Rotation convention, unusual on purpose: `from_axis_angle(a, θ)` stores
    the *negative* half angle and `rotate(v)` computes q̄·v·q, so together
    they turn `v` by θ about the unit axis `a` by the right-hand rule.
    `to_axis_angle()` reads the quaternion the usual way and reports the axis
    -a with θ, and `to_rotation_matrix()` is the usual matrix of the
    quaternion, which turns by -θ: the matrix of `rotate` is the *transpose*
    of `to_rotation_matrix()`.

    Nothing normalises a quaternion except `normalize()`; a non-unit
    quaternion also scales what it rotates by its squared magnitude.
    Equality is tolerant (every component within 2^-52, absolute; NaN
    equals nothing) and, having no hash, instances are unhashable. There is
    no quaternion arithmetic. Copy one with `Quat(q.w, q.i, q.j, q.k)`
    (`copy.copy` and pickling raise `TypeError`).

    Examples:
        >>> q = Quat.from_axis_angle(Vec3d(0, 0, 1), AngleRadians.half_pi())
        >>> q
        Quat(0.7071067811865476, -0, -0, -0.7071067811865475)
        >>> q.rotate(Vec3d(1, 0, 0))  # x turns to y, up to rounding
        Vec3d(0.0000000000000002220446049250313, 1, 0)
    """

    __hash__: ClassVar[None]  # type: ignore[assignment]
    def __new__(cls, /, w: float, i: float, j: float, k: float) -> Self:
        """Make the quaternion (w, i, j, k), components stored unchanged."""

    @property
    def w(self) -> float:
        """The scalar part; assigning replaces it."""

    @w.setter
    def w(self, value: float) -> None: ...
    @property
    def i(self) -> float:
        """The first component of the vector part; assigning replaces it."""

    @i.setter
    def i(self, value: float) -> None: ...
    @property
    def j(self) -> float:
        """The second component of the vector part; assigning replaces it."""

    @j.setter
    def j(self, value: float) -> None: ...
    @property
    def k(self) -> float:
        """The third component of the vector part; assigning replaces it."""

    @k.setter
    def k(self, value: float) -> None: ...
    @staticmethod
    def identity() -> Quat:
        """A new identity quaternion (1, 0, 0, 0): the rotation that changes nothing."""

    @staticmethod
    def from_axis_angle(axis: Vec3d, angle: AngleRadians) -> Quat:
        """The rotation by `angle` about `axis` (right-hand rule) as `rotate` applies it.

        Stores the negative half angle: (cos(-θ/2), sin(-θ/2)·axis). The axis
        is not normalised, so give a unit axis: any other gives a quaternion
        that turns by another angle and scales what it rotates (the axis
        (0, 0, 2) turns (1, 0, 0) by 30 degrees to (0.665, 1.0, 0)). Angles in
        degrees convert with `AngleDegrees(d).to_radians()`.

        Raises:
            TypeError: for an angle that is not an `AngleRadians`, e.g.
                "argument 'angle': 'float' object is not an instance of 'AngleRadians'".

        Examples:
            >>> thirty = AngleDegrees(30).to_radians()
            >>> Quat.from_axis_angle(Vec3d(1, 1, 0).normalize(), thirty).is_unit()
            True
            >>> Quat.from_axis_angle(Vec3d(0, 0, 2), thirty).rotate(Vec3d(1, 0, 0))  # not unit
            Vec3d(0.6650635094610968, 0.9999999999999999, 0)
            >>> Quat.from_axis_angle(Vec3d(1, 2, 3), AngleRadians.zero())
            Quat(1, -0, -0, -0)
        """

    def conjugate(self, /) -> Quat:
        """The conjugate (w, -i, -j, -k): for a unit quaternion, the opposite rotation.

        Examples:
            >>> Quat(1, 2, 3, 4).conjugate()
            Quat(1, -2, -3, -4)
        """

    def magnitude(self, /) -> float:
        """The length sqrt(w² + i² + j² + k²)."""

    def normalize(self, /) -> Quat:
        """The quaternion divided by its magnitude; four NaN for the zero quaternion.

        Examples:
            >>> Quat(1, 1, 1, 1).normalize(), Quat(0, 0, 0, 0).normalize()
            (Quat(0.5, 0.5, 0.5, 0.5), Quat(NaN, NaN, NaN, NaN))
        """

    def is_unit(self, /) -> bool:
        """Whether the magnitude is within 2^-52 of 1 (strictly); False for NaN."""

    def rotate(self, /, v: Vec3d) -> Vec3d:
        """The vector `v` rotated: q̄·v·q, a new vector.

        With `from_axis_angle(a, θ)` this turns `v` by θ about `a`
        (right-hand rule); its matrix is the transpose of
        `to_rotation_matrix()`. A non-unit quaternion also scales `v` by its
        squared magnitude; the zero quaternion maps finite vectors to zero.

        Examples:
            >>> v = Vec3d(1, 2, 3)
            >>> Quat.identity().rotate(v), Quat(2, 0, 0, 0).rotate(v)
            (Vec3d(1, 2, 3), Vec3d(4, 8, 12))
        """

    def to_axis_angle(self, /) -> tuple[Vec3d, AngleRadians]:
        """The axis and angle (radians) of the quaternion, read the usual way.

        For `from_axis_angle(a, θ)` this gives the axis -a with θ: the turn of
        `to_rotation_matrix()`, opposite to that of `rotate`. So
        `from_axis_angle(*q.to_axis_angle())` is `q.conjugate()`, not `q`.
        A quaternion with w within 2^-52 of 1 gives axis (1, 0, 0) and angle
        0, whatever its other components (NaN included); one with w outside
        [-1, 1] gives NaN throughout.

        Small angles lose precision: the angle is 2·acos(w), and rounding w
        moves it by up to 2^-52/θ² relative (1.9e-8 at θ = 1e-4, 1.9e-4 at
        1e-6, 2 % at 1e-7, with the axis length off as much); below about
        3.65e-8 radians the angle reads as 0. `2 * math.atan2(math.hypot(q.i,
        q.j, q.k), q.w)` keeps full precision there.

        Examples:
            >>> q = Quat.from_axis_angle(Vec3d(0, 0, 1), AngleRadians.half_pi())
            >>> q.to_axis_angle()
            (Vec3d(-0, -0, -1), 1.5707963267948966 radians)
            >>> Quat.from_axis_angle(*q.to_axis_angle()) == q.conjugate()
            True
            >>> Quat.identity().to_axis_angle()
            (Vec3d(1, 0, 0), 0 radians)
        """

    def to_rotation_matrix(self, /) -> list[list[float]]:
        """The usual 3×3 rotation matrix of the quaternion, as three rows.

        It turns by the opposite angle of `rotate`: the matrix of `rotate` is
        its transpose. For a unit quaternion, `points @ q.to_rotation_matrix()`
        rotates the rows of an array as `rotate` does, up to rounding. For any
        other it is no rotation and disagrees with `rotate`, which scales by
        the squared magnitude: with `Quat(1, 0, 1, 0)`, `rotate` takes
        (1, 1, 1) to (-2, 2, 2) and the matrix to (-3, 1, 1).

        Examples:
            >>> q = Quat.from_axis_angle(Vec3d(0, 0, 1), AngleRadians.half_pi())
            >>> for row in q.to_rotation_matrix():
            ...     print(row)
            [2.220446049250313e-16, 1.0, 0.0]
            [-1.0, 2.220446049250313e-16, 0.0]
            [0.0, 0.0, 1.0]
        """

    def to_vec3d(self, /) -> tuple[float, float, float]:
        """The vector part (i, j, k) as a tuple of floats (not a `Vec3d`).

        Examples:
            >>> Quat(1, 2, 3, 4).to_vec3d()
            (2.0, 3.0, 4.0)
        """

    def __eq__(self, other: object, /) -> bool:
        """Tolerant equality: every component within 2^-52 (absolute); False for other types.

        A NaN or infinite component is equal to nothing, not even itself.

        Examples:
            >>> Quat(1, 0, 0, 0) == Quat(1, 1e-16, 0, 0)
            True
        """

    def __ne__(self, other: object, /) -> bool:
        """The negation of `==`."""

@final
class VecList:
    """A list of vectors stored as one flat array of floats, with bulk operations.

    Every bulk operation splits the list over a pool of worker threads and
    returns its results in element order, each with the bits of the same
    `Vec3d` operation on that element, on any number of threads. The pool
    has one thread per processor, or `RAYON_NUM_THREADS` if that holds a
    positive integer when the first bulk operation starts it.

    `rotate`, `append` and `extend` change the list in place; everything else
    returns new lists. Elements are copies: changing a vector read from the
    list does not change the list. There is no item assignment, slicing or
    counting from the end, and `==` compares identity. Copy a list with
    `VecList(v.list)` (`copy.copy` and pickling raise `TypeError`).

    Examples:
        >>> v = VecList([Vec3d(3, 4, 0), Vec3d(0, 0, 2)])
        >>> len(v), v[0], v.magnitude()
        (2, Vec3d(3, 4, 0), [5.0, 2.0])
        >>> v * 2
        [Vec3d(6, 8, 0)
        Vec3d(0, 0, 4)]
    """

    # `list` is also the name of a property here, hence builtins.list.
    def __new__(cls, /, list: Sequence[Vec3d]) -> Self:
        """Make a list holding copies of the vectors of a sequence (a list or tuple).

        Raises:
            TypeError: for a `str` ("argument 'list': Can't extract `str` to
                `Vec`"), for a non-sequence such as a set, a generator or another
                `VecList` ("argument 'list': 'set' object is not an instance of
                'Sequence'"; use its `list` property), or for an item that is
                not a `Vec3d`.
        """

    @staticmethod
    def empty() -> VecList:
        """A new list with no elements."""

    def append(self, /, vec: Vec3d) -> None:
        """Add a copy of `vec` at the end."""

    def extend(self, /, other: VecList) -> None:
        """Add copies of the elements of `other` at the end, in their order.

        Raises:
            RuntimeError: "Already mutably borrowed" for `v.extend(v)`; the
                list is unchanged (extend with a copy, `v.extend(v * 1)`).
        """

    def __len__(self, /) -> int:
        """The number of elements."""

    def __getitem__(self, index: int, /) -> Vec3d:
        """A copy of the element at `index`, as a new `Vec3d`.

        Raises:
            IndexError: "Index out of bounds" for an index at or past the end.
            OverflowError: for a negative index (no counting from the end).
        """

    def __iter__(self, /) -> VecListIterator:
        """An iterator over a snapshot of the elements taken now.

        Later changes to the list do not affect an iterator already taken.
        """

    @property
    def list(self) -> builtins.list[Vec3d]:
        """The elements as a new Python list of new `Vec3d` objects (read only)."""

    def to_array(self, /) -> builtins.list[builtins.list[float]]:
        """The elements as a new list of `[x, y, z]` lists, for numpy and friends.

        Examples:
            >>> VecList([Vec3d(1, 2, 3)]).to_array()
            [[1.0, 2.0, 3.0]]
        """

    def dot(self, /, other: Vec3d) -> builtins.list[float]:
        """The dot product of every element with `other`."""

    def cross(self, /, other: Vec3d) -> VecList:
        """Every element crossed with `other` (element × other), as a new list."""

    def magnitude(self, /) -> builtins.list[float]:
        """The length of every element."""

    def normalize(self, /) -> VecList:
        """Every element divided by its length; a zero element gives NaN components."""

    def is_unit(self, /) -> builtins.list[bool]:
        """For every element, whether its length is within 2^-52 of 1 (strictly)."""

    def distance_to(self, /, other: Vec3d) -> builtins.list[float]:
        """The distance from every element to the point `other`."""

    def distance_squared(self, /, other: Vec3d) -> builtins.list[float]:
        """The squared distance from every element to the point `other`."""

    def collapse(self, /, axis: int) -> VecList:
        """Every element with one component set to 0 (0 = x, 1 = y, 2 = z).

        This projects every point onto the coordinate plane normal to that
        axis. The list itself is unchanged.

        Raises:
            pyo3_runtime.PanicException: "assertion failed: axis <= 2" for an
                axis above 2.
            OverflowError: for a negative axis.

        Examples:
            >>> VecList([Vec3d(1, 2, 3)]).collapse(2)
            [Vec3d(1, 2, 0)]
        """

    def rotate(self, /, quat: Quat) -> None:
        """Rotate every element in place by `quat`, exactly as `quat.rotate` would.

        The quaternion is not normalised. Returns None.

        Raises:
            RuntimeError: "Already borrowed" while the list is being read
                elsewhere (an iteration in progress does not count: iterators
                hold a snapshot).
        """

    def minimum_distance_to(self, /, other: Vec3d, stride: int) -> tuple[int, float]:
        """The index and distance of an element near `other`: `(index, distance)`.

        A two-pass search: first every `stride`-th element, then the elements
        within one stride of the best of those. With `stride=1` it finds the
        nearest (closest) element, the lowest index on ties, in one pass over
        the list, a few nanoseconds per element on the worker pool; a larger
        stride is faster and finds a near one, not necessarily the nearest.
        Distances rank by the IEEE total order (a NaN with the sign bit set
        ranks below every number, any other NaN above infinity).

        Raises:
            pyo3_runtime.PanicException: "assertion failed: stride != 0" for
                `stride=0` (even on an empty list); "minimum_distance_to needs
                at least one element" on an empty list.
            OverflowError: for a negative stride.

        Examples:
            >>> xs = [5, 5, 5, 5, 1.5, 5, 5, 5, 5, 1, 5, 5]
            >>> twelve = VecList([Vec3d(x, 0, 0) for x in xs])
            >>> twelve.minimum_distance_to(Vec3d.zero(), 1)  # the nearest
            (9, 1.0)
            >>> twelve.minimum_distance_to(Vec3d.zero(), 2)  # looks at 0, 2, 4, ...
            (4, 1.5)
        """

    def __add__(self, other: Vec3d, /) -> VecList:
        """`other` added to every element (a `Vec3d` on the right only)."""

    def __sub__(self, other: Vec3d, /) -> VecList:
        """`other` subtracted from every element (a `Vec3d` on the right only)."""

    def __mul__(self, rhs: float, /) -> VecList:
        """Every element scaled by a number."""

    def __rmul__(self, lhs: float, /) -> VecList:
        """Every element scaled by a number (`2 * v` equals `v * 2`)."""

    def __truediv__(self, rhs: float, /) -> VecList:
        """Every element divided by a number; by zero it gives ±inf or NaN."""

# Returned by iter(VecList); not an attribute of the module.
@final
@type_check_only
class VecListIterator:
    """The iterator of a `VecList`, over a snapshot taken by `iter()`.

    Not an attribute of the module. It yields a new `Vec3d` per element of
    the list as it was when the iterator was made.
    """

    def __iter__(self, /) -> VecListIterator:
        """The iterator itself."""

    def __next__(self, /) -> Vec3d:
        """The next element, as a new `Vec3d`; `StopIteration` at the end, then ever after."""

@final
class Vec3d:
    """A vector or point in three-dimensional space: three floats x, y, z.

    Arithmetic: `v + w`, `v - w`, `v * s`, `s * v`, `v / s`, `-v`, and `v[i]`
    for a component. Methods return new vectors; only assigning `x`, `y` or
    `z` changes a vector in place. Division by zero and zero lengths give
    infinities and NaN, never an exception.

    Equality is tolerant, the hash exact: `v == w` when every component
    differs by less than 2^-52 (absolute, so exact equality for components
    around 1 and above; NaN equals nothing), while the hash is of the exact
    values (-0.0 hashes as 0.0, all NaNs alike) and the same in every
    process. Two vectors that compare equal can therefore hash differently,
    and a set or dict keeps both.

    Copy a vector with `Vec3d(v.x, v.y, v.z)`: `copy.copy`, `copy.deepcopy`
    and pickling raise `TypeError`.

    Examples:
        >>> a = Vec3d(1, 2, 3)
        >>> a + Vec3d(1, 1, 1), 2 * a, a / 0
        (Vec3d(2, 3, 4), Vec3d(2, 4, 6), Vec3d(inf, inf, inf))
        >>> tiny, tinier = Vec3d(0, 0, 2e-16), Vec3d(0, 0, 1e-16)
        >>> tiny == tinier, len({tiny, tinier})
        (True, 2)
    """

    def __new__(cls, /, x: float, y: float, z: float) -> Self:
        """Make the vector (x, y, z); each component is converted to float."""

    @property
    def x(self) -> float:
        """The first component; assigning replaces it."""

    @x.setter
    def x(self, value: float) -> None: ...
    @property
    def y(self) -> float:
        """The second component; assigning replaces it."""

    @y.setter
    def y(self, value: float) -> None: ...
    @property
    def z(self) -> float:
        """The third component; assigning replaces it."""

    @z.setter
    def z(self, value: float) -> None: ...
    @staticmethod
    def zero() -> Vec3d:
        """A new zero vector (0, 0, 0)."""

    @staticmethod
    def i() -> Vec3d:
        """A new unit vector along x, (1, 0, 0)."""

    @staticmethod
    def j() -> Vec3d:
        """A new unit vector along y, (0, 1, 0)."""

    @staticmethod
    def k() -> Vec3d:
        """A new unit vector along z, (0, 0, 1)."""
    # The first parameter is called `from`, a reserved word: it can be passed
    # by keyword only through `**{"from": ...}`, so it is positional here.
    @staticmethod
    def new_from_to(from_: Vec3d, /, to: Vec3d) -> Vec3d:
        """The vector from the point `from_` to the point `to`: `to - from_`.

        Examples:
            >>> Vec3d.new_from_to(Vec3d(1, 1, 1), Vec3d(2, 3, 4))
            Vec3d(1, 2, 3)
        """

    def dot(self, /, other: Vec3d) -> float:
        """The dot product.

        Examples:
            >>> Vec3d(1, 2, 3).dot(Vec3d(4, 5, 6))
            32.0
        """

    def cross(self, /, other: Vec3d) -> Vec3d:
        """The cross product self × other (right-handed: i × j = k).

        Examples:
            >>> Vec3d.i().cross(Vec3d.j())
            Vec3d(0, 0, 1)
        """

    def distance_to(self, /, other: Vec3d) -> float:
        """The distance between the points self and other."""

    def distance_squared(self, /, other: Vec3d) -> float:
        """The squared distance between the points self and other (no square root)."""

    def distance_to_line(self, /, a: Vec3d, b: Vec3d) -> float:
        """The distance from the point to the infinite line through `a` and `b`.

        NaN when `a` and `b` coincide.

        Examples:
            >>> Vec3d(0, 1, 0).distance_to_line(Vec3d(5, 0, 0), Vec3d(6, 0, 0))
            1.0
        """

    def project_onto_line(self, /, line_r: Vec3d, line_q: Vec3d) -> Vec3d:
        """The foot of the perpendicular from the point to the line through `line_r` and `line_q`.

        The line is infinite; NaN components when the two points coincide.

        Examples:
            >>> Vec3d(1, 1, 0).project_onto_line(Vec3d(2, 0, 0), Vec3d.zero())
            Vec3d(1, 0, 0)
        """

    def project_onto_plane(self, /, normal: Vec3d) -> Vec3d:
        """The projection onto the plane through the origin with the given normal.

        The normal is used as given, not normalised: the result is the true
        projection only for a unit normal (a zero normal gives self).

        Examples:
            >>> Vec3d(1, 1, 1).project_onto_plane(Vec3d(0, 0, 1))
            Vec3d(1, 1, 0)
        """

    def scalar_triple_product(self, /, b: Vec3d, c: Vec3d) -> float:
        """self · (b × c): the signed volume of the parallelepiped of the three vectors.

        Examples:
            >>> Vec3d.i().scalar_triple_product(Vec3d.j(), Vec3d.k())
            1.0
        """

    def magnitude(self, /) -> float:
        """The length, sqrt(x² + y² + z²)."""

    def normalize(self, /) -> Vec3d:
        """The vector divided by its length; NaN components for the zero vector.

        Examples:
            >>> Vec3d(3, 4, 0).normalize(), Vec3d.zero().normalize()
            (Vec3d(0.6, 0.8, 0), Vec3d(NaN, NaN, NaN))
        """

    def is_unit(self, /) -> bool:
        """Whether the length is within 2^-52 of 1 (strictly); False for NaN.

        A normalised vector can fail it when its computed length rounds to
        1 - 2^-52.

        Examples:
            >>> Vec3d(3, 4, 0).normalize().is_unit()
            True
            >>> Vec3d(42, 31, 7).normalize().is_unit()
            False
        """

    def to_array(self, /) -> list[float]:
        """The components as a new list `[x, y, z]`."""

    def angle_to(self, /, other: Vec3d) -> AngleRadians:
        """The angle between the two vectors, in [0, π] radians.

        NaN when either vector is zero, or when rounding puts the cosine just
        outside [-1, 1] (which can happen for a vector and itself).

        Examples:
            >>> Vec3d(1, 0, 0).angle_to(Vec3d(0, 1, 0))
            1.5707963267948966 radians
            >>> Vec3d(1, 1, 1).angle_to(Vec3d(1, 1, 1))
            NaN radians
        """

    def to_quat(self, /) -> Quat:
        """The pure quaternion (0, x, y, z).

        Examples:
            >>> Vec3d(1, 2, 3).to_quat()
            Quat(0, 1, 2, 3)
        """

    def __getitem__(self, index: int, /) -> float:
        """The component with the given index: 0 is x, 1 is y, 2 is z.

        Raises:
            IndexError: "Index out of bounds" for an index above 2.
            OverflowError: for a negative index.
        """

    def __add__(self, other: Vec3d, /) -> Vec3d:
        """The sum of two vectors."""

    def __sub__(self, other: Vec3d, /) -> Vec3d:
        """The difference of two vectors."""

    def __mul__(self, rhs: float, /) -> Vec3d:
        """The vector scaled by a number."""

    def __rmul__(self, lhs: float, /) -> Vec3d:
        """The vector scaled by a number (`2 * v` equals `v * 2`)."""

    def __truediv__(self, rhs: float, /) -> Vec3d:
        """The vector divided by a number; by zero it gives ±inf or NaN.

        Examples:
            >>> Vec3d(0, 1, -1) / 0
            Vec3d(NaN, inf, -inf)
        """

    def __neg__(self, /) -> Vec3d:
        """The vector with every sign flipped (-0.0 for 0.0)."""

    def __eq__(self, other: object, /) -> bool:
        """Tolerant equality: every component within 2^-52 (absolute); False for other types.

        Exact for components of 1 and above, so a rotated vector seldom equals
        the one you expect: compare with a tolerance of your own, such as
        `a.distance_to(b) < 1e-12`. A NaN or infinite component is equal to
        nothing, not even itself (inf - inf is NaN).

        Examples:
            >>> Vec3d(1, 0, 1e-17) == Vec3d(1, 0, 0), Vec3d(1e-9, 0, 0) == Vec3d(0, 0, 0)
            (True, False)
            >>> inf = float("inf")
            >>> Vec3d(inf, 0, 0) == Vec3d(inf, 0, 0)
            False
        """

    def __ne__(self, other: object, /) -> bool:
        """The negation of `==`."""

    def __hash__(self, /) -> int:
        """A hash of the exact components, the same in every process.

        -0.0 hashes as 0.0 and every NaN alike; vectors equal within the
        tolerance but not in their bits usually hash differently.
        """
