#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the portable code
# natively under ASan/UBSan, the fuzzers in a short smoke mode, and the Windows
# program and library under Wine (i686 and x86_64) on a private Xvfb display.
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

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
run ctest --test-dir build/native --output-on-failure -j"$(nproc)"

echo "== fuzz smoke"
for f in build/fuzz/bin/*_fuzz; do
    [ -x "$f" ] || continue
    corpus="build/fuzz/corpus/$(basename "$f")"; mkdir -p "$corpus"
    run "$f" -max_total_time=15 -max_len=4096 -print_final_stats=0 "$corpus" 2>build/fuzz/"$(basename "$f")".log \
        || tail -30 build/fuzz/"$(basename "$f")".log
done

source "$root/scripts/wine-env.sh"
source "$root/scripts/regsim-env.sh"
trap 'regsim_stop "$root/build/regsim/com8"; wine_env_down' EXIT
wine_env_up
# The library's serial tests read the sample dump from a simulated register on COM8.
regsim_up 8 "$root/build/regsim/com8" --file "$root/samples/fiscal_dump.bin" \
    --wait-open --repeat --bps 11520 --chunk 1:200 || { status=1 failed=$((failed + 1)); }
export KORVEX_TEST_COM=8 KORVEX_TEST_DUMP="Z:${root//\//\\}\\samples\\fiscal_dump.bin"
for arch in i686 x86_64; do
    run ctest --test-dir "build/$arch" --output-on-failure --timeout 300
done
regsim_down 8 "$root/build/regsim/com8"
unset KORVEX_TEST_COM KORVEX_TEST_DUMP
for t in "$root"/tests/e2e/*.sh; do
    [ -f "$t" ] && run bash "$t"
done

echo "summary: $passed passed, $failed failed"
exit $status
