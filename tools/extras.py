"""Prints the requirements of the named optional-dependency groups of pyproject.toml."""

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
