#!/usr/bin/env bash
# End to end under Wine: the register's adapter is pulled out in the middle of a dump
# and plugged in again, while the register goes on sending. It comes back empty, or
# already holding 1 KB or 4 KB of what the register sent meanwhile, and the rest follows
# at once, before the program has opened the port again. The saved text must hold every
# line of the dump in order, on both builds. In the first case the program also stays
# calm while the adapter is out (no busy core), and Save works then.
source "$(dirname "$0")/e2e-common.bash"

work="$root/build/e2e/unplug"
link="$work/com10"
expected="$root/samples/fiscal_dump.expected.txt"
rm -rf "$work"; mkdir -p "$work"
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Waits until the condition (a bash expression) holds, for at most the seconds given.
wait_until() { timeout "$1" bash -c "until $2; do sleep 0.05; done"; }
ctl() { korvex_tool "$arch" korvexctl "$@"; }  # the program of the case's build

run_case() {  # arch holding unplug-ms
    local arch=$1 holding=$2 unplugMs=$3 dir="$work/$1-$2"
    local name="$arch, back holding $holding bytes"
    make_program_dir "$dir" "$arch" COM_PORT=10 BAUD_RATE=9600 TAB_FILE="Z:${root//\//\\}\\samples\\Korvex_Tab.txt" \
        INVALID_CHAR_FILE="Z:${root//\//\\}\\samples\\Korvex_Invalid.txt" OUTPUT_FILE=received.txt
    regsim_start "$link" --file "$root/samples/fiscal_dump.bin" --wait-open --bps 3000 --chunk 1:64 \
        --unplug "6000:$unplugMs" --replug-no-wait --replug-holding "$holding" || { check "$name: simulator" 1; return; }

    local wine; wine=$(wine_for "$arch")
    cd "$dir"; setsid "$wine" Korvex.exe </dev/null >/dev/null 2>&1 & local pid=$!; cd "$root"
    ctl wait-window 30 >/dev/null
    ctl click 1005
    wait_until 30 "grep -q unplugged '$link.log'"
    if [ "$holding" = 0 ]; then
        sleep 1  # the reader notices the loss and settles into its calm wait
        local t0 hz; t0=$(cpu_ticks "$pid"); hz=$(getconf CLK_TCK)
        sleep 2
        local used=$(( $(cpu_ticks "$pid") - t0 ))  # clock ticks over the 2 s
        check "$name: unplugged, the program used $(awk "BEGIN {print $used * 100 / (2 * $hz)}")% of a core (under 20%)" \
            $([ $(( used * 100 )) -lt $(( 20 * 2 * hz )) ]; echo $?)
        ctl click 1009
        wait_until 10 "[ -s '$dir/received.txt' ]"
        local partial; partial=$(wc -c <"$dir/received.txt" 2>/dev/null || echo 0)
        check "$name: Save while unplugged writes the lines so far ($partial bytes)" \
            $([ "$partial" -gt 0 ] && cmp -s -n "$partial" "$dir/received.txt" "$expected"; echo $?)
        check "$name: the adapter was still out after the Save" $(! grep -q 'plugged in again' "$link.log"; echo $?)
    fi
    # Every line reaches the last-run record as it arrives: once it is all there, Stop.
    wait_until 30 "cmp -s '$dir/Korvex_LastRun.txt' '$expected'"
    ctl click 1005
    ctl click 1009
    wait_until 10 "cmp -s '$dir/received.txt' '$expected'"; local same=$?
    check "$name: every line before and after the unplug, in order ($(wc -l <"$expected") lines)" $same
    ctl close
    # The next case's commands must not reach this program's window.
    ctl wait-exit 20 >/dev/null || { check "$name: the program closes" 1; ctl kill; }
    wait "$pid"
    regsim_stop "$link"
}

trap 'regsim_stop "$link"; wine_reg delete "HKLM\\Software\\Wine\\Ports" /v COM10 /f; true' EXIT
# The port names the symlink itself, so that Wine finds the device that comes back.
wine_prefix_init
wine_map_com 10 "$link"
wine_server_up
for arch in i686 x86_64; do
    run_case "$arch" 0 5000
    run_case "$arch" 1024 1000
    run_case "$arch" 4096 1000
done
e2e_summary "unplug"
