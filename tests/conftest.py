"""Checks of the run as a whole."""

import os
import sys
from pathlib import Path

import pytest


def pytest_collection_finish(session: pytest.Session) -> None:
    """With LORVIK_EXPECT_IN naming a folder (the venv a wheel was installed
    into), the run stops unless the module the tests imported lies in it: a
    source tree, a build folder or a stray copy on the path would otherwise be
    tested in the wheel's place."""
    expected = os.environ.get("LORVIK_EXPECT_IN")
    if not expected:
        return
    module = sys.modules.get("lorvik")  # (None where collecting failed: that fails the run anyway)
    found = Path(module.__file__ or "") if module is not None else None
    if found is not None and not found.resolve().is_relative_to(Path(expected).resolve()):
        pytest.exit(f"lorvik was imported from {found}, not from {expected}", returncode=pytest.ExitCode.USAGE_ERROR)
