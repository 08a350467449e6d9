"""Stress under an interpreter without the global lock (a free-threaded
CPython build); skipped elsewhere.

Without the lock, threads really run inside the same call at once, and the
borrow counters and version words are the only guard: concurrent setters and
readers of one Vec3d, Quat, Plane, Circle or VecList must see only the borrow
refusals (RuntimeError "Already borrowed" / "Already mutably borrowed", the
right operand of == and != included; an operator's TypeError for unsupported
operands), never a torn or half-rotated value, and shared readers must never
refuse each other.
"""

from __future__ import annotations

import sys
import sysconfig
import threading
from collections.abc import Callable
from typing import Any

import pytest

import thread_workload
from thread_workload import N_BASE, Vec3d, VecList, lorvik

Circle, Plane = lorvik.geometry.Circle, lorvik.geometry.Plane

pytestmark = pytest.mark.skipif(
    sysconfig.get_config_var("Py_GIL_DISABLED") != 1, reason="needs a free-threaded interpreter"
)

THREADS = 8
TIMEOUT = 600.0


def test_the_module_keeps_the_lock_off() -> None:
    # An extension that does not declare Py_MOD_GIL_NOT_USED turns the lock
    # back on when imported.
    assert not sys._is_gil_enabled()


@pytest.mark.skipif(sys.version_info[:2] != (3, 13), reason="3.13 counts references to heap types in one field")
def test_the_classes_are_immortal() -> None:
    # Each instance references its class; a counted reference would be one
    # counter that every thread making objects updates.
    import lorvik

    classes = [getattr(m, name) for m in (lorvik, lorvik.geometry) for name in m.__all__]
    classes = [c for c in classes if isinstance(c, type)] + [type(iter(VecList([])))]
    assert len(classes) > 5
    for cls in classes:
        assert sys.getrefcount(cls) == sys.getrefcount(None), cls


@pytest.mark.parametrize("seed", range(4))
def test_threads_sharing_objects(seed: int) -> None:
    shared = thread_workload.run(threads=THREADS, count=20_000, seed=seed, timeout=TIMEOUT)
    assert sum(shared.done.values()) > 0


def run_all(count: int, *targets: Callable[[int], object]) -> list[BaseException]:
    """Runs target(count), scaled, on THREADS threads started together, the
    targets taking turns; their errors."""
    errors: list[BaseException] = []
    start = threading.Barrier(THREADS)

    def body(target: Callable[[int], object]) -> None:
        start.wait()
        try:
            target(thread_workload.scaled(count))
        except BaseException as error:
            errors.append(error)

    threads = [threading.Thread(target=body, args=(targets[i % len(targets)],), daemon=True)
               for i in range(THREADS)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join(TIMEOUT)
        assert not thread.is_alive(), "a thread hangs"
    return errors


def test_readers_never_refuse_each_other() -> None:
    v = Vec3d(1.0, 2.0, 3.0)
    items = VecList([Vec3d(i, 1.0, 2.0) for i in range(N_BASE)])
    expected = [e.magnitude() for e in items]

    def read(count: int) -> None:
        for _ in range(count):
            assert v.to_array() == [1.0, 2.0, 3.0]
            assert v.x == 1.0 and v == v and hash(v) == hash(Vec3d(1.0, 2.0, 3.0))
            assert items.magnitude() == expected
            assert len(items) == N_BASE and items[5].x == 5.0
            VecList.empty().extend(items)

    assert run_all(2_000, read) == []


def test_setters_and_readers_of_one_vector() -> None:
    v = Vec3d(0.0, 0.0, 0.0)
    far = Vec3d(1e300, 1e300, 1e300)
    values = thread_workload.VALUES
    refused: list[int] = []

    def hammer(count: int) -> None:
        local = 0
        for i in range(count):
            try:
                if i % 2:
                    setattr(v, "xyz"[i % 3], values[i % len(values)])
                else:
                    thread_workload.check_components(v.to_array(), "to_array")
                    thread_workload.check_components([v[i % 3]], "item")
                    # A refused receiver hands over to the reflected
                    # comparison, whose right operand may be refused in turn.
                    assert not (far == v) and (v != far)
                    assert thread_workload.operator_result(lambda: v * 1.0) is not v
            except RuntimeError as error:
                assert str(error) in thread_workload.BORROW_TEXTS
                local += 1
        refused.append(local)

    assert run_all(50_000, hammer) == []


def test_reads_never_see_half_a_write() -> None:
    """Writers replace whole vectors of a Plane and a Circle (three doubles
    each) while readers copy them without a borrow; any mix of two written
    values has mixed signs. Readers may be refused while a write is in
    progress, but whatever they return was stored whole."""
    normals = [Vec3d(1.0, 2.0, 3.0), Vec3d(-4.0, -5.0, -6.0)]
    centers = [Vec3d(7.0, 8.0, 9.0), Vec3d(-0.5, -0.25, -0.125)]
    a, b = Vec3d(-10.0, 1.0, 3.0), Vec3d(10.0, -1.0, 2.0)

    def plane_with(normal: Any) -> Any:
        made = Plane(normals[0], 2.0)
        made.normal = normal  # as written: the constructor normalises
        return made

    def circle_with(center: Any, normal: Any) -> Any:
        made = Circle(centers[0], 1.0, normals[0])
        made.center, made.normal = center, normal
        return made

    def value(result: Any) -> object:
        return (repr(result.normal), result.distance) if isinstance(result, Plane) else repr(result)

    plane, circle = plane_with(normals[0]), circle_with(centers[0], normals[0])
    written = {
        "plane.normal": {value(n) for n in normals},
        "circle.center": {value(c) for c in centers},
        "circle.get_plane()": {value(circle_with(c, n).get_plane()) for c in centers for n in normals},
        "plane_line": {value(lorvik.geometry.plane_line(plane_with(n), a, b)) for n in normals},
    }
    reads: dict[str, Callable[[], object]] = {
        "plane.normal": lambda: plane.normal,
        "circle.center": lambda: circle.center,
        "circle.get_plane()": circle.get_plane,
        "plane_line": lambda: lorvik.geometry.plane_line(plane, a, b),
    }

    def write(count: int) -> None:
        for i in range(count):
            try:
                plane.normal = normals[i % 2]
                circle.center = centers[i % 2]
                circle.normal = normals[i // 2 % 2]
            except RuntimeError as error:
                assert str(error) in thread_workload.BORROW_TEXTS

    def read(count: int) -> None:
        results: dict[str, list[object]] = {name: [] for name in reads}
        for _ in range(count):
            for name, call in reads.items():
                try:
                    results[name].append(call())
                except RuntimeError as error:
                    assert str(error) in thread_workload.BORROW_TEXTS
        for name, objects in results.items():
            values = {value(result) for result in objects}
            assert values <= written[name], f"{name} returned {values - written[name]}, never written whole"

    assert run_all(30_000, write, read) == []


def test_concurrent_bulk_calls_on_the_pool() -> None:
    """Several threads enter the worker pool at once, on shared and own lists."""
    shared = VecList([Vec3d(0.5 * i, -i, 3.0) for i in range(20_000)])
    expected = [e.magnitude() for e in shared]

    def bulk(count: int) -> None:
        own = VecList([Vec3d(i, 2.0, -1.0) for i in range(5_000)])
        own_expected = [e.distance_to(Vec3d(1, 1, 1)) for e in own]
        for _ in range(count):
            assert shared.magnitude() == expected
            assert own.distance_to(Vec3d(1, 1, 1)) == own_expected

    assert run_all(50, bulk) == []
