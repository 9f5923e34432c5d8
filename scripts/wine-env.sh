# Sourced by the run and test scripts: a private Wine prefix under build/, a private
# Xvfb display, and the helpers that map a serial device into the prefix as COMn.
# Every daemon is started detached from the caller's pipes, so nothing can hold them.

KORVEX_ROOT=${KORVEX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$KORVEX_ROOT/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
KORVEX_XVFB_PID=

wine_reg() { "$WINE64" reg "$@" </dev/null >/dev/null 2>&1; }

# Creates the prefix once: fonts the dialogs expect, no window-manager delays,
# "Courier New" resolved to a real monospaced font.
wine_prefix_init() {
    [ -f "$WINEPREFIX/.korvex-ready" ] && return 0
    rm -rf "$WINEPREFIX"; mkdir -p "$WINEPREFIX"
    "$WINE64" wineboot -i </dev/null >"$WINEPREFIX.log" 2>&1 || true
    "$WINESERVER" -w
    # The first 32-bit program in a new prefix is slow; pay that here, not in a test.
    /usr/lib/wine/wine cmd.exe /c exit </dev/null >>"$WINEPREFIX.log" 2>&1 || true
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    wine_reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
    wine_reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /t REG_SZ /d 'Liberation Mono' /f
    wine_reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
    "$WINESERVER" -w
    touch "$WINEPREFIX/.korvex-ready"
}

# Starts Xvfb on a free display unless KORVEX_USE_DISPLAY keeps the caller's one.
xvfb_up() {
    if [ -n "${KORVEX_USE_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then return 0; fi
    local f; f=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$f" </dev/null >/dev/null 2>&1 &
    KORVEX_XVFB_PID=$!
    for _ in $(seq 100); do [ -s "$f" ] && break; sleep 0.05; done
    export DISPLAY=":$(head -n1 "$f")"; rm -f "$f"
}

# Maps a device (a pty, a simulator's link, /dev/ttyUSB0) as COMn. Wine reads the mapping
# when its server starts, so a new mapping restarts the server; a port already mapped to
# the same name costs nothing. Map a link that each new pty renews (the simulator's),
# never the pty it names: Wine opens the link when the program opens the port.
wine_map_com() {
    local n=$1 dev; dev=$(realpath -s "$2")
    [ "$(wine_com_mapping "$n")" = "$dev" ] && return 0
    wine_reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /t REG_SZ /d "$dev" /f
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
}

# What COMn is mapped to in the prefix, read from the registry file (no Wine process).
wine_com_mapping() {
    awk -v key="\"COM$1\"" '
        /^\[/ { ports = ($0 ~ /^\[Software\\\\Wine\\\\Ports\]/) }
        ports && index($0, key "=") == 1 { v = substr($0, length(key) + 2); gsub(/^"|"$/, "", v); gsub(/\\\\/, "\\", v); print v }
    ' "$WINEPREFIX/system.reg" 2>/dev/null
}

wine_unmap_com() {
    [ -n "$(wine_com_mapping "$1")" ] || return 0
    wine_reg delete 'HKLM\Software\Wine\Ports' /v "COM$1" /f
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
}

# Starts the server persistently and keeps Wine's desktop process alive, so that
# each program started afterwards costs milliseconds.
wine_server_up() {
    # A server left running for the prefix by an earlier run is kept while its services
    # run. One that lost them is started afresh: the next program would start them with
    # its own output, which a ctest then waits for until its time-out.
    if ! wine_prefix_runs 'services\.exe'; then
        "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
        "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
    fi
    "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
    local keep="$KORVEX_ROOT/build/x86_64/bin/winekeep.exe"
    if [ -f "$keep" ]; then
        setsid "$WINE64" "$keep" </dev/null >/dev/null 2>&1 &
    fi
    # The first program after a server start also starts the prefix's services, which
    # inherit its output: let a detached one pay for that, not a test under ctest. The
    # desktop process comes with the first window (the keep-alive's): wait for it too,
    # or a test's first window starts it with the test's output, which ctest then waits
    # for until its time-out.
    "$WINE64" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
    if [ -f "$keep" ]; then
        local _
        for _ in $(seq 300); do wine_prefix_runs 'explorer\.exe /desktop' && break; sleep 0.05; done
    fi
}

# The process id of a process of this prefix whose command line matches the pattern;
# fails when none runs.
wine_prefix_pid() {
    local p
    for p in $(pgrep -f "$1"); do
        tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" && { echo "$p"; return 0; }
    done
    return 1
}
wine_prefix_runs() { wine_prefix_pid "$1" >/dev/null; }

# A prefix of its own for tests that run beside others (each needs its own server, and
# the display-scale grid one per scale: Wine has one scale per prefix, read when its
# server starts). It is the main prefix copied, its DLL folders hard-linked rather than
# copied (nothing rewrites those files in place; new files go into the copy's own
# folders), cached under build/ and made again when the main prefix is newer. With a
# DPI, LogPixels is set in both places Wine reads it from.
wine_prefix_copy() {
    local base=$1 dir=$2 dpi=${3:-}
    if [ -f "$dir/.korvex-ready" ] && [ "$dir/.korvex-ready" -nt "$base/.korvex-ready" ]; then return 0; fi
    rm -rf "$dir"; mkdir -p "$dir"
    local linked=(drive_c/windows/system32 drive_c/windows/syswow64 drive_c/windows/winsxs) d
    tar -C "$base" "${linked[@]/#/--exclude=./}" -cf - . | tar -C "$dir" -xf - || return 1
    for d in "${linked[@]}"; do
        if [ -d "$base/$d" ]; then cp -al "$base/$d" "$dir/$d" || return 1; fi
        # Wine rewrites the printer drivers' files in place each time a printer is
        # opened: shared, one prefix would truncate a file that another is reading.
        if [ -d "$base/$d/spool" ]; then
            rm -rf "${dir:?}/$d/spool" && cp -a "$base/$d/spool" "$dir/$d/spool" || return 1
        fi
    done
    rm -f "$dir/.korvex-ready"
    if [ -n "$dpi" ]; then
        (
            export WINEPREFIX=$dir
            "$WINESERVER" -k 2>/dev/null || true
            wine_reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
            wine_reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
                /v LogPixels /t REG_DWORD /d "$dpi" /f
            "$WINESERVER" -w
        ) || return 1
    fi
    touch "$dir/.korvex-ready"
}
wine_scale_prefix() { wine_prefix_copy "$2" "$3" "$1"; }

# Runs every test of a build whose suite name starts with AtScale at each scale given
# (default 120, 144 and 192 DPI: the normal run is the one at 96), each scale in its
# own prefix with its own server, on the display already up. Fails when one did.
wine_scale_grid() {
    local build=$1 dpis=${2:-"120 144 192"} base=$WINEPREFIX dpi status=0
    for dpi in $dpis; do
        local dir="$KORVEX_ROOT/build/wineprefix-dpi$dpi"
        wine_scale_prefix "$dpi" "$base" "$dir" || { echo "no prefix at $dpi DPI"; status=1; continue; }
        echo "$build at $dpi DPI:"
        (
            export WINEPREFIX=$dir
            wine_server_up
            rc=0
            ctest --test-dir "$build" -R '^AtScale' --output-on-failure --timeout 300 || rc=1
            "$WINESERVER" -k 2>/dev/null || true
            exit $rc
        ) || status=1
    done
    return $status
}

wine_env_up() {
    wine_prefix_init
    xvfb_up
    wine_server_up
}

wine_env_down() {
    "$WINESERVER" -k 2>/dev/null || true
    if [ -n "$KORVEX_XVFB_PID" ]; then kill "$KORVEX_XVFB_PID" 2>/dev/null || true; fi
}
