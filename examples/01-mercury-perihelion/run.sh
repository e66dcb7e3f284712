#!/usr/bin/env bash
# The road of an experiment: DE405 initial data at 2000, a century of Mercury with and without
# the finite speed of gravity, the secular shift of the perihelion of each, the difference.
source "$(dirname "$0")/../common.sh"
HERE="$(cd "$(dirname "$0")" && pwd)"
W="$(new_workdir 01-mercury-perihelion)"
with_de405 "$W"
if [ "$SHORT" = 1 ]; then END=2009; else END=2099; fi  # the run stops on reaching END + 1
echo "work directory: $W; Mercury from 2000.0 to $((END + 1))"

{ cat "$HERE/start.txt"; echo "set 2 YearStop $END"; cat "$HERE/runs.txt"; } | cli --dir "$W" script - | tee "$W/runs.log"
if grep -q '^MESSAGE' "$W/runs.log"; then echo "the runs reported a message" >&2; exit 1; fi

# Screen 6: the perihelion (AlfaP) of Mercury from the model's records of experiment E, all
# records, fitted by a straight line; dY is the secular shift in arc seconds per century.
shift_of() {
  local e="$1" np
  np="$(printf 'open 6\nchoose 6 obj=0\nchoose 6 par=0\nchoose 6 src=1\nset 6 plan 0\nset 6 exp %s\npress 6 load\nshow 6 NP\n' "$e" \
        | cli --dir "$W" script - | value NP)"
  printf 'open 6\nchoose 6 obj=0\nchoose 6 par=0\nchoose 6 src=1\nset 6 plan 0\nset 6 exp %s\npress 6 load\n' "$e" >"$W/fit$e.txt"
  printf 'set 6 N1 1\nset 6 N2 %s\nset 6 NPtest %s\nchoose 6 fitKind=1\npress 6 fit\nshow 6 NP\nshow 6 k0\nshow 6 dY\nshow 6 S2\n' "$np" "$np" >>"$W/fit$e.txt"
  cli --dir "$W" script "$W/fit$e.txt" >"$W/fit$e.log"
}
shift_of 1
echo "--- experiment 1 (classical), screen 6:"; cat "$W/fit1.log"
shift_of 2
echo "--- experiment 2 (Vgr = Vsv), screen 6:"; cat "$W/fit2.log"
D1="$(value dY <"$W/fit1.log")"
D2="$(value dY <"$W/fit2.log")"
DIFF="$(awk -v a="$D2" -v b="$D1" 'BEGIN { printf "%.3f", a - b }')"
echo "perihelion shift, classical:  $D1 arcsec/century"
echo "perihelion shift, Vgr = Vsv:  $D2 arcsec/century"
echo "difference (finite - classical): $DIFF arcsec/century"

# The records as CSV (real units, ISO dates) for pandas or R.
for e in 1 2; do
  cli --dir "$W" export "$W/Plan0/Txt1/Orvant1Ras$e.txt" >"$W/mercury_exp$e.csv"
done
echo "records as CSV: $W/mercury_exp1.csv, $W/mercury_exp2.csv ($(($(wc -l <"$W/mercury_exp1.csv") - 1)) rows each)"

if [ "$SHORT" = 1 ]; then
  check_key shift_classical "$D1" 480 620
  check_key shift_finite "$D2" 480 620
  check_key difference "$DIFF" -20 20
else
  check_key shift_classical "$D1" 515 545
  check_key shift_finite "$D2" 515 545
  check_key difference "$DIFF" -5 5
fi
finish
