#!/usr/bin/env bash
# End to end under Wine, the files the program writes while a run goes on:
# 1. the record of the running acquisition made the output file (Load after a crash,
#    then Start): Save and Save As onto it are refused with a clear message, a Save As
#    elsewhere is a full copy, the record stays byte-exact and never gains a second name;
# 2. the program closed in the middle of an unpaced dump: the record holds the lines
#    received up to the close, from the first without a gap, byte for byte;
# 3. symbolic links planted as the record, the previous record, the backup, the output
#    file and every temporary name of the old naming: nothing is written, moved or
#    deleted through any of them; the run records under its port's name, the save
#    works, and a save onto the link is refused with the usual message;
# 4. Save and Save As to device names and paths (\\.\COM11, x\COM5.txt, COM5), with
#    COM5 and COM11 mapped to pseudo-terminals that record what arrives: the usual
#    message each time, and not a byte reaches either port.
source "$(dirname "$0")/e2e-common.bash"

work="$root/build/e2e/files"
rm -rf "$work"; mkdir -p "$work"
arch=i686
link="$work/com9"
tables=(TAB_FILE="Z:${root//\//\\}\\samples\\Korvex_Tab.txt" INVALID_CHAR_FILE="Z:${root//\//\\}\\samples\\Korvex_Invalid.txt")
win() { local p=$1; echo "Z:${p//\//\\}"; }

decode() {  # dump > lines
    python3 "$root/tests/e2e/reference_decoder.py" "$1" "$root/samples/Korvex_Tab.txt" "$root/samples/Korvex_Invalid.txt" 2
}
ctl() { korvex_tool "$arch" korvexctl "$@"; }
start_korvex() {  # dir
    (cd "$1" && setsid /usr/lib/wine/wine Korvex.exe </dev/null >/dev/null 2>&1 &)
    ctl wait-window 30 >/dev/null
}
# Starts the program in DIR, lets the whole dump (which decodes to EXPECTED) arrive,
# then Stop and Save.
record_and_save() {  # dir expected
    start_korvex "$1"
    ctl click 1005
    stop_after_dump "$link.log" 1 "$2"
    ctl click 1009
}
# Lines of random length in the register's coding, with NUL, LF and invalid bytes.
make_dump() {  # file bytes seed
    python3 - "$1" "$2" "$3" <<'PY'
import random, sys
rng = random.Random(int(sys.argv[3]))
out = bytearray()
while len(out) < int(sys.argv[2]):
    for _ in range(rng.randint(0, 60)):
        r = rng.random()
        out.append(rng.choice(b'\x00\n\x11\x13') if r < 0.05 else rng.randint(0x80, 0xFF) if r < 0.8 else rng.randint(1, 255))
    out.append(13)
open(sys.argv[1], 'wb').write(out)
PY
}
trap 'ctl kill >/dev/null 2>&1; regsim_stop "$link"; unlisten_ports; true' EXIT

# 1. The running record as the output file.
make_dump "$work/dump1.bin" 12000 21
decode "$work/dump1.bin" >"$work/expected1.txt"
regsim_up 9 "$link" --file "$work/dump1.bin" --repeat --bps 3000 --chunk 1:64 || { check "simulator" 1; exit 1; }
dir="$work/live"
make_program_dir "$dir" "$arch" COM_PORT=9 BAUD_RATE=250000 RIENTRY=2 "${tables[@]}"
printf 'crashed run, line 1\r\ncrashed run, line 2\r\n' >"$dir/Korvex_LastRun.txt"
cp "$dir/Korvex_LastRun.txt" "$work/crashed.txt"
start_korvex "$dir"
ctl click 1011
ctl dialog ok 10 "$(win "$dir/Korvex_LastRun.txt")" >/dev/null
ctl wait-title "Korvex_LastRun.txt - 2 lines" 10
ctl click 1005
wait_log "$link.log" 'port opened' 1 30
# Receiving: bytes came, and the run's start, queued before them, has reached the window.
ctl wait-title receiving 10
ctl click 1009
refused=$(ctl answer ok 5)
echo "  Save: $refused"
ctl click 1010
ctl dialog ok 10 "$(win "$dir/KORVEX_LASTRUN.TXT")" >/dev/null
overwrite=$(ctl answer yes 5)
refused_as=$(ctl answer ok 5)
[[ "$refused" == *"record of the acquisition that is running"* ]] && [ -n "$overwrite" ] && [ "$refused_as" = "$refused" ]
check "live record: Save and Save As onto it (by another spelling) are refused with a clear message" $?
stop_after_dump "$link.log" 1 "$work/expected1.txt"
ctl click 1010
ctl dialog ok 10 "$(win "$work/copy1.txt")" >/dev/null
wait_for 10 output_is copy1.txt
box=$(ctl answer ok 0.5)
text=$(ctl text 1003)
ctl close
ctl wait-exit 10 >/dev/null
cat "$work/crashed.txt" "$work/expected1.txt" | cmp -s - "$work/copy1.txt" && [ -z "$box" ] && [[ "$text" == *copy1.txt ]]
check "live record: a Save As elsewhere is a full copy and becomes the output file" $?
cmp -s "$dir/Korvex_LastRun.txt" "$work/expected1.txt" && cmp -s "$dir/Korvex_LastRun.1.txt" "$work/crashed.txt"
check "live record: the record is the dump byte for byte, the crashed record kept as .1" $?
links=$(stat -c %h "$dir/Korvex_LastRun.txt")
inode=$(stat -c %i "$dir/Korvex_LastRun.txt")
shared=$(find "$dir" -inum "$inode" | wc -l)
[ "$links" = 1 ] && [ "$shared" = 1 ] && ! ls "$dir" | grep -qi '\.bak$'
check "live record: one name only (link count $links), no .bak beside it" $?
regsim_stop "$link"

# 2. Closed in the middle of an unpaced dump.
make_dump "$work/dump2.bin" 1000000 22
for _ in 1 2 3 4 5 6 7 8; do cat "$work/dump2.bin"; done >"$work/dump2x.bin" && mv "$work/dump2x.bin" "$work/dump2.bin"
regsim_up 9 "$link" --file "$work/dump2.bin" --repeat --bps 0 --chunk 256:4096 || { check "simulator" 1; exit 1; }
dir="$work/exit"
make_program_dir "$dir" "$arch" COM_PORT=9 BAUD_RATE=250000 RIENTRY=2 "${tables[@]}"
# Closed once the record holds what the dump's first 1.5 MB decode to: more than the
# buffers' worth that the check below allows for.
head -c 1500000 "$work/dump2.bin" >"$work/first2.bin"
first=$(decode "$work/first2.bin" | wc -c)
recorded() { [ "$(stat -c %s "$dir/Korvex_LastRun.txt" 2>/dev/null || echo 0)" -ge "$first" ]; }
start_korvex "$dir"
ctl click 1005
wait_log "$link.log" 'port opened' 1 30
wait_for 30 recorded
ctl close
ctl answer yes 5 >/dev/null
ctl wait-exit 20 >/dev/null
wait_log "$link.log" 'port closed during the dump\|dump sent' 1 10
summary=$(grep 'port closed during the dump' "$link.log" | head -1)
echo "  ${summary:-the whole dump was sent before the close}"
sent=$(sed -n 's/.*: \([0-9]*\) bytes sent.*/\1/p' <<<"$summary")
# A fast machine may send the whole dump before the close: then everything was sent.
if [ -z "$sent" ] && grep -q 'dump sent' "$link.log"; then sent=$(stat -c %s "$work/dump2.bin"); fi
# What the program had taken is not visible from here: the library keeps up to 1 MiB in
# its own buffer and the pty some more, which the program never received. So: the
# record is the decoded stream from its start without a gap, ends with a whole line, and
# reaches at least as far as everything sent but those buffers' worth.
decode "$work/dump2.bin" >"$work/expected2.txt"
head -c "$(( ${sent:-0} > 1200000 ? ${sent:-0} - 1200000 : 0 ))" "$work/dump2.bin" >"$work/floor2.bin"
decode "$work/floor2.bin" >"$work/floor2.txt"
python3 - "$dir/Korvex_LastRun.txt" "$work/expected2.txt" "$work/floor2.txt" "${sent:-0}" "$work/dump2.bin" <<'PY'
import os, sys
try:
    record = open(sys.argv[1], 'rb').read()
except OSError:
    record = b''
full, floor = open(sys.argv[2], 'rb').read(), open(sys.argv[3], 'rb').read()
sent, size = int(sys.argv[4]), os.path.getsize(sys.argv[5])
print("  record %d bytes; the whole dump decodes to %d, what was sent less the buffers to %d"
      % (len(record), len(full), len(floor)))
ok = 0 < sent <= size and floor and full.startswith(record) and record.endswith(b'\r\n') and len(record) >= len(floor)
sys.exit(0 if ok else 1)
PY
check "closed mid-dump: the record holds every line received, without a gap, byte for byte" $?
regsim_stop "$link"

# 3. Links planted where the program writes.
make_dump "$work/dump3.bin" 6000 23
decode "$work/dump3.bin" >"$work/expected3.txt"
regsim_up 9 "$link" --file "$work/dump3.bin" --repeat --bps 8000 --chunk 1:64 || { check "simulator" 1; exit 1; }
dir="$work/links"
outside="$work/outside"
out="$work/links-out"
mkdir -p "$outside" "$out"
make_program_dir "$dir" "$arch" COM_PORT=9 BAUD_RATE=250000 RIENTRY=2 "${tables[@]}" \
    OUTPUT_FILE="$(win "$out/Out.txt")"
for name in record previous bak target; do printf 'outside: %s\r\n' "$name" >"$outside/$name.txt"; done
(cd "$outside" && md5sum record.txt previous.txt bak.txt target.txt >"$work/outside.md5")
ln -s "$outside/record.txt" "$dir/Korvex_LastRun.txt"
ln -s "$outside/previous.txt" "$dir/Korvex_LastRun.1.txt"
printf 'old output\r\n' >"$out/Out.txt"
ln -s "$outside/bak.txt" "$out/Out.txt.bak"
ln -s "$outside/target.txt" "$out/Link.txt"
# The old temporary names were the process number and a counter: plant them all.
for d in "$dir" "$out"; do
    (cd "$d" && for pid in $(seq 4 4 4096); do for n in 0 1 2; do
        ln -s "$outside/tmp-$pid-$n" "~kvx${pid}_$n.tmp"; done; done)
done
record_and_save "$dir" "$work/expected3.txt"
wait_for 10 cmp -s "$out/Out.txt" "$work/expected3.txt"
box=$(ctl answer ok 0.5)
ctl click 1010
ctl dialog ok 10 "$(win "$out/Link.txt")" >/dev/null
ctl answer yes 5 >/dev/null
box_as=$(ctl answer ok 5)
box_as=${box_as%%$'\n'*}  # the message; its second line names the file and the reason
ctl close
ctl wait-exit 10 >/dev/null
(cd "$outside" && md5sum -c --quiet "$work/outside.md5") && [ -z "$(ls "$outside" | grep '^tmp-')" ]
check "planted links: nothing outside the folders was written or created" $?
[ -L "$dir/Korvex_LastRun.txt" ] && [ ! -L "$dir/Korvex_LastRun-COM9.txt" ] &&
    cmp -s "$dir/Korvex_LastRun-COM9.txt" "$work/expected3.txt"
check "planted links: the link stays, the whole dump is recorded under the port's name" $?
[ -z "$box" ] && [ ! -L "$out/Out.txt" ] && cmp -s "$out/Out.txt" "$work/expected3.txt" &&
    [ ! -L "$out/Out.txt.bak" ] && [ "$(cat "$out/Out.txt.bak")" = $'old output\r' ]
check "planted links: Save wrote the output file and its backup, not through the .bak link" $?
[ "$box_as" = "ERROR save file." ] && [ -L "$out/Link.txt" ] && [ ! -e "$out/Link.txt.bak" ]
check "planted links: Save As onto a link is refused with the usual message" $?
regsim_stop "$link"

# 4. Devices named as the output file.
dir="$work/devices"
make_program_dir "$dir" "$arch" COM_PORT=9 BAUD_RATE=250000 RIENTRY=2 "${tables[@]}" OUTPUT_FILE='\\.\COM11'
mkdir -p "$dir/x"
listen_port 5 "$dir/com5.bytes"
listen_port 11 "$dir/com11.bytes"
regsim_up 9 "$link" --file "$work/dump3.bin" --wait-open --bps 8000 --chunk 1:64 || { check "simulator" 1; exit 1; }
record_and_save "$dir" "$work/expected3.txt"
boxes=("$(ctl answer ok 5)")
for name in "$(win "$dir/x/COM5.txt")" "$(win "$dir/COM5")"; do
    ctl click 1010
    ctl dialog ok 10 "$name" >/dev/null
    # Wine's dialog takes a device name for a file there and asks before replacing it.
    box=$(ctl answer yes 5)
    [[ "$box" == *replace* ]] && box=$(ctl answer ok 5)
    boxes+=("$box")
done
ctl close
ctl wait-exit 10 >/dev/null
printf '  %s\n' "${boxes[@]//$'\n'/ | }"
# Each box names the file (COM5 with the dialog's default extension) and gives the
# system's text for an invalid name: the name is refused before anything is opened, and
# a device opened and then refused would give another reason.
expected=()
for name in '\\.\COM11' "$(win "$dir/x/COM5.txt")" "$(win "$dir/COM5.txt")"; do
    expected+=("ERROR save file."$'\n'"$name: Invalid name.")
done
[ "${boxes[*]}" = "${expected[*]}" ]
check 'devices: Save to \\.\COM11 and Save As to x\COM5.txt and COM5 each end with the usual message, the name and why' $?
sent="$(listened "$dir/com5.bytes") $(listened "$dir/com11.bytes")"
[ "$sent" = "0 0" ] && [ -z "$(ls "$dir/x")" ]
check "devices: not a byte reached COM5 or COM11 ($sent sent)" $?

e2e_summary "files"
