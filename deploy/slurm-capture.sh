#!/usr/bin/env bash
# Renders a demo-capture on a Slurm cluster: a job array with one task per part, then a job that
# joins the parts once every task has succeeded. Run it from the demo's folder, which (with
# demo-capture and the output's folder) every node must see at the same path.
#
#   deploy/slurm-capture.sh [--wait] [--config FILE] PARTS OUT [demo-capture options...]
#
# OUT is NAME.mkv, NAME.mp4 or a folder ending in "/"; the parts go to OUT.parts/ (part-I.mkv,
# part-I.mp4 or part-I/), with the tasks' logs. --wait returns once the join has ended, with its
# status. --config names the demo's configuration (default defaultdemoconfig.txt). DEMO_CAPTURE
# names the program (default: demo-capture on PATH); SBATCH_ARGS adds options to both
# submissions (a partition, a time limit, --cpus-per-task).
set -euo pipefail

usage()
{
    echo "usage: $0 [--wait] [--config FILE] PARTS OUT [demo-capture options...]" >&2
    exit 2
}

wait=()
config=()
while [ $# -gt 0 ]; do
    case $1 in
    --wait) wait=(--wait); shift ;;
    --config) [ $# -ge 2 ] || usage; config=("$2"); shift 2 ;;
    *) break ;;
    esac
done
[ $# -ge 2 ] || usage
parts=$1
out=$2
shift 2
[[ $parts =~ ^[1-9][0-9]*$ ]] || usage
capture=$(command -v "${DEMO_CAPTURE:-demo-capture}") || {
    echo "$0: demo-capture not found; set DEMO_CAPTURE" >&2
    exit 2
}
read -r -a extra <<<"${SBATCH_ARGS:-}"

# Each part is of the output's kind: a folder for a folder, else the same extension.
case $out in
*/) out=$(realpath -m -- "$out")/ partsDir=${out%/}.parts suffix=/ ;;
*.mkv | *.mp4) out=$(realpath -m -- "$out") partsDir=$out.parts suffix=.${out##*.} ;;
*) echo "$0: OUT must be NAME.mkv, NAME.mp4 or a folder ending in /" >&2; exit 2 ;;
esac
mkdir -p "$partsDir"
quote()
{
    [ $# -eq 0 ] || printf ' %q' "$@"
}

# Quoted once here; Slurm sets the array variables in each task.
task="$(quote "$capture" "${config[@]}") --out $(quote "$partsDir")/part-\$SLURM_ARRAY_TASK_ID$suffix"
task+=" --segment \$SLURM_ARRAY_TASK_ID/\$SLURM_ARRAY_TASK_COUNT$(quote "$@")"
array=$(sbatch --parsable "${extra[@]}" --job-name=demo-capture --array="1-$parts" \
    --chdir="$PWD" --output="$partsDir/part-%a.log" --wrap="$task")
array=${array%%;*}

join="$(quote "$capture") join"
[ ${#config[@]} -eq 0 ] || join+=" --config$(quote "${config[0]}")"
join+="$(quote "$out")"
for ((i = 1; i <= parts; i++)); do
    join+="$(quote "$partsDir/part-$i$suffix")"
done
echo "demo-capture: $parts parts in job array $array, logs in $partsDir"
sbatch --parsable "${wait[@]}" "${extra[@]}" --job-name=demo-capture-join \
    --dependency="afterok:$array" --kill-on-invalid-dep=yes --chdir="$PWD" \
    --output="$partsDir/join.log" --wrap="$join"
