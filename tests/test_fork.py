"""Children forked after the worker pool has started run bulk operations to
the end, with the results of the scalar methods.

A forked child has the pool's bookkeeping but none of its threads. Each test
starts the pool in this process first, forks (os.fork, or multiprocessing
with the fork start method), runs every kind of bulk operation in the child
and compares the bits with what the scalar Vec3d and Quat methods give.
Children that do not finish within TIMEOUT count as hanging and are killed.
"""

from __future__ import annotations

import multiprocessing
import os
import signal
import struct
import subprocess
import sys
import textwrap
import time
import traceback
from collections.abc import Callable
from typing import Any

import pytest

import surface

lorvik: Any = surface._lorvik

pytestmark = [
    pytest.mark.skipif(not hasattr(os, "fork"), reason="needs os.fork"),
    # Forking while the pool's threads exist is the point of these tests.
    pytest.mark.filterwarnings("ignore:This process .* is multi-threaded, use of fork:DeprecationWarning"),
]

TIMEOUT = 120.0
SIZE = 20_000  # far above the pool's grain, so the parent's calls use its threads


def elements() -> list[Any]:
    Vec3d = lorvik.Vec3d
    return [Vec3d(0.5 * i - 3.0, 1.0 / (i + 1), (i % 7) - 2.5) for i in range(SIZE)]


def floats(values: list[float]) -> bytes:
    return struct.pack(f"<{len(values)}d", *values)


def vectors(values: list[Any]) -> bytes:
    return floats([c for v in values for c in (v.x, v.y, v.z)])


OTHER = (0.25, -4.0, 1.5)
ROTATION = (0.5, 0.5, -0.5, 0.5)


def bulk_digest(_: object = None) -> dict[str, bytes]:
    """Every bulk operation on a fresh list, as bytes."""
    v = lorvik.VecList(elements())
    o = lorvik.Vec3d(*OTHER)
    rotated = lorvik.VecList(elements())
    rotated.rotate(lorvik.Quat(*ROTATION))
    index, distance = v.minimum_distance_to(o, 1)
    return {
        "dot": floats(v.dot(o)),
        "magnitude": floats(v.magnitude()),
        "distance_to": floats(v.distance_to(o)),
        "is_unit": bytes(v.is_unit()),
        "cross": vectors(v.cross(o).list),
        "normalize": vectors(list(v.normalize())),
        "scaled": vectors((v * 2.5 + o).list),
        "collapse": vectors((v / 3.0).collapse(1).list),
        "rotate": vectors(rotated.list),
        "to_array": floats([c for row in v.to_array() for c in row]),
        "repr": repr(v).encode(),
        "nearest": struct.pack("<qd", index, distance),
    }


def scalar_digest() -> dict[str, bytes]:
    """The same, element by element through the scalar methods."""
    items = elements()
    o = lorvik.Vec3d(*OTHER)
    q = lorvik.Quat(*ROTATION)
    squared = [e.distance_squared(o) for e in items]
    nearest = min(range(SIZE), key=lambda i: (squared[i], i))
    collapsed = [e / 3.0 for e in items]
    for e in collapsed:
        e.y = 0.0
    return {
        "dot": floats([e.dot(o) for e in items]),
        "magnitude": floats([e.magnitude() for e in items]),
        "distance_to": floats([e.distance_to(o) for e in items]),
        "is_unit": bytes([e.is_unit() for e in items]),
        "cross": vectors([e.cross(o) for e in items]),
        "normalize": vectors([e.normalize() for e in items]),
        "scaled": vectors([e * 2.5 + o for e in items]),
        "collapse": vectors(collapsed),
        "rotate": vectors([q.rotate(e) for e in items]),
        "to_array": floats([c for e in items for c in e.to_array()]),
        "repr": ("[" + "\n".join(map(repr, items)) + "]").encode(),
        "nearest": struct.pack("<qd", nearest, items[nearest].distance_to(o)),
    }


EXPECTED: dict[str, bytes] = {}


@pytest.fixture(scope="module", autouse=True)
def pool_started() -> None:
    """The expected results, and the pool running in this process."""
    EXPECTED.update(scalar_digest())
    assert bulk_digest() == EXPECTED


def wait(pid: int) -> int:
    """The child's exit code; kills it and fails when it hangs."""
    deadline = time.monotonic() + TIMEOUT
    while True:
        done, status = os.waitpid(pid, os.WNOHANG)
        if done:
            return os.waitstatus_to_exitcode(status)
        if time.monotonic() > deadline:
            os.kill(pid, signal.SIGKILL)
            os.waitpid(pid, 0)
            pytest.fail(f"child {pid} hangs")
        time.sleep(0.005)


def in_child(body: Callable[[], bool]) -> int:
    """Forks; the child runs body and exits with 0 when it returns True."""
    pid = os.fork()
    if pid == 0:
        code = 3
        try:
            code = 0 if body() else 1
        except BaseException:
            traceback.print_exc()
            code = 2
        finally:
            os._exit(code)
    return wait(pid)


def child_matches() -> bool:
    return bulk_digest() == EXPECTED


def test_child_runs_bulk_operations() -> None:
    assert in_child(child_matches) == 0
    assert bulk_digest() == EXPECTED  # and the parent's pool still works


def test_fork_right_after_bulk_calls() -> None:
    """Forks while the pool's threads may still be winding down a call."""
    v = lorvik.VecList(elements())
    for _ in range(10):
        v.magnitude()
        assert in_child(lambda: v.magnitude() == [e.magnitude() for e in v]) == 0


def test_grandchild() -> None:
    def child() -> bool:
        return child_matches() and in_child(child_matches) == 0 and child_matches()

    assert in_child(child) == 0


def test_many_children_at_once() -> None:
    pids = []
    for _ in range(4):
        pid = os.fork()
        if pid == 0:
            code = 3
            try:
                code = 0 if child_matches() else 1
            finally:
                os._exit(code)
        pids.append(pid)
    assert [wait(pid) for pid in pids] == [0, 0, 0, 0]


def test_multiprocessing_with_fork() -> None:
    context = multiprocessing.get_context("fork")
    with context.Pool(2) as workers:
        results = workers.map_async(bulk_digest, range(4)).get(TIMEOUT)
    assert all(result == EXPECTED for result in results)
    process = context.Process(target=lambda: sys.exit(0 if child_matches() else 1))
    process.start()
    process.join(TIMEOUT)
    if process.is_alive():
        process.kill()
        pytest.fail("multiprocessing child hangs")
    assert process.exitcode == 0


FORK_FIRST = textwrap.dedent(
    """
    import os
    from lorvik import Vec3d, VecList
    vectors = [Vec3d(i, 1, 2) for i in range(20000)]
    expected = [e.magnitude() for e in vectors]
    pid = os.fork()  # before any list exists: the child makes its own pool
    if pid == 0:
        os._exit(0 if VecList(vectors).magnitude() == expected else 1)
    _, status = os.waitpid(pid, 0)
    assert os.waitstatus_to_exitcode(status) == 0
    assert VecList(vectors).magnitude() == expected
    print("ok")
    """
)


def test_fork_before_the_pool_starts() -> None:
    done = subprocess.run([sys.executable, "-c", FORK_FIRST], capture_output=True, text=True, timeout=TIMEOUT)
    assert done.returncode == 0, done.stderr
    assert done.stdout.strip() == "ok"
