#!/usr/bin/env bash
# Endurance run under Wine: the simulated register sends a large random dump (CR, LF
# and NUL bytes in every position, random chunks, unpaced) into the real program, which
# then saves it; the saved file must equal, byte for byte, what the independent
# reference decoder makes of the dump. Prints the figures.
# Usage: scripts/soak.sh [MEGABYTES [ARCH]]   (default 50 i686)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
megabytes=${1:-50} arch=${2:-i686}
"$root/scripts/setup.sh" >/dev/null
"$root/scripts/build.sh" native "$arch" >/dev/null || exit 1
source "$root/scripts/wine-env.sh"
source "$root/scripts/regsim-env.sh"
source "$root/scripts/program-dir.sh"

work="$root/build/soak"
rm -rf "$work"; mkdir -p "$work"
ctl() { korvex_tool "$arch" korvexctl "$@"; }
python3 - "$work/dump.bin" "$megabytes" <<'PY'
import os, random, sys
rng = random.Random(20261207)
size = int(sys.argv[2]) * 1000 * 1000
# Random bytes, with CR, LF and NUL far more often than chance: lines of every length,
# empty ones, and line ends and NULs at every place a read or a chunk can split them.
special = bytes([13, 10, 0, 13, 13, 10, 0])
out = bytearray(os.urandom(size))
for i in rng.sample(range(size), size // 12):
    out[i] = special[rng.randrange(len(special))]
open(sys.argv[1], "wb").write(out)
PY
python3 "$root/tests/e2e/reference_decoder.py" "$work/dump.bin" "$root/samples/Korvex_Tab.txt" \
    "$root/samples/Korvex_Invalid.txt" 2 >"$work/expected.txt"
make_program_dir "$work/prog" "$arch" COM_PORT=14 BAUD_RATE=250000 TAB_FILE="Z:${root//\//\\}\\samples\\Korvex_Tab.txt" \
    INVALID_CHAR_FILE="Z:${root//\//\\}\\samples\\Korvex_Invalid.txt" OUTPUT_FILE=received.txt RIENTRY=2

wine_env_up
trap 'regsim_stop "$work/com14"; wine_env_down' EXIT
regsim_up 14 "$work/com14" --file "$work/dump.bin" --wait-open --bps 0 --chunk 1:4096 --seed 7 || exit 1
wine=/usr/lib/wine/wine64; [ "$arch" = i686 ] && wine=/usr/lib/wine/wine
cd "$work/prog"; setsid "$wine" Korvex.exe </dev/null >/dev/null 2>&1 & pid=$!; cd "$root"
ctl wait-window 30 >/dev/null
start=$(date +%s.%N)
ctl click 1005
timeout 3600 bash -c "until grep -q 'dump sent' '$work/com14.log'; do sleep 1; done"
sent=$(date +%s.%N)
# The program may still be working through what it has received: save until the saved
# text stops growing.
last=-1
while :; do
    ctl click 1009; sleep 3
    size=$(stat -c %s "$work/prog/received.txt" 2>/dev/null || echo 0)
    [ "$size" -eq "$last" ] && break
    last=$size
done
ctl click 1005; sleep 0.5; ctl click 1009; sleep 2
cpu=$(awk '{printf "%.1f", ($14 + $15) / 100}' "/proc/$pid/stat")
rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
ctl close; ctl wait-exit 60 >/dev/null
lines=$(wc -l <"$work/expected.txt")
echo "dump: $(stat -c %s "$work/dump.bin") bytes, $lines lines; sent unpaced in $(awk "BEGIN {printf \"%.1f\", $sent - $start}") s"
echo "program: $cpu s of CPU, $((rss / 1024)) MB resident at the end"
if cmp "$work/prog/received.txt" "$work/expected.txt"; then
    echo "soak: saved file equals the reference decoding ($(stat -c %s "$work/expected.txt") bytes)"
else
    echo "soak: FAILED, saved file differs from the reference decoding"; exit 1
fi
