#!/usr/bin/env bash
# Hunts tests that fail now and then: runs the whole suite again and again under CPU load, in a
# random order, more tests at once than there are cores, until a test fails or the time is up.
#   scripts/flake-hunt.sh [MINUTES] [BUILD_DIR...]       (default: 20 minutes, build/ then build-asan/)
# The build directories must be built already (scripts/test.sh does it). The load comes from
# stress-ng on every core; each build directory gets its own temporary folder, so two suites run
# by this script never meet in /tmp. Prints how many rounds of the suite passed; exits non-zero at
# the first failure, with its output.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes="${1:-20}"
shift || true
dirs=("$@")
[ ${#dirs[@]} -eq 0 ] && dirs=(build build-asan)
for d in "${dirs[@]}"; do
  [ -f "$d/CTestTestfile.cmake" ] || { echo "$d is not built (run scripts/test.sh first)" >&2; exit 2; }
done
command -v stress-ng >/dev/null || scripts/install-deps.sh --flake-hunt

cores="$(nproc)"
stress-ng --cpu "$cores" --timeout "${minutes}m" --quiet &
stress=$!
trap 'kill $stress 2>/dev/null || true' EXIT

end=$(( $(date +%s) + minutes * 60 ))
rounds=0
status=0
log="$(mktemp)"
while [ "$(date +%s)" -lt "$end" ]; do
  for d in "${dirs[@]}"; do
    tmp="$(mktemp -d)"
    # --repeat until-fail:2 runs each test twice in a round; -j twice the cores keeps them crowded.
    if ! (cd "$d" && TMPDIR="$tmp" QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
          UBSAN_OPTIONS=print_stacktrace=1 ctest -j"$((cores * 2))" --schedule-random \
          --repeat until-fail:2 --output-on-failure >"$log" 2>&1); then
      status=1
    fi
    rm -rf "$tmp"
    if [ $status -ne 0 ]; then
      grep -E 'Failed|\*\*\*' "$log" | head -n 40
      echo "flake hunt: a test failed in $d after $rounds passing rounds; full log: $log" >&2
      exit 1
    fi
    rounds=$((rounds + 1))
    echo "round $rounds passed ($d, $(grep -o '[0-9]* tests passed\|100% tests passed.*' "$log" | tail -n1))"
  done
done
echo "flake hunt: $rounds rounds of the suite passed in $minutes minutes under load, no failure"
rm -f "$log"
