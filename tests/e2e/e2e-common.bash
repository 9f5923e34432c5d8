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
