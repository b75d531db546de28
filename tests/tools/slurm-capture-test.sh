#!/usr/bin/env bash
# deploy/slurm-capture.sh end to end on a one-node Slurm cluster that this script configures and
# starts in a temporary folder (its own munge key and socket, its own ports, nothing under /etc)
# and stops again: two parts of the bundled demo in a job array, the dependent join, and the
# joined frames compared with a single run's. Exit 77 (skipped) where it cannot run.
#   slurm-capture-test.sh DEMO_CAPTURE SOURCE_DIR
set -euo pipefail
capture=$1
source=$2
skip()
{
    echo "skipped: $*"
    exit 77
}
[ "$(id -u)" = 0 ] || skip "starting slurmctld, slurmd and munged needs root"
for program in munged slurmctld slurmd sbatch sinfo; do
    command -v $program >/dev/null || skip "$program is missing (Debian packages slurm-wlm, munge)"
done

work=$(mktemp -d /tmp/dp-slurm.XXXXXX)
chmod 755 "$work"
pids=()
cleanup()
{
    # Only the daemons started here, by their process ids.
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        while kill -0 "$pid" 2>/dev/null; do sleep 0.2; done
    done
    rm -rf "$work"
}
trap cleanup EXIT
fail()
{
    echo "FAILED: $*"
    for log in "$work"/*.log "$work"/*.out "$work"/out/*.parts/*.log; do
        [ -f "$log" ] && { echo "== $log"; tail -n 20 "$log"; }
    done
    exit 1
}

# munge: a fresh key and a private socket.
mkdir -m 755 "$work/munge"
dd if=/dev/urandom of="$work/munge/munge.key" bs=1024 count=1 status=none
chmod 400 "$work/munge/munge.key"
munged --force --key-file="$work/munge/munge.key" --socket="$work/munge/socket" \
    --pid-file="$work/munge/pid" --log-file="$work/munged.log" --seed-file="$work/munge/seed" \
    --foreground >"$work/munged.out" 2>&1 &
pids+=($!)

# Two ports away from the usual ones, so that a cluster already on this machine is left alone.
ctldPort=$((20000 + RANDOM % 20000))
slurmdPort=$((ctldPort + 1))
node=$(hostname -s)
mkdir -p "$work/state" "$work/spool"
export SLURM_CONF=$work/slurm.conf
cat >"$SLURM_CONF" <<CONF
ClusterName=dpcapture
SlurmctldHost=$node(127.0.0.1)
SlurmctldPort=$ctldPort
SlurmdPort=$slurmdPort
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$work/munge/socket
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
MpiDefault=none
NodeName=$node NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=capture Nodes=$node Default=YES MaxTime=INFINITE State=UP OverSubscribe=YES
CONF
# Debian's plugin stack configuration sits beside slurm.conf.
echo >"$work/plugstack.conf"

timeout 10 bash -c "until [ -S '$work/munge/socket' ]; do sleep 0.1; done" || fail "munged did not start"
slurmctld -D -i >"$work/slurmctld.out" 2>&1 &
pids+=($!)
slurmd -D -N "$node" >"$work/slurmd.out" 2>&1 &
pids+=($!)
timeout 30 bash -c 'until sinfo -h -o %T 2>/dev/null | grep -qx idle; do sleep 0.5; done' ||
    fail "the node did not come up"

mkdir "$work/out"
cd "$source/samples"
DEMO_CAPTURE=$capture timeout 300 "$source/deploy/slurm-capture.sh" --wait 2 "$work/out/joined/" \
    --size 64x48 --fps 10 --from 8 --to 9 || fail "the job array or the join failed"
[ -f "$work/out/joined.parts/part-1/part.json" ] || fail "no part 1"
[ -f "$work/out/joined.parts/part-2/part.json" ] || fail "no part 2"
"$capture" --out "$work/out/single/" --size 64x48 --fps 10 --from 8 --to 9 2>/dev/null
count=0
for frame in "$work"/out/single/frame-*.png; do
    cmp -s "$frame" "$work/out/joined/${frame##*/}" || fail "${frame##*/} differs from the single run"
    count=$((count + 1))
done
[ $count = 11 ] || fail "$count frames, not 11"
cmp -s "$work/out/single/audio.wav" "$work/out/joined/audio.wav" || fail "the audio differs"
echo "the Slurm job array and the join gave the single run's 11 frames and audio"
