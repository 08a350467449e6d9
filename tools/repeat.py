"""Runs test files again and again, each time in a fresh interpreter (a new
worker pool, new threads), to catch what fails only now and then.

    python tools/repeat.py [--runs N] [--timeout S] [files ...]

The defaults are 100 runs of tests/test_fork.py and tests/test_threads.py.
Every run must pass within the timeout; the output of a failing run is shown,
and the exit status is 1 if any run failed.
"""

from __future__ import annotations

import argparse
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DEFAULT_FILES = ["tests/test_fork.py", "tests/test_threads.py"]


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--runs", type=int, default=100)
    parser.add_argument("--timeout", type=float, default=600.0, help="seconds allowed per run")
    parser.add_argument("files", nargs="*", default=DEFAULT_FILES)
    options = parser.parse_args()

    command = [sys.executable, "-m", "pytest", "-q", "-p", "no:cacheprovider", *options.files]
    failures = 0
    durations: list[float] = []
    for run in range(1, options.runs + 1):
        start = time.perf_counter()
        try:
            done = subprocess.run(command, cwd=ROOT, capture_output=True, text=True, timeout=options.timeout)
            ok, output = done.returncode == 0, done.stdout + done.stderr
        except subprocess.TimeoutExpired:
            ok, output = False, f"timed out after {options.timeout} s"
        durations.append(time.perf_counter() - start)
        last = output.strip().splitlines()[-1] if output.strip() else ""
        print(f"run {run:4}: {'ok    ' if ok else 'FAILED'} {durations[-1]:6.1f} s  {last}", flush=True)
        if not ok:
            failures += 1
            print(output)
    print(f"\n{options.runs - failures} of {options.runs} runs passed; "
          f"{sum(durations):.0f} s in all, {max(durations):.1f} s the longest run")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
