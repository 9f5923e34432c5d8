# Sourced after scripts/wine-env.sh: a simulated register (korvex-regsim) on a
# pseudo-terminal, mapped into the Wine prefix as a COM port.
#   regsim_up 8 build/regsim/com8 --file samples/fiscal_dump.bin --wait-open --repeat
#   ... run the program or the tests against COM8 ...
#   regsim_down 8 build/regsim/com8

KORVEX_REGSIM=${KORVEX_REGSIM:-$KORVEX_ROOT/build/native/bin/korvex-regsim}
declare -gA KORVEX_REGSIM_PIDS  # link -> pid; kept when this file is sourced again

# regsim_start LINK [korvex-regsim options]: starts the simulator, which publishes the
# port end of its pty as the symlink LINK; returns once LINK exists. Log: LINK.log.
regsim_start() {
    local link=$1; shift
    mkdir -p "$(dirname "$link")"
    rm -f "$link"
    "$KORVEX_REGSIM" --link "$link" "$@" </dev/null >"$link.log" 2>&1 &
    local pid=$!
    KORVEX_REGSIM_PIDS[$link]=$pid
    for _ in $(seq 200); do
        [ -L "$link" ] && return 0
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    echo "korvex-regsim did not start (see $link.log)" >&2
    return 1
}

# regsim_stop LINK...: ends the simulators started for these links (SIGTERM, then
# waits for each); links without a simulator are skipped.
regsim_stop() {
    local link pid
    for link in "$@"; do
        pid=${KORVEX_REGSIM_PIDS[$link]:-}
        [ -n "$pid" ] || continue
        kill -TERM "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        unset "KORVEX_REGSIM_PIDS[$link]"
    done
}

# regsim_up N LINK [korvex-regsim options]: starts the simulator and maps it as COMN.
# Mapping restarts the prefix's server, so the persistent server is started again.
regsim_up() {
    local n=$1 link=$2; shift 2
    regsim_start "$link" "$@" || return 1
    wine_prefix_init
    wine_map_com "$n" "$link"
    wine_server_up
}

# regsim_down N LINK: stops the simulator and removes the COMN mapping again.
regsim_down() {
    local n=$1 link=$2
    regsim_stop "$link"
    wine_unmap_com "$n"
    wine_server_up
}
