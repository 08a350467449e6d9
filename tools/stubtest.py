"""Check the type stubs of lorvik against the built extension module.

Usage: python tools/stubtest.py [stubtest options]
Without options it checks `lorvik` with tools/stubtest-allowlist.txt.

The stubs are found on mypy's search path (MYPYPATH=stubs for a build tree,
site-packages/lorvik/*.pyi after `pip install .`); the module is the one that
`import lorvik` finds.
"""

import sys
from pathlib import Path

import lorvik
from mypy import stubtest

ALLOWLIST = Path(__file__).with_name("stubtest-allowlist.txt")


def main(argv: list[str]) -> int:
    # The submodule is reachable only as the attribute lorvik.geometry: the
    # module deliberately keeps it out of sys.modules, so `import
    # lorvik.geometry` fails. stubtest imports every module it checks by its
    # dotted name, so the submodule is registered here, in this process only.
    sys.modules.setdefault("lorvik.geometry", lorvik.geometry)
    args = argv or ["lorvik", "--allowlist", str(ALLOWLIST)]
    return stubtest.test_stubs(stubtest.parse_options(args))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
