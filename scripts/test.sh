#!/usr/bin/env bash
# Installs what is needed, builds everything and runs all tests; then the sanitizer pass (the test
# suite built with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/, without the
# window and the benchmarks) and every fuzz harness for FUZZ_SECONDS (default 20) each.
# Prints the time of every step at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/steps.sh
own_step_log
# ccache (when present) shares compiled objects between clones of the tree: paths are taken
# relative to the tree's root.
export CCACHE_BASEDIR="$PWD" CCACHE_SLOPPINESS="pch_defines,time_macros,include_file_mtime,include_file_ctime"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# --de405: the DE405 installer tool is tested against JPL's blocks too
step "packages" scripts/install-deps.sh --de405 --slurm
step "build (Release)" scripts/build.sh
step "tests (Release)" bash -c 'cd build && QT_QPA_PLATFORM=offscreen ../scripts/lib/ctest-no-silent-skips.sh --output-on-failure -j"$(nproc)"'

# Sanitizer pass: an undefined conversion, an overflow or a bad memory access fails the run. -O1
# compiles in a third of the time -O3 takes with the sanitizers, and still finds what they find.
step "configure (sanitizers)" cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" -DORVANT_SANITIZE=ON \
  -DORVANT_WITH_QT=OFF -DORVANT_WITH_BENCH=OFF "${launcher[@]}" -Wno-dev
step "build (sanitizers)" cmake --build build-asan -j"$(nproc)"
step "tests (sanitizers)" bash -c 'cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ../scripts/lib/ctest-no-silent-skips.sh --output-on-failure -j"$(nproc)"'

# The readers under the fuzzer (clang, libFuzzer).
step "fuzzers (build and runs)" scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
