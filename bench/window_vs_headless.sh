#!/bin/bash
# The window against the command line: each case of bench/window/ (an `orvant-cli script`) is run
# headless (`orvant-cli script`) and in the real windows under Xvfb (`orvant --script`), each from
# a fresh copy of one prepared work directory; prints the time of the work (the sum of the times of
# the script's presses, ORVANT_SCRIPT_TIMES) on both sides, the least of ORVANT_BENCH_REPEAT runs
# (default 3; the machine may be busy), and their ratio.
#
#   bench/window_vs_headless.sh [BUILD_DIR] [CASE...]      (default: build, every case)
#
# Needs Xvfb, python3 and the DE405 blocks (`orvant-cli prepare`, scripts/install-deps.sh --de405);
# the table case needs LibreOffice. ORVANT_BENCH_DISPLAY picks the display (default :77).
set -euo pipefail
export LC_ALL=C.UTF-8
HERE="$(cd "$(dirname "$0")" && pwd)"
BUILD="$(cd "${1:-$HERE/../build}" && pwd)"
shift || true
CASES=("$@")
[ ${#CASES[@]} -eq 0 ] && CASES=(orbit_check mercury_century almagest_series observation_plan eclipse_steps)
CLI="$BUILD/orvant-cli"
WIN="$BUILD/orvant"
export ORVANT_SCRIPT_TIMES=1
export ORVANT_BRIDGE="${ORVANT_BRIDGE:-$HERE/../tools/spreadsheet/orvant_bridge.py}"
OUT="$(mktemp -d /tmp/orvant-window-bench.XXXXXX)"
DISPLAY_NO="${ORVANT_BENCH_DISPLAY:-:77}"

Xvfb "$DISPLAY_NO" -screen 0 1366x768x24 >/dev/null 2>&1 &
XVFB=$!
cleanup() { kill "$XVFB" 2>/dev/null || true; rm -rf "$OUT"; }
trap cleanup EXIT

# The work directory: DE405 blocks, the workbooks, the observatory series of about 100 records.
BASE="$OUT/base"
mkdir -p "$BASE/Obs"
"$CLI" --dir "$BASE" prepare >"$OUT/prepare.log" 2>&1 || { cat "$OUT/prepare.log" >&2; exit 1; }
SERIES="$HERE/../examples/03-observation-series/make_series.py"
python3 "$SERIES" dates 1995 2000 18 >"$BASE/Obs/GREN4_G_100.txt"
"$CLI" --dir "$BASE" reduce --source obs --name GREN --object 4 --day 1,5 --month 1 --year 1995 \
  --end 2000 --obsB 51.477 --nutation on --earth JPL0 --planet JPL0 --trace >/dev/null
python3 "$SERIES" places 1995 2000 18 "$BASE/Dat/Ras_data_GREN4_100.txt" >"$OUT/series.txt"
mv "$OUT/series.txt" "$BASE/Obs/GREN4_G_100.txt"
rm -f "$BASE/Dat/Ras_data_GREN4_100.txt"
sleep 1  # Xvfb up

# seconds CMD...: the time of the presses of a script run by CMD, its output kept in $OUT/last.log.
seconds() {
  "$@" >"$OUT/last.log" 2>"$OUT/last.err" || true
  awk '$1 == "TIME" { t += $5 } END { printf "%.3f", t }' "$OUT/last.err"
}

# run CASE SCRIPT: headless and window wall times of SCRIPT, in H and W.
run() {
  rm -rf "$OUT/w1" "$OUT/w2"
  cp -a "$BASE" "$OUT/w1"
  cp -a "$BASE" "$OUT/w2"
  H=$(seconds "$CLI" --dir "$OUT/w1" script "$2")
  grep -v '^QStandardPaths' "$OUT/last.log" >"$OUT/$1.headless.log" || true
  W=$(seconds env DISPLAY="$DISPLAY_NO" QT_QPA_PLATFORM=xcb "$WIN" --dir "$OUT/w2" --script "$2")
  grep -v '^QStandardPaths' "$OUT/last.log" >"$OUT/$1.window.log" || true
}
printf '%-18s %10s %10s %7s\n' case headless_s window_s ratio
for c in "${CASES[@]}"; do
  script="$HERE/window/$c.txt"
  best_h="" best_w=""
  for ((r = 0; r < ${ORVANT_BENCH_REPEAT:-3}; ++r)); do
    run "$c" "$script"
    best_h=$(awk -v a="$best_h" -v b="$H" 'BEGIN { print (a == "" || b + 0 < a + 0) ? b : a }')
    best_w=$(awk -v a="$best_w" -v b="$W" 'BEGIN { print (a == "" || b + 0 < a + 0) ? b : a }')
  done
  H=$best_h W=$best_w
  printf '%-18s %10s %10s %7s\n' "$c" "$H" "$W" \
    "$(awk -v h="$H" -v w="$W" 'BEGIN { if (h > 0) printf "%.2f", w / h; else printf "-" }')"
  if ! diff -q <(grep -v '^MESSAGE' "$OUT/$c.headless.log") <(grep -v '^MESSAGE' "$OUT/$c.window.log") >/dev/null; then
    echo "  outputs differ:"
    diff "$OUT/$c.headless.log" "$OUT/$c.window.log" | head -10 | sed 's/^/  /' || true
  fi
  if [ -n "${ORVANT_BENCH_VERBOSE:-}" ]; then sed 's/^/  headless: /' "$OUT/$c.headless.log" | head -5; fi
done
