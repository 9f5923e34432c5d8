#!/usr/bin/env bash
# End to end under Wine: the real program prints to the PDF printer through its Print
# button and the real printer dialog; the PDFs are read back with pdfinfo and pdftotext.
# Pagination at the edges of a page, header and page labels, every line once and in
# order, a page range and the marked lines (Selection), body font sizes, a repeated
# print, a print during a running acquisition, prints that fail (a queue that refuses
# the job, the spool folder unusable), and both print commands on a machine without any
# printer.
source "$(dirname "$0")/e2e-common.bash"

work="$root/build/e2e/printing"
spool=/var/spool/cups-pdf/$(id -un)
rm -rf "$work"; mkdir -p "$work"
ctl() { korvex_tool "$arch" korvexctl "$@"; }
winpath() { local p=${1//\//\\}; echo "Z:$p"; }


start() {  # arch dir [CONFIG=VALUE]...
    arch=$1; local dir=$2; shift 2
    make_program_dir "$dir" "$arch" OUTPUT_FILE=Out.txt "$@"
    local wine; wine=$(wine_for "$arch")
    (cd "$dir" && setsid "$wine" Korvex.exe </dev/null >/dev/null 2>&1 &)
    ctl wait-window 30 >/dev/null
}

stop() {
    ctl close
    ctl wait-exit 10 >/dev/null
}  # fails when the program does not end

lines_file() {  # path count: numbered lines, a long one and a tab among them
    python3 - "$1" "$2" <<'PY'
import sys
n = int(sys.argv[2])
rows = ["L%05d CHIUSURA %04d\tTOTALE %9.2f" % (i, i % 7, i * 1.25) for i in range(n)]
open(sys.argv[1], "w", newline="").write("".join(r + "\r\n" for r in rows))
PY
}

# The printing system holds no job: whatever was sent to it is printed by now.
no_job() { [ -z "$(lpstat -o 2>/dev/null)" ]; }

load() {  # file
    ctl click 1011
    ctl dialog ok 10 "$(winpath "$1")" >/dev/null
    # The dialog closes, the lines are read, then the output box names the file.
    wait_for 10 output_is "$(basename "$1")"
}

# Presses Print, answers the printer dialog with OK (for all pages, the selection or
# pages FROM-TO) and waits for the PDF. Whether the dialog offered the Selection is left
# in $work/offered.
print_to() {  # out.pdf [all|selection|FROM-TO]
    rm -f "$spool"/*.pdf
    ctl click 1018
    ctl print-dialog "${2:-all}" 15 >"$work/offered" || return 1
    for _ in $(seq 300); do
        if no_job && ls "$spool"/*.pdf >/dev/null 2>&1; then
            mv "$spool"/*.pdf "$1"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

report() {  # pdf expected [--prefix]: prints the facts, fails on a wrong report
    python3 "$root/tests/e2e/pdf_report.py" "$@"
}
fact() { sed -n "s/.*\b$1=\([0-9.]*\).*/\1/p" <<<"$2"; }

# --- pagination, header, lines and the default body size (10 points) ---------------
dir="$work/i686"
start i686 "$dir"
lines_file "$dir/probe.txt" 200
load "$dir/probe.txt"
facts=$(print_to "$dir/probe.pdf" && report "$dir/probe.pdf" "$dir/probe.txt"); check "200 lines: $facts" $?
L=$(fact perpage "$facts")
ratio=$(fact ratio "$facts")
python3 -c "import sys; sys.exit(abs(${ratio:-0} - 1.0) > 0.04)"
check "LIST_FONT_SIZE 10 prints the body at 10 points (ratio ${ratio:-none} to the 10-point header)" $?

if [ -n "$L" ] && [ "$L" -gt 0 ]; then
    for c in 0:1 $L:1 $((L + 1)):2 $((2 * L)):2 $((2 * L + 1)):3; do
        n=${c%%:*} want=${c##*:}
        lines_file "$dir/n$n.txt" "$n"
        load "$dir/n$n.txt"
        facts=$(print_to "$dir/n$n.pdf" && report "$dir/n$n.pdf" "$dir/n$n.txt")
        [ "$(fact pages "$facts")" = "$want" ]; check "$n lines ($L a page) print on $want page(s): $facts" $?
    done
    # The same lines again: the same text.
    print_to "$dir/again.pdf" &&
        cmp -s <(pdftotext -layout "$dir/n$((2 * L + 1)).pdf" -) <(pdftotext -layout "$dir/again.pdf" -)
    check "a second print gives the same text" $?
fi
stop

# --- a page range, the marked lines alone, and a range beyond the report -------------
if [ -n "$L" ] && [ "$L" -gt 0 ]; then
    dir="$work/range"
    start i686 "$dir"
    lines_file "$dir/ten.txt" $((9 * L + 4))  # 10 pages, the last short
    load "$dir/ten.txt"
    sed -n "$((2 * L + 1)),$((5 * L))p" "$dir/ten.txt" >"$dir/pages3-5.txt"
    facts=$(print_to "$dir/pages3-5.pdf" 3-5 && report "$dir/pages3-5.pdf" "$dir/pages3-5.txt" --labels 3/10)
    [ "$(fact pages "$facts")" = 3 ]
    check "pages 3-5 of 10 print 3 pages labelled Pag. 3/10 to Pag. 5/10 with their lines: $facts" $?
    offered=$(cat "$work/offered")
    [ "$offered" = "no selection" ]; check "with no line marked the dialog offers no Selection ($offered)" $?
    sed -n "$((9 * L + 1)),\$p" "$dir/ten.txt" >"$dir/page10.txt"
    facts=$(print_to "$dir/pages10-99.pdf" 10-99 && report "$dir/pages10-99.pdf" "$dir/page10.txt" --labels 10/10)
    [ "$(fact pages "$facts")" = 1 ]; check "pages 10-99 of 10 print the last page: $facts" $?

    # Seven lines marked: 1, Ctrl 3, Ctrl 5, then Ctrl+Shift to 8 (5 to 8), Ctrl 11.
    ctl mark 1; ctl mark 3 ctrl; ctl mark 5 ctrl; ctl mark 8 ctrl+shift; ctl mark 11 ctrl
    sed -n '2p;4p;6,9p;12p' "$dir/ten.txt" >"$dir/marked.txt"
    facts=$(print_to "$dir/marked.pdf" selection && report "$dir/marked.pdf" "$dir/marked.txt")
    [ "$(fact pages "$facts")" = 1 ] && [ "$(fact lines "$facts")" = 7 ]
    check "the Selection of 7 marked lines prints them alone on one page, Pag. 1/1: $facts" $?

    rm -f "$spool"/*.pdf
    ctl click 1018
    ctl print-dialog 12-30 15 >/dev/null
    said=$(ctl answer ok 15)
    wait_for 30 no_job
    [ "$said" = "Pages 12 to 30 are not in the report: it ends at page 10. Nothing was printed." ] &&
        ! ls "$spool"/*.pdf >/dev/null 2>&1
    check "pages 12-30 of 10 print nothing and say so: $said" $?
    stop
fi

# --- body sizes for a font size of 0 and of -13 --------------------------------------
for c in i686:0:1.0 x86_64:-13:1.3; do
    IFS=: read -r a size want <<<"$c"
    dir="$work/size$size"
    start "$a" "$dir" LIST_FONT_SIZE="$size"
    lines_file "$dir/lines.txt" 20
    load "$dir/lines.txt"
    facts=$(print_to "$dir/lines.pdf" && report "$dir/lines.pdf" "$dir/lines.txt")
    ratio=$(fact ratio "$facts")
    python3 -c "import sys; sys.exit(abs(${ratio:-0} - $want) > 0.04)"
    check "$a LIST_FONT_SIZE $size prints the body at ${want/./} points (ratio ${ratio:-none})" $?
    stop
done

# --- font sizes far beyond the page and the smallest: every line still prints --------
for c in i686:2147483647 x86_64:-2147483648 i686:1; do
    IFS=: read -r a size <<<"$c"
    dir="$work/extreme$size"
    start "$a" "$dir" LIST_FONT_SIZE="$size"
    printf 'Q\r\nR\r\nS\r\nT\r\n' >"$dir/short.txt"  # one letter a line: some of it shows at any size
    load "$dir/short.txt"
    print_to "$dir/short.pdf"; printed=$?
    letters=$(pdftotext -layout "$dir/short.pdf" - 2>/dev/null | grep -oxE ' *[QRST] *' | tr -d ' \n')
    pages=$(pdfinfo "$dir/short.pdf" 2>/dev/null | sed -n 's/^Pages: *//p')
    [ "$printed" -eq 0 ] && [ "$letters" = QRST ]
    check "$a LIST_FONT_SIZE $size prints all 4 lines in order (${letters:-none} on ${pages:-no} pages)" $?
    stop
done

# --- a print during a running acquisition -------------------------------------------
dir="$work/running" link="$work/running/com9"
mkdir -p "$dir"
if regsim_up 9 "$link" --file "$root/samples/fiscal_dump.bin" --wait-open --bps 1500; then
    start i686 "$dir" COM_PORT=9 BAUD_RATE=250000 TAB_FILE="$(winpath "$root/samples/Korvex_Tab.txt")" \
        INVALID_CHAR_FILE="$(winpath "$root/samples/Korvex_Invalid.txt")"
    ctl click 1005
    # Some of the lines, not yet all: the title counts the first ones.
    has_lines() { [[ "$(ctl title)" =~ \ -\ [1-9][0-9\ ]*\ lines?, ]]; }
    wait_for 20 has_lines
    facts=$(print_to "$dir/running.pdf" && report "$dir/running.pdf" "$root/samples/fiscal_dump.expected.txt" --prefix)
    printed=$(fact lines "$facts")
    [ "${printed:-0}" -gt 0 ] && [ "$printed" -lt "$(grep -c '[^[:space:]]' "$root/samples/fiscal_dump.expected.txt")" ]
    check "a print during the acquisition holds the lines present when Print was pressed: $facts" $?
    stop_after_dump "$link.log" 1 "$root/samples/fiscal_dump.expected.txt"
    ctl click 1009
    wait_for 10 cmp -s "$dir/Out.txt" "$root/samples/fiscal_dump.expected.txt"
    check "the acquisition went on during the print and lost no line" $?
    stop
    regsim_down 9 "$link"
else
    check "simulated register for the running acquisition" 1
fi

# --- a print that fails says so, and the program prints as before afterwards ---------
dir="$work/failing"
start i686 "$dir"
lines_file "$dir/lines.txt" 30
load "$dir/lines.txt"
rm -f "$spool"/*.pdf
failed_print() {  # [printer]: Print, OK in the printer dialog (with that printer), then
                  # the message that follows, answered
    ctl click 1018
    ctl dialog ok 15 "$@" >/dev/null && ctl answer ok 30
}
says_failed() {  # message: the text for a failed print over the system's reason
    [ "$(sed -n 1p <<<"$1")" = "The document could not be printed." ] && [ -n "$(sed -n 2p <<<"$1")" ] &&
        [ "$(wc -l <<<"$1")" -eq 2 ]
}
said=$(failed_print KorvexRefusing)
says_failed "$said"; check "a print to a queue that refuses it says so: ${said//$'\n'/ | }" $?
spooldir="$WINEPREFIX/drive_c/windows/system32/spool/printers"
mv "$spooldir" "$spooldir.away" && touch "$spooldir"
said=$(failed_print)
rm -f "$spooldir"; mv "$spooldir.away" "$spooldir"
says_failed "$said"; check "a print with the spool folder unusable says so: ${said//$'\n'/ | }" $?
! ls "$spool"/*.pdf >/dev/null 2>&1; check "neither printed anything" $?
facts=$(print_to "$dir/after.pdf" && report "$dir/after.pdf" "$dir/lines.txt")
check "the print after them prints every line: $facts" $?
stop

# --- no printer at all ---------------------------------------------------------------
dir="$work/noprinter"
export CUPS_SERVER=/nonexistent/cups.sock  # this process tree sees no printing system
start x86_64 "$dir"
for c in 1018:Print 1017:"Print Preview"; do
    id=${c%%:*} name=${c#*:}
    ctl click "$id"
    said=$(ctl answer ok 15)
    wait_for 5 shown
    [ -n "$said" ] && shown
    check "without a printer $name shows the system's message ($said) and the main window" $?
done
unset CUPS_SERVER
stop; check "the program ends normally afterwards" $?

e2e_summary "printing"
