#!/usr/bin/env bash
# Prints the path of a Python 3.13 (or later) interpreter with its headers.
set -euo pipefail

ok() {
    "$1" -c 'import sys, sysconfig, os
sys.exit(not (sys.version_info >= (3, 13) and os.path.exists(os.path.join(sysconfig.get_paths()["include"], "Python.h"))))' \
        >/dev/null 2>&1
}

candidates=()
[[ -n "${PYTHON:-}" ]] && candidates+=("$PYTHON")
root=$(pyenv root 2>/dev/null || echo "$HOME/.pyenv")
for found in "$root"/versions/3.1[3-9]*/bin/python3 /usr/local/bin/python3.1[3-9] /usr/bin/python3.1[3-9]; do
    [[ -x "$found" ]] && candidates+=("$found")
done
for name in python3.13 python3.14 python3.15 python3; do
    path=$(command -v "$name" 2>/dev/null) && candidates+=("$path")
done

for candidate in "${candidates[@]}"; do
    if ok "$candidate"; then
        echo "$candidate"
        exit 0
    fi
done

# Last resort: the distribution's package, where it has one.
if [[ $(id -u) -eq 0 ]] && command -v apt-get >/dev/null; then
    apt-get update -qq >/dev/null 2>&1 || true
    if apt-get install -y -qq python3.13 python3.13-venv python3.13-dev >/dev/null 2>&1 &&
        ok /usr/bin/python3.13; then
        echo /usr/bin/python3.13
        exit 0
    fi
fi
echo "error: no Python 3.13 or later with development headers found; set PYTHON=/path/to/python3.13" >&2
exit 1
