"""Python threads sharing lorvik objects under the interpreter lock.

With the lock held for the whole of every call, two threads meet inside one
call only when a conversion runs Python code that lets another thread in.
The first group of tests stops a call there on purpose and has a second
thread touch the borrowed receiver; the stress test lets threads interleave
freely (with a tiny switch interval and conversions that yield) and checks
the invariants of thread_workload.py. tools/repeat.py runs this file (and
test_fork.py) many times in fresh processes.
"""

from __future__ import annotations

import sys
import threading
from collections.abc import Callable, Iterator
from typing import Any

import pytest

import thread_workload
from thread_workload import N_BASE, Quat, Vec3d, VecList

TIMEOUT = 60.0


class Pausing:
    """__float__ and __index__ that signal `inside` and then wait for
    `resume`, so that another thread runs while the call is converting."""

    def __init__(self, value: int) -> None:
        self.value = value
        self.inside = threading.Event()
        self.resume = threading.Event()

    def _pause(self) -> None:
        self.inside.set()
        assert self.resume.wait(TIMEOUT)

    def __float__(self) -> float:
        self._pause()
        return float(self.value)

    def __index__(self) -> int:
        self._pause()
        return self.value


def vec_list() -> Any:
    return VecList([Vec3d(i, 2 * i, 3) for i in range(N_BASE)])


# (name, make receiver, call paused in a conversion, touch from a second
#  thread, its outcome: None for success or the borrow error's text)
CONFLICTS: list[tuple[str, Callable[[], Any], Callable[[Any, Pausing], object], Callable[[Any], object], str | None]]
CONFLICTS = [
    ("Vec3d * s, set x", lambda: Vec3d(1, 2, 3), lambda v, p: v * p, lambda v: setattr(v, "x", 9.0), "Already borrowed"),
    ("Vec3d * s, read x", lambda: Vec3d(1, 2, 3), lambda v, p: v * p, lambda v: v.x, None),
    ("s * Vec3d, set y", lambda: Vec3d(1, 2, 3), lambda v, p: p * v, lambda v: setattr(v, "y", 9.0), "Already borrowed"),
    ("Vec3d / s, set z", lambda: Vec3d(1, 2, 3), lambda v, p: v / p, lambda v: setattr(v, "z", 9.0), "Already borrowed"),
    ("Vec3d[i], set x", lambda: Vec3d(1, 2, 3), lambda v, p: v[p], lambda v: setattr(v, "x", 9.0), "Already borrowed"),
    ("Vec3d[i], compare", lambda: Vec3d(1, 2, 3), lambda v, p: v[p], lambda v: v == Vec3d(1, 2, 3), None),
    ("angle * s, set angle", lambda: thread_workload.lorvik.AngleRadians(1.0), lambda a, p: a * p,
     lambda a: setattr(a, "angle", 9.0), "Already borrowed"),
    ("collapse, append", vec_list, lambda v, p: v.collapse(p), lambda v: v.append(Vec3d(0, 0, 0)), "Already borrowed"),
    ("collapse, extend", vec_list, lambda v, p: v.collapse(p), lambda v: v.extend(VecList.empty()), "Already borrowed"),
    ("collapse, rotate", vec_list, lambda v, p: v.collapse(p), lambda v: v.rotate(Quat(0, 0, 0, 1)), "Already borrowed"),
    ("collapse, bulk read", vec_list, lambda v, p: v.collapse(p), lambda v: v.magnitude(), None),
    ("collapse, extend another", vec_list, lambda v, p: v.collapse(p), lambda v: VecList.empty().extend(v), None),
    ("minimum_distance_to, append", vec_list, lambda v, p: v.minimum_distance_to(Vec3d(0, 0, 0), p),
     lambda v: v.append(Vec3d(0, 0, 0)), "Already borrowed"),
    ("item, rotate", vec_list, lambda v, p: v[p], lambda v: v.rotate(Quat(0, 0, 0, 1)), "Already borrowed"),
    ("VecList * s, append", vec_list, lambda v, p: v * p, lambda v: v.append(Vec3d(0, 0, 0)), "Already borrowed"),
    ("VecList * s, iterate", vec_list, lambda v, p: v * p, lambda v: list(v), None),
]


@pytest.mark.parametrize(("name", "make", "paused", "touch", "outcome"), CONFLICTS, ids=[c[0] for c in CONFLICTS])
def test_a_receiver_borrowed_in_another_thread(
    name: str, make: Callable[[], Any], paused: Callable[[Any, Pausing], object], touch: Callable[[Any], object],
    outcome: str | None,
) -> None:
    receiver = make()
    before = repr(receiver)
    expected = paused(receiver, 1 if isinstance(receiver, VecList) else 2)  # type: ignore[arg-type]
    hook = Pausing(1 if isinstance(receiver, VecList) else 2)
    result: list[object] = []
    thread = threading.Thread(target=lambda: result.append(paused(receiver, hook)), daemon=True)
    thread.start()
    try:
        assert hook.inside.wait(TIMEOUT)
        if outcome is None:
            touch(receiver)
        else:
            with pytest.raises(RuntimeError) as refused:
                touch(receiver)
            assert str(refused.value) == outcome
    finally:
        hook.resume.set()
        thread.join(TIMEOUT)
    assert not thread.is_alive()
    # The paused call went on with the receiver as it was, and released it.
    assert repr(result[0]) == repr(expected)
    assert repr(receiver) == before
    touch(receiver)


@pytest.fixture
def busy_switching() -> Iterator[None]:
    interval = sys.getswitchinterval()
    sys.setswitchinterval(1e-5)
    try:
        yield
    finally:
        sys.setswitchinterval(interval)


@pytest.mark.usefixtures("busy_switching")
@pytest.mark.parametrize("seed", [1, 2])
def test_threads_sharing_objects(seed: int) -> None:
    shared = thread_workload.run(threads=6, count=4000, seed=seed)
    assert sum(shared.done.values()) > 0
