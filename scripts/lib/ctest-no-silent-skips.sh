#!/usr/bin/env bash
# Runs ctest in the current build directory with the given arguments, then fails when a test was
# skipped that tests/allowed-skips.txt does not allow: in the full run every engine and outside
# reference is installed, so a skip there means a test checked nothing.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
log="$(mktemp)"
ctest "$@" 2>&1 | tee "$log"
rc=${PIPESTATUS[0]}
skipped=$(sed -n '/The following tests did not run:/,/^$/p' "$log" | grep -E '\(Skipped\)' |
  sed -E 's/^[[:space:]]*[0-9]+ - (.*) \(Skipped\)$/\1/' || true)
rm -f "$log"
mapfile -t allowed < <(grep -vE '^[[:space:]]*(#|$)' "$root/tests/allowed-skips.txt")
is_allowed() {
  local rx
  for rx in "${allowed[@]}"; do [[ "$1" =~ $rx ]] && return 0; done
  return 1
}
unexpected=""
while IFS= read -r name; do
  [ -z "$name" ] || is_allowed "$name" || unexpected+="  $name"$'\n'
done <<<"$skipped"
if [ -n "$unexpected" ]; then
  echo "Skipped tests that the full run must run (see tests/allowed-skips.txt):" >&2
  printf '%s' "$unexpected" >&2
  exit 1
fi
exit "$rc"
