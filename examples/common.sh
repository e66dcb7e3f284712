# Shared by the examples' run.sh scripts (sourced, not run).
#
#   ORVANT_CLI            the orvant-cli to call (default: build/orvant-cli of this tree, else the
#                         one on PATH)
#   ORVANT_EXAMPLE_OUT    where the examples' work directories go (default /tmp/orvant-examples);
#                         each example gets <out>/<name>, emptied at its start, left for a look
#   ORVANT_EXAMPLE_SHORT  1: the short runs CI uses (also the --short argument)
#
# Every example ends with its key figures, one "KEY name = value  [lo, hi]  ok" line each, and
# exits 1 when a figure falls outside its expected range.

set -euo pipefail
export LC_ALL=C.UTF-8

EXAMPLES_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
SHORT="${ORVANT_EXAMPLE_SHORT:-0}"
for arg in "$@"; do
  case "$arg" in
    --short) SHORT=1 ;;
    *) echo "usage: $0 [--short]" >&2; exit 2 ;;
  esac
done

if [ -z "${ORVANT_CLI:-}" ]; then
  if [ -x "$EXAMPLES_DIR/../build/orvant-cli" ]; then
    ORVANT_CLI="$EXAMPLES_DIR/../build/orvant-cli"
  else
    ORVANT_CLI="$(command -v orvant-cli || true)"
  fi
fi
if [ -z "$ORVANT_CLI" ] || [ ! -x "$ORVANT_CLI" ]; then
  echo "orvant-cli not found: build it (scripts/build.sh) or set ORVANT_CLI" >&2
  exit 1
fi
OUT="${ORVANT_EXAMPLE_OUT:-${TMPDIR:-/tmp}/orvant-examples}"
FAILED=0

# new_workdir NAME: an empty work directory for this example; prints its path.
new_workdir() {
  local dir="$OUT/$1"
  rm -rf "$dir"
  mkdir -p "$dir"
  echo "$dir"
}

# with_de405 DIR: puts JPL's DE405 blocks into DIR/JPL. They are written once by
# `orvant-cli prepare` (from Debian's DE405 package, scripts/install-deps.sh --de405) into
# OUT/de405 and copied from there.
with_de405() {
  local cache="$OUT/de405"
  if [ ! -f "$cache/JPL/ascp2000.405" ]; then
    mkdir -p "$cache"
    if ! "$ORVANT_CLI" --dir "$cache" prepare >"$cache/prepare.log" 2>&1 \
        || [ ! -f "$cache/JPL/ascp2000.405" ]; then
      cat "$cache/prepare.log" >&2
      echo "DE405 blocks could not be written: install the DE405 package (scripts/install-deps.sh --de405)" >&2
      exit 1
    fi
  fi
  mkdir -p "$1/JPL"
  cp "$cache"/JPL/ascp*.405 "$1/JPL/"
}

# cli ARGS...: orvant-cli, its messages shown; fails the example when orvant-cli fails.
cli() {
  "$ORVANT_CLI" "$@"
}

# value NAME: the value of the last "NAME = value" line on stdin, with a decimal point.
value() {
  awk -v n="$1" 'index($0, n " = ") == 1 { v = substr($0, length(n) + 4); sub(/ .*/, "", v) } END { gsub(",", ".", v); print v }'
}

# check_key NAME VALUE LO HI: prints the key figure and whether it lies in [LO, HI].
check_key() {
  local name="$1" v="$2" lo="$3" hi="$4" verdict
  if awk -v v="$v" -v lo="$lo" -v hi="$hi" 'BEGIN { exit !(v != "" && v + 0 == v && v >= lo && v <= hi) }'; then
    verdict=ok
  else
    verdict="OUT OF RANGE"
    FAILED=1
  fi
  printf 'KEY %s = %s  [%s, %s]  %s\n' "$name" "${v:-<none>}" "$lo" "$hi" "$verdict"
}

finish() {
  exit "$FAILED"
}
