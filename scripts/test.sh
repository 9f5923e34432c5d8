#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the portable code
# natively under ASan/UBSan, the line hand-off under TSan, the fuzzers in a short smoke
# mode (starting from the seeds kept in tests/fuzz/corpus), the Windows program and
# library under Wine (i686 and x86_64), with the tests whose suite names start with
# AtScale run again at 120, 144 and 192 DPI, and the end-to-end scripts.
#
# After the build the tests run in lanes side by side, each with its own Wine prefix
# (copied from one prepared prefix), its own Xvfb display and its own simulated
# register; what is shared (the PDF printer) is locked where it is used. Each lane's
# output is shown when it ends; the last lines are the time of each phase.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
logs="$root/build/test-logs"
timetable=()
started=$SECONDS

# phase NAME COMMAND...: runs it, notes its wall time; the status is the command's.
phase() {
    local name=$1 t0=$SECONDS rc=0; shift
    "$@" || rc=$?
    timetable+=("$(printf '%-34s %4d s%s' "$name" $((SECONDS - t0)) "$([ $rc -eq 0 ] || echo '  FAILED')")")
    return $rc
}

phase "install" "$root/scripts/setup.sh"
phase "build" "$root/scripts/build.sh"
mkdir -p "$logs"; rm -f "$logs"/*

source "$root/scripts/wine-env.sh"
source "$root/scripts/regsim-env.sh"
export KORVEX_PRINT_LOCK=/tmp/korvex-print.lock  # the PDF printer serves the whole machine

# check NAME COMMAND...: one numbered check of a lane, with its time.
check() {
    local name=$1 t0=$SECONDS rc=0; shift
    echo "== $name"
    "$@" || rc=$?
    echo "-- $name: $([ $rc -eq 0 ] && echo passed || echo FAILED) in $((SECONDS - t0)) s"
    return $rc
}

# Each fuzzer for a short while; its log is shown only when it found something.
fuzz_smoke() {
    local name corpus log
    name=$(basename "$1"); corpus="build/fuzz/corpus/$name"; log="build/fuzz/$name.log"
    mkdir -p "$corpus"
    local seeds=()
    if [ -d "tests/fuzz/corpus/$name" ]; then seeds=("tests/fuzz/corpus/$name"); fi
    "$1" -max_total_time=15 -max_len=4096 -print_final_stats=0 "$corpus" "${seeds[@]}" 2>"$log" ||
        { tail -30 "$log"; return 1; }
}

# ctest that fails when a test was skipped: nothing the test command runs may skip.
ctest_all() {
    local out rc=0
    out=$(mktemp)
    ctest "$@" 2>&1 | tee "$out" || rc=1
    if grep -q '(Skipped)' "$out"; then
        echo "a test was skipped"; rc=1
        # ctest shows nothing of a skipped test; what it printed is in ctest's own log.
        local dir name
        dir=$(sed -n 's/^Internal ctest changing into directory: //p' "$out" | head -1)
        for name in $(sed -nE 's/^[[:space:]]*[0-9]+ - (.*) \(Skipped\)$/\1/p' "$out"); do
            awk -v t=": $name" '/^[0-9]+\/[0-9]+ Testing: / { on = (substr($0, index($0, ":")) == t) } on' \
                "$dir/Testing/Temporary/LastTest.log" 2>/dev/null | tail -40
        done
    fi
    rm -f "$out"
    return $rc
}

lane_native() {
    local rc=0
    check "layers" "$root/scripts/check-layers.sh" || rc=1
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
        check "native tests" ctest_all --test-dir build/native --output-on-failure -j"$(nproc)" || rc=1
    # The reader-to-window hand-off under ThreadSanitizer.
    check "tsan tests" ctest_all --test-dir build/tsan --output-on-failure || rc=1
    local f
    for f in build/fuzz/bin/*_fuzz; do
        if [ -x "$f" ]; then check "fuzz $(basename "$f")" fuzz_smoke "$f" || rc=1; fi
    done
    return $rc
}

# A lane's own Wine prefix, copied from the prepared one, and its own display.
lane_prefix_up() {  # name
    export WINEPREFIX="$root/build/wineprefix-$1"
    wine_prefix_copy "$root/build/wineprefix" "$WINEPREFIX" || return 1
    xvfb_up
}

# A lane that runs Windows programs: its own prefix and display, and a simulated
# register on COM8 for the library's serial tests, which read the sample dump from it.
wine_lane_up() {
    local name=$1
    lane_prefix_up "$name" || return 1
    wine_server_up
    # Not "com8": under Windows "com8.log", the simulator's log, would name the port itself.
    local link="$root/build/regsim/$name/register8" replug="$root/build/regsim/$name/register7"
    trap 'regsim_stop "'"$link"'" "'"$replug"'"; wine_env_down' EXIT
    regsim_up 8 "$link" --file "$root/samples/fiscal_dump.bin" --wait-open --repeat --bps 11520 --chunk 1:200 ||
        return 1
    # ... and across a replug, from one on COM7 whose adapter is pulled out in the middle
    # of each dump and comes back holding the next 4 KB, the register sending on at once.
    regsim_up 7 "$replug" --file "$root/samples/fiscal_dump.bin" --wait-open --repeat --bps 11520 --chunk 1:200 \
        --unplug 6000:600 --replug-no-wait --replug-holding 4096 || return 1
    export KORVEX_TEST_COM=8 KORVEX_TEST_REPLUG_COM=7 KORVEX_TEST_DUMP="Z:${root//\//\\}\\samples\\fiscal_dump.bin"
    # Their logs tell the library's tests when the simulator has seen the port closed.
    export KORVEX_TEST_COM_LOG="Z:${link//\//\\}.log" KORVEX_TEST_REPLUG_COM_LOG="Z:${replug//\//\\}.log"
}

lane_windows() {  # arch
    wine_lane_up "$1" || return 1
    check "windows tests $1" ctest_all --test-dir "build/$1" --output-on-failure --timeout 300
}

# The AtScale tests of both builds again at 120, 144 and 192 DPI, a prefix for each scale.
lane_grid() {
    local rc=0 a
    lane_prefix_up grid || return 1
    trap 'wine_env_down' EXIT
    for a in i686 x86_64; do check "scale grid $a" wine_scale_grid "build/$a" || rc=1; done
    return $rc
}

lane_e2e() {  # name, scripts...
    local name=$1 rc=0 t; shift
    lane_prefix_up "$name" || return 1
    wine_server_up
    trap 'wine_env_down' EXIT
    for t in "$@"; do
        case $t in
        # The PDF printer serves the whole machine: one script or suite prints at a time
        # (-o: the programs and Wine servers a script starts do not inherit the lock).
        printing.sh|big_files.sh) check "e2e ${t%.sh}" flock -o "$KORVEX_PRINT_LOCK" bash "tests/e2e/$t" || rc=1 ;;
        *) check "e2e ${t%.sh}" bash "tests/e2e/$t" || rc=1 ;;
        esac
    done
    return $rc
}

prepare_lanes() {
    "$root/scripts/setup-printer.sh"
    wine_prefix_init
}
phase "printer and Wine prefix" prepare_lanes

declare -A lane_pid lane_t0
lane() {  # name, function and arguments: runs in the background, output to its log
    local name=$1; shift
    ( "$@" ) >"$logs/$name.log" 2>&1 </dev/null &
    lane_pid[$name]=$!
    lane_t0[$name]=$SECONDS
}
lane native lane_native
lane win-i686 lane_windows i686
lane win-x86_64 lane_windows x86_64
lane win-grid lane_grid
lane e2e-a lane_e2e e2e-a acquisition.sh unplug.sh command_line.sh last_run.sh
lane e2e-b lane_e2e e2e-b install.sh printing.sh files.sh big_files.sh paths.sh

status=0 passed=0 failed=0
remaining=("${!lane_pid[@]}")
while [ ${#remaining[@]} -gt 0 ]; do
    wait -n "${lane_pid[@]}" 2>/dev/null || true
    still=()
    for name in "${remaining[@]}"; do
        if kill -0 "${lane_pid[$name]}" 2>/dev/null; then still+=("$name"); continue; fi
        rc=0; wait "${lane_pid[$name]}" || rc=$?
        echo "######## lane $name"
        cat "$logs/$name.log"
        sed -nE 's/^-- (.*: (passed|FAILED) in [0-9]+ s)$/\1/p' "$logs/$name.log" >"$logs/$name.times"
        passed=$((passed + $(grep -c ': passed in ' "$logs/$name.times" || true)))
        lane_failed=$(grep -c ': FAILED in ' "$logs/$name.times" || true)
        if [ $rc -ne 0 ]; then
            status=1
            # A lane that could not even set itself up counts as one failure.
            [ "$lane_failed" -gt 0 ] || lane_failed=1
        fi
        failed=$((failed + lane_failed))
        timetable+=("$(printf '%-34s %4d s%s' "lane $name" $((SECONDS - lane_t0[$name])) "$([ $rc -eq 0 ] || echo '  FAILED')")")
    done
    remaining=("${still[@]}")
done

echo
echo "summary: $passed passed, $failed failed"
echo "time table (wall clock):"
printf '  %s\n' "${timetable[@]}"
for name in native win-i686 win-x86_64 win-grid e2e-a e2e-b; do
    sed 's/^/      /' "$logs/$name.times"
done
printf '  %-34s %4d s\n' "total" $((SECONDS - started))
exit $status
