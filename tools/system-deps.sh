#!/usr/bin/env bash
# Installs the system packages the C++ test suites need (GoogleTest).
set -euo pipefail

missing=()
[[ -f /usr/include/gtest/gtest.h ]] || missing+=(libgtest-dev)
command -v g++ >/dev/null || missing+=(g++)
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
    echo "error: missing system packages: ${missing[*]} (run: sudo apt-get install ${missing[*]})" >&2
    exit 1
fi
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
