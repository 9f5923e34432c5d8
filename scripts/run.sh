#!/usr/bin/env bash
# Builds Korvex and runs it under Wine with the simulated register on COM5, or with a
# real register: KORVEX_DEVICE=/dev/ttyUSB0 scripts/run.sh maps that device as COM5.
# KORVEX_LANGUAGE=Ita runs it in Italian.
# Without a display it runs a short demonstration on a private Xvfb display instead
# (Start, the dump, Stop, Save) and leaves a screenshot and the saved text.
set -euo pipefail
trap 'echo "run.sh: failed at line $LINENO" >&2' ERR
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" native i686

source "$root/scripts/wine-env.sh"
source "$root/scripts/regsim-env.sh"
source "$root/scripts/program-dir.sh"

run="$root/build/run"
port=5
make_program_dir "$run" i686
cp "$root/samples/Korvex_Tab.txt" "$root/samples/Korvex_Invalid.txt" "$root"/res/lang/Korvex_Language_*.txt "$run/"
demo=0
[ -n "${DISPLAY:-}" ] || demo=1
# The text is saved where an operator would keep it, C:\Korvex\Out.txt in the prefix.
# The demonstration always starts from these settings.
if [ $demo -eq 1 ] || [ ! -f "$run/Korvex_Config.txt" ]; then
    make_program_dir "$run" i686 COM_PORT=$port BAUD_RATE=115200 TAB_FILE=Korvex_Tab.txt \
        INVALID_CHAR_FILE=Korvex_Invalid.txt 'OUTPUT_FILE=C:\Korvex\Out.txt' UPDATE_LIST_POSITION=1 \
        "LANGUAGE_FILE=Korvex_Language_${KORVEX_LANGUAGE:-Eng}.txt"
fi

[ $demo -eq 1 ] && xvfb_up
wine_prefix_init
# KORVEX_DPI=144 runs it at 150 % display scale (120, 144 or 192), in a prefix of that scale.
if [ -n "${KORVEX_DPI:-}" ] && [ "$KORVEX_DPI" != 96 ]; then
    wine_scale_prefix "$KORVEX_DPI" "$WINEPREFIX" "$root/build/wineprefix-dpi$KORVEX_DPI"
    export WINEPREFIX="$root/build/wineprefix-dpi$KORVEX_DPI"
fi
out="$WINEPREFIX/drive_c/Korvex/Out.txt"
mkdir -p "$(dirname "$out")"
cleanup() {
    [ -z "${KORVEX_DEVICE:-}" ] && regsim_stop "$run/com$port"
    wine_env_down
}
trap cleanup EXIT
if [ -n "${KORVEX_DEVICE:-}" ]; then
    wine_map_com $port "$KORVEX_DEVICE"
    wine_server_up
else
    regsim_up $port "$run/com$port" --file "$root/samples/fiscal_dump.bin" --wait-open --repeat \
        --bps 3000 --chunk 1:48
fi

if [ $demo -eq 0 ]; then
    echo "Korvex runs on COM$port; press Start to receive the dump."
    (cd "$run" && WINEDEBUG=-all /usr/lib/wine/wine Korvex.exe)
    exit 0
fi

ctl() { korvex_tool i686 korvexctl "$@"; }
shot() { local x y w h; read -r x y w h < <(ctl rect); import -window root -crop "${w}x${h}+${x}+${y}" +repage "$1"; }
(cd "$run" && setsid /usr/lib/wine/wine Korvex.exe </dev/null >/dev/null 2>&1 &)
ctl wait-window 30 >/dev/null
sleep 1
ctl click 1005
sleep 2.5
shot "$run/demo-running.png"
grep -q "dump sent" "$run/com$port.log" || timeout 30 bash -c "until grep -q 'dump sent' '$run/com$port.log'; do sleep 0.2; done"
sleep 1
ctl click 1005
sleep 0.5
ctl click 1009
sleep 0.5
shot "$run/demo.png"
ctl close
ctl wait-exit 10 >/dev/null || true
echo "Demonstration done:"
echo "  screenshot mid-run: $run/demo-running.png"
echo "  screenshot at the end: $run/demo.png"
echo "  saved text: $out (C:\\Korvex\\Out.txt in the prefix, $(wc -l <"$out") lines)"
