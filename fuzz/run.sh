#!/usr/bin/env bash
# Runs every fuzz target of a DP_FUZZ build for SECONDS seconds each, starting from the committed
# seeds, and fails if any target reports a finding: a crash, a sanitizer report, an exception
# other than the loading error (it aborts), one input running over 5 s, or over 2 GB of memory.
# Usage: fuzz/run.sh BUILD_DIR SECONDS [TARGET...]
set -uo pipefail
build=${1:?build folder}
seconds=${2:?seconds per target}
shift 2
source_dir=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(ConfigFuzz TextFuzz TimelineFuzz SceneFuzz MaterialFuzz CombinerFuzz EnvelopeFuzz
        Po2Fuzz LwoFuzz LwsFuzz TgaFuzz HdrFuzz JpegFuzz JpegAlphaFuzz)
fi
# Targets that draw on the offscreen Mesa context end with driver threads and driver allocations
# that LeakSanitizer cannot tell from leaks.
gl_targets=" TimelineFuzz SceneFuzz MaterialFuzz "

failed=()
for target in "${targets[@]}"; do
    binary="$build/fuzz/$target"
    work="$build/fuzz-corpus/$target"
    findings="$build/fuzz-findings"
    log="$build/fuzz-logs/$target.log"
    mkdir -p "$work" "$findings" "$(dirname "$log")"
    options=(-max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$findings/$target-")
    [ -f "$source_dir/dict/$target.dict" ] && options+=(-dict="$source_dir/dict/$target.dict")
    leaks=1
    if [[ "$gl_targets" == *" $target "* ]]; then
        options+=(-detect_leaks=0)
        leaks=0
    fi
    # No display: a loading error's message box must not open on a developer's desktop.
    env -u DISPLAY -u WAYLAND_DISPLAY ASAN_OPTIONS="detect_leaks=$leaks" \
        "$binary" "${options[@]}" "$work" "$source_dir/corpus/$target" >"$log" 2>&1
    status=$?
    runs=$(grep -a -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
    if [ $status -ne 0 ]; then
        echo "$target: FINDING (status $status); log $log, inputs in $findings"
        grep -a -v -e '^Loading Error: ' -e '^#[0-9]' "$log" | tail -n 40
        failed+=("$target")
    else
        echo "$target: clean, ${runs:-?} inputs in $seconds s"
    fi
done
if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzz findings in: ${failed[*]}"
    exit 1
fi
