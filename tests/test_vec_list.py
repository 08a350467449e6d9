"""VecList and VecListIterator: the container, its refusals and snapshots, and
the bulk operations, compared bit for bit with the scalar Vec3d methods and
with pure-Python evaluations of the same formulas.

Tests that need a fresh process (thread-count settings, fork) run the module
in a subprocess.
"""

from __future__ import annotations

import math
import os
import random
import subprocess
import sys
import textwrap
from collections.abc import Callable

import pytest

import lorvik
from lorvik import Quat, Vec3d, VecList

import reference as ref
from ieee import EPS, INF, NAN, bits, exact_bits, vbits
from memory_probe import THREAD_SANITIZER, address_space
from surface import panic_type

NEG_NAN = -math.nan


def as_tuple(v: Vec3d) -> tuple[float, float, float]:
    return v.x, v.y, v.z


def sample_vectors(seed: int, count: int) -> list[Vec3d]:
    """Ordinary vectors, then a tail of zeros, signed zeros, infinities, NaN,
    subnormals and near-unit values."""
    rng = random.Random(seed)
    specials = [0.0, -0.0, INF, -INF, NAN, 5e-324, 1e308, 1.0, -1.0, 1.0 + EPS, 1.0 - EPS / 2]
    vectors = [Vec3d(rng.uniform(-9, 9), rng.uniform(-9, 9), rng.uniform(-9, 9)) for _ in range(count)]
    for index in range(0, len(specials) ** 2, 7):
        a, b = specials[index % len(specials)], specials[index // len(specials)]
        vectors.append(Vec3d(a, b, rng.choice(specials)))
    vectors += [Vec3d(1, 2, 2) / 3.0, Vec3d(42, 31, 7).normalize(), Vec3d(1 + EPS, 0, 0)]
    return vectors


VECTORS = sample_vectors(7, 300)
OTHER = Vec3d(0.25, -1.5, 3.0)


# ---------------------------------------------------------------------------
# Construction and container members.


def test_empty_forms() -> None:
    for v in (VecList([]), VecList(()), VecList.empty()):
        assert len(v) == 0 and not v
        assert repr(v) == str(v) == "[]"
        assert v.list == [] and v.to_array() == []
        assert list(iter(v)) == []


class FakeSequence:
    """Passes the sequence check; it has no length and its iteration yields."""

    def __init__(self, items: list[Vec3d]) -> None:
        self.items = items

    def __getitem__(self, index: int) -> Vec3d:
        return self.items[index]

    def __len__(self) -> int:
        raise TypeError("no length")


class FailingIteration(list[object]):
    def __iter__(self) -> None:  # type: ignore[override]
        raise TypeError("cannot iterate")


class Text(str):
    pass


@pytest.mark.parametrize(
    ("argument", "message"),
    [
        ("abc", "argument 'list': Can't extract `str` to `Vec`"),
        (Text(""), "argument 'list': Can't extract `str` to `Vec`"),
        ({Vec3d(1, 2, 3)}, "argument 'list': 'set' object is not an instance of 'Sequence'"),
        ({}, "argument 'list': 'dict' object is not an instance of 'Sequence'"),
        (VecList.empty(), "argument 'list': 'VecList' object is not an instance of 'Sequence'"),
        (iter(()), "argument 'list': 'tuple_iterator' object is not an instance of 'Sequence'"),
        (None, "argument 'list': 'None' is not an instance of 'Sequence'"),
        ([Vec3d(1, 2, 3), 4], "argument 'list': 'int' object is not an instance of 'Vec3d'"),
        (FailingIteration(), "argument 'list': cannot iterate"),
    ],
)
def test_construction_refusals(argument: object, message: str) -> None:
    with pytest.raises(TypeError) as info:
        VecList(argument)  # type: ignore[arg-type]
    assert str(info.value) == message


def test_construction_copies_and_accepts_sequences() -> None:
    source = [Vec3d(1, 2, 3), Vec3d(4, 5, 6)]
    v = VecList(list=source)
    source[0].x = 9.0
    assert v.to_array() == [[1.0, 2.0, 3.0], [4.0, 5.0, 6.0]]
    assert VecList(v.list).to_array() == v.to_array()
    fake = VecList(FakeSequence(source))  # type: ignore[arg-type]
    assert fake.to_array() == [[9.0, 2.0, 3.0], [4.0, 5.0, 6.0]]


class PromisingSequence(list[object]):
    """Claims far more items than it holds."""

    def __len__(self) -> int:
        return 300_000_000


def test_an_unused_reservation_is_given_back() -> None:
    before = address_space()
    lists = [VecList(PromisingSequence([Vec3d(1, 2, 3)])) for _ in range(3)]
    assert [len(v) for v in lists] == [1, 1, 1]
    assert address_space() - before < 1 << 30


def test_indexing() -> None:
    v = VecList([Vec3d(1, 2, 3), Vec3d(4, 5, 6), Vec3d(7, 8, 9)])
    assert as_tuple(v[2]) == (7, 8, 9) and as_tuple(v[True]) == (4, 5, 6)
    with pytest.raises(IndexError, match="^Index out of bounds$"):
        v[3]
    with pytest.raises(OverflowError):
        v[-1]
    with pytest.raises(TypeError, match="^argument 'index': "):
        v["0"]  # type: ignore[index]
    v[0].x = 9.0
    assert v[0].x == 1.0
    assert v.list[0] is not v.list[0]
    with pytest.raises(AttributeError):
        v.list = []  # type: ignore[misc]


def test_repr_layout() -> None:
    v = VecList([Vec3d(1, 2, 3), Vec3d(0.5, -0.0, INF)])
    assert repr(v) == "[Vec3d(1, 2, 3)\nVec3d(0.5, -0, inf)]"
    assert "\n" not in repr(VecList([Vec3d(1, 2, 3)]))
    big = VecList(VECTORS)
    assert repr(big) == "[" + "\n".join(repr(e) for e in VECTORS) + "]"


def test_iterator_works_on_a_snapshot() -> None:
    v = VecList([Vec3d(1, 2, 3), Vec3d(4, 5, 6)])
    it = iter(v)
    assert iter(it) is it and type(it).__name__ == "VecListIterator"
    v.append(Vec3d(7, 8, 9))
    first = next(it)
    first.x = 0.0
    assert [as_tuple(e) for e in it] == [(4, 5, 6)]
    for _ in range(2):
        with pytest.raises(StopIteration):
            next(it)
    assert not hasattr(lorvik, "VecListIterator") and "VecListIterator" not in lorvik.__all__
    with pytest.raises(TypeError):
        type(it)()
    assert Vec3d(4, 5, 6) in v and Vec3d(0, 0, 0) not in v


def test_append_and_extend() -> None:
    v = VecList([Vec3d(1, 2, 3)])
    w = VecList([Vec3d(4, 5, 6), Vec3d(7, 8, 9)])
    v.extend(VecList.empty())
    v.extend(other=w)
    v.append(vec=Vec3d(0, 0, 1))
    assert v.to_array() == [[1, 2, 3], [4, 5, 6], [7, 8, 9], [0, 0, 1]]
    assert len(w) == 2
    with pytest.raises(RuntimeError, match="^Already mutably borrowed$"):
        v.extend(v)
    with pytest.raises(TypeError, match="^argument 'vec': 'int' object is not an instance of 'Vec3d'$"):
        v.append(1)  # type: ignore[arg-type]
    with pytest.raises(TypeError, match="^argument 'other': 'list' object is not an instance of 'VecList'$"):
        v.extend([])  # type: ignore[arg-type]
    assert len(v) == 4


# ---------------------------------------------------------------------------
# Bulk operations against the scalar methods and the formulas.


def ref_distance_squared(e: Vec3d, o: Vec3d) -> float:
    return ref.distance_squared(as_tuple(e), as_tuple(o))


FLOAT_OPS: list[tuple[str, Callable[[VecList], list[float]], Callable[[Vec3d], float], Callable[[Vec3d], float]]] = [
    ("dot", lambda v: v.dot(OTHER), lambda e: e.dot(OTHER), lambda e: ref.dot(as_tuple(e), as_tuple(OTHER))),
    ("magnitude", lambda v: v.magnitude(), lambda e: e.magnitude(), lambda e: ref.magnitude(as_tuple(e))),
    ("distance_to", lambda v: v.distance_to(other=OTHER), lambda e: e.distance_to(OTHER),
     lambda e: math.sqrt(ref_distance_squared(e, OTHER))),
    ("distance_squared", lambda v: v.distance_squared(OTHER), lambda e: e.distance_squared(OTHER),
     lambda e: ref_distance_squared(e, OTHER)),
]


@pytest.mark.parametrize(("name", "bulk", "scalar", "formula"), FLOAT_OPS, ids=[op[0] for op in FLOAT_OPS])
def test_float_results(
    name: str, bulk: Callable[[VecList], list[float]], scalar: Callable[[Vec3d], float],
    formula: Callable[[Vec3d], float],
) -> None:
    result = bulk(VecList(VECTORS))
    assert all(type(x) is float for x in result)
    assert [bits(x) for x in result] == [bits(scalar(e)) for e in VECTORS]
    assert [bits(x) for x in result] == [bits(formula(e)) for e in VECTORS]


VECTOR_OPS: list[tuple[str, Callable[[VecList], VecList], Callable[[Vec3d], Vec3d]]] = [
    ("cross", lambda v: v.cross(OTHER), lambda e: e.cross(OTHER)),
    ("normalize", lambda v: v.normalize(), lambda e: e.normalize()),
    ("add", lambda v: v + OTHER, lambda e: e + OTHER),
    ("subtract", lambda v: v - OTHER, lambda e: e - OTHER),
    ("multiply", lambda v: v * 1.75, lambda e: e * 1.75),
    ("multiply_reflected", lambda v: -0.5 * v, lambda e: -0.5 * e),
    ("multiply_bool", lambda v: v * True, lambda e: e * 1.0),
    ("multiply_int", lambda v: 3 * v, lambda e: e * 3.0),
    ("divide", lambda v: v / 3.0, lambda e: e / 3.0),
    ("divide_by_zero", lambda v: v / 0.0, lambda e: e / 0.0),
    ("divide_by_negative_zero", lambda v: v / -0.0, lambda e: e / -0.0),
]


@pytest.mark.parametrize(("name", "bulk", "scalar"), VECTOR_OPS, ids=[op[0] for op in VECTOR_OPS])
def test_vector_results(name: str, bulk: Callable[[VecList], VecList], scalar: Callable[[Vec3d], Vec3d]) -> None:
    source = VecList(VECTORS)
    result = bulk(source)
    assert type(result) is VecList and result is not source and len(result) == len(VECTORS)
    assert [vbits(e) for e in result] == [vbits(scalar(e)) for e in VECTORS]
    assert [vbits(e) for e in source] == [vbits(e) for e in VECTORS]


def test_is_unit_and_degenerate_values() -> None:
    v = VecList(VECTORS)
    assert v.is_unit() == [e.is_unit() for e in VECTORS]
    assert VecList([Vec3d(1 + EPS, 0, 0), Vec3d(1, 2, 2) / 3.0, Vec3d(1, 0, 0)]).is_unit() == [False, True, True]
    zero = VecList([Vec3d(0, 0, 0)]).normalize()[0]
    assert all(math.isnan(x) for x in as_tuple(zero))


@pytest.mark.parametrize("axis", [0, 1, 2])
def test_collapse(axis: int) -> None:
    result = VecList(VECTORS).collapse(axis=axis)
    for before, after in zip(VECTORS, result):
        expected = list(vbits(before))
        expected[axis] = bits(0.0)
        assert list(vbits(after)) == expected


@pytest.mark.parametrize(
    ("call", "error", "message"),
    [
        (lambda v: v.collapse(3), "panic", "assertion failed: axis <= 2"),
        (lambda v: v.collapse(-1), OverflowError, None),
        (lambda v: v.minimum_distance_to(Vec3d(0, 0, 0), 0), "panic", "assertion failed: stride != 0"),
        (lambda v: v.minimum_distance_to(Vec3d(0, 0, 0), -1), OverflowError, None),
        (lambda v: v.dot(1.0), TypeError, "argument 'other': 'float' object is not an instance of 'Vec3d'"),
        (lambda v: v.cross(None), TypeError, "argument 'other': 'None' is not an instance of 'Vec3d'"),
        (lambda v: v.minimum_distance_to(1, 0), TypeError,
         "argument 'other': 'int' object is not an instance of 'Vec3d'"),
        (lambda v: v.rotate(Vec3d(0, 0, 0)), TypeError,
         "argument 'quat': 'Vec3d' object is not an instance of 'Quat'"),
        (lambda v: Vec3d(1, 2, 3) + v, TypeError, None),
        (lambda v: v + v, TypeError, None),
        (lambda v: v + 1.0, TypeError, None),
        (lambda v: 2.0 / v, TypeError, None),
        (lambda v: v * Vec3d(1, 2, 3), TypeError, None),
    ],
)
@pytest.mark.parametrize("size", [0, 3])
def test_refusals(call: Callable[[VecList], object], error: object, message: str | None, size: int) -> None:
    v = VecList([Vec3d(1, 2, 3)] * size)
    expected = panic_type() if error == "panic" else error
    with pytest.raises(expected) as info:  # type: ignore[call-overload]
        call(v)
    if message is not None:
        assert str(info.value) == message
    assert v.to_array() == [[1.0, 2.0, 3.0]] * size


def test_panic_is_not_an_exception() -> None:
    panic = panic_type()
    assert not issubclass(panic, Exception) and issubclass(panic, BaseException)
    with pytest.raises(panic):
        VecList.empty().minimum_distance_to(Vec3d(0, 0, 0), 1)


def test_empty_results() -> None:
    v = VecList.empty()
    o = Vec3d(1, 2, 3)
    assert v.dot(o) == v.magnitude() == v.is_unit() == v.distance_to(o) == v.distance_squared(o) == []
    for result in (v.cross(o), v.normalize(), v + o, v - o, v * 2, 2 * v, v / 2, v.collapse(0)):
        assert type(result) is VecList and len(result) == 0


class Meddler:
    """Converts to a number, trying to change the list meanwhile."""

    def __init__(self, list_: VecList, meddle: Callable[[VecList], object]) -> None:
        self.list, self.meddle, self.errors = list_, meddle, list[str]()

    def attempt(self) -> None:
        try:
            self.meddle(self.list)
        except RuntimeError as error:
            self.errors.append(str(error))

    def __float__(self) -> float:
        self.attempt()
        return 2.0

    def __index__(self) -> int:
        self.attempt()
        return 1


@pytest.mark.parametrize(
    "call",
    [lambda v, m: v * m, lambda v, m: m * v, lambda v, m: v / m, lambda v, m: v.collapse(m),
     lambda v, m: v.minimum_distance_to(Vec3d(0, 0, 0), m), lambda v, m: v[m]],
)
def test_conversions_cannot_change_the_list(call: Callable[[VecList, Meddler], object]) -> None:
    v = VecList([Vec3d(1, 2, 3), Vec3d(4, 5, 6)])
    meddler = Meddler(v, lambda w: w.append(Vec3d(0, 0, 0)))
    call(v, meddler)
    assert meddler.errors == ["Already borrowed"] and len(v) == 2


def test_augmented_assignment_rebinds() -> None:
    v = VecList([Vec3d(1, 2, 3)])
    original = v
    v += Vec3d(1, 1, 1)
    v *= 2
    assert original.to_array() == [[1, 2, 3]] and v.to_array() == [[4, 6, 8]]


def twelve() -> VecList:
    items = [Vec3d(5, 0, 0)] * 12
    items[4], items[9] = Vec3d(1.5, 0, 0), Vec3d(1, 0, 0)
    return VecList(items)


@pytest.mark.parametrize(
    ("make", "stride", "expected"),
    [
        (twelve, 1, (9, 1.0)),
        (twelve, 2, (4, 1.5)),
        (twelve, 3, (9, 1.0)),
        (twelve, 20, (9, 1.0)),
        (lambda: VecList([Vec3d(x, 0, 0) for x in (2, 1, 9, 9, 9, 9, 2, 0.5)]), 2, (1, 1.0)),
        (lambda: VecList([Vec3d(x, 0, 0) for x in (2, 1, 9, 9, 9, 9, 2, 0.5)]), 1, (7, 0.5)),
        (lambda: VecList([Vec3d(3, 0, 0), Vec3d(-3, 0, 0), Vec3d(0, 3, 0)]), 1, (0, 3.0)),
        (lambda: VecList([Vec3d(1, 0, 0), Vec3d(INF, 0, 0)]), 2**64 - 1, (0, 1.0)),
    ],
)
def test_minimum_distance_to(make: Callable[[], VecList], stride: int, expected: tuple[int, float]) -> None:
    result = make().minimum_distance_to(Vec3d(0, 0, 0), stride)
    assert type(result) is tuple and type(result[0]) is int and result == expected


def test_minimum_distance_total_order() -> None:
    # A NaN key with the sign bit set sorts below every number, one without
    # it above +infinity.
    o = Vec3d(0, 0, 0)
    index, distance = VecList([Vec3d(1, 0, 0), Vec3d(NEG_NAN, 0, 0)]).minimum_distance_to(o, 1)
    assert index == 1 and math.isnan(distance)
    assert VecList([Vec3d(NAN, 0, 0), Vec3d(INF, 0, 0)]).minimum_distance_to(o, 1) == (1, INF)
    assert VecList([Vec3d(-0.0, 0, 0), Vec3d(0, 0, 0)]).minimum_distance_to(o, 1) == (0, 0.0)


MIXED_NANS = [(NEG_NAN, NAN, NAN), (NEG_NAN, NAN, 0.0), (NAN, NEG_NAN, NEG_NAN), (INF, NEG_NAN, NAN)]


@pytest.mark.parametrize("components", MIXED_NANS)
def test_nan_distance_is_the_first_nan_met(components: tuple[float, float, float]) -> None:
    # Where NaNs of both signs meet, the key carries the first one the written
    # order meets (the first NaN difference; its square and the sums keep it):
    # scalar, bulk and ranking agree, and so do lists of every length. The
    # interpreter's own + is no reference here: its first, generic run of an
    # addition keeps the right operand's NaN, its specialised runs the left's.
    e, o = Vec3d(*components), Vec3d(0, 0, 0)
    first = next(d for d in (e.x - o.x, e.y - o.y, e.z - o.z) if math.isnan(d))
    expected = exact_bits(first)
    assert exact_bits(e.distance_squared(o)) == expected
    below_all = math.copysign(1.0, first) < 0
    for filler in (10, 9000, 70_000):
        v = VecList([Vec3d(1, 0, 0), e] + [Vec3d(5, 0, 0)] * filler)
        assert exact_bits(v.distance_squared(o)[1]) == expected
        assert v.minimum_distance_to(o, 1)[0] == (1 if below_all else 0)


def test_minimum_distance_matches_a_scan() -> None:
    rng = random.Random(3)
    points = [Vec3d(rng.randint(-20, 20), rng.randint(-20, 20), 0) for _ in range(5000)]
    v, o = VecList(points), Vec3d(0.5, 0.5, 0)
    keys = [ref_distance_squared(p, o) for p in points]
    for stride in (1, 7, 64, 4999, 5000):
        coarse = min(range(0, len(points), stride), key=lambda i: keys[i])
        start, end = max(coarse - stride, 0), min(coarse + stride, len(points))
        best = min(range(start, end), key=lambda i: keys[i])
        assert v.minimum_distance_to(o, stride) == (best, math.sqrt(keys[best]))


# ---------------------------------------------------------------------------
# rotate


@pytest.mark.parametrize("q", [(0.5, 0.5, 0.5, 0.5), (0.9, 0.1, -0.3, 0.2), (2.0, 0.0, 0.0, 0.0), (0, 0, 0, 0)])
def test_rotate_in_place(q: tuple[float, float, float, float]) -> None:
    quat = Quat(*q)
    v = VecList(VECTORS)
    it = iter(v)
    assert v.rotate(quat=quat) is None  # type: ignore[func-returns-value]
    assert [vbits(e) for e in v] == [vbits(quat.rotate(e)) for e in VECTORS]
    assert [vbits(e) for e in it] == [vbits(e) for e in VECTORS]


def test_rotate_examples() -> None:
    v = VecList([Vec3d(1, 2, 3), Vec3d(INF, 0, 0)])
    v.rotate(Quat(2, 0, 0, 0))
    assert as_tuple(v[0]) == (4, 8, 12) and all(math.isnan(x) for x in as_tuple(v[1]))
    empty = VecList.empty()
    empty.rotate(Quat(1, 0, 0, 0))
    assert len(empty) == 0


# ---------------------------------------------------------------------------
# Thread counts and fork, in fresh processes.


DIGEST_SCRIPT = textwrap.dedent(
    """
    import hashlib, random, struct, sys, os
    from lorvik import Quat, Vec3d, VecList

    rng = random.Random(11)
    points = [Vec3d(rng.uniform(-1e3, 1e3), rng.uniform(-1e3, 1e3), rng.uniform(-1e3, 1e3))
              for _ in range(int(sys.argv[1]))]
    # Where two NaNs meet, IEEE leaves open which one a result carries; the
    # answer must still not depend on how the list was split among threads.
    nan = float("nan")
    specials = [nan, -nan, float("inf"), -float("inf"), 0.0, -0.0, 1.0, -2.5]
    hostile = [Vec3d(*(rng.choice(specials) for _ in range(3))) for _ in range(len(points))]
    points = [p for pair in zip(points, hostile) for p in pair]
    v, o = VecList(points), Vec3d(1.5, -2.5, 3.5)
    digest = hashlib.sha256()
    def feed(values):
        digest.update(struct.pack(f"<{len(values)}d", *values))
    def feed_list(w):
        feed([c for row in w.to_array() for c in row])
    for other in (o, Vec3d(-nan, nan, 2.0)):
        for result in (v.dot(other), v.magnitude(), v.distance_to(other), v.distance_squared(other)):
            feed(result)
        for w in (v.cross(other), v + other, v - other):
            feed_list(w)
    digest.update(bytes(v.is_unit()))
    for w in (v.normalize(), v * 1.5, 1.5 * v, v / 7.0, v * -nan, v / nan, v.collapse(2)):
        feed_list(w)
    digest.update(repr(v).encode())
    for stride in (1, 3, 1000):
        for other in (o, Vec3d(-nan, nan, 2.0), Vec3d(nan, -nan, 0.0)):
            found = v.minimum_distance_to(other, stride)
            digest.update(repr(found[0]).encode())
            feed([found[1]])
    v.rotate(Quat(0.9, 0.1, -0.3, 0.2))
    feed_list(v)
    mag = v.magnitude()
    assert all(struct.pack("<d", mag[i]) == struct.pack("<d", v[i].magnitude())
               for i in range(0, len(v), 2))
    threads = len(os.listdir("/proc/self/task"))
    print(digest.hexdigest(), threads)
    """
)


def run_script(script: str, threads: str | None, *args: str) -> str:
    env = {k: val for k, val in os.environ.items() if k != "RAYON_NUM_THREADS"}
    if threads is not None:
        env["RAYON_NUM_THREADS"] = threads
    done = subprocess.run(
        [sys.executable, "-c", script, *args], env=env, capture_output=True, text=True, timeout=120
    )
    assert done.returncode == 0, done.stderr
    assert done.stderr == ""
    return done.stdout


def test_results_do_not_depend_on_the_thread_count() -> None:
    # Under ThreadSanitizer a run of 100000 takes a minute; 20000 still spans chunks.
    size = "20000" if THREAD_SANITIZER else "100000"
    runs = {t: run_script(DIGEST_SCRIPT, t, size).split() for t in ("1", None, "3", "0", "x")}
    assert len({digest for digest, _ in runs.values()}) == 1
    assert int(runs["1"][1]) == 1
    assert int(runs["3"][1]) - THREAD_SANITIZER == 3  # less the sanitizer's own thread


@pytest.mark.parametrize("threads", ["100000000", "9223372036854775807", "9" * 30])
def test_a_huge_pool_size_is_capped(threads: str) -> None:
    script = "import os, lorvik; lorvik.VecList.empty().magnitude(); print(len(os.listdir('/proc/self/task')))"
    started = int(run_script(script, threads)) - THREAD_SANITIZER
    assert started == max(4 * len(os.sched_getaffinity(0)), 256)  # four per processor, or 256


FORK_SCRIPT = textwrap.dedent(
    """
    import os, sys, warnings
    from lorvik import Vec3d, VecList
    warnings.simplefilter("ignore", DeprecationWarning)
    v = VecList([Vec3d(i, 2 * i, 3) for i in range(200_000)])
    expected = (v * 2.0).to_array(), v.magnitude(), v.minimum_distance_to(Vec3d(7, 14, 3), 5)
    for _ in range(int(sys.argv[1])):
        pid = os.fork()
        if pid == 0:
            ok = ((v * 2.0).to_array(), v.magnitude(), v.minimum_distance_to(Vec3d(7, 14, 3), 5)) == expected
            os._exit(0 if ok else 1)
        _, status = os.waitpid(pid, 0)
        assert os.waitstatus_to_exitcode(status) == 0
    print("ok")
    """
)


@pytest.mark.skipif(not hasattr(os, "fork"), reason="needs fork")
def test_fork_after_the_pool_started() -> None:
    assert run_script(FORK_SCRIPT, None, "10").strip() == "ok"
