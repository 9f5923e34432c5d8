#!/usr/bin/env bash
# End to end under Wine: the simulated register on a pty mapped as COM9 sends random
# dumps in random chunks; the real program receives them between Start and Stop and
# saves them; the saved lines must equal those of an independent reference decoder.
source "$(dirname "$0")/e2e-common.bash"

work="$root/build/e2e/acquisition"
rm -rf "$work"; mkdir -p "$work"

run_case() {  # arch seed indent chunk bps
    arch=$1; local seed=$2 indent=$3 chunk=$4 bps=$5
    local dir="$work/$arch-$seed" link="$work/$arch-$seed/com9"
    # The program reads the table paths as Windows paths.
    make_program_dir "$dir" "$arch" COM_PORT=9 BAUD_RATE=250000 TAB_FILE="Z:${root//\//\\}\\samples\\Korvex_Tab.txt" \
        INVALID_CHAR_FILE="Z:${root//\//\\}\\samples\\Korvex_Invalid.txt" OUTPUT_FILE=received.txt RIENTRY="$indent"
    # It ends in a partial line that Stop must drop.
    make_random_dump "$dir/dump.bin" "$seed" 300 900 $'\x81\x82 partial'
    python3 "$root/tests/e2e/reference_decoder.py" "$dir/dump.bin" "$root/samples/Korvex_Tab.txt" \
        "$root/samples/Korvex_Invalid.txt" "$indent" >"$dir/expected.txt"
    regsim_up 9 "$link" --file "$dir/dump.bin" --wait-open --chunk "$chunk" --seed "$seed" --bps "$bps" || { check "$arch seed $seed: simulator" 1; return; }

    local wine; wine=$(wine_for "$arch")
    (cd "$dir" && setsid "$wine" Korvex.exe </dev/null >/dev/null 2>&1 &)
    korvex_record "$arch" "$link.log"
    regsim_down 9 "$link"
    cmp -s "$dir/received.txt" "$dir/expected.txt"; local same=$?
    check "$arch seed $seed indent $indent chunks $chunk at $bps B/s: $(wc -l <"$dir/expected.txt") lines byte-exact" $same
}

trap 'regsim_stop "$work"/*/com9 2>/dev/null; true' EXIT
run_case i686 1 3 1:700 25000
run_case i686 2 0 1:3 0
run_case x86_64 3 5 100:512 0
e2e_summary "acquisition"
