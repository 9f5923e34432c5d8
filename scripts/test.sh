#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the portable code
# natively under ASan/UBSan, the line hand-off under TSan, the fuzzers in a short smoke
# mode (starting from the seeds kept in tests/fuzz/corpus), and the Windows
# program and library under Wine (i686 and x86_64) on a private Xvfb display, with
# the tests whose suite names start with AtScale run again at 120, 144 and 192 DPI.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/setup.sh"
"$root/scripts/build.sh"

status=0 passed=0 failed=0
run() {
    echo "== $*"
    if "$@"; then passed=$((passed + 1)); else status=1 failed=$((failed + 1)); fi
}

# No folder includes one above it or beside it.
run "$root/scripts/check-layers.sh"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
run ctest --test-dir build/native --output-on-failure -j"$(nproc)"
# The reader-to-window hand-off under ThreadSanitizer.
run ctest --test-dir build/tsan --output-on-failure

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
for f in build/fuzz/bin/*_fuzz; do
    if [ -x "$f" ]; then run fuzz_smoke "$f"; fi
done

# The printing tests print for real, to a PDF printer that is the default printer.
"$root/scripts/setup-printer.sh"
source "$root/scripts/wine-env.sh"
source "$root/scripts/regsim-env.sh"
trap 'regsim_stop "$root/build/regsim/com8" "$root/build/regsim/com7"; wine_env_down' EXIT
wine_env_up
# The library's serial tests read the sample dump from a simulated register on COM8,
# and across a replug from one on COM7 whose adapter is pulled out in the middle of
# each dump and comes back holding the next 4 KB, the register sending on at once. That
# port names the simulator's symlink itself, so that Wine finds the device that returns.
regsim_up 8 "$root/build/regsim/com8" --file "$root/samples/fiscal_dump.bin" \
    --wait-open --repeat --bps 11520 --chunk 1:200 || { status=1 failed=$((failed + 1)); }
regsim_start "$root/build/regsim/com7" --file "$root/samples/fiscal_dump.bin" --wait-open --repeat \
    --bps 11520 --chunk 1:200 --unplug 6000:600 --replug-no-wait --replug-holding 4096 &&
    wine_map_com_as_named 7 "$root/build/regsim/com7" && wine_server_up || { status=1 failed=$((failed + 1)); }
export KORVEX_TEST_COM=8 KORVEX_TEST_REPLUG_COM=7 KORVEX_TEST_DUMP="Z:${root//\//\\}\\samples\\fiscal_dump.bin"
for arch in i686 x86_64; do
    run ctest --test-dir "build/$arch" --output-on-failure --timeout 300
done
# The AtScale tests again at 120, 144 and 192 DPI, a prefix for each scale.
for arch in i686 x86_64; do
    run wine_scale_grid "build/$arch"
done
regsim_down 8 "$root/build/regsim/com8"
regsim_down 7 "$root/build/regsim/com7"
unset KORVEX_TEST_COM KORVEX_TEST_REPLUG_COM KORVEX_TEST_DUMP
for t in "$root"/tests/e2e/*.sh; do
    if [ -f "$t" ]; then run bash "$t"; fi
done

echo "summary: $passed passed, $failed failed"
exit $status
