"""Whole processes: ending while daemon threads are inside calls, and the
worker pool under a process's thread limit.

Each case runs in fresh interpreters, several at once, since what it checks
depends on where the threads happen to be when the process ends.
"""

from __future__ import annotations

import os
import subprocess
import sys
import textwrap

import pytest

from memory_probe import THREAD_SANITIZER

RUNS = 3
TIMEOUT = 120.0

EXIT_PRELUDE = textwrap.dedent(
    """
    import threading, time
    from lorvik import AngleDegrees, Vec3d, VecList

    def pause():
        time.sleep(0.0005)  # lets the interpreter lock go inside the call

    class Slow:
        def __float__(self):
            pause()
            return 1.0
        def __index__(self):
            pause()
            return 1
        def __eq__(self, other):
            pause()
            return False
        __hash__ = None

    class SlowText:
        def __str__(self):
            pause()
            return "no float"

    class NoFloat:
        def __float__(self):
            raise TypeError(SlowText())

    def refused_argument():
        try:
            Vec3d(NoFloat(), 0, 0)
        except TypeError:
            pass

    class SlowItems:
        def __len__(self):
            return 2
        def __getitem__(self, index):
            if index >= 2:
                raise IndexError(index)
            pause()
            return Vec3d(1, 2, 3)

    class SlowLength(list):
        def __len__(self):
            pause()
            return 1
    """
)

# What each daemon thread repeats until the main thread ends the process.
EXIT_CALLS = {
    "constructor": "Vec3d(Slow(), 0, 0)",
    "operator": "v * Slow()",
    "reflected operator": "Slow() * v",
    "setter": "v.x = Slow()",
    "index": "v[Slow()]",
    "comparison": "AngleDegrees(1) != Slow()",
    "argument error": "refused_argument()",
    "sequence items": "VecList(SlowItems())",
    "sequence length": "VecList(SlowLength([v]))",
}


def exit_script(call: str) -> str:
    return EXIT_PRELUDE + textwrap.dedent(
        f"""
        def work():
            v = Vec3d(1, 2, 3)  # one per thread: without the lock, two setters may collide
            while True:
                {call}

        for _ in range(4):
            threading.Thread(target=work, daemon=True).start()
        time.sleep(0.05)
        """
    )


def run_all(scripts: list[str], env: dict[str, str] | None = None) -> list[subprocess.CompletedProcess[str]]:
    """Runs each script in its own interpreter, all at once."""
    started = [
        subprocess.Popen([sys.executable, "-c", script], env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                         text=True)
        for script in scripts
    ]
    done = []
    for process in started:
        stdout, stderr = process.communicate(timeout=TIMEOUT)
        done.append(subprocess.CompletedProcess(process.args, process.returncode, stdout, stderr))
    return done


@pytest.mark.parametrize("call", list(EXIT_CALLS.values()), ids=list(EXIT_CALLS))
def test_ending_with_daemon_threads_inside_calls(call: str) -> None:
    for run in run_all([exit_script(call)] * RUNS):
        assert (run.returncode, run.stderr) == (0, "")


LIMITED_SCRIPT = textwrap.dedent(
    """
    import os, resource, sys
    from lorvik import Vec3d, VecList

    limit = int(sys.argv[1])
    items = [Vec3d(i, 1, 2) for i in range(100_000)]
    resource.setrlimit(resource.RLIMIT_NPROC, (limit, limit))
    os.setgid(65534)
    os.setuid(65534)
    v = VecList(items)  # makes the pool
    for _ in range(3):
        assert v.magnitude() == [Vec3d(i, 1, 2).magnitude() for i in range(100_000)]
    print(len(os.listdir("/proc/self/task")))
    """
)


@pytest.mark.skipif(os.geteuid() != 0, reason="needs root to run a process as an unprivileged user")
@pytest.mark.skipif(THREAD_SANITIZER, reason="the sanitizer's own thread needs a place under the limit")
@pytest.mark.parametrize("limit", [1, 5, 12])
def test_a_thread_limit_sizes_the_pool(limit: int) -> None:
    # The limit counts every process and thread of the user: the pool gets
    # what is left of it, and the calls finish as with any pool.
    env = dict(os.environ, RAYON_NUM_THREADS="16")
    run = subprocess.run([sys.executable, "-c", LIMITED_SCRIPT, str(limit)], env=env, capture_output=True,
                         text=True, timeout=TIMEOUT)
    assert (run.returncode, run.stderr) == (0, "")
    assert 1 <= int(run.stdout) <= limit
