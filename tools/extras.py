"""Prints the run-time requirements of pyproject.toml and those of the named
optional-dependency groups (none: the run-time ones only)."""

import sys
import tomllib
from pathlib import Path


def main(groups: list[str]) -> None:
    project = tomllib.loads(Path("pyproject.toml").read_text())["project"]
    extras: dict[str, list[str]] = project["optional-dependencies"]
    requirements = list(project.get("dependencies", []))
    for group in groups:
        requirements += extras[group]
    print(" ".join(dict.fromkeys(requirements)))


if __name__ == "__main__":
    main(sys.argv[1:])
