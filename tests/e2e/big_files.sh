#!/usr/bin/env bash
# End to end under Wine (i686, as operators run it), files far larger than any dump:
# - a 1000 MB file whose lines end in LF alone (one line for Load, which ends lines only
#   at CR LF) loads (the 32-bit program has room for files up to about 1.9 GB), and the
#   program lives on;
# - loaded, that line prints without being copied (a second copy would not fit);
# - the next Load works and lets the big line go;
# - with 600 MB of lines loaded, a cancelled Print and a closed Print Preview leave the
#   program's private memory within 5 % of where it was.
# The big files are written to a memory file system of the test's own (quick to write,
# nothing left on disk), which goes at the end.
source "$(dirname "$0")/e2e-common.bash"

work="$root/build/e2e/big_files"
big="$work/big"
unmount_big() { while mountpoint -q "$big" 2>/dev/null; do umount -l "$big"; done; }
unmount_big
rm -rf "$work"; mkdir -p "$big"
if ! mount -t tmpfs -o size=1100m tmpfs "$big" 2>/dev/null; then
    echo "no memory file system for the big files: they go to $big on disk"
fi
trap 'rm -f "$big"/*; unmount_big' EXIT
arch=i686
spool=/var/spool/cups-pdf/$(id -un)
ctl() { korvex_tool "$arch" korvexctl "$@"; }
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# The program's own process: the Korvex.exe of this Wine prefix.
korvex_pid() {
    local p
    for p in $(pgrep -x Korvex.exe); do
        if { tr '\0' '\n' </proc/"$p"/environ; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
            echo "$p"; return
        fi
    done
}
private_kb() { awk '/^Private_(Clean|Dirty):/ {s += $2} END {print s + 0}' /proc/"$(korvex_pid)"/smaps_rollup; }
within_5_percent() { python3 -c "import sys; a, b = $1, $2; sys.exit(abs(b - a) > 0.05 * a)"; }
# near KB: whether the private memory, read into now_kb, is within 5 % of KB. What a
# command held goes once its handler has returned: wait_for gives it the time.
near() { now_kb=$(private_kb); within_5_percent "$1" "$now_kb"; }

# Presses Load and names the file; prints "loaded", or the text of the box that refused it.
load() {
    ctl click 1011
    ctl dialog ok 10 "$(winpath "$1")" >/dev/null || { echo "no file dialog"; return; }
    local name said; name=$(basename "$1")
    for _ in $(seq 300); do
        if output_is "$name"; then echo loaded; return; fi
        said=$(ctl answer ok 0.2)
        if [ -n "$said" ]; then echo "$said"; return; fi
    done
    echo "neither loaded nor refused"
}

# Writes a file of about MB megabytes from a block of text repeated.
repeat_block() {  # path megabytes python-expression-for-the-block [head]
    python3 - "$@" <<'PY'
import sys
path, mb, block = sys.argv[1], int(sys.argv[2]), eval(sys.argv[3])
head = sys.argv[4].encode() if len(sys.argv) > 4 else b""
total = mb * 1024 * 1024
with open(path, "wb") as f:
    f.write(head)
    written = len(head)
    while written + len(block) <= total:
        f.write(block)
        written += len(block)
PY
}

make_program_dir "$work" "$arch" OUTPUT_FILE=Out.txt
(cd "$work" && setsid /usr/lib/wine/wine Korvex.exe </dev/null >/dev/null 2>&1 &)
ctl wait-window 30 >/dev/null
pid=$(korvex_pid); [ -n "$pid" ]; check "the program runs ($pid)" $?

# --- 1000 MB, lines ended by LF alone ----------------------------------------------
repeat_block "$big/lf1000.txt" 1000 'b"".join(b"%079d\n" % i for i in range(16384))' "HUGE LINE START "
before=$(private_kb)
result=$(load "$big/lf1000.txt")
[ "$result" = loaded ]
check "1000 MB in one line: $result" $?
[ -n "$(korvex_pid)" ] && [ "$(ctl visible)" = 1 ]
check "the program lives on after it" $?

# The view holds the line once; Print must not need it twice.
held=$(private_kb)
# The spool folder may hold other jobs' PDFs: ours is the one with the line in it.
ctl click 1018
ctl dialog ok 15 >/dev/null
printed=
for _ in $(seq 300); do
    for f in "$spool"/Korvex*.pdf; do
        if [ -s "$f" ] && [ -z "$(lpstat -o 2>/dev/null)" ] && pdftotext "$f" - 2>/dev/null | grep -q "HUGE LINE START"; then
            printed=$f
        fi
    done
    [ -n "$printed" ] && break
    sleep 0.2
done
[ -n "$printed" ] && [ "$(pdfinfo "$printed" | awk '/^Pages:/ {print $2}')" = 1 ]
check "the 1000 MB line prints on one page" $?
rm -f "$printed"
after=$(private_kb)
within_5_percent "$held" "$after"
check "printing it held no copy (private memory $((held / 1024)) MB, then $((after / 1024)) MB)" $?

printf 'small 1\r\nsmall 2\r\nsmall 3\r\n' >"$work/small.txt"
result=$(load "$work/small.txt")
[ "$result" = loaded ]; check "the next Load works: $result" $?
small=$(private_kb)
[ "$small" -lt $((before + 100 * 1024)) ]
check "and lets the big line go (private memory $((before / 1024)) MB before it, $((small / 1024)) MB now)" $?
rm -f "$big/lf1000.txt"

# --- 600 MB of lines: Print and Print Preview take no lasting memory -----------------
repeat_block "$big/lines600.txt" 600 \
    'b"".join(b"L%07d CHIUSURA FISCALE %04d TOTALE %10.2f\r\n" % (i, i % 7, i * 1.25) for i in range(20000))'
result=$(load "$big/lines600.txt")
[ "$result" = loaded ]; check "600 MB of lines: $result" $?
loaded=$(private_kb)

ctl click 1018
ctl dialog cancel 15 >/dev/null
wait_for 10 near "$loaded"
check "a cancelled Print leaves private memory where it was ($((loaded / 1024)) MB, then $((now_kb / 1024)) MB)" $?

ctl click 1017
ctl close-window "Print Preview" 30
wait_for 10 shown; check "the preview opened, closed and gave the main window back" $?
wait_for 10 near "$loaded"
check "a closed Print Preview leaves private memory where it was ($((loaded / 1024)) MB, then $((now_kb / 1024)) MB)" $?

ctl close
ctl wait-exit 10 >/dev/null; check "the program ends normally" $?
e2e_summary "big files"
