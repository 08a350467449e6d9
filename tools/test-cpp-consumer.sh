#!/usr/bin/env bash
# Installs the core library into a temporary prefix, builds examples/cpp
# against that installation as an outside project would, and runs its test.
#
#   tools/test-cpp-consumer.sh [build root, default: build]
# CMAKE and CTEST name the tools to use (default: cmake, ctest on PATH).
set -euo pipefail

root="${1:-build}"
cmake="${CMAKE:-cmake}"
ctest="${CTEST:-ctest}"
prefix="$root/tavrel-prefix"

rm -rf "$root/core-install" "$prefix" "$root/cpp-consumer"
"$cmake" -S core -B "$root/core-install" -DTAVREL_BUILD_TESTS=OFF >/dev/null
"$cmake" --install "$root/core-install" --prefix "$prefix" >/dev/null
"$cmake" -S examples/cpp -B "$root/cpp-consumer" -DCMAKE_PREFIX_PATH="$(realpath "$prefix")" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
"$cmake" --build "$root/cpp-consumer"
"$ctest" --test-dir "$root/cpp-consumer" --output-on-failure
