"""Per-call cost of the angle classes and Quat against PyGLM and scipy.

PyGLM has no angle type: angles there are plain floats (or a one-component
glm.dvec1 where an object is the fair comparison), converted with
glm.degrees / glm.radians. Its quaternion is glm.dquat (w, x, y, z). scipy's
Rotation is the peer for a single rotation; it normalises on construction
and works in (x, y, z, w) order, so its statements are the nearest
equivalents, not the same formulas.
"""

from __future__ import annotations

import glm  # noqa: F401  (used by the statements)
from lorvik import AngleDegrees, AngleRadians, Quat, Vec3d  # noqa: F401
from scipy.spatial.transform import Rotation  # noqa: F401

from percall import Case

SETUP = """
a = AngleRadians(0.75); b = AngleRadians(-1.25); d = AngleDegrees(42.5)
ga = glm.dvec1(0.75); gb = glm.dvec1(-1.25); fa = 0.75; fd = 42.5
q = Quat(0.8, -0.2, 0.4, 0.4); v = Vec3d(1.5, -2.25, 3.0); axis = Vec3d(0.0, 0.6, 0.8)
gq = glm.dquat(0.8, -0.2, 0.4, 0.4); gv = glm.dvec3(1.5, -2.25, 3.0)
gaxis = glm.dvec3(0.0, 0.6, 0.8)
r = Rotation.from_quat([-0.2, 0.4, 0.4, 0.8]); rv = [1.5, -2.25, 3.0]; raxis = [0.0, 0.45, 0.6]
"""


def case(name: str, ours: str, glm_stmt: str | None, scipy_stmt: str | None = None) -> Case:
    peers = {}
    if glm_stmt is not None:
        peers["PyGLM"] = glm_stmt
    if scipy_stmt is not None:
        peers["scipy"] = scipy_stmt
    return Case(name, ours, peers, SETUP)


CASES: list[Case] = [
    case("AngleRadians(x)", "AngleRadians(0.75)", "glm.dvec1(0.75)"),
    case("angle a + b", "a + b", "ga + gb"),
    case("angle a - b", "a - b", "ga - gb"),
    case("angle a * s", "a * 2.5", "ga * 2.5"),
    case("angle a / s", "a / 2.5", "ga / 2.5"),
    case("angle -a", "-a", "-ga"),
    case("angle a < b", "a < b", "ga < gb"),
    case("angle .angle", "a.angle", "ga.x"),
    case("to_degrees", "a.to_degrees()", "glm.degrees(fa)"),
    case("to_radians", "d.to_radians()", "glm.radians(fd)"),
    case("sin", "a.sin()", "glm.sin(fa)"),
    case("Quat(w, i, j, k)", "Quat(0.8, -0.2, 0.4, 0.4)", "glm.dquat(0.8, -0.2, 0.4, 0.4)",
         "Rotation.from_quat([-0.2, 0.4, 0.4, 0.8])"),
    case("Quat.identity()", "Quat.identity()", "glm.dquat()", "Rotation.identity()"),
    case("rotate", "q.rotate(v)", "gq * gv", "r.apply(rv)"),
    case("rotate about axis", "Quat.from_axis_angle(axis, a).rotate(v)",
         "glm.rotate(gv, fa, gaxis)", "Rotation.from_rotvec(raxis).apply(rv)"),
    case("conjugate", "q.conjugate()", "glm.conjugate(gq)", "r.inv()"),
    case("normalize", "q.normalize()", "glm.normalize(gq)"),
    case("magnitude", "q.magnitude()", "glm.length(gq)", "r.magnitude()"),
    case("from_axis_angle", "Quat.from_axis_angle(axis, a)", "glm.angleAxis(fa, gaxis)",
         "Rotation.from_rotvec(raxis)"),
    case("to_axis_angle", "q.to_axis_angle()", "(glm.axis(gq), glm.angle(gq))", "r.as_rotvec()"),
    case("to_rotation_matrix", "q.to_rotation_matrix()", "glm.mat3_cast(gq)", "r.as_matrix()"),
    case("q == q", "q == q", "gq == gq"),
    case("q.w", "q.w", "gq.w"),
    case("Vec3d.to_quat", "v.to_quat()", "glm.dquat(0.0, gv)"),
    case("Vec3d.angle_to", "v.angle_to(axis)", "glm.acos(glm.dot(gv, gaxis) / (glm.length(gv) * glm.length(gaxis)))"),
]
