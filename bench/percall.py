"""Per-call benchmark: lorvik against the peers a user would pick instead.

Each module bench/percall_<topic>.py defines CASES, a list of Case. Every
statement runs in one process, timed with timeit (best of several repeats),
and the table prints nanoseconds per call and the ratio lorvik / peer.

    python bench/percall.py [topic ...] [--markdown]
"""

from __future__ import annotations

import argparse
import importlib
import sys
import timeit
from dataclasses import dataclass, field
from pathlib import Path


@dataclass(frozen=True)
class Case:
    name: str
    lorvik: str
    peers: dict[str, str] = field(default_factory=dict)
    setup: str = ""


REPEATS = 7


def time_ns(statement: str, setup: str, namespace: dict[str, object]) -> float:
    timer = timeit.Timer(statement, setup=setup, globals=namespace)
    number, _ = timer.autorange()
    number = max(number, 10_000)
    return min(timer.repeat(repeat=REPEATS, number=number)) / number * 1e9


def load_cases(topics: list[str]) -> list[tuple[str, Case, dict[str, object]]]:
    here = Path(__file__).parent
    sys.path.insert(0, str(here))
    found = sorted(p.stem for p in here.glob("percall_*.py"))
    selected = [t for t in found if not topics or t.removeprefix("percall_") in topics]
    loaded = []
    for name in selected:
        module = importlib.import_module(name)
        namespace = dict(vars(module))
        for case in module.CASES:
            loaded.append((name.removeprefix("percall_"), case, namespace))
    return loaded


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("topics", nargs="*")
    parser.add_argument("--markdown", action="store_true")
    args = parser.parse_args()

    cases = load_cases(args.topics)
    peer_names = list(dict.fromkeys(p for _, c, _ in cases for p in c.peers))
    header = ["operation", "lorvik ns"] + [f"{p} ns" for p in peer_names] + [
        f"ratio vs {p}" for p in peer_names
    ]
    rows = []
    for topic, case, namespace in cases:
        ours = time_ns(case.lorvik, case.setup, namespace)
        theirs = {p: time_ns(s, case.setup, namespace) for p, s in case.peers.items()}
        row = [f"{topic}: {case.name}", f"{ours:.1f}"]
        row += [f"{theirs[p]:.1f}" if p in theirs else "" for p in peer_names]
        row += [f"{ours / theirs[p]:.2f}" if p in theirs else "" for p in peer_names]
        rows.append(row)
        if not args.markdown:
            print("  ".join(row), flush=True)
    if args.markdown:
        print("| " + " | ".join(header) + " |")
        print("|" + "---|" * len(header))
        for row in rows:
            print("| " + " | ".join(row) + " |")


if __name__ == "__main__":
    main()
