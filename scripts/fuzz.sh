#!/usr/bin/env bash
# Builds the libFuzzer harnesses of the file readers (tests/fuzz/fuzz_*.cpp, clang with
# AddressSanitizer and UndefinedBehaviorSanitizer) into build-fuzz/ and runs each for SECONDS
# (default 60), as many at once as there are cores, on a scratch corpus started from its seeds,
# tests/fuzz/seeds/<name>/. The DE405 harness also starts from the first two records of JPL's
# block 2000 when ../shared/de405 holds it
# (never copied into the tree). Prints the executions of every harness; exits non-zero when one
# found a crash (the input is kept under build-fuzz/artifacts/).
#   scripts/fuzz.sh [SECONDS] [HARNESS...]
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
secs="${1:-60}"
shift || true
build="$root/build-fuzz"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# -O1: the harnesses run a little slower than at -O3 and compile in far less time.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" \
  -DORVANT_FUZZ=ON -DORVANT_WITH_QT=OFF -DORVANT_WITH_TESTS=OFF -DORVANT_WITH_BENCH=OFF \
  "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzzers

shared="${ORVANT_SHARED_DIR:-$root/../shared}"
mkdir -p "$build/artifacts"
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for exe in "$build"/tests/fuzz/fuzz_*; do
    [ -x "$exe" ] && names+=("$(basename "$exe")")
  done
fi
# One harness a core at a time; each writes its own log, read when all have ended.
run_one() {
  local name="$1" seeds corpus log
  seeds="$root/tests/fuzz/seeds/${name#fuzz_}"
  corpus="$(mktemp -d)"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
  if [ "$name" = fuzz_de405_block ] && [ -f "$shared/de405/ascp2000.405" ]; then
    # One record is a line "n 1018" and 340 lines of three coefficients.
    head -n 682 "$shared/de405/ascp2000.405" >"$corpus/jpl_ascp2000_first_records.405"
  fi
  log="$build/artifacts/$name.log"
  rm -f "$log.found"
  "$build/tests/fuzz/$name" -max_total_time="$secs" -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" "$corpus" >"$log" 2>&1 ||
    touch "$log.found"
  rm -rf "$corpus"
}
jobs_at_once="$(nproc)"
for name in "${names[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs_at_once" ]; do wait -n || true; done
  run_one "fuzz_${name#fuzz_}" &
done
wait
failed=0
printf '%-28s %12s %8s\n' harness executions result
for name in "${names[@]}"; do
  name="fuzz_${name#fuzz_}"
  log="$build/artifacts/$name.log"
  result=ok
  if [ -e "$log.found" ]; then
    result=FOUND
    failed=1
  fi
  execs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')"
  printf '%-28s %12s %8s\n' "$name" "$execs" "$result"
  [ "$result" = FOUND ] && tail -n 40 "$log"
done
exit $failed
