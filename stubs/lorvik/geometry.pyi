# Type stubs for lorvik.geometry, reachable as `from lorvik import geometry`
# (it is an attribute of lorvik, not an entry of sys.modules).
"""Planes, circles in space, and their intersections.

Reach it as `from lorvik import geometry` (`import lorvik.geometry` does not
work: lorvik is one extension module, not a package). The examples below
assume `from lorvik import *`, which brings in `geometry` too.

The tests of containment and of the intersections use the absolute tolerance
2^-52 (`|difference| < 2.220446049250313e-16`). Degenerate values (zero
normals, collinear points, NaN) are accepted everywhere and flow through as
NaN; only `circle_circle` raises, with `ValueError`, when two circles do not
cross in two points.
"""

from typing import ClassVar, Self, final

from lorvik import Vec3d

__all__ = ["Circle", "circle_circle", "circle_point", "circle_point_unchecked", "plane_line", "Plane"]

@final
class Circle:
    """A circle in space: a center, a radius and the normal of its plane.

    The constructor makes the radius non-negative and normalises the
    normal; the property setters store what they are given, unchanged.
    Equality: centers within 2^-52 per component, radii exactly equal, and
    normals equal or opposite within 2^-52, so a circle equals itself with
    its normal reversed. Having equality but no hash, instances are
    unhashable.

    Examples:
        >>> unit = geometry.Circle(Vec3d(0, 0, 0), 1.0, Vec3d(0, 0, 1))
        >>> unit.area, unit == geometry.Circle(Vec3d(0, 0, 0), 1.0, Vec3d(0, 0, -1))
        (3.141592653589793, True)
    """

    __hash__: ClassVar[None]  # type: ignore[assignment]
    def __new__(cls, /, center: Vec3d, radius: float, normal: Vec3d) -> Self:
        """Make a circle; stores |radius| and the normal normalised (NaN for a zero normal).

        Examples:
            >>> c = geometry.Circle(Vec3d(0, 0, 0), -2.0, Vec3d(0, 0, 5))
            >>> c.radius, c.normal
            (2.0, Vec3d(0, 0, 1))
        """

    @property
    def center(self) -> Vec3d:
        """The center, as a new vector; assigning stores a copy.

        Changing the returned vector does not change the circle: assign it
        back.
        """

    @center.setter
    def center(self, value: Vec3d) -> None: ...
    @property
    def radius(self) -> float:
        """The radius; assigning stores the value unchanged (even a negative one)."""

    @radius.setter
    def radius(self, value: float) -> None: ...
    @property
    def normal(self) -> Vec3d:
        """The normal of the circle's plane, as a new vector; assigning stores a copy, not normalised."""

    @normal.setter
    def normal(self, value: Vec3d) -> None: ...
    @property
    def area(self) -> float:
        """The area π·radius², in squared units of the coordinates (read only)."""

    @staticmethod
    def none() -> Circle:
        """The "no circle" value: center (0, 0, 0), radius 0, normal (NaN, NaN, NaN).

        It is degenerate, equal to no circle (not even itself), and in the
        same plane as none.

        Examples:
            >>> none = geometry.Circle.none()
            >>> none.is_degenerate(), none == none
            (True, False)
        """

    def get_plane(self, /) -> Plane:
        """The plane the circle lies in: through the center, with the normal normalised again.

        Examples:
            >>> plane = geometry.Circle(Vec3d(0, 0, 1), 2.0, Vec3d(0, 0, 1)).get_plane()
            >>> plane.normal, plane.distance
            (Vec3d(0, 0, 1), -1.0)
        """

    def in_same_plane(self, /, other: Circle) -> bool:
        """Whether both circles lie in one plane, within 2^-52.

        The normals must be equal or opposite within 2^-52 per component,
        compared as stored (not normalised again), and the planes must
        coincide: two circles in the plane z = 1 are in the same plane even
        with normals (0, 0, 1) and (0, 0, -1).

        Examples:
            >>> up = geometry.Circle(Vec3d(0, 0, 1), 1.0, Vec3d(0, 0, 1))
            >>> up.in_same_plane(geometry.Circle(Vec3d(1, 0, 1), 1.0, Vec3d(0, 0, -1)))
            True
            >>> up.in_same_plane(geometry.Circle(Vec3d(0, 0, 2), 1.0, Vec3d(0, 0, 1)))
            False
        """

    def is_degenerate(self, /) -> bool:
        """Whether the radius is exactly zero (either sign); False for NaN and for any tiny radius."""

    def __eq__(self, other: object, /) -> bool:
        """Tolerant equality (see the class); False for other types."""

    def __ne__(self, other: object, /) -> bool:
        """The negation of `==`."""

def circle_circle(circle1: Circle, circle2: Circle) -> tuple[Vec3d, Vec3d]:
    """The two points where two circles in one plane cross, as a tuple `(first, second)`.

    Looking at the plane from the side `circle2.normal` points to, `first` is
    on the right of the line from `circle1`'s center to `circle2`'s; reversing
    `circle2.normal` swaps the two. Circles that touch give the point of
    contact twice.

    Raises:
        ValueError: when there are not two points, with the reason:
            "The given geometries are identical." (equal circles),
            "The given geometries are out of plane from each other" (not in
            one plane; also for a NaN normal),
            "The given geometries are too far apart and do not intersect at
            all." or "One of the given geometries is contained entirely
            within the other. The surfaces do not intersect."

    Examples:
        >>> up = Vec3d(0, 0, 1)
        >>> unit = geometry.Circle(Vec3d(0, 0, 0), 1.0, up)
        >>> geometry.circle_circle(unit, geometry.Circle(Vec3d(1, 0, 0), 1.0, up))
        (Vec3d(0.5, -0.8660254037844386, 0), Vec3d(0.5, 0.8660254037844386, 0))
        >>> geometry.circle_circle(unit, geometry.Circle(Vec3d(2, 0, 0), 1.0, up))
        (Vec3d(1, 0, 0), Vec3d(1, 0, 0))
        >>> geometry.circle_circle(unit, unit)
        Traceback (most recent call last):
        ...
        ValueError: The given geometries are identical.
    """

def circle_point(circle: Circle, point: Vec3d, inner: bool) -> bool:
    """Whether the point lies on the circle or, with `inner=True`, anywhere in its disk.

    False for a point off the circle's plane (by 2^-52 or more) or outside
    the circle. On the circle means the distance from the center is within
    2^-52 of the radius.

    Raises:
        TypeError: unless `inner` is a `bool` (or a numpy bool):
            "argument 'inner': 'int' object is not an instance of 'bool'".

    Examples:
        >>> unit = geometry.Circle(Vec3d(0, 0, 0), 1.0, Vec3d(0, 0, 1))
        >>> geometry.circle_point(unit, Vec3d(0.6, 0.8, 0), False)
        True
        >>> inside = Vec3d(0.5, 0, 0)
        >>> geometry.circle_point(unit, inside, False), geometry.circle_point(unit, inside, True)
        (False, True)
    """

def circle_point_unchecked(circle: Circle, point: Vec3d, inner: bool) -> bool:
    """`circle_point` without the test that the point lies in the circle's plane.

    The point is judged by its distance from the center alone, so a point
    off the plane on the sphere through the circle counts as on it.

    Raises:
        TypeError: unless `inner` is a `bool` (or a numpy bool).

    Examples:
        >>> unit = geometry.Circle(Vec3d(0, 0, 0), 1.0, Vec3d(0, 0, 1))
        >>> above = Vec3d(1, 0, 1e-15)
        >>> geometry.circle_point(unit, above, False)
        False
        >>> geometry.circle_point_unchecked(unit, above, False)
        True
    """

def plane_line(plane: Plane, a: Vec3d, b: Vec3d) -> Vec3d:
    """The point where the infinite line through `a` and `b` meets the plane.

    A line parallel to the plane, or `a == b`, gives infinite or NaN
    components (no exception).

    Examples:
        >>> plane = geometry.Plane(Vec3d(0, 0, 1), 3.0)  # z = 3
        >>> geometry.plane_line(plane, Vec3d(1, 1, 0), Vec3d(1, 1, 1))
        Vec3d(1, 1, 3)
    """

@final
class Plane:
    """A plane: the points p with `normal·p + distance = 0`.

    The constructor takes the offset of the plane along the normal and
    stores it negated: `Plane(Vec3d(0, 0, 1), 5.0)` is the plane z = 5, and
    its `distance` reads -5.0. The constructors normalise the normal; the
    property setters store what they are given, unchanged. A plane has no
    equality of its own: `==` compares identity, and it is hashable.

    Examples:
        >>> plane = geometry.Plane(Vec3d(0, 0, 2), 3.0)
        >>> plane.normal, plane.distance
        (Vec3d(0, 0, 1), -3.0)
        >>> plane.contains_point(Vec3d(5, -1, 3))
        True
    """

    def __new__(cls, /, normal: Vec3d, distance: float) -> Self:
        """The plane at offset `distance` along `normal` (normalised; NaN for a zero normal)."""

    @property
    def normal(self) -> Vec3d:
        """The normal, as a new vector; assigning stores a copy, not normalised."""

    @normal.setter
    def normal(self, value: Vec3d) -> None: ...
    @property
    def distance(self) -> float:
        """The constant term of `normal·p + distance = 0`: minus the offset along a unit normal.

        Assigning stores the value as given (not negated).
        """

    @distance.setter
    def distance(self, value: float) -> None: ...
    @staticmethod
    def from_point(normal: Vec3d, point: Vec3d) -> Plane:
        """The plane through `point` with the given normal (normalised).

        Examples:
            >>> geometry.Plane.from_point(Vec3d(0, 0, 2), Vec3d(1, 1, 4)).distance
            -4.0
        """

    @staticmethod
    def from_points(point1: Vec3d, point2: Vec3d, point3: Vec3d) -> Plane:
        """The plane through three points.

        The normal is (point2 - point1) × (point3 - point1), normalised: the
        points run counter-clockwise seen from the side it points to.
        Collinear or repeated points give NaN `normal` and `distance`.

        Examples:
            >>> plane = geometry.Plane.from_points(Vec3d.zero(), Vec3d.i(), Vec3d.j())
            >>> plane.normal
            Vec3d(0, 0, 1)
        """

    @staticmethod
    def xy() -> Plane:
        """A new plane z = 0: normal (0, 0, 1), distance -0.0."""

    @staticmethod
    def xz() -> Plane:
        """A new plane y = 0: normal (0, 1, 0), distance -0.0."""

    @staticmethod
    def yz() -> Plane:
        """A new plane x = 0: normal (1, 0, 0), distance -0.0."""

    def contains_point(self, /, point: Vec3d) -> bool:
        """Whether `|normal·point + distance| < 2^-52`: the point lies in the plane."""

    def distance_to_point(self, /, point: Vec3d) -> float:
        """The unsigned distance from the point to the plane, `|normal·point + distance|`.

        Not divided by the length of the normal, so it is a true distance
        only for a unit normal (always so after the constructors).

        Examples:
            >>> geometry.Plane(Vec3d(0, 0, 1), 5.0).distance_to_point(Vec3d(0, 0, 8))
            3.0
        """
