#!/usr/bin/env bash
# End to end under Wine: the simulated register on a pty mapped as COM9 sends random
# dumps in random chunks; the real program receives them between Start and Stop and
# saves them; the saved lines must equal those of an independent reference decoder.
source "$(dirname "$0")/e2e-common.bash"

work="$root/build/e2e/acquisition"
rm -rf "$work"; mkdir -p "$work"

# A dump of register bytes with CR, LF, NUL and invalid bytes mixed in, ending in a
# partial line that Stop must drop.
make_dump() {
    python3 - "$1" "$2" <<'PY'
import random, sys
rng = random.Random(int(sys.argv[2]))
out = bytearray()
for _ in range(rng.randint(300, 900)):
    for _ in range(rng.randint(0, 60)):
        r = rng.random()
        out.append(rng.choice(b'\x00\n\x11\x13\x1b\x07') if r < 0.06 else rng.randint(0x80, 0xFF) if r < 0.8 else rng.randint(1, 255))
    out.append(13)
out += b'\x81\x82 partial'
open(sys.argv[1], 'wb').write(out)
PY
}


run_case() {  # arch seed indent chunk bps
    arch=$1; local seed=$2 indent=$3 chunk=$4 bps=$5
    local dir="$work/$arch-$seed" link="$work/$arch-$seed/com9"
    # The program reads the table paths as Windows paths.
    make_program_dir "$dir" "$arch" COM_PORT=9 BAUD_RATE=250000 TAB_FILE="Z:${root//\//\\}\\samples\\Korvex_Tab.txt" \
        INVALID_CHAR_FILE="Z:${root//\//\\}\\samples\\Korvex_Invalid.txt" OUTPUT_FILE=received.txt RIENTRY="$indent"
    make_dump "$dir/dump.bin" "$seed"
    python3 "$root/tests/e2e/reference_decoder.py" "$dir/dump.bin" "$root/samples/Korvex_Tab.txt" \
        "$root/samples/Korvex_Invalid.txt" "$indent" >"$dir/expected.txt"
    regsim_up 9 "$link" --file "$dir/dump.bin" --wait-open --chunk "$chunk" --seed "$seed" --bps "$bps" || { check "$arch seed $seed: simulator" 1; return; }

    local wine=/usr/lib/wine/wine64; [ "$arch" = i686 ] && wine=/usr/lib/wine/wine
    (cd "$dir" && setsid "$wine" Korvex.exe </dev/null >/dev/null 2>&1 &)
    korvex_record "$arch" "$link.log"
    regsim_down 9 "$link"
    cmp -s "$dir/received.txt" "$dir/expected.txt"
    check "$arch seed $seed indent $indent chunks $chunk at $bps B/s: $(wc -l <"$dir/expected.txt") lines byte-exact" $?
}

trap 'regsim_stop "$work"/*/com9 2>/dev/null; true' EXIT
run_case i686 1 3 1:700 25000
run_case i686 2 0 1:3 0
run_case x86_64 3 5 100:512 0
e2e_summary "acquisition"
