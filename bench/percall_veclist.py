"""Per-call cost of VecList on small lists (8 vectors), where the fixed cost of
a call dominates: against numpy on an (8, 3) array and against a plain list
of tuples handled in Python. The bulk operations stay on the calling thread
at this size (bench/bulk.py covers large lists).
"""

from __future__ import annotations

import math  # noqa: F401  (used by the statements)

import numpy as np  # noqa: F401
from lorvik import Vec3d, VecList  # noqa: F401

from percall import Case

SETUP = """
rows = [(1.5 * i, -2.25 + i, 3.0 - 0.5 * i) for i in range(8)]
vectors = [Vec3d(*r) for r in rows]
v = VecList(vectors)
a = np.array(rows)
o = Vec3d(0.5, 1.0, -1.5); on = np.array([0.5, 1.0, -1.5]); po = (0.5, 1.0, -1.5)
"""

PY_MAGNITUDE = "[math.sqrt((x * x + y * y) + z * z) for x, y, z in rows]"
PY_ADD = "[(x + po[0], y + po[1], z + po[2]) for x, y, z in rows]"
PY_NEAREST = (
    "min(range(8), key=lambda i: (rows[i][0] - po[0]) ** 2 + (rows[i][1] - po[1]) ** 2"
    " + (rows[i][2] - po[2]) ** 2)"
)


def case(name: str, ours: str, numpy_stmt: str, py_stmt: str | None = None) -> Case:
    peers = {"numpy": numpy_stmt}
    if py_stmt is not None:
        peers["pure Python"] = py_stmt
    return Case(name, ours, peers, SETUP)


CASES: list[Case] = [
    case("construct (8)", "VecList(vectors)", "np.array(rows)", "list(rows)"),
    case("len", "len(v)", "len(a)", "len(rows)"),
    case("v[i]", "v[5]", "a[5]", "rows[5]"),
    case("magnitude (8)", "v.magnitude()", "np.linalg.norm(a, axis=1).tolist()", PY_MAGNITUDE),
    case("v + o (8)", "v + o", "a + on", PY_ADD),
    case("minimum_distance_to (8)", "v.minimum_distance_to(o, 1)",
         "int(np.argmin(((a - on) ** 2).sum(axis=1)))", PY_NEAREST),
    case("to_array (8)", "v.to_array()", "a.tolist()", "[list(r) for r in rows]"),
    case("iterate (8)", "for e in v: pass", "for e in a: pass", "for e in rows: pass"),
]
