"""A tour of lorvik: every class in a few lines, then a million-point workout
timed next to numpy.

Run it with `make demo`, or `python examples/tour.py` wherever lorvik is
installed. Results go to standard output, progress to standard error.
"""

import math
import os
import random
import sys
import time
import timeit
from array import array
from collections.abc import Callable, Iterator
from contextlib import contextmanager

import numpy as np
import numpy.typing as npt

from lorvik import AngleDegrees, AngleRadians, Quat, Vec3d, VecList, geometry

Points = npt.NDArray[np.float64]

N_POINTS = 1_000_000
CHUNK = 50_000
SEED = 2024
COARSE_STRIDE = 64


# --- output helpers -----------------------------------------------------------


def heading(title: str) -> None:
    print(f"\n== {title} ==")


def show(expression: str, value: object) -> None:
    print(f"  {expression:<64} {value!r}")


class Status:
    """One self-overwriting line on standard error for steps that take a while."""

    def __init__(self) -> None:
        self.live = sys.stderr.isatty()

    def update(self, text: str) -> None:
        if self.live:
            sys.stderr.write(f"\r\033[K{text}")
            sys.stderr.flush()

    def clear(self) -> None:
        if self.live:
            sys.stderr.write("\r\033[K")
            sys.stderr.flush()

    @contextmanager
    def running(self, label: str) -> Iterator[None]:
        # A bulk call keeps the interpreter lock while the worker pool runs, so
        # an animated spinner on another thread would freeze; a line written
        # before the step and cleared after it is what can be shown.
        self.update(f"{label} …")
        try:
            yield
        finally:
            self.clear()


STATUS = Status()


def timed[T](label: str, run: Callable[[], T], repeat: int = 3) -> tuple[T, float]:
    """Runs `run` `repeat` times under a status line; returns the last result
    and the best time in seconds (the first call of a library may pay for its
    start-up: thread pools, page faults)."""
    with STATUS.running(label):
        start = time.perf_counter()
        result = run()
        best = time.perf_counter() - start
        for _ in range(repeat - 1):
            start = time.perf_counter()
            result = run()
            best = min(best, time.perf_counter() - start)
    return result, best


def compare(label: str, ours: float, theirs: float, unit: str = "ms") -> None:
    scale = {"ms": 1e3, "µs": 1e6}[unit]
    ratio = theirs / ours if ours > 0 else math.inf
    print(
        f"  {label:<36} lorvik {ours * scale:8.2f} {unit}   numpy {theirs * scale:8.2f} {unit}"
        f"   numpy/lorvik {ratio:6.1f}"
    )


def per_call(statement: Callable[[], object]) -> float:
    """Seconds per call of `statement`: the best of three runs of about 0.2 s."""
    timer = timeit.Timer(statement)
    count, _ = timer.autorange()
    return min(timer.repeat(3, count)) / count


# --- a tour of the classes ----------------------------------------------------


def tour_vectors() -> None:
    heading("Vec3d: a vector of three doubles")
    a = Vec3d(1, 2, 3)
    b = Vec3d(4, 5, 6)
    show("a = Vec3d(1, 2, 3); b = Vec3d(4, 5, 6)", (a, b))
    show("a + b, a - b, 2 * a, a / 2, -a", (a + b, a - b, 2 * a, a / 2, -a))
    show("a.dot(b), a.cross(b)", (a.dot(b), a.cross(b)))
    show("a.magnitude(), a.normalize()", (a.magnitude(), a.normalize()))
    show("a.distance_to(b), a[2], a.to_array()", (a.distance_to(b), a[2], a.to_array()))
    show("Vec3d(1, 1, 0).distance_to_line(Vec3d.zero(), Vec3d.i())",
         Vec3d(1, 1, 0).distance_to_line(Vec3d.zero(), Vec3d.i()))
    show("Vec3d.i().scalar_triple_product(Vec3d.j(), Vec3d.k())",
         Vec3d.i().scalar_triple_product(Vec3d.j(), Vec3d.k()))
    show("Vec3d(0, 0, 1e-16) == Vec3d(0, 0, 2e-16)  (|Δ| < 2^-52)",
         Vec3d(0, 0, 1e-16) == Vec3d(0, 0, 2e-16))
    show("Vec3d(1, 2, 3) / 0", Vec3d(1, 2, 3) / 0)


def tour_angles() -> None:
    heading("AngleRadians and AngleDegrees: the unit is part of the type")
    show("AngleRadians.half_pi()", AngleRadians.half_pi())
    show("AngleRadians.third_pi().to_degrees()", AngleRadians.third_pi().to_degrees())
    show("AngleDegrees(90).to_radians()", AngleDegrees(90).to_radians())
    show("AngleRadians.pi() / 4 + AngleRadians(0.25)", AngleRadians.pi() / 4 + AngleRadians(0.25))
    show("AngleRadians.sixth_pi().sin(), .sec()",
         (AngleRadians.sixth_pi().sin(), AngleRadians.sixth_pi().sec()))
    show("Vec3d.i().angle_to(Vec3d.j())", Vec3d.i().angle_to(Vec3d.j()))
    show("AngleRadians.pi() == AngleDegrees(180)  (units never mix)",
         AngleRadians.pi() == AngleDegrees(180))


def tour_quaternions() -> None:
    heading("Quat: rotations")
    q = Quat.from_axis_angle(Vec3d.k(), AngleRadians.half_pi())
    show("q = Quat.from_axis_angle(Vec3d.k(), AngleRadians.half_pi())", q)
    show("q.rotate(Vec3d.i())  (right-hand rule about k)", q.rotate(Vec3d.i()))
    show("q.to_axis_angle()  (reports the axis as -k)", q.to_axis_angle())
    show("q.to_rotation_matrix()  (transpose of rotate's)", q.to_rotation_matrix())
    show("q.is_unit(), q.conjugate()", (q.is_unit(), q.conjugate()))
    show("Quat(1, 1, 1, 1).normalize()", Quat(1, 1, 1, 1).normalize())


def tour_lists() -> None:
    heading("VecList: many vectors, one call, every worker thread")
    v = VecList([Vec3d(3, 4, 0), Vec3d(0, 0, 2), Vec3d(1, 2, 2)])
    show("v = VecList([...3 vectors...]); len(v)", len(v))
    show("v.magnitude()", v.magnitude())
    show("v.dot(Vec3d.k())", v.dot(Vec3d.k()))
    show("v.normalize().is_unit()", v.normalize().is_unit())
    show("(v * 2 - Vec3d(1, 1, 1))[0]", (v * 2 - Vec3d(1, 1, 1))[0])
    show("v.collapse(2).list", v.collapse(2).list)
    show("v.minimum_distance_to(Vec3d(1, 2, 1), 1)", v.minimum_distance_to(Vec3d(1, 2, 1), 1))
    v.rotate(Quat.from_axis_angle(Vec3d.k(), AngleRadians.pi()))
    show("after v.rotate(half turn about k): v[0]", v[0])


def tour_geometry() -> None:
    heading("geometry: Plane, Circle and intersections")
    plane = geometry.Plane(Vec3d(0, 0, 2), 3.0)
    show("plane = geometry.Plane(Vec3d(0, 0, 2), 3.0)", (plane.normal, plane.distance))
    show("plane.contains_point(Vec3d(5, -1, 3))", plane.contains_point(Vec3d(5, -1, 3)))
    show("geometry.plane_line(plane, Vec3d(1, 1, 0), Vec3d(1, 1, 1))",
         geometry.plane_line(plane, Vec3d(1, 1, 0), Vec3d(1, 1, 1)))
    unit = geometry.Circle(Vec3d.zero(), 1.0, Vec3d.k())
    show("unit = geometry.Circle(Vec3d.zero(), 1.0, Vec3d.k()); area", unit.area)
    show("circle_circle(unit, Circle(Vec3d(1, 0, 0), 1, k))",
         geometry.circle_circle(unit, geometry.Circle(Vec3d(1, 0, 0), 1.0, Vec3d.k())))
    show("circle_circle(unit, Circle(Vec3d(2, 0, 0), 1, k))  (touching)",
         geometry.circle_circle(unit, geometry.Circle(Vec3d(2, 0, 0), 1.0, Vec3d.k())))
    try:
        geometry.circle_circle(unit, geometry.Circle(Vec3d(3, 0, 0), 1.0, Vec3d.k()))
    except ValueError as error:
        show("circle_circle(unit, Circle(Vec3d(3, 0, 0), 1, k))", error)
    show("circle_point(unit, Vec3d(0.5, 0, 0), inner=True)",
         geometry.circle_point(unit, Vec3d(0.5, 0, 0), inner=True))


# --- the million-point workout ------------------------------------------------


def build_cloud() -> tuple[list[Vec3d], Points]:
    """Points on a torus (radii 3 and 1) at seeded random angles, as Vec3d
    objects and as the same doubles in an (n, 3) numpy array."""
    rng = random.Random(SEED)
    tau, cos, sin = math.tau, math.cos, math.sin
    vectors: list[Vec3d] = []
    coords = array("d")
    for start in range(0, N_POINTS, CHUNK):
        STATUS.update(f"building the point cloud … {start * 100 // N_POINTS:3d}%")
        for _ in range(min(CHUNK, N_POINTS - start)):
            u = tau * rng.random()
            w = tau * rng.random()
            ring = 3.0 + cos(w)
            x, y, z = ring * cos(u), ring * sin(u), sin(w)
            vectors.append(Vec3d(x, y, z))
            coords.extend((x, y, z))
    STATUS.clear()
    return vectors, np.frombuffer(coords, dtype=np.float64).reshape(-1, 3)


def samples(length: int, count: int = 1000) -> list[int]:
    return list(range(0, length, max(1, length // count)))


def max_deviation(points: VecList, reference: Points) -> float:
    """Largest coordinate difference over a sample of the points."""
    return max(
        float(np.max(np.abs(np.array(points[i].to_array()) - reference[i])))
        for i in samples(len(points))
    )


def workout() -> None:
    threads = os.environ.get("RAYON_NUM_THREADS", f"unset, one per processor: {os.cpu_count()}")
    heading(f"A cloud of {N_POINTS:,} points (RAYON_NUM_THREADS {threads})")

    (vectors, reference), seconds = timed("building the point cloud", build_cloud, repeat=1)
    print(f"  built {len(vectors):,} Vec3d objects on a torus in {seconds:.2f} s (pure Python)")
    cloud, seconds = timed("VecList(list)", lambda: VecList(vectors))
    print(f"  VecList(list) copies them into one flat array in {seconds * 1e3:.1f} ms")
    pts = reference.copy()
    del vectors

    # Rotation: a third of a turn about (1, 1, 1). rotate's matrix is the
    # transpose of to_rotation_matrix(), so row vectors are multiplied by the
    # latter as it stands.
    axis = Vec3d(1, 1, 1).normalize()
    quat = Quat.from_axis_angle(axis, AngleDegrees(120).to_radians())
    matrix = np.array(quat.to_rotation_matrix())
    # rotate works in place: it is timed on a copy (x * 1.0 is x, bit for bit).
    scratch = cloud * 1.0
    _, ours = timed("rotating", lambda: scratch.rotate(quat))
    cloud.rotate(quat)
    pts, theirs = timed("rotating (numpy)", lambda: pts @ matrix)
    compare("rotate in place / pts @ matrix", ours, theirs)
    print(f"    a third of a turn about (1, 1, 1) takes (1, 0, 0) to {quat.rotate(Vec3d.i())}")
    print(f"    lorvik and numpy agree within {max_deviation(cloud, pts):.1e}")

    def numpy_normalize() -> Points:
        x, y, z = pts[:, 0], pts[:, 1], pts[:, 2]
        norms: Points = np.sqrt((x * x + y * y) + z * z)
        return pts / norms[:, np.newaxis]

    unit, ours = timed("normalising", cloud.normalize)
    unit_np, theirs = timed("normalising (numpy)", numpy_normalize)
    compare("normalize", ours, theirs)
    flags = unit.is_unit()
    print(f"    is_unit() holds for {sum(flags) / len(flags):.1%} of them (strict |m - 1| < 2^-52); "
          f"largest difference to numpy {max_deviation(unit, unit_np):.1e}")

    probe = Vec3d(0.5, 2.0, 0.9)
    probe_np = np.array(probe.to_array())

    def numpy_nearest() -> tuple[int, float]:
        d = unit_np - probe_np
        squared = (d[:, 0] * d[:, 0] + d[:, 1] * d[:, 1]) + d[:, 2] * d[:, 2]
        index = int(np.argmin(squared))
        return index, math.sqrt(float(squared[index]))

    # The search runs on the normalised cloud: points on the unit sphere.
    (exact_index, exact_distance), ours = timed(
        "nearest point, stride 1", lambda: unit.minimum_distance_to(probe, 1))
    (coarse_index, coarse_distance), coarse = timed(
        f"nearest point, stride {COARSE_STRIDE}",
        lambda: unit.minimum_distance_to(probe, COARSE_STRIDE))
    (np_index, np_distance), theirs = timed("nearest point (numpy)", numpy_nearest)
    compare("nearest point, stride 1 / argmin", ours, theirs)
    compare(f"nearest point, stride {COARSE_STRIDE} / argmin", coarse, theirs)
    print(f"    probe {probe}: stride 1 finds #{exact_index} at {exact_distance:.6f} "
          f"(numpy #{np_index} at {np_distance:.6f}); stride {COARSE_STRIDE} finds "
          f"#{coarse_index} at {coarse_distance:.6f}"
          + (" (the same point)" if coarse_index == exact_index else " (a near one)"))


def numpy_plane_line(normal: Points, distance: float, a: Points, b: Points) -> Points:
    d = b - a
    t = -(float(normal @ a) + distance) / float(normal @ d)
    result: Points = a + t * d
    return result


def numpy_circle_circle(
    c1: Points, r1: float, c2: Points, r2: float, n2: Points
) -> tuple[Points, Points]:
    """The same construction as geometry.circle_circle, without its checks."""
    d = float(np.linalg.norm(c1 - c2))
    t = (r1 * r1 - r2 * r2) / (d * d + d * d) + 0.5
    h = math.sqrt(max(r1 * r1 - (t * t) * (d * d), 0.0))
    direction = c2 - c1
    foot = c1 + t * direction
    u = np.cross(direction, n2)
    u = u / np.linalg.norm(u)
    return foot + h * u, foot - h * u


def single_calls() -> None:
    heading("Single calls: intersections")
    plane = geometry.Plane(Vec3d(1, 2, 2), 3.0)
    a, b = Vec3d(0, 0, 0), Vec3d(1, 1, 1)
    normal, a_np, b_np = (np.array(v.to_array()) for v in (plane.normal, a, b))
    hit = geometry.plane_line(plane, a, b)
    hit_np = numpy_plane_line(normal, plane.distance, a_np, b_np)
    print(f"  plane_line: the line through {a} and {b} meets the plane at {hit} "
          f"(numpy {hit_np.tolist()})")
    compare("plane_line, per call", per_call(lambda: geometry.plane_line(plane, a, b)),
            per_call(lambda: numpy_plane_line(normal, plane.distance, a_np, b_np)), "µs")

    c1 = geometry.Circle(Vec3d(0, 0, 0), 3.0, Vec3d.k())
    c2 = geometry.Circle(Vec3d(4, 0, 0), 5.0, Vec3d.k())
    first, second = geometry.circle_circle(c1, c2)
    args = (np.array([0.0, 0, 0]), 3.0, np.array([4.0, 0, 0]), 5.0, np.array([0.0, 0, 1]))
    first_np, second_np = numpy_circle_circle(*args)
    print(f"  circle_circle: radius 3 at the origin and radius 5 at (4, 0, 0) meet at "
          f"{first} and {second} (numpy {first_np.tolist()}, {second_np.tolist()})")
    compare("circle_circle, per call", per_call(lambda: geometry.circle_circle(c1, c2)),
            per_call(lambda: numpy_circle_circle(*args)), "µs")


def main() -> None:
    started = time.perf_counter()
    tour_vectors()
    tour_angles()
    tour_quaternions()
    tour_lists()
    tour_geometry()
    workout()
    single_calls()
    print(f"\nTour finished in {time.perf_counter() - started:.1f} s.")


if __name__ == "__main__":
    main()
