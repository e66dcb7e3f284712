#!/usr/bin/env bash
# A plan of 9 experiments on a real Slurm: munged, slurmctld and slurmd are started here on this
# machine (one node, all state under a temporary folder, a munge socket of its own and free ports,
# so that nothing of the machine's own setup is touched), the array script written by
# `orvant-cli plan-run --emit-slurm` is submitted, its collecting job (plan-shifts, run by Slurm
# after the array with --dependency=afterok) is waited for, and the record files and the shift
# file are compared with the same plan run by `plan-run --jobs 2` in another work directory:
# identical except the first line of every record file, which holds the clock time of the run.
#
# Needs root (slurmd runs the tasks as the submitting user, munged runs as the munge user) and
# Debian's slurm-wlm and munge (scripts/install-deps.sh --slurm). Where Slurm cannot be started
# the test says why and exits 77, which CTest reports as skipped.
set -uo pipefail

SKIP=77
cli=${ORVANT_CLI:?ORVANT_CLI: the orvant-cli to test}
guard=${SLURM_TEST_GUARD:-240}  # seconds: the hang guard of every wait below
skip() { echo "SKIPPED: $*"; exit "$SKIP"; }
failed() { echo "FAILED: $*"; exit 1; }

[ "$(id -u)" -eq 0 ] || skip "not root: slurmd and munged need root to start"
for c in munged munge unmunge slurmctld slurmd sbatch scontrol sinfo; do
  command -v "$c" >/dev/null || [ -x "/usr/sbin/$c" ] || skip "$c not found (scripts/install-deps.sh --slurm)"
done
export PATH="$PATH:/usr/sbin"
[ -x "$cli" ] || failed "$cli is not built"

T=$(mktemp -d /tmp/orvant_slurm_XXXXXX) || failed "no temporary folder"
chmod 755 "$T"
stop() {
  for d in slurmd slurmctld munged; do
    [ -s "$T/run/$d.pid" ] && kill "$(cat "$T/run/$d.pid")" 2>/dev/null
  done
  # the daemons remove their pid files as they exit
  for _ in $(seq 100); do
    ls "$T"/run/*.pid >/dev/null 2>&1 || break
    sleep 0.1
  done
  [ -n "${SLURM_TEST_KEEP:-}" ] && echo "kept: $T" || rm -rf "$T"
}
trap stop EXIT
t0=$SECONDS

# ---- munge: a 1024-byte key and a socket of this test, the daemon as the munge user ----
mkdir -p "$T/munge" "$T/run" "$T/state" "$T/spool" "$T/log"
chown munge:munge "$T/munge" "$T/run" || skip "no munge user"
chmod 700 "$T/munge"
dd if=/dev/urandom of="$T/munge/munge.key" bs=1024 count=1 status=none
chown munge:munge "$T/munge/munge.key" && chmod 400 "$T/munge/munge.key"
sock="$T/run/munge.socket"
runuser -u munge -- munged --key-file="$T/munge/munge.key" --socket="$sock" --pid-file="$T/run/munged.pid" \
  --log-file="$T/run/munged.log" --seed-file="$T/run/munged.seed" ||
  skip "munged does not start: $(tail -n 1 "$T/run/munged.log" 2>/dev/null)"
munge -n -S "$sock" | unmunge -S "$sock" >/dev/null || skip "munge credentials do not decode"

# ---- Slurm: one node with every CPU, no accounting, ports nobody listens on ----
port=$((20000 + RANDOM % 20000))
if command -v ss >/dev/null; then
  while ss -ltnH | awk '{print $4}' | grep -qE ":($port|$((port + 1)))\$"; do port=$((port + 2)); done
fi
host=$(hostname -s)
export SLURM_CONF="$T/slurm.conf"
cat >"$SLURM_CONF" <<CONF
ClusterName=orvanttest
SlurmctldHost=$host
SlurmctldPort=$port
SlurmdPort=$((port + 1))
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$sock
StateSaveLocation=$T/state
SlurmdSpoolDir=$T/spool
SlurmctldPidFile=$T/run/slurmctld.pid
SlurmdPidFile=$T/run/slurmd.pid
SlurmctldLogFile=$T/log/slurmctld.log
SlurmdLogFile=$T/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
AccountingStorageType=accounting_storage/none
JobAcctGatherType=jobacct_gather/none
JobCompType=jobcomp/none
MpiDefault=none
ReturnToService=2
NodeName=$host CPUs=$(nproc) State=UNKNOWN
PartitionName=orvant Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
slurmctld -f "$SLURM_CONF" || skip "slurmctld does not start: $(tail -n 3 "$T/log/slurmctld.log" 2>/dev/null)"
slurmd -f "$SLURM_CONF" || skip "slurmd does not start: $(tail -n 3 "$T/log/slurmd.log" 2>/dev/null)"
ready=
for _ in $(seq $((guard * 5))); do
  sinfo -h -o %t 2>/dev/null | grep -q idle && ready=1 && break
  sleep 0.2
done
[ -n "$ready" ] || skip "the node does not come up: $(tail -n 3 "$T/log/slurmd.log" "$T/log/slurmctld.log")"
echo "Slurm $(sinfo -V | cut -d' ' -f2) up on $host ($(nproc) CPUs) after $((SECONDS - t0)) s"

# ---- the plan: 2 factors, 9 experiments of ten years of Mercury ----
plan() {
  mkdir -p "$1/Plan1"
  {
    printf 'Уровни варьирования плана № 1\nOrto - для  2  факторов \n'
    printf '0 5000000 0 0\n0 1000000 0 0\n0 1000000 0 0\n1000000 500000 0 1000000\n'
    printf '1000000 1000000 0 1000000\n1047348600 1000000 0 1047348600\n408523710000 1000000 0 408523710000\n'
    printf 'весовые коэффициенты смещений параметров орбит планет\n'
    for _ in $(seq 10); do printf '100 100 100 100 100 100\n'; done
  } >"$1/Plan1/OrvantPlan1.dat"
}
setup="$T/setup.txt"
printf 'press 1 toModel\nset 2 Ntr 1\nset 2 H0 3600\nset 2 YearStop 1810\n' >"$setup"
onslurm="$T/work on slurm"  # a blank in the shared work directory, as users have them
here="$T/work local"
plan "$onslurm"
plan "$here"

"$cli" --dir "$onslurm" plan-run --plan 1 --from 1 --to 9 --planet 1 --setup "$setup" \
  --emit-slurm "$T/plan1.sbatch" || failed "plan-run --emit-slurm"
out=$(cd "$T" && bash "$T/plan1.sbatch") || failed "the array script does not submit: $out"
echo "$out"
array=$(sed -n 's/^массив заданий \([0-9]*\):.*/\1/p' <<<"$out")
collect=$(sed -n 's/^сбор: задание \([0-9]*\),.*/\1/p' <<<"$out")
[ -n "$array" ] && [ -n "$collect" ] || failed "no job ids in the output of the array script"

# Wait for the collecting job, which Slurm starts only after every task of the array succeeded.
state() { scontrol show job "$1" 2>/dev/null | sed -n 's/.*JobState=\([A-Z_]*\).*/\1/p'; }
end=$((SECONDS + guard))
while :; do
  s=$(state "$collect")
  case "$s" in
  COMPLETED | FAILED | CANCELLED | TIMEOUT | NODE_FAIL | OUT_OF_MEMORY | BOOT_FAIL | DEADLINE) break ;;
  esac
  [ $SECONDS -lt $end ] || { scontrol show job "$array"; failed "the jobs did not finish in $guard s"; }
  sleep 0.5
done
logs="$onslurm/Logs/Plan1"
tasks=$(state "$array" | sort | uniq -c | tr -s ' ' | sed 's/^ //')
echo "array $array: tasks $tasks"
echo "collecting job $collect: $s"
ls "$logs"
[ "$s" = COMPLETED ] || { cat "$logs"/*.log; failed "the collecting job ended $s"; }
[ "$(state "$array" | grep -c '^COMPLETED$')" -eq 9 ] || failed "not 9 completed tasks"
for e in $(seq 9); do
  grep -q "эксперимент $e: выполнен" "$logs/${array}_$e.log" || failed "no log of task $e"
done
echo "--- collected (log of job $collect) ---"
cat "$logs/$collect-collect.log"

# ---- the same plan in one process tree with two at a time ----
echo "--- plan-run --jobs 2 in $here ---"
"$cli" --dir "$here" plan-run --plan 1 --from 1 --to 9 --jobs 2 --setup "$setup" | tail -n 1 ||
  failed "plan-run --jobs 2"
"$cli" --dir "$here" plan-shifts --plan 1 --planet 1 >/dev/null 2>&1 || failed "plan-shifts"

# ---- comparison: records without their clock-time line, and the shift file ----
same=0
for e in $(seq 9); do
  f="Plan1/Txt1/Orvant1Ras$e.txt"
  [ "$(wc -l <"$onslurm/$f")" -gt 10 ] || failed "$f has no records"
  diff <(tail -n +2 "$onslurm/$f") <(tail -n +2 "$here/$f") >/dev/null && same=$((same + 1)) ||
    echo "differs: $f"
done
cmp -s "$onslurm/Plan1/Orvant1Ras.dat" "$here/Plan1/Orvant1Ras.dat" && shifts=same || shifts=DIFFERENT
echo "comparison with plan-run --jobs 2: $same of 9 record files the same (first line, the clock time, aside);" \
  "Plan1/Orvant1Ras.dat $shifts"
[ "$same" -eq 9 ] && [ "$shifts" = same ] || failed "the Slurm run differs from the local run"
echo "PASSED in $((SECONDS - t0)) s"
