#!/usr/bin/env bash
# Runs the benchmarks and prints their figures: the portable ones natively (optimised,
# no sanitizers), the window and serial ones under Wine (i686, as operators run it)
# with simulated registers on pseudo-terminals mapped as COM11..COM13.
# KORVEX_BENCH_BASELINE=DIR (the bin folder of another i686 build, e.g. of main) runs
# that build's Windows benchmarks too, in the same run, for figures side by side.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" native i686
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target korvex_bench >/dev/null
echo "### native"
build/bench/bin/korvex_bench "$@"

"$root/scripts/setup-printer.sh"  # the printing benchmarks print to the PDF printer
source "$root/scripts/wine-env.sh"
source "$root/scripts/regsim-env.sh"
work="$root/build/bench-run"
mkdir -p "$work"
# A dump of about 250 KB: ten seconds at the 250000 baud line rate.
python3 - "$work/dump.bin" <<'PY'
import sys
lines = [("IVA 22%%  IMPONIBILE %12d,%02d  N. %07d" % (i * 7 % 100000, i % 100, i)).encode() for i in range(6000)]
open(sys.argv[1], "wb").write(b"".join(l + b"\r\n" for l in lines))
PY
export KORVEX_BENCH_DUMP_BYTES=$(stat -c %s "$work/dump.bin")
export KORVEX_BENCH_DUMP_LINES=6000
xvfb_up
trap 'for n in 11 12 13; do regsim_stop "$work/com$n"; done; wine_env_down' EXIT
regsim_up 11 "$work/com11" --file "$work/dump.bin" --repeat --bps 25000 --chunk 1:64
regsim_up 12 "$work/com12" --file "$work/dump.bin" --repeat --bps 0
regsim_up 13 "$work/com13" --file "$work/dump.bin" --wait-open --open-delay 60000
export KORVEX_BENCH_COM_PACED=11 KORVEX_BENCH_COM_FAST=12 KORVEX_BENCH_COM_IDLE=13
echo "### Windows (i686 under Wine)"
(cd build/i686/bin && "$root/scripts/wine-run.sh" korvex_win_bench.exe "$@" | tr -d '\r')
if [ -n "${KORVEX_BENCH_BASELINE:-}" ]; then
    echo "### Windows (i686 under Wine), baseline build"
    (cd "$KORVEX_BENCH_BASELINE" && "$root/scripts/wine-run.sh" korvex_win_bench.exe "$@" | tr -d '\r')
fi
