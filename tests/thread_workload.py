"""Threads sharing one Vec3d, one Quat and one VecList, for test_threads.py
and test_free_threading.py.

Every thread runs a fixed list of operations, reading and writing the shared
objects. The only failures allowed are the borrow refusals: RuntimeError
"Already borrowed" / "Already mutably borrowed" (from == and != too, when the
right operand is held exclusively), and for an operator whose operand is held
exclusively the interpreter's TypeError for unsupported operands (the operator
entry returns NotImplemented then). What the readers see must stay consistent:

- every component of the shared Vec3d and Quat is one of the values written
  (VALUES), whichever way it is read;
- the VecList holds N_BASE elements (i + 1, 2(i + 1), 3) all multiplied by
  the same sign, then appended elements (0, 0, 7): `rotate` by FLIP (half a
  turn about z) negates x and y of every element at once, so a reader seeing
  mixed signs saw a half-rotated list;
- the lengths one thread sees never shrink, and at the end the length and the
  sign match the counts of successful appends, extends and rotations.
"""

from __future__ import annotations

import os
import random
import threading
import time
from collections import Counter
from collections.abc import Callable
from dataclasses import dataclass, field
from typing import Any

import surface

lorvik: Any = surface._lorvik
Vec3d, Quat = lorvik.Vec3d, lorvik.Quat
VecList = lorvik.VecList

# Multiplies the calls per thread of the thread tests: a ThreadSanitizer run
# (make sanitize-threads), many times slower per call, takes a fraction.
CALLS_SCALE = float(os.environ.get("LORVIK_THREAD_CALLS_SCALE", "1"))


def scaled(count: int) -> int:
    return max(1, round(count * CALLS_SCALE))


BORROW_TEXTS = {"Already borrowed", "Already mutably borrowed"}
VALUES = [float(k) for k in range(-3, 5)]
N_BASE = 160  # above the pool's grain: bulk calls run on worker threads
FLIP = (0.0, 0.0, 0.0, 1.0)  # half a turn about z: (x, y, z) -> (-x, -y, z), exactly
APPENDED = (0.0, 0.0, 7.0)


class YieldingFloat:
    """Gives other threads a turn inside a conversion, while the receiver of
    the call in progress is borrowed."""

    def __float__(self) -> float:
        time.sleep(0)
        return 2.0


class YieldingIndex:
    def __init__(self, value: int) -> None:
        self.value = value

    def __index__(self) -> int:
        time.sleep(0)
        return self.value


@dataclass
class Shared:
    v: Any = field(default_factory=lambda: Vec3d(1.0, 2.0, 3.0))
    w: Any = field(default_factory=lambda: Vec3d(0.0, 1.0, -1.0))
    q: Any = field(default_factory=lambda: Quat(1.0, 0.0, 2.0, -3.0))
    r: Any = field(default_factory=lambda: Quat(0.0, 0.0, 0.0, 1.0))
    items: Any = field(default_factory=lambda: VecList([Vec3d(i + 1, 2 * (i + 1), 3) for i in range(N_BASE)]))
    lock: threading.Lock = field(default_factory=threading.Lock)
    done: Counter[str] = field(default_factory=Counter)  # successful calls by operation
    refused: Counter[str] = field(default_factory=Counter)  # borrow refusals by operation
    errors: list[str] = field(default_factory=list)


def check_components(values: list[float] | tuple[float, ...], where: str) -> None:
    for value in values:
        assert value in VALUES, f"{where}: component {value!r} was never written"


def check_rows(rows: list[list[float]], where: str) -> int:
    """The sign of the base elements; asserts the layout described above."""
    assert len(rows) >= N_BASE, f"{where}: {len(rows)} elements"
    sign = 1.0 if rows[0][0] > 0 else -1.0
    for i, row in enumerate(rows[:N_BASE]):
        assert row == [sign * (i + 1), sign * 2 * (i + 1), 3.0], f"{where}: row {i} is {row}, sign {sign}"
    for row in rows[N_BASE:]:
        assert row == list(APPENDED), f"{where}: appended row {row}"
    return int(sign)


def operator_result(operation: Callable[[], Any]) -> Any:
    """`operation()`, an operator expression; its refusal for a borrowed
    operand is reported like a method's."""
    try:
        return operation()
    except TypeError as error:
        if not str(error).startswith("unsupported operand type(s)"):
            raise
        raise RuntimeError("Already mutably borrowed") from error


def operations(shared: Shared) -> dict[str, Callable[[random.Random], object]]:
    s = shared
    flip = Quat(*FLIP)
    pair = VecList([Vec3d(*APPENDED), Vec3d(*APPENDED)])
    seen_lengths = threading.local()

    def write_vector(rng: random.Random) -> None:
        setattr(s.v if rng.random() < 0.7 else s.w, rng.choice("xyz"), rng.choice(VALUES))

    def read_vector(rng: random.Random) -> None:
        check_components(s.v.to_array(), "Vec3d.to_array")
        check_components([s.v[rng.randrange(3)], s.w.x], "Vec3d item")
        check_components([float(t) for t in repr(s.v)[6:-1].split(", ")], "Vec3d repr")
        check_components([c / 2.0 for c in operator_result(lambda: s.v * 2.0).to_array()], "Vec3d * 2")
        check_components([c - 1.0 for c in operator_result(lambda: s.w + Vec3d(1, 1, 1)).to_array()], "Vec3d + 1")
        hash(s.v)

    def compare(rng: random.Random) -> None:
        # A receiver held exclusively leaves the comparison to the reflected
        # form; a right operand held exclusively is refused.
        for left, right in ((s.v, s.w), (s.q, s.r)):
            assert isinstance(left == right, bool) and isinstance(left != right, bool)

    def write_quat(rng: random.Random) -> None:
        setattr(s.q, rng.choice("wijk"), rng.choice(VALUES))

    def read_quat(rng: random.Random) -> None:
        check_components(s.q.to_vec3d(), "Quat.to_vec3d")
        check_components([s.q.w], "Quat.w")
        check_components([float(t) for t in repr(s.q)[5:-1].split(", ")], "Quat repr")
        s.q.rotate(s.v)
        s.q.to_rotation_matrix()

    def rotate(rng: random.Random) -> None:
        s.items.rotate(flip)

    def append(rng: random.Random) -> None:
        s.items.append(Vec3d(*APPENDED))

    def extend(rng: random.Random) -> None:
        s.items.extend(pair)

    def read_list(rng: random.Random) -> None:
        rows = s.items.to_array()
        check_rows(rows, "VecList.to_array")
        previous = getattr(seen_lengths, "length", 0)
        assert len(rows) >= previous, f"length went from {previous} to {len(rows)}"
        seen_lengths.length = len(rows)
        check_rows([list(e.to_array()) for e in iter(s.items)], "VecList iterator")
        assert len(s.items.magnitude()) >= len(rows)
        assert repr(s.items).count("\n") + 1 >= len(rows)
        first = s.items[0].x
        assert abs(first) == 1.0

    def hooked(rng: random.Random) -> None:
        # Conversions that yield with the receiver borrowed.
        check_components([c / 2.0 for c in operator_result(lambda: s.v * YieldingFloat()).to_array()], "Vec3d * hook")
        collapsed = s.items.collapse(YieldingIndex(2)).to_array()
        check_rows([[x, y, 3.0 if i < N_BASE else 7.0] for i, (x, y, _) in enumerate(collapsed)], "collapse")
        index, _ = s.items.minimum_distance_to(Vec3d(0, 0, 7), YieldingIndex(16))
        assert index >= 0
        s.items[YieldingIndex(0)]

    return {
        "write_vector": write_vector, "read_vector": read_vector, "compare": compare, "write_quat": write_quat,
        "read_quat": read_quat, "rotate": rotate, "append": append, "extend": extend, "read_list": read_list,
        "hooked": hooked,
    }


# Relative frequencies: reads dominate, growth stays modest.
WEIGHTS = {"write_vector": 6, "read_vector": 6, "compare": 3, "write_quat": 4, "read_quat": 4, "rotate": 2,
           "append": 1, "extend": 1, "read_list": 3, "hooked": 2}


def worker(shared: Shared, ops: dict[str, Callable[[random.Random], object]], seed: int, count: int,
           start: threading.Barrier) -> None:
    rng = random.Random(seed)
    names = list(WEIGHTS)
    weights = [WEIGHTS[n] for n in names]
    done: Counter[str] = Counter()
    refused: Counter[str] = Counter()
    errors: list[str] = []
    start.wait()
    for name in rng.choices(names, weights, k=scaled(count)):
        try:
            ops[name](rng)
            done[name] += 1
        except RuntimeError as error:
            if str(error) in BORROW_TEXTS:
                refused[name] += 1
            else:
                errors.append(f"{name}: RuntimeError {error}")
        except BaseException as error:  # any other outcome is a fault
            errors.append(f"{name}: {type(error).__name__}: {error}")
    with shared.lock:
        shared.done.update(done)
        shared.refused.update(refused)
        shared.errors.extend(errors[:10])


def run(threads: int, count: int, seed: int, timeout: float = 300.0) -> Shared:
    """Runs the workload and checks the end state; returns it for more checks."""
    shared = Shared()
    ops = operations(shared)
    start = threading.Barrier(threads)
    pool = [threading.Thread(target=worker, args=(shared, ops, seed * 1000 + t, count, start), daemon=True)
            for t in range(threads)]
    for thread in pool:
        thread.start()
    for thread in pool:
        thread.join(timeout)
        assert not thread.is_alive(), "a thread hangs"
    assert shared.errors == []
    rows = shared.items.to_array()
    sign = check_rows(rows, "end")
    assert sign == (-1) ** shared.done["rotate"]
    assert len(rows) == N_BASE + shared.done["append"] + 2 * shared.done["extend"]
    check_components(shared.v.to_array() + shared.w.to_array(), "end")
    check_components(shared.q.to_vec3d(), "end")
    return shared
