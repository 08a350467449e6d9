"""The docstrings of the type stubs are what editors and the reference site
show: every public member has one, and every `>>>` example in them runs
against the built module and prints exactly what it shows, as the README's
examples do (tests/test_readme.py). Stub examples see the names of
`from lorvik import *`; the site's own pages (docs/**/*.md) import what they use."""

import ast
import doctest
from collections.abc import Iterator
from pathlib import Path

import pytest

import lorvik

ROOT = Path(__file__).resolve().parent.parent
STUBS = sorted((ROOT / "stubs" / "lorvik").glob("*.pyi"))
DOCS = ROOT / "docs"
PAGES = [page for page in sorted(DOCS.rglob("*.md")) if ">>>" in page.read_text()]

Documented = ast.Module | ast.ClassDef | ast.FunctionDef


def is_setter(node: ast.FunctionDef) -> bool:
    return any(isinstance(d, ast.Attribute) and d.attr == "setter" for d in node.decorator_list)


def documented(path: Path) -> Iterator[tuple[str, Documented]]:
    """Every module, class, function and method of a stub with its qualified
    name; a property counts once, by its getter."""
    module = ast.parse(path.read_text(), str(path))
    prefix = "lorvik" if path.stem == "__init__" else f"lorvik.{path.stem}"
    yield prefix, module

    def walk(scope: str, body: list[ast.stmt]) -> Iterator[tuple[str, Documented]]:
        for node in body:
            if isinstance(node, ast.ClassDef):
                yield f"{scope}.{node.name}", node
                yield from walk(f"{scope}.{node.name}", node.body)
            elif isinstance(node, ast.FunctionDef) and not is_setter(node):
                yield f"{scope}.{node.name}", node

    yield from walk(prefix, module.body)


def doctests() -> list[doctest.DocTest]:
    parser = doctest.DocTestParser()
    names = {name: getattr(lorvik, name) for name in lorvik.__all__}
    tests = []
    for path in STUBS:
        for name, node in documented(path):
            text = ast.get_docstring(node, clean=False)
            if text is None or ">>>" not in text:
                continue
            # The docstring's own line, 0-based, so that failures point at the stub.
            line = node.body[0].lineno - 1
            tests.append(parser.get_doctest(text, dict(names), name, str(path), line))
    return tests


def test_every_member_has_a_docstring() -> None:
    missing = [name for path in STUBS for name, node in documented(path) if not ast.get_docstring(node)]
    assert missing == []


@pytest.mark.parametrize("test", doctests(), ids=lambda test: test.name)
def test_stub_example(test: doctest.DocTest) -> None:
    runner = doctest.DocTestRunner()
    result = runner.run(test)
    assert result.attempted > 0
    assert result.failed == 0


@pytest.mark.parametrize("page", PAGES, ids=lambda page: page.relative_to(DOCS).as_posix())
def test_page_examples(page: Path) -> None:
    result = doctest.testfile(str(page), module_relative=False, report=True)
    assert result.attempted > 0
    assert result.failed == 0
