#!/usr/bin/env bash
# End to end under Wine, the record of the last run: the program is ended with
# TerminateProcess in the middle of a run from the simulated register, and
# Korvex_LastRun.txt must then hold, byte for byte against the reference decoder, every
# line the register had sent up to a second before. The next run keeps that record as
# Korvex_LastRun.1.txt. A run from a read-only program folder receives and saves as ever.
source "$(dirname "$0")/e2e-common.bash"

work="$root/build/e2e/last_run"
ro="$work/readonly"
unmount_ro() { while mountpoint -q "$ro" 2>/dev/null || mountpoint -q "$ro/Korvex_Config.txt" 2>/dev/null; do umount -l "$ro/Korvex_Config.txt" 2>/dev/null || umount -l "$ro"; done; }
unmount_ro
rm -rf "$work"; mkdir -p "$work"
bps=4000
link="$work/com9"
tables=(TAB_FILE="Z:${root//\//\\}\\samples\\Korvex_Tab.txt" INVALID_CHAR_FILE="Z:${root//\//\\}\\samples\\Korvex_Invalid.txt")

decode() {  # dump > lines
    python3 "$root/tests/e2e/reference_decoder.py" "$1" "$root/samples/Korvex_Tab.txt" "$root/samples/Korvex_Invalid.txt" 2
}
start_korvex() {  # arch dir
    arch=$1
    local wine; wine=$(wine_for "$arch")
    (cd "$2" && setsid "$wine" Korvex.exe </dev/null >/dev/null 2>&1 &)
    ctl wait-window 30 >/dev/null
}
ctl() { korvex_tool "$arch" korvexctl "$@"; }
now() { date +%s.%N; }
# Starts a run and, once the dump is through, stops it.
full_run() {
    local dumps; dumps=$(grep -c 'dump sent' "$link.log")
    ctl click 1005
    stop_after_dump "$link.log" $((dumps + 1)) "$work/expected.txt"
}

# About 16 KB of register bytes in lines of random length, with NUL, LF and invalid bytes.
python3 - "$work/dump.bin" <<'PY'
import random, sys
rng = random.Random(12)
out = bytearray()
while len(out) < 16000:
    for _ in range(rng.randint(0, 60)):
        r = rng.random()
        out.append(rng.choice(b'\x00\n\x11\x13') if r < 0.05 else rng.randint(0x80, 0xFF) if r < 0.8 else rng.randint(1, 255))
    out.append(13)
open(sys.argv[1], 'wb').write(out)
PY
decode "$work/dump.bin" >"$work/expected.txt"

trap 'ctl kill >/dev/null 2>&1; regsim_stop "$link"; unmount_ro; true' EXIT
regsim_up 9 "$link" --file "$work/dump.bin" --repeat --bps "$bps" --chunk 1:64 || { check "simulator" 1; exit 1; }

# 1. Killed in the middle of the dump.
dir="$work/i686"
make_program_dir "$dir" i686 COM_PORT=9 BAUD_RATE=250000 RIENTRY=2 "${tables[@]}"
start_korvex i686 "$dir"
ctl click 1005
wait_log "$link.log" 'port opened' 1 30
opened=$(now)
sleep 2.5  # a timed stretch of the run: what was sent a second before the kill follows from it
killed=$(now)
ctl kill
ctl wait-exit 10 >/dev/null
# The simulator starts 300 ms after it sees the port open, then keeps to its pace.
sent=$(python3 -c "print(max(0, int(($killed - 1.0 - $opened - 0.3) * $bps)))")
head -c "$sent" "$work/dump.bin" >"$work/sent.bin"
decode "$work/sent.bin" >"$work/floor.txt"
cp "$dir/Korvex_LastRun.txt" "$work/killed.txt" 2>/dev/null || : >"$work/killed.txt"
python3 - "$work/killed.txt" "$work/floor.txt" "$work/expected.txt" <<'PY'
import sys
record, floor, full = (open(p, 'rb').read() for p in sys.argv[1:4])
ok = floor and record.startswith(floor) and full.startswith(record) and record.endswith(b'\r\n') and record != full
print("  record %d bytes, sent a second before the kill %d, whole dump %d" % (len(record), len(floor), len(full)))
sys.exit(0 if ok else 1)
PY
check "killed mid-run: Korvex_LastRun.txt holds every line sent up to a second before, byte-exact" $?

# 2. The next run keeps the killed run's record.
start_korvex i686 "$dir"
full_run
ctl close
ctl wait-exit 10 >/dev/null
cmp -s "$dir/Korvex_LastRun.1.txt" "$work/killed.txt"
check "next run: Korvex_LastRun.1.txt is the killed run's record" $?
cmp -s "$dir/Korvex_LastRun.txt" "$work/expected.txt"
check "next run: Korvex_LastRun.txt is the whole dump" $?

# 3. A program folder where no file can be made (its configuration file alone may be
#    written, as an installer may arrange): the run receives and saves as ever, silently.
mkdir -p "$ro" "$work/out"
make_program_dir "$work/setup" x86_64 COM_PORT=9 BAUD_RATE=250000 RIENTRY=2 "${tables[@]}" \
    OUTPUT_FILE="Z:${work//\//\\}\\out\\received.txt"
mount --bind "$work/setup" "$ro" && mount -o remount,bind,ro "$ro" &&
    mount --bind "$work/setup/Korvex_Config.txt" "$ro/Korvex_Config.txt" || { check "read-only mount" 1; exit 1; }
start_korvex x86_64 "$ro"
full_run
ctl click 1009
wait_for 10 cmp -s "$work/out/received.txt" "$work/expected.txt"
box=$(ctl answer ok 0.5)
ctl close
ctl wait-exit 10 >/dev/null
[ -z "$box" ] && cmp -s "$work/out/received.txt" "$work/expected.txt" && [ ! -e "$ro/Korvex_LastRun.txt" ]
check "read-only program folder: the whole dump received and saved, no message" $?

e2e_summary "last run"
