# Sourced by the run and package scripts and the end-to-end tests: lays out a program
# folder with Korvex.exe, our Quorlink.dll and a configuration file.

# make_program_dir DIR ARCH CONFIG-RECORDS...   (records as KEY=VALUE)
make_program_dir() {
    local dir=$1 arch=$2; shift 2
    mkdir -p "$dir"
    cp "$KORVEX_ROOT/build/$arch/bin/Korvex.exe" "$KORVEX_ROOT/build/$arch/bin/Quorlink.dll" "$dir/"
    [ $# -gt 0 ] || return 0
    : >"$dir/Korvex_Config.txt"
    local kv
    for kv in "$@"; do
        printf '\001%s\002\r\n%s\003\r\n\r\n' "${kv%%=*}" "${kv#*=}" >>"$dir/Korvex_Config.txt"
    done
}

# korvex_tool ARCH TOOL ARGS...: runs a tool of the Windows build (korvexctl...).
korvex_tool() {
    local arch=$1 tool=$2; shift 2
    "$KORVEX_ROOT/scripts/wine-run.sh" "$KORVEX_ROOT/build/$arch/bin/$tool.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'
}

# korvex_record ARCH SIMLOG: what an operator does with the program open, the simulated
# register waiting for the port to open: Start, the whole dump (until SIMLOG says it was
# sent), Stop, Save, and closing the program.
korvex_record() {
    local arch=$1 log=$2
    korvex_tool "$arch" korvexctl wait-window 30 >/dev/null
    korvex_tool "$arch" korvexctl click 1005
    timeout 60 bash -c "until grep -q 'dump sent' '$log'; do sleep 0.1; done"
    # The pty may still hold the end of the dump: the title tells when the line went quiet.
    korvex_tool "$arch" korvexctl wait-title "quiet for" 30
    korvex_tool "$arch" korvexctl click 1005
    korvex_tool "$arch" korvexctl wait-title stopped 10
    # Save, then Close: the window takes the two in that order.
    korvex_tool "$arch" korvexctl click 1009
    korvex_tool "$arch" korvexctl close
    korvex_tool "$arch" korvexctl wait-exit 10 >/dev/null
}

# korvex_version: prints the program's version ("1.0") from res/version.h.
korvex_version() {
    local major minor
    major=$(sed -n 's/^#define KORVEX_VERSION_MAJOR \([0-9]\+\)$/\1/p' "$KORVEX_ROOT/res/version.h")
    minor=$(sed -n 's/^#define KORVEX_VERSION_MINOR \([0-9]\+\)$/\1/p' "$KORVEX_ROOT/res/version.h")
    [ -n "$major" ] && [ -n "$minor" ] || { echo "no version in res/version.h" >&2; return 1; }
    echo "$major.$minor"
}
