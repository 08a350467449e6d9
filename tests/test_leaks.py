"""Every entry point of lorvik, called in loops, leaves memory and reference
counts as they were: successful calls, and failing ones (argument errors,
refused conversions, index errors, intersection errors, internal faults,
borrow conflicts) alike.

The calls come from the table in surface.py. Each case runs
LORVIK_LEAK_CALLS times (default 2*10^4) after a warm-up, with the memory
read before and after (Python's allocated blocks, the C heap, the resident
set), then a tenth as often under tracemalloc. tools/leakcheck.py runs the
same table a million times per case.
"""

from __future__ import annotations

import os
import tracemalloc

import pytest

import memory_probe
import surface

CASES = surface.cases()
CALLS = int(os.environ.get("LORVIK_LEAK_CALLS", "20000"))
# Under AddressSanitizer freed memory waits in a quarantine and the heap
# statistics are the sanitizer's (under ThreadSanitizer too): only the
# reference counts and tracemalloc (which sees every allocation of the
# interpreter) remain meaningful.
SANITIZED = "libasan" in os.environ.get("LD_PRELOAD", "") or memory_probe.THREAD_SANITIZER
TRACED_CALLS = max(CALLS // 10, 200)

# Allowed growth over one loop, whatever its length: a leak of one object or
# one small heap block per call exceeds these many times over.
MAX_BLOCKS = 64
MAX_HEAP = 4096
MAX_RSS = 1 << 20
MAX_TRACED = 4096


def test_every_entry_point_has_cases() -> None:
    members = surface.members()
    assert surface.uncovered(CASES) == set()
    assert {case.member for case in CASES} <= members, "cases of members that do not exist"


def test_every_property_is_read_written_and_deleted() -> None:
    labels: dict[str, set[str]] = {}
    for case in CASES:
        labels.setdefault(case.member, set()).add(case.label.split()[0])
    for cls in surface.classes():
        for name, attribute in vars(cls).items():
            if type(attribute).__name__ == "getset_descriptor" and not name.startswith("__"):
                assert {"get", "set", "delete"} <= labels[f"{cls.__name__}.{name}"], name


@pytest.mark.parametrize("case", CASES, ids=[case.id for case in CASES])
def test_calls_leave_memory_and_references_flat(case: surface.Case) -> None:
    case.check_once()
    growth = memory_probe.measure(case.loop, case.watched, CALLS, CALLS // 10)
    moved = [(repr(case.watched[i])[:60], growth.references[i]) for i in growth.moved_references]
    assert not moved, f"reference counts moved over {CALLS} calls: {moved}"
    memory = growth.memory
    if SANITIZED:
        memory = memory_probe.Reading(0, 0, 0, 0)
    assert memory.blocks <= MAX_BLOCKS, f"{memory.blocks} more Python blocks after {CALLS} calls"
    assert memory.heap <= MAX_HEAP, f"{memory.heap} more heap bytes after {CALLS} calls"
    assert memory.rss <= MAX_RSS, f"resident set grew by {memory.rss} bytes over {CALLS} calls"

    tracemalloc.start()
    try:
        traced = memory_probe.measure(case.loop, (), TRACED_CALLS, TRACED_CALLS // 4).memory.traced
    finally:
        tracemalloc.stop()
    assert traced <= MAX_TRACED, f"tracemalloc: {traced} more bytes after {TRACED_CALLS} calls"


def test_the_probe_sees_each_kind_of_leak() -> None:
    """The readings catch a leaked object, a leaked heap block and a leaked
    reference, so a quiet run above means something."""
    import ctypes

    kept: list[object] = []
    libc = ctypes.CDLL(None)
    libc.malloc.restype = ctypes.c_void_p
    target = object()

    def leak_object(count: int) -> None:
        for _ in range(count):
            kept.append(object())

    def leak_heap(count: int) -> None:
        for _ in range(count):
            libc.malloc(64)

    def leak_reference(count: int) -> None:
        for _ in range(count):
            ctypes.pythonapi.Py_IncRef(ctypes.py_object(target))

    if not SANITIZED:
        assert memory_probe.measure(leak_object, (), 2000, 10).memory.blocks >= 2000
        assert memory_probe.measure(leak_heap, (), 2000, 10).memory.heap >= 2000 * 64
    assert memory_probe.measure(leak_reference, (target,), 10, 1).moved_references == [0]
