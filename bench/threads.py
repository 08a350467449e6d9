"""Per-call scaling across threads, for an interpreter without the global lock.

For each call: nanoseconds per call on one thread, and the throughput of two
threads relative to one, once with each thread on objects of its own and once
with both on the same objects. The built-in `complex` is measured in every
round as the interpreter's own yardstick, just after each call, since the
second core of a shared machine is often slowed by neighbours: compare the
ratios within a round, and over several rounds (the table gives the median
and the range). The targets below the table are held to the median over the
rounds of each round's ratio divided by complex's; the load average printed
with them says how busy the machine was.

    python bench/threads.py [--rounds N] [--seconds S] [--threads T] [--markdown]

On an interpreter with the lock the ratios are at most 1.
"""

from __future__ import annotations

import argparse
import os
import statistics
import sys
import sysconfig
import threading
import time
from collections.abc import Callable
from dataclasses import dataclass, field

import lorvik


@dataclass(frozen=True)
class Case:
    name: str
    setup: str  # makes the locals the statement reads
    statement: str
    shared: bool = True  # also timed with every thread on the same objects


VECTORS = "a = lorvik.Vec3d(1.0, 2.0, 3.0); b = lorvik.Vec3d(-0.5, 4.0, 0.25)"
SMALL_LIST = "items = lorvik.VecList([lorvik.Vec3d(i, 2.0 * i, 3.0) for i in range(64)])"
CASES = [
    Case("built-in complex a + b", "a = complex(1.0, 2.0); b = complex(-0.5, 4.0)", "a + b"),
    Case("Vec3d a + b", VECTORS, "a + b"),
    Case("Vec3d a.dot(b)", VECTORS, "a.dot(b)"),
    Case("Vec3d a.x", VECTORS, "a.x"),
    Case("Quat q.rotate(v)", "q = lorvik.Quat(0.5, 0.5, 0.5, 0.5); v = lorvik.Vec3d(1.0, 2.0, 3.0)", "q.rotate(v)"),
    # Small lists stay on the calling thread (below the worker pool's grain).
    Case("64-element VecList.rotate(q)", SMALL_LIST + "; q = lorvik.Quat(0.0, 0.0, 0.0, 1.0)", "items.rotate(q)",
         shared=False),
    Case("64-element VecList.normalize()", SMALL_LIST, "items.normalize()", shared=False),
    Case("64-element VecList * 2.0", SMALL_LIST, "items * 2.0", shared=False),
    Case("64-element VecList.minimum_distance_to(p, 8)", SMALL_LIST + "; p = lorvik.Vec3d(5.0, 1.0, 2.0)",
         "items.minimum_distance_to(p, 8)", shared=False),
]



@dataclass(frozen=True)
class Target:
    case: str
    measure: str  # a list of Results
    bound: float
    at_most: bool = False  # else at least


MEASURES = {"ns_vs_complex": "1 thread, time × complex's", "own": "objects of their own, ratio",
            "shared_vs_complex": "shared objects, ratio ÷ complex's"}
TARGETS = [
    Target("Vec3d a + b", "ns_vs_complex", 1.5, at_most=True),
    *(Target(name, "shared_vs_complex", 0.9) for name in ("Vec3d a + b", "Vec3d a.dot(b)", "Vec3d a.x",
                                                          "Quat q.rotate(v)")),
    *(Target(case.name, "own", 1.5) for case in CASES[1:]),
]

Loop = Callable[[int, dict[str, object]], None]


def compile_case(case: Case) -> tuple[Callable[[], dict[str, object]], Loop]:
    """A factory of the case's objects, and a loop running the statement inline
    on locals taken from such a set of objects."""
    namespace: dict[str, object] = {"lorvik": lorvik}
    exec(f"def make():\n    {case.setup}\n    return locals()\n", namespace)
    names = ", ".join(sorted(eval("make()", namespace)))
    body = f"def loop(n, objects):\n    {names}, = (objects[k] for k in sorted(objects))\n"
    body += f"    for _ in range(n):\n        {case.statement}\n"
    exec(body, namespace)
    return namespace["make"], namespace["loop"]  # type: ignore[return-value]


def wall_time(loop: Loop, count: int, sources: list[Callable[[], dict[str, object]]]) -> float:
    """Seconds from the first thread's start to the last one's end, each thread
    (one per source of objects) running `count` calls. The threads time
    themselves: on a busy machine the main thread may get the processor back
    only after they are done. Each thread takes its objects from its source
    itself: objects a thread makes are its own to the interpreter, whose
    reference counting is cheaper for the owning thread."""
    start = threading.Barrier(len(sources))
    spans: list[tuple[float, float]] = []

    def body(source: Callable[[], dict[str, object]]) -> None:
        objects = source()
        start.wait()
        began = time.perf_counter()
        loop(count, objects)
        spans.append((began, time.perf_counter()))

    threads = [threading.Thread(target=body, args=(source,)) for source in sources]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    return max(end for _, end in spans) - min(began for began, _ in spans)


@dataclass
class Results:
    """Per round: ns per call on one thread and the two-thread throughput
    ratios, each also divided by complex's, measured just after."""

    ns: list[float] = field(default_factory=list)
    own: list[float] = field(default_factory=list)
    shared: list[float] = field(default_factory=list)
    ns_vs_complex: list[float] = field(default_factory=list)
    own_vs_complex: list[float] = field(default_factory=list)
    shared_vs_complex: list[float] = field(default_factory=list)


@dataclass(frozen=True)
class Compiled:
    case: Case
    make: Callable[[], dict[str, object]]
    loop: Loop
    count: int


def calibrate(loop: Loop, make: Callable[[], dict[str, object]], seconds: float) -> int:
    count = 1000
    while (elapsed := wall_time(loop, count, [make])) < seconds / 4:
        count *= 4
    return max(1000, int(count * seconds / elapsed))


def measure(compiled: Compiled, threads: int) -> tuple[float, float, float | None]:
    """ns per call on one thread; throughput ratios of `threads` threads on
    objects of their own and on shared objects (None when not timed)."""
    loop, make, count = compiled.loop, compiled.make, compiled.count
    one = wall_time(loop, count, [make])
    own = threads * one / wall_time(loop, count, [make] * threads)
    shared = None
    if compiled.case.shared:
        objects = make()
        shared = threads * one / wall_time(loop, count, [lambda: objects] * threads)
    return one / count * 1e9, own, shared


def measure_round(cases: list[Compiled], threads: int, results: dict[str, Results]) -> None:
    yardstick = cases[0]
    for compiled in cases:
        ns, own, shared = measure(compiled, threads)
        base_ns, base_own, base_shared = measure(yardstick, threads) if compiled is not yardstick else (ns, own, shared)
        result = results[compiled.case.name]
        result.ns.append(ns)
        result.own.append(own)
        result.ns_vs_complex.append(ns / base_ns)
        result.own_vs_complex.append(own / base_own)
        if shared is not None and base_shared is not None:
            result.shared.append(shared)
            result.shared_vs_complex.append(shared / base_shared)


def ratio_text(values: list[float], relative: list[float]) -> str:
    if not values:
        return "–"
    return (f"×{statistics.median(values):.2f} ({min(values):.2f}–{max(values):.2f}); "
            f"{statistics.median(relative):.2f} of complex's")


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--seconds", type=float, default=0.1, help="length of one single-thread timing")
    parser.add_argument("--threads", type=int, default=2)
    parser.add_argument("--markdown", action="store_true")
    options = parser.parse_args()

    load_before = os.getloadavg()[0]
    free_threaded = sysconfig.get_config_var("Py_GIL_DISABLED") == 1 and not sys._is_gil_enabled()
    print(f"{sys.version.split()[0]}{' free-threaded' if free_threaded else ' with the global lock'}, "
          f"{options.threads} threads, {options.rounds} rounds of about {options.seconds} s per timing", flush=True)
    compiled = []
    for case in CASES:
        make, loop = compile_case(case)
        compiled.append(Compiled(case, make, loop, calibrate(loop, make, options.seconds)))
    results = {case.name: Results() for case in CASES}
    for round_number in range(1, options.rounds + 1):
        measure_round(compiled, options.threads, results)
        yardstick = results[CASES[0].name]
        print(f"round {round_number}: complex ×{yardstick.own[-1]:.2f} own, ×{yardstick.shared[-1]:.2f} shared",
              file=sys.stderr, flush=True)

    header = ["call", "1 thread: ns (min); × complex", f"{options.threads} threads, objects of their own",
              f"{options.threads} threads, shared objects"]
    rows = []
    for case in CASES:
        result = results[case.name]
        rows.append([case.name,
                     f"{statistics.median(result.ns):.1f} ({min(result.ns):.1f}); "
                     f"{statistics.median(result.ns_vs_complex):.2f}",
                     ratio_text(result.own, result.own_vs_complex),
                     ratio_text(result.shared, result.shared_vs_complex)])
    if options.markdown:
        print("| " + " | ".join(header) + " |")
        print("|" + "---|" * len(header))
        for row in rows:
            print("| " + " | ".join(row) + " |")
    else:
        widths = [max(len(r[i]) for r in [header, *rows]) for i in range(len(header))]
        for row in [header, *rows]:
            print("  ".join(cell.ljust(width) for cell, width in zip(row, widths)))
    print("Medians over the rounds (lowest–highest); \"of complex's\": the ratio divided by complex's,\n"
          "timed just after in the same round.")
    print(f"\nTargets, medians over the rounds (load average {load_before:.1f} before, "
          f"{os.getloadavg()[0]:.1f} after, {os.cpu_count()} cores):")
    for target in TARGETS:
        median = statistics.median(getattr(results[target.case], target.measure))
        met = median <= target.bound if target.at_most else median >= target.bound
        print(f"  {target.case}, {MEASURES[target.measure]}: {median:.3f} "
              f"{'≤' if target.at_most else '≥'} {target.bound}: {'met' if met else 'MISSED'}")


if __name__ == "__main__":
    main()
