# Timed steps for the build and CI scripts (sourced). `step NAME COMMAND...` runs the command and
# appends its wall time to $ORVANT_STEP_LOG; `print_steps` prints the table. A caller that owns the
# log (the outermost script) sets it and prints the table on exit, whatever the outcome.
step() {
  local name="$1"
  shift
  local t0=$SECONDS rc=0
  echo "==> $name"
  "$@" || rc=$?
  if [ -n "${ORVANT_STEP_LOG:-}" ]; then
    printf '%s\t%d\t%s\n' "$name" "$((SECONDS - t0))" "$([ $rc -eq 0 ] && echo ok || echo FAILED)" >>"$ORVANT_STEP_LOG"
  fi
  return $rc
}

print_steps() {
  [ -s "${ORVANT_STEP_LOG:-}" ] || return 0
  local total
  total=$(awk -F'\t' '{ s += $2 } END { print s }' "$ORVANT_STEP_LOG")
  echo
  printf '%-34s %9s  %s\n' "step" "time" "result"
  awk -F'\t' '{ printf "%-34s %5d:%02d  %s\n", $1, $2 / 60, $2 % 60, $3 }' "$ORVANT_STEP_LOG"
  printf '%-34s %5d:%02d\n' "total" "$((total / 60))" "$((total % 60))"
}

# Makes this script the owner of the step log unless an outer script owns it already.
own_step_log() {
  if [ -z "${ORVANT_STEP_LOG:-}" ]; then
    ORVANT_STEP_LOG="$(mktemp)"
    export ORVANT_STEP_LOG
    trap 'print_steps; rm -f "$ORVANT_STEP_LOG"' EXIT
  fi
}
