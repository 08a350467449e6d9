"""Bulk VecList operations against the numpy and scipy code a user would write
on an (n, 3) float64 array, and the worker pool's scaling.

    python bench/bulk.py [--sizes 1000 100000 1000000] [--markdown FILE] [--plot FILE]

Two worker processes run the statements, one with RAYON_NUM_THREADS=1 and
one with the default pool (the thread count is fixed when the pool starts,
so each setting needs its own process); the default one also times the
peers. numpy's BLAS runs on one thread (OPENBLAS_NUM_THREADS=1 unless set):
its spinning threads otherwise slow the matrix product down a hundredfold
whenever another process holds a core of this small machine. Each time is
the best of many short repeats. Ratios are lorvik's time
over the other's: below 1 means lorvik is faster. The markdown table goes to
stdout (or FILE), the plot of time against n to docs/bench_veclist.png.
"""

from __future__ import annotations

import argparse
import json
import os
import subprocess
import sys
import time
import timeit
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DEFAULT_SIZES = [1_000, 100_000, 1_000_000]
PEERS = ["numpy", "numpy + tolist", "scipy"]


@dataclass(frozen=True)
class Case:
    name: str
    lorvik: str
    peers: dict[str, str] = field(default_factory=dict)


def with_tolist(statement: str) -> dict[str, str]:
    return {"numpy": statement, "numpy + tolist": f"({statement}).tolist()"}


NORM = "np.linalg.norm(a, axis=1)"
SQUARED = "((a - on) ** 2).sum(axis=1)"

CASES = [
    Case("construct from list", "VecList(vectors)", {"numpy": "np.array(tuples)"}),
    Case("to_array", "v.to_array()", {"numpy + tolist": "a.tolist()"}),
    Case("dot", "v.dot(o)", with_tolist("a @ on")),
    Case("cross", "v.cross(o)", {"numpy": "np.cross(a, on)"}),
    Case("magnitude", "v.magnitude()", with_tolist(NORM)),
    Case("normalize", "v.normalize()", {"numpy": f"a / {NORM}[:, None]"}),
    Case("is_unit", "v.is_unit()", with_tolist(f"np.abs({NORM} - 1.0) < EPSILON")),
    Case("distance_to", "v.distance_to(o)", with_tolist("np.linalg.norm(a - on, axis=1)")),
    Case("distance_squared", "v.distance_squared(o)", with_tolist(SQUARED)),
    Case("v + o", "v + o", {"numpy": "a + on"}),
    Case("v - o", "v - o", {"numpy": "a - on"}),
    Case("v * s", "v * s", {"numpy": "a * s"}),
    Case("s * v", "s * v", {"numpy": "s * a"}),
    Case("v / s", "v / s", {"numpy": "a / s"}),
    Case("collapse(1)", "v.collapse(1)", {"numpy": "collapse_y(a)"}),
    Case("minimum_distance_to(o, 1)", "v.minimum_distance_to(o, 1)",
         {"numpy": f"int(np.argmin({SQUARED}))"}),
    Case("repr", "repr(v)"),
    # Last: rotating in place changes v for whatever runs after it.
    Case("rotate", "v.rotate(q)", {"numpy": "a @ matrix.T", "scipy": "rotation.apply(a)"}),
]

TARGETS = [
    # (cases, peer, highest allowed ratio at the largest size)
    (["cross", "normalize", "v + o", "v - o"], "numpy", 0.5),
    # One operation per element: bound by memory bandwidth, where numpy's own
    # loop already runs, so the bar is numpy itself.
    (["v * s", "s * v", "v / s", "collapse(1)"], "numpy", 1.0),
    (["rotate"], "scipy", 0.25),
    (["dot", "magnitude", "is_unit", "distance_to", "distance_squared"], "numpy + tolist", 1.0),
    (["minimum_distance_to(o, 1)"], "numpy", 0.5),
]
SCALING_TARGETS = {"rotate": 1.6, "normalize": 1.6}
PLOTTED = ["normalize", "rotate", "magnitude", "minimum_distance_to(o, 1)", "v * s"]


# ---------------------------------------------------------------------------
# Worker: times the statements in this process.


def collapse_y(a: object) -> object:
    c = a.copy()  # type: ignore[attr-defined]
    c[:, 1] = 0.0
    return c


def namespace(n: int) -> dict[str, object]:
    import numpy as np
    from scipy.spatial.transform import Rotation

    import lorvik
    from lorvik import Vec3d, VecList

    rng = np.random.default_rng(n)
    a = rng.uniform(-100.0, 100.0, size=(n, 3))
    tuples = [tuple(row) for row in a.tolist()]
    vectors = [Vec3d(*row) for row in tuples]
    w, i, j, k = 0.9, 0.1, -0.3, 0.2
    length = (w * w + i * i + j * j + k * k) ** 0.5
    w, i, j, k = w / length, i / length, j / length, k / length
    rotation = Rotation.from_quat([i, j, k, w])
    return {
        "np": np, "lorvik": lorvik, "Vec3d": Vec3d, "VecList": VecList,
        "a": a, "tuples": tuples, "vectors": vectors, "v": VecList(vectors),
        "o": Vec3d(1.5, -2.5, 3.5), "on": np.array([1.5, -2.5, 3.5]), "s": 2.5,
        "q": lorvik.Quat(w, i, j, k), "rotation": rotation, "matrix": rotation.as_matrix(),
        "EPSILON": 2.0**-52, "collapse_y": collapse_y,
    }


def best_time(statement: str, names: dict[str, object], budget: float = 0.3) -> float:
    """Seconds per run: the best of many short batches (about 5 ms each), so
    that a batch undisturbed by other processes is likely among them."""
    timer = timeit.Timer(statement, globals=names)
    once = max(timer.timeit(1), 1e-7)
    number = max(1, int(0.005 / once))
    repeat = max(3, min(40, int(budget / (once * number))))
    return min(timer.repeat(repeat, number)) / number


def worker(sizes: list[int], with_peers: bool) -> None:
    results: list[dict[str, object]] = []
    for n in sizes:
        names = namespace(n)
        for case in CASES:
            row: dict[str, object] = {"case": case.name, "n": n,
                                      "lorvik": best_time(case.lorvik, names)}
            if with_peers:
                row["peers"] = {p: best_time(s, names) for p, s in case.peers.items()}
            results.append(row)
            print(f"  {os.environ.get('RAYON_NUM_THREADS', 'default'):>7} threads  n={n:<8} "
                  f"{case.name}", file=sys.stderr, flush=True)
    json.dump(results, sys.stdout)


# ---------------------------------------------------------------------------
# Driver: one worker per thread setting, then the table and the plot.


def run_worker(sizes: list[int], threads: str | None) -> list[dict[str, object]]:
    env = {k: v for k, v in os.environ.items() if k != "RAYON_NUM_THREADS"}
    env.setdefault("OPENBLAS_NUM_THREADS", "1")
    args = [sys.executable, __file__, "--worker", "--sizes", *map(str, sizes)]
    if threads is not None:
        env["RAYON_NUM_THREADS"] = threads
    else:
        args.append("--peers")
    done = subprocess.run(args, env=env, stdout=subprocess.PIPE, check=True, text=True)
    return json.loads(done.stdout)  # type: ignore[no-any-return]


def ms(seconds: float) -> str:
    return f"{seconds * 1e3:.3f}" if seconds < 0.01 else f"{seconds * 1e3:.1f}"


def table(default: list[dict[str, object]], single: list[dict[str, object]]) -> str:
    one = {(r["case"], r["n"]): r["lorvik"] for r in single}
    header = ["operation", "n", "lorvik ms", "1 thread ms", "speed-up"]
    for peer in PEERS:
        header += [f"{peer} ms", f"vs {peer}"]
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    for row in default:
        ours = float(row["lorvik"])  # type: ignore[arg-type]
        serial = float(one[(row["case"], row["n"])])  # type: ignore[arg-type]
        cells = [str(row["case"]), f"{row['n']:,}", ms(ours), ms(serial), f"{serial / ours:.2f}×"]
        peers: dict[str, float] = row["peers"]  # type: ignore[assignment]
        for peer in PEERS:
            if peer in peers:
                cells += [ms(peers[peer]), f"{ours / peers[peer]:.2f}"]
            else:
                cells += ["", ""]
        lines.append("| " + " | ".join(cells) + " |")
    return "\n".join(lines)


def check_targets(default: list[dict[str, object]], single: list[dict[str, object]]) -> list[str]:
    largest = max(int(r["n"]) for r in default)  # type: ignore[call-overload]
    at_max = {r["case"]: r for r in default if r["n"] == largest}
    one = {r["case"]: float(r["lorvik"]) for r in single if r["n"] == largest}  # type: ignore[arg-type]
    report = []
    for cases, peer, limit in TARGETS:
        for case in cases:
            row = at_max[case]
            ratio = float(row["lorvik"]) / row["peers"][peer]  # type: ignore[arg-type,index]
            verdict = "met" if ratio <= limit else "MISSED"
            report.append(f"{case}: {ratio:.2f} of {peer} (at most {limit}) {verdict}")
    for case, least in SCALING_TARGETS.items():
        speedup = one[case] / float(at_max[case]["lorvik"])  # type: ignore[arg-type]
        verdict = "met" if speedup >= least else "MISSED"
        report.append(f"{case}: {speedup:.2f}× from the pool over one thread (at least {least}) {verdict}")
    return report


def plot(default: list[dict[str, object]], path: Path) -> None:
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    figure, axes = plt.subplots(figsize=(8, 5))
    for index, case in enumerate(PLOTTED):
        rows = sorted((r for r in default if r["case"] == case), key=lambda r: int(r["n"]))  # type: ignore[call-overload]
        sizes = [int(r["n"]) for r in rows]  # type: ignore[call-overload]
        color = f"C{index}"
        axes.plot(sizes, [float(r["lorvik"]) * 1e3 for r in rows], "o-", color=color,  # type: ignore[arg-type]
                  label=f"lorvik {case}")
        for peer, style in (("numpy", "s--"), ("numpy + tolist", "^:"), ("scipy", "d-.")):
            if peer in rows[0]["peers"]:  # type: ignore[operator]
                axes.plot(sizes, [r["peers"][peer] * 1e3 for r in rows], style, color=color,  # type: ignore[index]
                          alpha=0.6, label=f"{peer} {case}")
    axes.set_xscale("log")
    axes.set_yscale("log")
    axes.set_xlabel("elements (n)")
    axes.set_ylabel("time per call (ms)")
    axes.set_title("VecList bulk operations against numpy and scipy (default pool)")
    axes.grid(True, which="both", alpha=0.3)
    axes.legend(fontsize=7, ncol=2)
    figure.tight_layout()
    path.parent.mkdir(parents=True, exist_ok=True)
    figure.savefig(path, dpi=110)


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--sizes", type=int, nargs="+", default=DEFAULT_SIZES)
    parser.add_argument("--markdown", type=Path)
    parser.add_argument("--plot", type=Path, default=ROOT / "docs" / "bench_veclist.png")
    parser.add_argument("--worker", action="store_true", help=argparse.SUPPRESS)
    parser.add_argument("--peers", action="store_true", help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.worker:
        worker(args.sizes, args.peers)
        return

    started = time.perf_counter()
    default = run_worker(args.sizes, None)
    single = run_worker(args.sizes, "1")
    processors = len(os.sched_getaffinity(0))
    text = table(default, single)
    if args.markdown is not None:
        args.markdown.write_text(text + "\n")
    print(f"\nDefault pool: {processors} threads (one per processor available).")
    print("Ratios are lorvik's time over the peer's; below 1, lorvik is faster.\n")
    print(text)
    print("\nTargets at n = {:,}:".format(max(args.sizes)))
    for line in check_targets(default, single):
        print("  " + line)
    plot(default, args.plot)
    print(f"\nPlot: {args.plot}  ({time.perf_counter() - started:.0f} s in all)")


if __name__ == "__main__":
    main()
