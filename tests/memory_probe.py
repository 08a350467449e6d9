"""Memory readings for the leak checks.

Three views, each catching what the others miss:
- Python's small-object allocator: the count of its allocated blocks
  (sys.getallocatedblocks), exact and free to read, and tracemalloc's traced
  bytes, which are exact but slow every allocation down;
- the C heap (glibc's mallinfo2 or mallinfo, all arenas, including mmapped
  chunks), where the module's own arrays and strings live;
- the resident set size of the process, which sees everything, coarsely.
"""

from __future__ import annotations

import ctypes
import gc
import os
import sys
import tracemalloc
from collections.abc import Callable
from dataclasses import dataclass


_MALLINFO_FIELDS = (
    "arena", "ordblks", "smblks", "hblks", "hblkhd", "usmblks", "fsmblks", "uordblks", "fordblks", "keepcost",
)


class _MallInfo2(ctypes.Structure):
    _fields_ = [(name, ctypes.c_size_t) for name in _MALLINFO_FIELDS]


class _MallInfo(ctypes.Structure):
    # The C library's fields are int; read unsigned, they reach 4 GiB before
    # wrapping, far above what a test process holds.
    _fields_ = [(name, ctypes.c_uint) for name in _MALLINFO_FIELDS]


_libc = ctypes.CDLL(None)
# mallinfo2 came with glibc 2.33; before it, mallinfo has the same fields.
_mallinfo = getattr(_libc, "mallinfo2", None)
if _mallinfo is not None:
    _mallinfo.restype = _MallInfo2
elif (_mallinfo := getattr(_libc, "mallinfo", None)) is not None:
    _mallinfo.restype = _MallInfo
if _mallinfo is not None:
    _mallinfo.argtypes = []
_PAGE = os.sysconf("SC_PAGE_SIZE")
# ThreadSanitizer's runtime, part of the interpreter of make sanitize-threads,
# answers for the C heap itself (its statistics stay at zero) and runs a thread
# of its own from the first thread the process starts.
THREAD_SANITIZER = hasattr(_libc, "__tsan_init")


def heap_in_use() -> int:
    """Bytes the C allocator has handed out and not yet taken back (0 when the
    C library has no mallinfo)."""
    if _mallinfo is None:
        return 0
    info = _mallinfo()
    return int(info.uordblks + info.hblkhd)


def rss() -> int:
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * _PAGE


def address_space() -> int:
    """Bytes of address space the process holds, touched or not."""
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[0]) * _PAGE


@dataclass(frozen=True)
class Reading:
    blocks: int
    heap: int
    rss: int
    traced: int  # 0 unless tracemalloc is tracing

    @staticmethod
    def take() -> Reading:
        traced = tracemalloc.get_traced_memory()[0] if tracemalloc.is_tracing() else 0
        return Reading(sys.getallocatedblocks(), heap_in_use(), rss(), traced)

    def __sub__(self, earlier: Reading) -> Reading:
        return Reading(self.blocks - earlier.blocks, self.heap - earlier.heap, self.rss - earlier.rss,
                       self.traced - earlier.traced)


@dataclass(frozen=True)
class Growth:
    calls: int
    memory: Reading  # after minus before
    references: list[tuple[int, int]]  # (before, after) per watched object

    @property
    def moved_references(self) -> list[int]:
        """Indices of the watched objects whose reference count moved."""
        return [index for index, (before, after) in enumerate(self.references) if before != after]


def measure(loop: Callable[[int], None], watched: tuple[object, ...], calls: int, warmup: int) -> Growth:
    """Runs loop(warmup), then loop(calls) between two readings.

    The cyclic collector is off meanwhile, so that neither garbage of earlier
    work vanishes inside the window nor cycles made by the calls do: those
    count as growth."""
    loop(warmup)
    gc.disable()
    try:
        counts = [sys.getrefcount(item) for item in watched]
        before = Reading.take()
        loop(calls)
        after = Reading.take()
        references = list(zip(counts, [sys.getrefcount(item) for item in watched]))
    finally:
        gc.enable()
    return Growth(calls, after - before, references)
