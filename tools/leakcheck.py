"""Long leak check: every case of the call table in tests/surface.py, a
million times each by default, with the memory growth per call reported.

    python tools/leakcheck.py [--calls N] [--traced-calls M] [--only TEXT]

For each case: `--calls` calls after a warm-up of a tenth as many, with
Python's allocated blocks, the C heap in use and the resident set read before
and after, and the reference counts of the case's objects compared; then
`--traced-calls` calls under tracemalloc (which slows calls about eightfold).
A line per entry point gives its worst case. Exits with 1 when any case moved
a reference count or grew beyond the limits below.
"""

from __future__ import annotations

import argparse
import sys
import time
import tracemalloc
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests"))

import memory_probe  # noqa: E402
import surface  # noqa: E402

# Allowed growth over a whole loop, independent of its length: one-time
# effects (free lists, caches) stay far below, a per-call leak far above.
LIMITS = {"blocks": 64, "heap": 64 * 1024, "rss": 4 << 20, "traced": 4096}


def check(case: surface.Case, calls: int, traced_calls: int) -> tuple[dict[str, int], list[int]]:
    case.check_once()
    growth = memory_probe.measure(case.loop, case.watched, calls, max(calls // 10, 1))
    tracemalloc.start()
    try:
        traced = memory_probe.measure(case.loop, (), traced_calls, max(traced_calls // 4, 1)).memory.traced
    finally:
        tracemalloc.stop()
    memory = growth.memory
    return {"blocks": memory.blocks, "heap": memory.heap, "rss": memory.rss, "traced": traced}, growth.moved_references


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--calls", type=int, default=1_000_000)
    parser.add_argument("--traced-calls", type=int, default=20_000)
    parser.add_argument("--only", default="", help="run only the cases whose id contains this text")
    options = parser.parse_args()

    cases = [case for case in surface.cases() if options.only in case.id]
    missing = surface.uncovered(surface.cases())
    if missing:
        print(f"entry points without a case: {sorted(missing)}")
        return 1
    print(f"{len(cases)} cases, {options.calls} calls each ({options.traced_calls} traced)")
    print(f"{'case':<64} {'blocks':>8} {'heap B':>8} {'RSS B':>9} {'traced B':>9}   per call")
    start = time.perf_counter()
    worst: dict[str, dict[str, float]] = {}
    failures: list[str] = []
    for case in cases:
        growth, moved = check(case, options.calls, options.traced_calls)
        per_call = {
            key: value / (options.traced_calls if key == "traced" else options.calls) for key, value in growth.items()
        }
        entry = worst.setdefault(case.member, dict.fromkeys(per_call, 0.0))
        for key, value in per_call.items():
            entry[key] = max(entry[key], value)
        over = [key for key, value in growth.items() if value > LIMITS[key]]
        flag = ""
        if moved or over:
            flag = "  <-- " + ", ".join(over + (["reference counts"] if moved else []))
            failures.append(case.id)
        print(
            f"{case.id[:64]:<64} {per_call['blocks']:8.1e} {per_call['heap']:8.1e} {per_call['rss']:9.1e}"
            f" {per_call['traced']:9.1e}{flag}",
            flush=True,
        )
    elapsed = time.perf_counter() - start
    print(f"\nworst growth per call, by entry point ({len(worst)} entry points)")
    for member, entry in sorted(worst.items()):
        print(f"{member:<48} blocks {entry['blocks']:8.1e}  heap {entry['heap']:8.1e} B"
              f"  RSS {entry['rss']:8.1e} B  traced {entry['traced']:8.1e} B")
    print(f"\n{len(cases)} cases in {elapsed:.0f} s; {len(failures)} over the limits {LIMITS}")
    for failure in failures:
        print(f"  {failure}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
