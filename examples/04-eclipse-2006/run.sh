#!/usr/bin/env bash
# The total solar eclipse of 2006 March 29 seen by the default observer (48.153 E, 45.874 N,
# north of the Caspian Sea), found with two sources (DE405 "JPL2" and the analytic theory
# "New0") and two ET-UT models (the 1939 formula and the piecewise approximation with forecast),
# side by side.
source "$(dirname "$0")/../common.sh"
W="$(new_workdir 04-eclipse-2006)"
with_de405 "$W"
echo "work directory: $W"
# The search is a few seconds of work; --short changes nothing here.

TABLE="$W/table.txt"
: >"$TABLE"
for src in JPL2 New0; do
  for et in 1 5; do
    cli --dir "$W" eclipse 2006-03-28 2006-03-31 --kinds solar --source "$src" --et1 "$et" \
      | tee "$W/$src-et$et.txt"
    # The event line: kind, date, type, C1, C2, MAX, C3, C4, sep, mag, obsc, hSun, hMoon, hPlanet.
    awk -v s="$src" -v e="$et" '$1 == "Солнечное" {
        split($6, t, ":"); printf "%s %s %s %s %s %s %s %.1f\n", s, e, $3, $4, $6, $8, $10, (t[1] * 60 + t[2]) * 60 + t[3] }' \
      "$W/$src-et$et.txt" >>"$TABLE"
  done
done
echo "--- side by side (UT):"
printf '%-6s %-22s %-4s %-11s %-11s %-11s %s\n' source "ET1-UT model" type C1 MAX C4 magnitude
while read -r src et type c1 max c4 mag secs; do
  case "$et" in 1) model="1939 formula" ;; 5) model="piecewise + forecast" ;; esac
  printf '%-6s %-22s %-4s %-11s %-11s %-11s %s\n' "$src" "$model" "$type" "$c1" "$max" "$c4" "$mag"
done <"$TABLE"

# NASA's Besselian elements of this eclipse (Espenak & Anderson, NASA TP-2004-212762; Delta T =
# 64.9 s) put the maximum for this observer at 11:24:47 UT (README). Seconds of the day:
REF=$(( (11 * 60 + 24) * 60 + 47 ))
row() { awk -v s="$1" -v e="$2" '$1 == s && $2 == e' "$TABLE"; }
MAX_JPL2="$(row JPL2 5 | awk -v r="$REF" '{ printf "%.1f", $8 - r }')"
TYPE_JPL2="$(row JPL2 5 | awk '{ print ($3 == "T") }')"
# The two ET-UT models at the eclipse: a larger ET-UT puts the same geometry at an earlier UT,
# by more than the difference itself because the observer turns with the Earth meanwhile.
JD=2453823.97
DT1939="$(cli etut 1939 "$JD" | value ETUT)"
DTPIECE="$(cli etut piece "$JD" | value ETUT)"
SHIFT="$(paste <(row JPL2 5) <(row JPL2 1) | awk '{ printf "%.1f", $8 - $16 }')"
RATIO="$(awk -v s="$SHIFT" -v a="$DT1939" -v b="$DTPIECE" 'BEGIN { printf "%.3f", s / (a - b) }')"
SOURCES="$(paste <(row New0 5) <(row JPL2 5) | awk '{ printf "%.1f", $8 - $16 }')"
echo "ET-UT at the eclipse: $DTPIECE s (piecewise), $DT1939 s (1939 formula); maxima $SHIFT s apart, ratio $RATIO"
echo "JPL2 with the piecewise ET-UT: maximum $MAX_JPL2 s from the NASA prediction; New0 - JPL2: $SOURCES s"
check_key JPL2_piecewise_max_minus_NASA_s "$MAX_JPL2" -60 60
check_key JPL2_piecewise_total "$TYPE_JPL2" 1 1
check_key et_shift_over_dETUT "$RATIO" 1.0 1.6
check_key New0_minus_JPL2_s "$SOURCES" -600 600
finish
