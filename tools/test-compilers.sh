#!/usr/bin/env bash
# The compiler matrix: the same bits from every supported compiler and standard
# library, whatever optimisation a consumer picks.
#
#   1. the core tests under g++ with libstdc++ and under clang++ with libstdc++
#      and with libc++, each at -O0 and at -O3 -march=native. The tests take
#      their floating-point options only from tavrel::tavrel, so the Clang cells
#      are consumers at Clang's default contraction (-ffp-contract=on) and, on a
#      machine with FMA, with fused multiply-add available;
#   2. a control that the reference values notice contraction: the same tests
#      with -ffp-contract=fast after the target's options must fail (skipped on
#      a machine without FMA);
#   3. the C++ consumer example, installed and built by clang++ (both standard
#      libraries);
#   4. the lorvik module built by clang++ through the Python suite.
#
#   tools/test-compilers.sh PYTHON [build root, default: build/compilers]
# PYTHON is the interpreter of the environment that holds the test extras,
# CMake and Ninja (the Makefile passes .venv/bin/python). Build directories are
# kept, so a second run only rebuilds what changed.
set -euo pipefail
python=$(realpath -s "$1")  # -s: a virtual environment's python is a symbolic link
root=$(realpath -m "${2:-build/compilers}")
cd "$(dirname "$0")/.."
bin=$(dirname "$python")
export PATH="$bin:$PATH" CMAKE_GENERATOR=Ninja
mkdir -p "$root"

timings=()
step() {  # step NAME COMMAND...: runs COMMAND and records its wall time
    local name=$1 start=$SECONDS
    shift
    echo "== $name"
    "$@"
    timings+=("$(printf '%5d s  %s' $((SECONDS - start)) "$name")")
}

# Runs a test command quietly, printing its output only when the result is not
# the expected one (expect: pass or fail).
run_tests() {  # run_tests LOG EXPECT COMMAND...
    local log=$1 expect=$2 status=0
    shift 2
    "$@" >"$log" 2>&1 || status=$?
    if [[ $expect == pass && $status -ne 0 ]] || [[ $expect == fail && $status -eq 0 ]]; then
        cat "$log"
        echo "error: expected the tests to $expect: $*" >&2
        return 1
    fi
    if [[ $expect == fail ]]; then
        # Not ctest's own closing line: a CI reader would count it as a failure.
        echo "as it must, the control build failed: $(grep -Eo '[0-9]+ tests failed' "$log" | cut -d' ' -f1) tests caught it"
        return 0
    fi
    grep -E 'tests passed|tests failed' "$log" || tail -n 1 "$log"
}

# GoogleTest compiled against libc++: the distribution's library is built with
# libstdc++, whose std::string its interface passes around.
gtest_libcxx=$root/gtest-libc++
build_gtest_libcxx() {
    [[ -f $gtest_libcxx/lib/cmake/GTest/GTestConfig.cmake ]] && return 0
    cmake -S /usr/src/googletest -B "$root/gtest-libc++-build" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS=-stdlib=libc++ -DBUILD_GMOCK=OFF \
        -DCMAKE_INSTALL_PREFIX="$gtest_libcxx" -DCMAKE_INSTALL_LIBDIR=lib -Wno-deprecated >/dev/null
    cmake --build "$root/gtest-libc++-build" >/dev/null
    cmake --install "$root/gtest-libc++-build" >/dev/null
}

core_tests() {  # core_tests NAME EXPECT CXX FLAGS [CMake arguments...]
    local dir=$root/core-$1 expect=$2 cxx=$3 flags=$4
    shift 4
    cmake -S core -B "$dir" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE= \
        -DCMAKE_CXX_FLAGS="$flags" -DTAVREL_BUILD_TESTS=ON -DTAVREL_INSTALL=OFF "$@" >/dev/null
    cmake --build "$dir" >/dev/null
    run_tests "$dir/ctest.log" "$expect" ctest --test-dir "$dir" -j 2 --output-on-failure
}

native="-O3 -march=native"
# Not a pipe into grep -q: under pipefail the writer's SIGPIPE would read as "no".
has_fma() { [[ $(clang++ -march=native -dM -E -x c++ /dev/null) == *__FMA__* ]]; }

libcxx_gtest=(-DGTest_DIR="$gtest_libcxx/lib/cmake/GTest")
step "GoogleTest for libc++" build_gtest_libcxx
for level in -O0 "$native"; do
    tag=${level// /}
    step "core, g++, libstdc++, $level" core_tests "gcc-libstdc++$tag" pass g++ "$level"
    step "core, clang++, libstdc++, $level" core_tests "clang-libstdc++$tag" pass clang++ "$level"
    step "core, clang++, libc++, $level" \
        core_tests "clang-libc++$tag" pass clang++ "-stdlib=libc++ $level" "${libcxx_gtest[@]}"
done

if has_fma; then
    # The compile rule with the consumer's option placed after every other one,
    # where the target's -ffp-contract=off can no longer win.
    late_rule="<CMAKE_CXX_COMPILER> <DEFINES> <INCLUDES> <FLAGS> -ffp-contract=fast -o <OBJECT> -c <SOURCE>"
    step "control: core, clang++, $native, -ffp-contract=fast after ours (must fail)" \
        core_tests clang-contracted fail clang++ "$native" -DCMAKE_CXX_COMPILE_OBJECT="$late_rule"
else
    echo "note: no FMA with -march=native here; the contraction cells prove less and the control is skipped"
fi

consumer() {  # consumer NAME CXXFLAGS
    run_tests "$root/consumer-$1.log" pass \
        env CXX=clang++ CXXFLAGS="$2" tools/test-cpp-consumer.sh "$root/consumer-$1"
}
step "C++ consumer, clang++, libstdc++, $native" consumer clang-libstdc++ "$native"
step "C++ consumer, clang++, libc++, $native" consumer clang-libc++ "-stdlib=libc++ $native"

module_clang() {
    local dir=$root/module-clang
    CC=clang CXX=clang++ cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DLORVIK_BUILD_MODULE=ON \
        -DTAVREL_BUILD_TESTS=OFF -DTAVREL_INSTALL=OFF -DPython_EXECUTABLE="$python" >/dev/null
    cmake --build "$dir" >/dev/null
    # The suite must import this build, not the one installed in the environment.
    local module
    module=$(PYTHONPATH=$dir/python "$python" -c 'import lorvik; print(lorvik.__file__)')
    [[ $module == "$dir/python/"* ]] || { echo "error: imported $module" >&2; return 1; }
    [[ $(readelf -p .comment "$module") == *clang* ]] || { echo "error: $module not built by clang" >&2; return 1; }
    run_tests "$dir/pytest.log" pass env PYTHONPATH="$dir/python" "$python" -m pytest tests -q -p no:cacheprovider
}
step "lorvik built by clang++, Python suite" module_clang

echo "== timings"
printf '%s\n' "${timings[@]}"
printf '%5d s  in all\n' "$SECONDS"
