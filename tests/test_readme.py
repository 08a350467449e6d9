"""The examples in README.md are sessions against the module; they must go on
printing exactly what the README shows."""

import doctest
from pathlib import Path

README = Path(__file__).resolve().parent.parent / "README.md"


def test_readme_examples() -> None:
    result = doctest.testfile(str(README), module_relative=False, report=True)
    assert result.attempted > 0
    assert result.failed == 0
