#!/usr/bin/env bash
# Installs what is needed, builds everything and runs all tests; then the sanitizer pass (the test
# suite built with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/, without the
# window and the benchmarks) and every fuzz harness for FUZZ_SECONDS (default 20) each.
set -euo pipefail
cd "$(dirname "$0")/.."
# --de405: the DE405 installer tool is tested against JPL's blocks too
scripts/install-deps.sh --de405
scripts/build.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)")

# Sanitizer pass: an undefined conversion, an overflow or a bad memory access fails the run. -O1
# compiles in a third of the time -O3 takes with the sanitizers, and still finds what they find.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" -DORVANT_SANITIZE=ON \
  -DORVANT_WITH_QT=OFF -DORVANT_WITH_BENCH=OFF >/dev/null
cmake --build build-asan -j"$(nproc)"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j"$(nproc)")

# The readers under the fuzzer (clang, libFuzzer).
scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
