#!/usr/bin/env bash
# Prints the path of a CPython of the given minor version (3.14, 3.15) that
# Debian's development suite, sid, serves as binary packages, preparing it
# first if this machine has none yet.
#
# The archive does not serve sid's source files here, so the binary packages
# are taken instead, fetched through private apt folders (tools/debian-apt.sh)
# and unpacked, with the libraries they load, into a private root in a
# per-machine cache outside the clone: nothing is installed into the system.
# A folder counts only once its .complete stamp exists, so a preparation that
# failed half way is thrown away and done again.
#
#     tools/debian-python.sh 3.15   # prints e.g. ~/.cache/lorvik/cpython-3.15.2-1-debian-sid/usr/bin/python3.15
#
# LORVIK_CACHE overrides the cache folder, LORVIK_DEBIAN_MIRROR the archive.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/debian-apt.sh

cache=${LORVIK_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/lorvik}
suite=sid
minor=${1:-}
[[ $minor =~ ^3\.[0-9]+$ ]] || { echo "usage: $0 MINOR_VERSION (e.g. 3.15)" >&2; exit 2; }
mkdir -p "$cache"
log() { echo "python $minor: $*" >&2; }

finished() { # newest complete root, if any
    local stamp
    stamp=$(ls -1d "$cache"/cpython-"$minor".*-debian-"$suite"/.complete 2>/dev/null | sort -V | tail -n 1)
    [[ -n $stamp ]] && echo "$(dirname "$stamp")/usr/bin/python$minor"
}

# One preparation at a time per machine (shared with free-threaded-python.sh);
# a second caller waits and then reuses it.
exec 9>"$cache/.lock"
flock 9
if python=$(finished); then
    echo "$python"
    exit 0
fi

tools/system-deps.sh debian-python

# The interpreter and its standard library, the wheel venv installs pip from,
# and every library these and C++ extension modules load.
packages=("python$minor" "python$minor-minimal" "libpython$minor-minimal" "libpython$minor-stdlib"
    "libpython$minor-dev" "python$minor-venv" python3-pip-whl
    libc6 libgcc-s1 libstdc++6 libssl3t64 libexpat1 libffi8 zlib1g libzstd1 liblzma5 libbz2-1.0
    libsqlite3-0 libuuid1 libreadline8t64 libncursesw6 libtinfo6 libdb5.3t64)

private_apt "$cache/apt" deb "$suite"
version=$(apt-cache "${apt_options[@]}" show --no-all-versions "python$minor" 2>/dev/null | sed -n 's/^Version: //p')
# (Another package may stand in for a minor version no longer served.)
[[ $version == "$minor".* ]] || { rm -rf "$cache/apt"; log "error: $suite serves no CPython $minor"; exit 1; }
root=$cache/cpython-$version-debian-$suite
debs=$cache/debs
rm -rf "$root" "$debs" # leftovers without their stamp
mkdir -p "$debs"
log "fetching Debian's python$minor $version from $suite into $root"
(cd "$debs" && apt-get "${apt_options[@]}" -qq download "${packages[@]}" >&2)
for deb in "$debs"/*.deb; do
    dpkg-deb -x "$deb" "$root"
done
rm -rf "$cache/apt" "$debs"

# sid's programs need sid's C library, newer than the machine's may be: the
# interpreter starts through the root's loader and finds its libraries in the
# root first (DT_RPATH, which unlike DT_RUNPATH also serves every library they
# load in turn). The C++ runtime is loaded at start-up as well, since an
# extension module's own DT_RUNPATH would otherwise let the loader take the
# machine's copy.
python=$root/usr/bin/python$minor
loader=$(ls "$root"/usr/lib/*/"$(basename "$(patchelf --print-interpreter "$python")")")
libraries=$(dirname "$loader")
# (Two calls: patchelf 0.14 writes a wrong DT_RPATH when given both at once.)
patchelf --set-interpreter "$loader" --force-rpath --set-rpath "$libraries" "$python"
patchelf --add-needed libstdc++.so.6 --add-needed libgcc_s.so.1 "$python"

# Debian's pyconfig.h includes the one of the architecture from the system's
# multiarch include folder, which the machine lacks; the root's takes its place.
include=$root/usr/include/python$minor
cp "$root/usr/include/$(basename "$libraries")/python$minor/pyconfig.h" "$include/pyconfig.h"

# The build-time paths sysconfig reports name Debian's /usr; those the root
# holds (headers, libraries, the wheels of ensurepip) are pointed into it.
"$python" -B - "$root" <<'EOF'
import importlib, os, pprint, sys, sysconfig

root = sys.argv[1]
data = importlib.import_module(sysconfig._get_sysconfigdata_name())
values = {
    key: root + value if isinstance(value, str) and value.startswith("/") and os.path.exists(root + value) else value
    for key, value in data.build_time_vars.items()
}
with open(data.__file__, "w") as file:
    file.write(f"build_time_vars = {pprint.pformat(values)}\n")
EOF

# Every compiled module of the standard library loads, and a venv gets pip.
"$python" -c 'import importlib, pathlib, sysconfig
for module in pathlib.Path(sysconfig.get_config_var("DESTSHARED")).glob("*.so"):
    importlib.import_module(module.name.partition(".")[0])'
smoke=$cache/smoke-venv
rm -rf "$smoke"
"$python" -m venv "$smoke"
"$smoke/bin/python" -m pip --version >/dev/null
rm -rf "$smoke"
touch "$root/.complete"
echo "$python"
