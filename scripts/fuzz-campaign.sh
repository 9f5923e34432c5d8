#!/usr/bin/env bash
# Long fuzz campaign: runs every fuzz target (or those named) for a number of
# executions, then merges what it found into the seed corpus kept in the repository
# (tests/fuzz/corpus/<target>/), which the test command's short smoke run starts from.
# Prints executions, corpus size and crashes per target. CPU-heavy: run it niced.
# Usage: scripts/fuzz-campaign.sh [-n RUNS] [target...]   (default 10000000 runs each)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=10000000
if [ "${1:-}" = -n ]; then runs=$2; shift 2; fi
"$root/scripts/build.sh" fuzz >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in build/fuzz/bin/*_fuzz; do targets+=("$(basename "$f")"); done
fi
status=0
for name in "${targets[@]}"; do
    bin="build/fuzz/bin/$name"
    seeds="tests/fuzz/corpus/$name"
    work="build/fuzz/campaign/$name"
    mkdir -p "$seeds" "$work/corpus" "$work/crashes"
    log="$work/fuzz.log"
    start=$(date +%s)
    rc=0
    "$bin" -runs="$runs" -max_len=4096 -print_final_stats=1 -artifact_prefix="$work/crashes/" \
        "$work/corpus" "$seeds" >"$log" 2>&1 || rc=$?
    secs=$(( $(date +%s) - start ))
    execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
    crashes=$(find "$work/crashes" -type f | wc -l)
    # Keep only inputs that add coverage: a small seed set, not every file found.
    mkdir -p "$work/merged"
    "$bin" -merge=1 "$work/merged" "$seeds" "$work/corpus" >"$work/merge.log" 2>&1
    rm -rf "$seeds"; mv "$work/merged" "$seeds"
    echo "$name: $execs executions in ${secs}s, exit $rc, crashes $crashes, seeds $(ls "$seeds" | wc -l)"
    [ "$rc" -eq 0 ] && [ "$crashes" -eq 0 ] || { status=1; tail -30 "$log"; }
done
exit $status
