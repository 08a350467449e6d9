"""Runs every benchmark: the per-call table, then the VecList bulk table."""

import subprocess
import sys
from pathlib import Path

HERE = Path(__file__).parent


def main() -> None:
    subprocess.run([sys.executable, str(HERE / "percall.py"), "--markdown"], check=True)
    subprocess.run([sys.executable, str(HERE / "bulk.py"), *sys.argv[1:]], check=True)


if __name__ == "__main__":
    main()
