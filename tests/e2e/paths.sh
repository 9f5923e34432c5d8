#!/usr/bin/env bash
# End to end under Wine, names outside the ANSI code page (Wine's here is 1252, which has
# no omega): the program runs from a folder named "Ωmega". Its settings must be read
# (the port and the tables named in its configuration), the run recorded beside it and
# the dump saved into it; Save As then puts a dump into another such folder, and that
# choice must survive the configuration file for the next start. No message may come.
source "$(dirname "$0")/e2e-common.bash"

work="$root/build/e2e/paths"
rm -rf "$work"; mkdir -p "$work"
arch=i686
dir="$work/Ωmega"
other="$work/Σaved Ωut"
link="$work/com9"
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
ctl() { korvex_tool "$arch" korvexctl "$@"; }
start_korvex() {
    (cd "$dir" && setsid /usr/lib/wine/wine Korvex.exe </dev/null >/dev/null 2>&1 &)
    ctl wait-window 30 >/dev/null
}
# Start, the whole dump, Stop.
receive() {
    ctl click 1005
    # The whole dump is through once the record of this run holds it.
    wait_log "$link.log" 'dump sent' 1 60
    wait_for 10 cmp -s "$dir/Korvex_LastRun.txt" "$work/expected.txt"
    ctl click 1005
}
# The output box shows the path, or, when it is too long for the box, its drive, "..."
# and its end: whole characters only.
box_shows() {
    local shown; shown=$(ctl wtext 1003)
    [ "$shown" = "$1" ] || { [[ $shown == 'Z:\...'* ]] && [[ $1 == *"${shown#Z:\...}" ]]; } ||
        { echo "  the box shows: $shown" >&2; return 1; }
}
config_value() {  # key: the value the configuration file holds for it
    python3 - "$dir/Korvex_Config.txt" "$1" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
head = b'\x01' + sys.argv[2].encode() + b'\x02\r\n'
at = data.find(head)
sys.stdout.write(repr(data[at + len(head):data.index(b'\x03', at)]) if at >= 0 else '<none>')
PY
}

make_program_dir "$dir" "$arch" COM_PORT=9 BAUD_RATE=250000 \
    TAB_FILE="$(winpath "$root/samples/Korvex_Tab.txt")" INVALID_CHAR_FILE="$(winpath "$root/samples/Korvex_Invalid.txt")" \
    OUTPUT_FILE=received.txt RIENTRY=2
mkdir -p "$other"
python3 "$root/tests/e2e/reference_decoder.py" "$root/samples/fiscal_dump.bin" "$root/samples/Korvex_Tab.txt" \
    "$root/samples/Korvex_Invalid.txt" 2 >"$work/expected.txt"
trap 'ctl kill >/dev/null 2>&1; regsim_stop "$link"; true' EXIT

# 1. Settings read, the run recorded, Save into the folder.
regsim_up 9 "$link" --file "$root/samples/fiscal_dump.bin" --wait-open --bps 0 --chunk 1:64 || { check "simulator" 1; exit 1; }
start_korvex
wait_for 5 box_shows "$(winpath "$dir")\\received.txt" 2>/dev/null || box_shows "$(winpath "$dir")\\received.txt"
check "the output box shows the configured file in the program's folder, as named" $?
receive
ctl click 1009
wait_for 5 cmp -s "$dir/received.txt" "$work/expected.txt"
box=$(ctl answer ok 0.5)
cmp -s "$dir/received.txt" "$work/expected.txt"
check "the port, tables and indentation of the configuration are used; Save writes the dump byte-exact" $?
cmp -s "$dir/Korvex_LastRun.txt" "$work/expected.txt"
check "the record of the run is kept beside the program" $?

# 2. Save As into another folder outside the code page.
ctl click 1010
ctl dialog ok 10 "$(winpath "$other")\\dump Ω.txt"
wait_for 5 cmp -s "$other/dump Ω.txt" "$work/expected.txt"
box+=$(ctl answer ok 0.5)
cmp -s "$other/dump Ω.txt" "$work/expected.txt"
check "Save As into \"Σaved Ωut\\dump Ω.txt\" writes the dump byte-exact" $?
box_shows "$(winpath "$other")\\dump Ω.txt"
check "the output box shows the new file as named" $?
ctl close
ctl wait-exit 10 >/dev/null
box+=$(ctl answer ok 0.5)
regsim_down 9 "$link"
stored=$(config_value OUTPUT_FILE)
[ "$(config_value COM_PORT)" = "b'9'" ] && [ "$(config_value RIENTRY)" = "b'2'" ] &&
    [[ $stored == *'~'* ]] && [[ $stored != *'?'* ]]
check "the settings are written back; the new output file as its short name ($stored)" $?

# 3. The next start saves there without asking.
: >"$other/dump Ω.txt"
regsim_up 9 "$link" --file "$root/samples/fiscal_dump.bin" --wait-open --bps 0 --chunk 1:64 || { check "simulator" 1; exit 1; }
start_korvex
wait_for 5 box_shows "$(winpath "$other")\\dump Ω.txt" 2>/dev/null || box_shows "$(winpath "$other")\\dump Ω.txt"
check "next start: the output box shows the remembered file as named" $?
receive
ctl click 1009
wait_for 5 cmp -s "$other/dump Ω.txt" "$work/expected.txt"
box+=$(ctl answer ok 0.5)
cmp -s "$other/dump Ω.txt" "$work/expected.txt"
check "next start: Save writes the remembered file byte-exact" $?
ctl close
ctl wait-exit 10 >/dev/null
regsim_down 9 "$link"
[ -z "$box" ]
check "no message on the way (${box:-none})" $?

e2e_summary "paths"
