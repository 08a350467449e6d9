#!/usr/bin/env bash
# Compiles every source of the module as for a free-threaded CPython 3.13
# (Py_GIL_DISABLED defined: the borrow counters' atomic paths, no free lists,
# the free-threaded object header), without linking. No free-threaded
# interpreter is needed; its headers are the regular ones with that macro.
#     tools/check-free-threaded.sh [python]
set -euo pipefail
cd "$(dirname "$0")/.."
python=${1:-.venv/bin/python}
include=$("$python" -c 'import sysconfig; print(sysconfig.get_paths()["include"])')
prefix=$("$python" -c 'import sys; print(sys.prefix)')  # oneTBB headers from tbb-devel
status=0
for source in $(find module/src -name '*.cpp' | sort); do
    if ! "${CXX:-g++}" -fsyntax-only -std=c++20 -DPy_GIL_DISABLED \
        -I module/src -I core/include -isystem "$include" -isystem "$prefix/include" "$source"; then
        echo "error: $source does not compile for a free-threaded interpreter" >&2
        status=1
    fi
done
exit $status
