#!/usr/bin/env bash
# Prints the path of a free-threaded CPython 3.13 (built with --disable-gil),
# building it first if this machine has none yet.
#
# The source is Debian's python3.13 source package from the trixie suite of the
# Debian archive the machine's apt sources name, fetched through private apt
# folders so the machine's own apt configuration and state stay untouched. The
# build lands in a per-machine cache outside the clone, one folder per source
# version; a folder counts only once its .complete stamp exists, so a build
# that failed half way is thrown away and done again.
#
#     tools/free-threaded-python.sh        # prints e.g. ~/.cache/lorvik/cpython-3.13.5-2-t/bin/python3.13t
#
# With --thread-sanitizer the interpreter is built by Clang with
# ThreadSanitizer into its own folder (cpython-<version>-t-tsan), together with
# oneTBB from Debian's source built the same way (its TBB_SANITIZE option): a
# data race check needs every library whose synchronisation it must see
# instrumented, and the oneTBB of PyPI's wheel is not. That build needs cmake on
# the PATH.
#
# LORVIK_CACHE overrides the cache folder, LORVIK_DEBIAN_MIRROR the archive.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/debian-apt.sh

cache=${LORVIK_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/lorvik}
suite=trixie
variant=t
configure=(--disable-gil)
also_fetch=()
if [[ ${1:-} == --thread-sanitizer ]]; then
    variant=t-tsan
    configure+=(--with-thread-sanitizer CC=clang CXX=clang++)
    also_fetch=(onetbb)
fi
mkdir -p "$cache"
log() { echo "free-threaded python: $*" >&2; }

finished() { # newest complete build, if any
    local stamp
    stamp=$(ls -1d "$cache"/cpython-*-$variant/.complete 2>/dev/null | sort -V | tail -n 1)
    [[ -n $stamp ]] && echo "$(dirname "$stamp")/bin/python3.13t"
}

# One build at a time per machine; a second caller waits and then reuses it.
exec 9>"$cache/.lock"
flock 9
if python=$(finished); then
    echo "$python"
    exit 0
fi

fetch() { # downloads the source package into $1, prints the orig tarball
    local apt=$cache/apt
    mkdir -p "$1"
    log "fetching python3.13 from $suite"
    private_apt "$apt" deb-src "$suite" || return
    (cd "$1" && apt-get "${apt_options[@]}" -qq source --download-only python3.13 >&2)
    # Of another package, only the upstream tarball, checked against the hash
    # of the signed index: its build takes no Debian patch.
    local package uri file size hash
    for package in "${also_fetch[@]}"; do
        read -r uri file size hash < <(apt-get "${apt_options[@]}" -qq source --print-uris "$package" |
            grep '\.orig\.tar\.')
        /usr/lib/apt/apt-helper "${apt_options[@]}" download-file "${uri//\'/}" "$1/$file" "$hash" >&2
    done
    rm -rf "$apt"
    ls "$1"/python3.13_*.orig.tar.* | head -n 1
}

tools/system-deps.sh free-threaded
[[ $variant == t-tsan ]] && tools/system-deps.sh thread-sanitizer

work=$cache/source
rm -rf "$work"
tarball=$(fetch "$work")
version=$(basename "$(ls "$work"/python3.13_*.dsc)" .dsc)
version=${version#python3.13_}
prefix=$cache/cpython-$version-$variant
rm -rf "$prefix" # a leftover without its stamp

# Debian's patches only adapt the interpreter to Debian's own layout; the
# upstream source builds as it is.
log "building CPython $version with ${configure[*]} into $prefix (several minutes)"
tar -xf "$tarball" -C "$work"
cd "$work"/Python-*/
# No profile-guided optimisation: the benchmarks measure against the same
# interpreter's built-in types, so both sides share the plain build.
./configure -q --prefix="$prefix" "${configure[@]}" --disable-test-modules --with-ensurepip=no \
    py_cv_module__tkinter=n/a >&2
make -s -j"$(nproc)" >&2
make -s install >&2
if [[ $variant == t-tsan ]]; then
    log "building oneTBB with ThreadSanitizer into $prefix"
    tar -xf "$(ls "$work"/onetbb_*.orig.tar.* | head -n 1)" -C "$work"
    tbb=$(ls -d "$work"/oneTBB-*/)
    cmake -S "$tbb" -B "$work/tbb" -Wno-dev -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DTBB_SANITIZE=thread \
        -DTBB_TEST=OFF -DTBB_STRICT=OFF -DTBBMALLOC_BUILD=OFF -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
    cmake --build "$work/tbb" -j"$(nproc)" >/dev/null
    cmake --install "$work/tbb" >/dev/null
    # The reports both projects know of in their own code, as their sources
    # list them, in one file for TSAN_OPTIONS.
    cat Tools/tsan/suppressions_free_threading.txt "$tbb/cmake/suppressions/tsan.suppressions" \
        >"$prefix/tsan-suppressions.txt"
fi
cd "$cache"
rm -rf "$work"
"$prefix/bin/python3.13t" -c 'import sys, ssl, zlib, ctypes; sys.exit(sys._is_gil_enabled())'
touch "$prefix/.complete"
echo "$prefix/bin/python3.13t"
