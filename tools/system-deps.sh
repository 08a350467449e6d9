#!/usr/bin/env bash
# Installs the system packages a build needs: by default those of the C++ test
# suites (GoogleTest); with the argument "compilers", also those of the
# compiler matrix (Clang, libc++); with "free-threaded", what building CPython
# takes (the headers of the standard library's compiled modules pip and the
# tests use); with "debian-python", what preparing Debian's binaries of an
# interpreter takes (tools/debian-python.sh); with
# "thread-sanitizer", Clang and its ThreadSanitizer runtime.
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
if [[ ${1:-} == free-threaded ]]; then
    for package in make xz-utils libssl-dev zlib1g-dev libffi-dev libbz2-dev liblzma-dev libsqlite3-dev; do
        [[ $(dpkg-query -W -f='${Status}' "$package" 2>/dev/null) == *'ok installed' ]] || missing+=("$package")
    done
fi
if [[ ${1:-} == debian-python ]]; then
    command -v patchelf >/dev/null || missing+=(patchelf)
fi
if [[ ${1:-} == thread-sanitizer ]]; then
    echo 'int main() {}' | clang++ -fsanitize=thread -x c++ - -o /dev/null >/dev/null 2>&1 ||
        missing+=(clang libclang-rt-dev)
fi
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
    echo "error: missing system packages: ${missing[*]} (run: sudo apt-get install ${missing[*]})" >&2
    exit 1
fi
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
