#!/usr/bin/env bash
# An observation series: an observatory file of Mars seen from Greenwich is written from JPL0
# (JPL's approximate mean elements of J2000, not the DE405 ephemeris), reduced on screen 10's
# chain (orvant-cli reduce) against JPL0 itself and against the Kin0 theory, the Earth from JPL0
# in both, with the residual report; then two observation plans (screens 13 and 10, run by
# orvant-cli obs-plan-run) fit the two-body orbit of Mars (its longitude of perihelion and its
# mean longitude) to the observations.
source "$(dirname "$0")/../common.sh"
HERE="$(cd "$(dirname "$0")" && pwd)"
W="$(new_workdir 03-observation-series)"
with_de405 "$W"
mkdir -p "$W/Obs"
if [ "$SHORT" = 1 ]; then STEP=20; else STEP=10; fi
echo "work directory: $W; Mars from Greenwich 1995-2000 every $STEP days at 21 h UT"
PY="$(command -v python3)"
R=(reduce --source obs --name GREN --object 4 --day 1,5 --month 1 --year 1995 --end 2000
   --obsB 51.477 --nutation on --earth JPL0)

# The series: first the dates, whose reduction against JPL0 with --trace logs the computed
# apparent places; then the same dates with those places.
"$PY" "$HERE/make_series.py" dates 1995 2000 "$STEP" >"$W/Obs/GREN4_G_100.txt"
cli --dir "$W" "${R[@]}" --planet JPL0 --trace >"$W/trace.log"
"$PY" "$HERE/make_series.py" places 1995 2000 "$STEP" "$W/Dat/Ras_data_GREN4_100.txt" >"$W/series.txt"
mv "$W/series.txt" "$W/Obs/GREN4_G_100.txt"
rm -f "$W/Dat/Ras_data_GREN4_100.txt"
echo "--- Obs/GREN4_G_100.txt (first lines):"
head -8 "$W/Obs/GREN4_G_100.txt"

echo "--- reduced against JPL0 (the theory the series came from):"
cli --dir "$W" "${R[@]}" --planet JPL0 --rms | tee "$W/jpl0.log"
echo "--- reduced against Kin0, with the residual report Dat/StatGREN4_100.txt:"
cli --dir "$W" "${R[@]}" --planet Kin0 --rms --stat | tee "$W/kin0.log"
cat "$W/Dat/StatGREN4_100.txt"

echo "--- observation plan 1 (obs-plan-run: screens 13 and 10, one process per experiment):"
cli --dir "$W" obs-plan-run --plan 1 --from 1 --to 11 --jobs 2 --setup "$HERE/setup.txt" | tee "$W/plan1.log"
# "X4 AlfaP, град  Xopt  natural": the natural optimum is the last word.
optimum() { awk -v r="$1" '$1 == r { v = $NF; gsub(",", ".", v); print v }' "$2"; }
P1="$(optimum X4 "$W/plan1.log")"
L1="$(optimum X7 "$W/plan1.log")"
# Round 2 around the optimum of round 1, with intervals a fifth as wide.
{ cat "$HERE/setup.txt"
  printf 'set 13 X0_4 %s\nset 13 dX_4 0,02\nset 13 X0_7 %s\nset 13 dX_7 0,002\n' "${P1/./,}" "${L1/./,}"
} >"$W/setup2.txt"
echo "--- observation plan 2, around AlfaP = $P1, AlfaL0 = $L1:"
cli --dir "$W" obs-plan-run --plan 2 --from 1 --to 11 --jobs 2 --setup "$W/setup2.txt" | tee "$W/plan2.log"
if grep '^MESSAGE' "$W/plan1.log" "$W/plan2.log" | grep -qv 'Введите правильно данные$'; then
  echo "the plan reported a message" >&2; exit 1
fi

RMS_L="$(value rmsdL <"$W/jpl0.log")"
RMS_B="$(value rmsdB <"$W/jpl0.log")"
KIN_L="$(value rmsdL <"$W/kin0.log")"
ALFAP="$(optimum X4 "$W/plan2.log")"
echo "JPL0 against itself: rms dL = $RMS_L\", rms dB = $RMS_B\"; Kin0 against JPL0: rms dL = $KIN_L\""
echo "fitted longitude of perihelion of Mars: $ALFAP deg"
check_key rms_dL_self "$RMS_L" 0 0.0003
check_key rms_dB_self "$RMS_B" 0 0.0003
check_key rms_dL_Kin0 "$KIN_L" 0.5 120
check_key AlfaP_Mars "$ALFAP" 335.98 336.10
finish
