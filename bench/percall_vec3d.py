"""Per-call cost of Vec3d against PyGLM's dvec3 and a pure-Python vector.

The pure-Python peer is a typed NamedTuple with the same formulas (same
evaluation order), the fastest plain-Python shape for a small immutable
vector. It has no setter, so property assignment compares with PyGLM only.
"""

from __future__ import annotations

import math
from typing import NamedTuple

import glm  # noqa: F401  (used by the statements)
from lorvik import Vec3d  # noqa: F401

from percall import Case

EPSILON = 2.0**-52


class PyVec3(NamedTuple):
    x: float
    y: float
    z: float

    def __add__(self, other: object) -> PyVec3:  # type: ignore[override]
        if not isinstance(other, PyVec3):
            return NotImplemented
        return PyVec3(self.x + other.x, self.y + other.y, self.z + other.z)

    def __sub__(self, other: PyVec3) -> PyVec3:
        return PyVec3(self.x - other.x, self.y - other.y, self.z - other.z)

    def __mul__(self, s: float) -> PyVec3:  # type: ignore[override]
        return PyVec3(self.x * s, self.y * s, self.z * s)

    def __rmul__(self, s: float) -> PyVec3:  # type: ignore[override]
        return PyVec3(self.x * s, self.y * s, self.z * s)

    def __truediv__(self, s: float) -> PyVec3:
        return PyVec3(self.x / s, self.y / s, self.z / s)

    def __neg__(self) -> PyVec3:
        return PyVec3(-self.x, -self.y, -self.z)

    def __eq__(self, other: object) -> bool:
        if not isinstance(other, PyVec3):
            return NotImplemented
        return (
            abs(self.x - other.x) < EPSILON
            and abs(self.y - other.y) < EPSILON
            and abs(self.z - other.z) < EPSILON
        )

    def __hash__(self) -> int:
        return tuple.__hash__(self)

    def __repr__(self) -> str:
        return f"Vec3d({self.x!r}, {self.y!r}, {self.z!r})"

    def dot(self, other: PyVec3) -> float:
        return self.x * other.x + self.y * other.y + self.z * other.z

    def cross(self, other: PyVec3) -> PyVec3:
        return PyVec3(
            self.y * other.z - self.z * other.y,
            self.z * other.x - self.x * other.z,
            self.x * other.y - self.y * other.x,
        )

    def magnitude(self) -> float:
        return math.sqrt(self.x * self.x + self.y * self.y + self.z * self.z)

    def normalize(self) -> PyVec3:
        n = math.sqrt(self.x * self.x + self.y * self.y + self.z * self.z)
        return PyVec3(self.x / n, self.y / n, self.z / n)

    def distance_to(self, other: PyVec3) -> float:
        dx = self.x - other.x
        dy = self.y - other.y
        dz = self.z - other.z
        return math.sqrt(dx * dx + dy * dy + dz * dz)


SETUP = """
a = Vec3d(1.5, -2.25, 3.0); b = Vec3d(-0.5, 4.0, 2.5)
ga = glm.dvec3(1.5, -2.25, 3.0); gb = glm.dvec3(-0.5, 4.0, 2.5)
pa = PyVec3(1.5, -2.25, 3.0); pb = PyVec3(-0.5, 4.0, 2.5)
s = 1.75; i = 1; value = 0.25
"""


def case(name: str, ours: str, glm_stmt: str, py_stmt: str | None) -> Case:
    peers = {"PyGLM": glm_stmt}
    if py_stmt is not None:
        peers["pure Python"] = py_stmt
    return Case(name, ours, peers, SETUP)


CASES: list[Case] = [
    case("construct", "Vec3d(1.5, -2.25, 3.0)", "glm.dvec3(1.5, -2.25, 3.0)",
         "PyVec3(1.5, -2.25, 3.0)"),
    case("a + b", "a + b", "ga + gb", "pa + pb"),
    case("a - b", "a - b", "ga - gb", "pa - pb"),
    case("v * s", "a * s", "ga * s", "pa * s"),
    case("s * v", "s * a", "s * ga", "s * pa"),
    case("v / s", "a / s", "ga / s", "pa / s"),
    case("-v", "-a", "-ga", "-pa"),
    case("dot", "a.dot(b)", "glm.dot(ga, gb)", "pa.dot(pb)"),
    case("cross", "a.cross(b)", "glm.cross(ga, gb)", "pa.cross(pb)"),
    case("magnitude", "a.magnitude()", "glm.length(ga)", "pa.magnitude()"),
    case("normalize", "a.normalize()", "glm.normalize(ga)", "pa.normalize()"),
    case("distance_to", "a.distance_to(b)", "glm.distance(ga, gb)", "pa.distance_to(pb)"),
    case("a == b", "a == b", "ga == gb", "pa == pb"),
    case("hash", "hash(a)", "hash(ga)", "hash(pa)"),
    case("v[i]", "a[i]", "ga[i]", "pa[i]"),
    case("get x", "a.x", "ga.x", "pa.x"),
    case("set x", "a.x = value", "ga.x = value", None),
    case("repr", "repr(a)", "repr(ga)", "repr(pa)"),
]
