# Sourced by the end-to-end scripts: the Wine, simulator and program-folder helpers,
# and the tally of named checks that each script reports at its end.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$root/scripts/wine-env.sh"
source "$root/scripts/regsim-env.sh"
source "$root/scripts/program-dir.sh"

passed=0 failed=0
check() {  # name, condition result
    if [ "$2" -eq 0 ]; then passed=$((passed + 1)); echo "ok: $1"; else failed=$((failed + 1)); echo "FAILED: $1"; fi
}

# The last command of a script: prints the tally; the status says whether all passed.
e2e_summary() {
    echo "$1 e2e: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}

# listen_port N FILE: maps COMN to a pseudo-terminal whose every byte goes to FILE, so
# that whatever a program sends to that port shows there. unlisten_ports ends them all
# and their mappings.
declare -gA KORVEX_LISTENERS
listen_port() {
    local n=$1 file=$2
    rm -f "$file.pty"
    socat -u pty,raw,echo=0,link="$file.pty" CREATE:"$file" </dev/null >/dev/null 2>&1 &
    KORVEX_LISTENERS[$n]=$!
    for _ in $(seq 100); do [ -L "$file.pty" ] && [ -e "$file" ] && break; sleep 0.05; done
    wine_prefix_init
    wine_map_com "$n" "$file.pty"
    wine_server_up
}
unlisten_ports() {
    local n
    for n in "${!KORVEX_LISTENERS[@]}"; do
        kill "${KORVEX_LISTENERS[$n]}" 2>/dev/null; wait "${KORVEX_LISTENERS[$n]}" 2>/dev/null
        unset "KORVEX_LISTENERS[$n]"
        wine_unmap_com "$n"
    done
    wine_server_up
}

# wait_log LOG TEXT COUNT SECONDS: waits until COUNT lines of the simulator's LOG hold
# TEXT; fails when that has not happened in time.
wait_log() {
    timeout "$4" bash -c "until [ \$(grep -c '$2' '$1') -ge $3 ]; do sleep 0.05; done"
}

# stop_after_dump LOG COUNT EXPECTED: once the simulator's LOG says that COUNT dumps were
# sent and the title counts every line of EXPECTED (the pty may still have held the end
# of the dump when it was sent), presses Stop through the script's ctl and waits until
# the title says that the run stopped.
stop_after_dump() {
    wait_log "$1" 'dump sent' "$2" 30
    ctl wait-title "$(title_lines "$3")" 20
    ctl click 1005
    ctl wait-title stopped 10
}

# listened FILE: how many bytes have reached the port that listen_port FILE listens on.
# A fence written into the pseudo-terminal goes after whatever is there (it keeps the
# order of what is written to it), so once the fence is in FILE, so is every byte the
# program wrote; fences are not counted. Fails when the fence has not come in 10 s.
listened() {
    python3 - "$1" <<'PY'
import os, re, sys, time
path = sys.argv[1]
fence = b"<fence %d>" % os.getpid()
fd = os.open(path + ".pty", os.O_WRONLY | os.O_NOCTTY)
os.write(fd, fence)
os.close(fd)
end = time.monotonic() + 10
while fence not in open(path, "rb").read():
    if time.monotonic() > end:
        sys.exit(1)
    time.sleep(0.05)
print(len(re.sub(rb"<fence \d+>", b"", open(path, "rb").read())))
PY
}

# title_lines FILE: how the title of a run counts as many lines as FILE holds (each ends
# with CR LF), digits in groups of three: " - 12 345 lines,". Once the title shows it,
# the window has taken every line.
title_lines() {
    local n; n=$(grep -c $'\r$' "$1")
    [ "$n" = 1 ] && echo " - 1 line," || echo " - $(sed ':a;s/\B[0-9]\{3\}\>/ &/;ta' <<<"$n") lines,"
}

# Through the script's ctl: whether the output box names the file NAME, and whether
# the main window is shown.
output_is() { [[ "$(ctl text 1003)" == *"\\$1" ]]; }
shown() { [ "$(ctl visible)" = 1 ]; }

# wait_for SECONDS COMMAND...: tries the command every 50 ms until it succeeds or the time
# is up; the status is that of the last try.
wait_for() {
    local end=$((SECONDS + $1)); shift
    until "$@"; do
        [ $SECONDS -lt $end ] || return 1
        sleep 0.05
    done
}

# The Wine loader for a build: the 32-bit one for i686.
wine_for() { [ "$1" = i686 ] && echo /usr/lib/wine/wine || echo /usr/lib/wine/wine64; }

# A random dump of register bytes with CR, LF, NUL and invalid bytes mixed in: file,
# seed, the least and most number of lines, then any bytes to end it with (a partial
# line that Stop must drop, for instance).
make_random_dump() {
    python3 - "$@" <<'PY'
import os, random, sys
rng = random.Random(int(sys.argv[2]))
out = bytearray()
for _ in range(rng.randint(int(sys.argv[3]), int(sys.argv[4]))):
    for _ in range(rng.randint(0, 60)):
        r = rng.random()
        out.append(rng.choice(b'\x00\n\x11\x13\x1b\x07') if r < 0.06 else rng.randint(0x80, 0xFF) if r < 0.8 else rng.randint(1, 255))
    out.append(13)
if len(sys.argv) > 5:
    out += os.fsencode(sys.argv[5])
open(sys.argv[1], 'wb').write(out)
PY
}
