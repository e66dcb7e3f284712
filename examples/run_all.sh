#!/usr/bin/env bash
# Runs every example (examples/NN-*/run.sh) and checks its key figures against their expected
# ranges; exits 1 when an example fails or a figure is out of range.
#   examples/run_all.sh [--short]        (--short, or ORVANT_EXAMPLE_SHORT=1: the CI runs)
# ORVANT_CLI names the orvant-cli to use, ORVANT_EXAMPLE_OUT where the work directories go.
set -uo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
ARGS=()
for arg in "$@"; do
  case "$arg" in
    --short) ARGS+=(--short) ;;
    *) echo "usage: $0 [--short]" >&2; exit 2 ;;
  esac
done
OUT="${ORVANT_EXAMPLE_OUT:-${TMPDIR:-/tmp}/orvant-examples}"
mkdir -p "$OUT"
STATUS=0
SUMMARY=""
for script in "$HERE"/[0-9][0-9]-*/run.sh; do
  name="$(basename "$(dirname "$script")")"
  log="$OUT/$name.log"
  start=$SECONDS
  echo "=== $name"
  if "$script" "${ARGS[@]}" >"$log" 2>&1; then verdict=ok; else verdict=FAILED; STATUS=1; fi
  grep '^KEY ' "$log" || true
  if [ "$verdict" = FAILED ]; then
    echo "--- $name failed; the end of its log ($log):"
    tail -n 40 "$log"
  fi
  SUMMARY+="$(printf '%-28s %-7s %4d s' "$name" "$verdict" $((SECONDS - start)))"$'\n'
done
echo "=== summary"
printf '%s' "$SUMMARY"
exit "$STATUS"
