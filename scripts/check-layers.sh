#!/usr/bin/env bash
# Fails when a folder of the program includes a folder above it or beside it. The
# layers, lowest first; a folder may include its own files, the folders below it, and
# res/ (resource ids and the version), which holds no code:
#   core  <-  fw  <-  link controls print skin  <-  ui  <-  app
# quorlink/ is a library of its own and includes nothing of the program.
set -euo pipefail
cd "$(dirname "$0")/.."

rank() {
    case $1 in
    core) echo 0 ;; fw) echo 1 ;; link|controls|print|skin) echo 2 ;;
    ui) echo 3 ;; app) echo 4 ;; *) echo -1 ;;
    esac
}

bad=0
for dir in core fw link controls print skin ui app quorlink; do
    while IFS=: read -r file line target; do
        [ -n "$file" ] || continue
        to=${target%%/*}
        if [ "$to" = "$dir" ] || [ "$to" = res ]; then continue; fi
        if [ "$dir" != quorlink ]; then
            # The link builds against our library's own header, and nothing else does.
            if [ "$to" = quorlink ] && [ "$dir" = link ]; then continue; fi
            if [ "$(rank "$to")" -ge 0 ] && [ "$(rank "$to")" -lt "$(rank "$dir")" ]; then continue; fi
        fi
        echo "$file:$line: $dir/ includes $target"
        bad=1
    done < <(grep -rnoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z]+/[^"]+"' "$dir" \
                 --include='*.h' --include='*.cpp' --include='*.c' --include='*.rc' 2>/dev/null |
             sed -E 's/^([^:]+):([0-9]+):.*"([^"]+)"/\1:\2:\3/')
done
if [ $bad -ne 0 ]; then
    echo "layer check failed: a folder includes one above it or beside it" >&2
    exit 1
fi
echo "layer check passed"
