#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the portable code
# natively under ASan/UBSan, the fuzzers in a short smoke mode, and the Windows
# program and library under Wine (i686 and x86_64) on a private Xvfb display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/setup.sh"
"$root/scripts/build.sh"

status=0
run() { echo "== $*"; "$@" || status=1; }

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
trap wine_env_down EXIT
wine_env_up
for arch in i686 x86_64; do
    run ctest --test-dir "build/$arch" --output-on-failure --timeout 300
done
for t in "$root"/tests/e2e/*.sh; do
    [ -f "$t" ] && run bash "$t"
done

[ $status -eq 0 ] && echo "ALL TESTS PASSED" || echo "SOME TESTS FAILED"
exit $status
