#!/usr/bin/env bash
# End to end under Wine: the program run from the command line alone, with no one at
# it. Against the simulated register mapped as COM5 it records a dump, stops after the
# quiet time, saves and ends with 0, the file byte-exact with the reference decoding; a
# register that never sends ends it with 1 after /wait; a port that is not present, with
# /exit, ends it with 3 before any window shows. /save to a device (COM5, x\COM5.txt,
# \\.\COM11, with both ports mapped to pseudo-terminals that record what arrives) ends
# with 2 and sends nothing; a time out of 1 to 86400 seconds is a bad command line.
source "$(dirname "$0")/e2e-common.bash"

work="$root/build/e2e/command_line"
rm -rf "$work"; mkdir -p "$work"
tables=(TAB_FILE="Z:${root//\//\\}\\samples\\Korvex_Tab.txt" INVALID_CHAR_FILE="Z:${root//\//\\}\\samples\\Korvex_Invalid.txt")

winpath() { local p=$1; echo "Z:${p//\//\\}"; }

# Records and saves by itself; an earlier file of that name is kept as .bak.
case_records() {
    local arch=$1 seed=$2
    local dir="$work/$arch-records" link="$work/$arch-records/com5"
    make_program_dir "$dir" "$arch" COM_PORT=1 BAUD_RATE=9600 "${tables[@]}" RIENTRY=2
    make_random_dump "$dir/dump.bin" "$seed" 200 500
    python3 "$root/tests/e2e/reference_decoder.py" "$dir/dump.bin" "$root/samples/Korvex_Tab.txt" \
        "$root/samples/Korvex_Invalid.txt" 2 >"$dir/expected.txt"
    mkdir -p "$dir/out dir"
    printf 'older\r\n' >"$dir/out dir/dump.txt"
    regsim_up 5 "$link" --file "$dir/dump.bin" --wait-open --chunk 1:64 --seed "$seed" --bps 20000 ||
        { check "$arch records: simulator" 1; return; }
    local start=$SECONDS server; server=$(wine_prefix_pid wineserver)
    (cd "$dir" && timeout 120 "$(wine_for "$arch")" Korvex.exe /port 5 /baud 115200 /start /idle-stop 2 \
        /save "$(winpath "$dir/out dir/dump.txt")" /exit </dev/null >/dev/null 2>"$dir/wine.log")
    local code=$? took=$((SECONDS - start))
    cmp -s "$dir/out dir/dump.txt" "$dir/expected.txt"; local same=$?
    if [ "$code" -ne 0 ] || [ "$same" -ne 0 ]; then
        # A program whose Wine server goes away ends at once with 0 or 1, having done
        # nothing; a server that was told to end is gone within a moment.
        local server_now="still ran"
        wait_for 2 eval '! ps -o stat= -p "$server" | grep -qv Z' && server_now="had gone"
        echo "  the prefix's Wine server (pid $server) $server_now after the run; what Wine and the simulator said:"
        tail -n 15 "$dir/wine.log" "$link.log" | sed 's/^/  /'
    fi
    regsim_down 5 "$link"
    check "$arch records: ends by itself with 0 (got $code after $took s)" $([ "$code" -eq 0 ]; echo $?)
    check "$arch records: $(wc -l <"$dir/expected.txt") lines byte-exact" $same
    cmp -s "$dir/out dir/dump.txt.bak" <(printf 'older\r\n')
    check "$arch records: the replaced file kept as .bak" $?
    python3 - "$dir/Korvex_Config.txt" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
sys.exit(0 if b'\x01COM_PORT\x02\r\n5\x03' in data and b'\x01BAUD_RATE\x02\r\n115200\x03' in data else 1)
PY
    check "$arch records: the port and baud rate are kept as picked ones" $?
}

# The register never sends: /wait gives up.
case_silent() {
    local arch=$1
    local dir="$work/$arch-silent" link="$work/$arch-silent/com5"
    make_program_dir "$dir" "$arch" COM_PORT=5 BAUD_RATE=9600 "${tables[@]}"
    make_random_dump "$dir/dump.bin" 7 200 500
    regsim_up 5 "$link" --file "$dir/dump.bin" --wait-open --open-delay 60000 ||
        { check "$arch silent: simulator" 1; return; }
    local start=$SECONDS
    (cd "$dir" && timeout 60 "$(wine_for "$arch")" Korvex.exe /start /wait 3 /save "$(winpath "$dir/never.txt")" \
        /exit </dev/null >/dev/null 2>&1)
    local code=$? took=$((SECONDS - start))
    regsim_down 5 "$link"
    check "$arch silent: ends with 1 (got $code after $took s)" $([ "$code" -eq 1 ] && [ "$took" -ge 3 ]; echo $?)
    [ ! -e "$dir/never.txt" ]
    check "$arch silent: nothing saved" $?
}

# A port that is not present, unattended: no window, 3.
case_bad_port() {
    local arch=$1
    local dir="$work/$arch-bad"
    make_program_dir "$dir" "$arch" COM_PORT=1 "${tables[@]}"
    wine_server_up
    (cd "$dir" && timeout 60 "$(wine_for "$arch")" Korvex.exe /port X /start /exit </dev/null >/dev/null 2>&1
     echo $? >"$dir/code") &
    local runner=$!
    # No main window may show while it runs.
    korvex_tool "$arch" korvexctl wait-window 4 >/dev/null 2>&1
    local shown=$?
    wait "$runner"
    local code; code=$(cat "$dir/code")
    check "$arch bad port: ends with 3 (got $code)" $([ "$code" -eq 3 ]; echo $?)
    check "$arch bad port: no window" $([ "$shown" -ne 0 ]; echo $?)
    [ "$shown" -eq 0 ] && korvex_tool "$arch" korvexctl kill >/dev/null 2>&1
}

# A file named outside the ANSI code page, given on the command line, loads as Load
# loads it, and /save writes its lines to another file.
case_wide_name() {
    local arch=$1
    local dir="$work/$arch-wide"
    make_program_dir "$dir" "$arch" COM_PORT=1 "${tables[@]}"
    local source="$dir/Città ∑ Ω.txt"
    printf 'CHIUSURA GIORNALIERA N. 0412\r\nTOTALE  1.234,50\r\n' >"$source"
    (cd "$dir" && timeout 60 "$(wine_for "$arch")" Korvex.exe "$(winpath "$source")" /save "$(winpath "$dir/copy.txt")" \
        /exit </dev/null >/dev/null 2>&1
     echo $? >"$dir/code")
    cmp -s "$source" "$dir/copy.txt" && [ "$(cat "$dir/code")" = 0 ]; local same=$?
    check "$arch wide name: the file loads and saves byte for byte (exit $(cat "$dir/code"))" $same
}

# Runs the program in DIR with the arguments; prints its exit code.
run_korvex() {
    local arch=$1 dir=$2; shift 2
    (cd "$dir" && timeout 60 "$(wine_for "$arch")" Korvex.exe "$@" </dev/null >/dev/null 2>&1)
    echo $?
}

# /save to a device, by name or path, with lines to save: 2, and the port gets nothing.
case_devices() {
    local arch=$1
    local dir="$work/$arch-devices"
    make_program_dir "$dir" "$arch" COM_PORT=1 "${tables[@]}"
    printf 'CHIUSURA GIORNALIERA N. 0412\r\nTOTALE  1.234,50\r\n' >"$dir/dump.txt"
    mkdir -p "$dir/x"
    listen_port 5 "$dir/com5.bytes"
    listen_port 11 "$dir/com11.bytes"
    local target code
    for target in COM5 "$(winpath "$dir/x/COM5.txt")" '\\.\COM11' 'com5 .log'; do
        code=$(run_korvex "$arch" "$dir" dump.txt /save "$target" /exit)
        check "$arch devices: /save $target ends with 2 (got $code)" $([ "$code" -eq 2 ]; echo $?)
    done
    local sent; sent="$(listened "$dir/com5.bytes") $(listened "$dir/com11.bytes")"
    [ "$sent" = "0 0" ] && [ -z "$(ls "$dir/x")" ]
    check "$arch devices: not a byte reached COM5 or COM11 ($sent sent)" $?
    unlisten_ports
}

# Times: 1 and 86400 taken, anything else a bad command line.
case_times() {
    local arch=$1
    local dir="$work/$arch-times"
    make_program_dir "$dir" "$arch" COM_PORT=5 "${tables[@]}"
    local times code
    for times in "/wait 0" "/wait 4294968" "/idle-stop 0" "/idle-stop 86401"; do
        code=$(run_korvex "$arch" "$dir" /start $times /exit)
        check "$arch times: $times ends with 3 (got $code)" $([ "$code" -eq 3 ]; echo $?)
    done
    # A port that stays silent: the wait of 1 s runs out, the idle time of a day waits for a line.
    listen_port 5 "$dir/com5.bytes"
    code=$(run_korvex "$arch" "$dir" /start /wait 1 /idle-stop 86400 /exit)
    check "$arch times: /wait 1 /idle-stop 86400 are taken and the wait runs out (got $code)" $([ "$code" -eq 1 ]; echo $?)
    unlisten_ports
}

trap 'regsim_stop "$work"/*/com5 2>/dev/null; unlisten_ports; true' EXIT
case_records i686 11
case_silent i686
case_bad_port i686
case_wide_name i686
case_devices i686
case_times i686
case_records x86_64 12
case_devices x86_64
e2e_summary "command line"
