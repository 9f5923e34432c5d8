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

# Maps a device (a pty or /dev/ttyUSB0) as COMn; Wine reads the mapping when its
# server starts, so the server is restarted.
wine_map_com() {
    local n=$1 dev=$2
    wine_reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /t REG_SZ /d "$(readlink -f "$dev")" /f
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
}

wine_unmap_com() {
    wine_reg delete 'HKLM\Software\Wine\Ports' /v "COM$1" /f
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
}

# Starts the server persistently and keeps Wine's desktop process alive, so that
# each program started afterwards costs milliseconds.
wine_server_up() {
    # A server that is already running for the prefix (left by an earlier run) is fine.
    "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
    local keep="$KORVEX_ROOT/build/x86_64/bin/winekeep.exe"
    if [ -f "$keep" ]; then
        setsid "$WINE64" "$keep" </dev/null >/dev/null 2>&1 &
    fi
    # The first program after a server start also starts the prefix's services, which
    # inherit its output: let a detached one pay for that, not a test under ctest.
    "$WINE64" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
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
