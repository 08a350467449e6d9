#!/usr/bin/env bash
# Installs the system packages the C++ test suites need (GoogleTest); with the
# argument "compilers", also those of the compiler matrix (Clang, libc++).
set -euo pipefail

missing=()
[[ -f /usr/include/gtest/gtest.h ]] || missing+=(libgtest-dev)
command -v g++ >/dev/null || missing+=(g++)
if [[ ${1:-} == compilers ]]; then
    [[ -f /usr/src/googletest/CMakeLists.txt ]] || missing+=(googletest)
    # A program linked against libc++ needs the compiler, the headers and libc++abi.
    echo 'int main() {}' | clang++ -stdlib=libc++ -x c++ - -o /dev/null >/dev/null 2>&1 ||
        missing+=(clang libc++-dev libc++abi-dev)
fi
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
    echo "error: missing system packages: ${missing[*]} (run: sudo apt-get install ${missing[*]})" >&2
    exit 1
fi
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
