#!/usr/bin/env bash
# End to end under Wine: the register's adapter is pulled out in the middle of a dump
# and plugged in again. While it is out the program stays calm (no busy core) and Save
# works; afterwards the run goes on by itself, and the saved text holds every line of
# the dump in order.
source "$(dirname "$0")/e2e-common.bash"

work="$root/build/e2e/unplug"
rm -rf "$work"; mkdir -p "$work"
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

run_case() {  # arch
    local arch=$1 dir="$work/$1" link="$work/$1/com10" expected="$root/samples/fiscal_dump.expected.txt"
    local ctl=(korvex_tool "$arch" korvexctl)
    make_program_dir "$dir" "$arch" COM_PORT=10 BAUD_RATE=9600 TAB_FILE="Z:${root//\//\\}\\samples\\Korvex_Tab.txt" \
        INVALID_CHAR_FILE="Z:${root//\//\\}\\samples\\Korvex_Invalid.txt" OUTPUT_FILE=received.txt
    # The port is purged when it opens: the register waits until the reopened port is
    # set up, however slow a busy machine makes that, so that no byte is lost to it.
    regsim_start "$link" --file "$root/samples/fiscal_dump.bin" --wait-open --open-delay 1500 --bps 3000 --chunk 1:64 \
        --unplug 6000:4000 || { check "$arch: simulator" 1; return; }
    # The port names the symlink itself, so that Wine finds the device that comes back.
    wine_prefix_init
    wine_reg add 'HKLM\Software\Wine\Ports' /v COM10 /t REG_SZ /d "$link" /f
    "$WINESERVER" -k 2>/dev/null; "$WINESERVER" -w 2>/dev/null; wine_server_up

    local wine; wine=$(wine_for "$arch")
    cd "$dir"; setsid "$wine" Korvex.exe </dev/null >/dev/null 2>&1 & local pid=$!; cd "$root"
    "${ctl[@]}" wait-window 30 >/dev/null
    "${ctl[@]}" click 1005
    timeout 30 bash -c "until grep -q 'unplugged' '$link.log'; do sleep 0.1; done"
    sleep 1
    local t0; t0=$(cpu_ticks "$pid")
    sleep 2
    local used=$(( $(cpu_ticks "$pid") - t0 ))  # clock ticks (1/100 s) in 2 s
    check "$arch: unplugged, the program used $used% of a core over 2 s (under 20)" $([ "$used" -lt 40 ]; echo $?)
    "${ctl[@]}" click 1009
    sleep 1
    local partial; partial=$(wc -c <"$dir/received.txt" 2>/dev/null || echo 0)
    check "$arch: Save while unplugged writes the lines so far ($partial bytes)" \
        $([ "$partial" -gt 0 ] && cmp -s -n "$partial" "$dir/received.txt" "$expected"; echo $?)
    timeout 60 bash -c "until grep -q 'dump sent' '$link.log'; do sleep 0.1; done"
    check "$arch: the dump went on after the replug" $(grep -q 'plugged in again' "$link.log"; echo $?)
    sleep 2
    "${ctl[@]}" click 1005
    sleep 0.5
    "${ctl[@]}" click 1009
    sleep 0.5
    "${ctl[@]}" close
    "${ctl[@]}" wait-exit 10 >/dev/null
    regsim_stop "$link"
    cmp -s "$dir/received.txt" "$expected"; local same=$?
    check "$arch: every line before and after the unplug, in order ($(wc -l <"$expected") lines)" $same
    wine_reg delete 'HKLM\Software\Wine\Ports' /v COM10 /f
}

trap 'regsim_stop "$work"/*/com10 2>/dev/null; true' EXIT
run_case i686
e2e_summary "unplug"
