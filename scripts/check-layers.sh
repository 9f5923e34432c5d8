#!/usr/bin/env bash
# Fails when a folder of the program includes a folder above it or beside it. The
# layers, lowest first; a folder may include its own files, the folders below it, and
# res/ (resource ids and the version), which holds no code:
#   core  <-  fw  <-  link controls print skin  <-  ui  <-  app
# quorlink/ is a library of its own and includes nothing of the program.
# Every spelling counts: "ui/X.h" from the top of the tree, "../ui/X.h" from the file's
# own folder, and <ui/X.h>. (The build holds the first and the last as well: each
# folder compiles against an include root that shows only the folders it may include.)
set -euo pipefail
cd "$(dirname "$0")/.."

rank() {
    case $1 in
    core) echo 0 ;; fw) echo 1 ;; link|controls|print|skin) echo 2 ;;
    ui) echo 3 ;; app) echo 4 ;; *) echo -1 ;;
    esac
}

# The folder of the tree an include names, or nothing for a header of the system or a
# file of the including folder.
included_folder() {
    local file=$1 target=$2 path=${2:1:${#2}-2} here
    here=$(dirname "$file")
    if [ "${target:0:1}" = '<' ]; then
        # <dir/...> names the tree only where dir is one of its folders.
        [[ $path == */* ]] && [ -d "${path%%/*}" ] && echo "${path%%/*}"
        return 0
    fi
    case $path in
    ./*|../*) path=$(realpath -m --relative-to=. "$here/$path") ;;
    */*) [ -e "$here/$path" ] && path="$here/$path" ;;
    *) path="$here/$path" ;;
    esac
    echo "${path%%/*}"
}

bad=0
for dir in core fw link controls print skin ui app quorlink; do
    while IFS=: read -r file line target; do
        [ -n "$file" ] || continue
        to=$(included_folder "$file" "$target")
        if [ -z "$to" ] || [ "$to" = "$dir" ] || [ "$to" = res ]; then continue; fi
        if [ "$dir" != quorlink ]; then
            # The link builds against our library's own header, and nothing else does.
            if [ "$to" = quorlink ] && [ "$dir" = link ]; then continue; fi
            if [ "$(rank "$to")" -ge 0 ] && [ "$(rank "$to")" -lt "$(rank "$dir")" ]; then continue; fi
        fi
        echo "$file:$line: $dir/ includes $target"
        bad=1
    done < <(grep -rnoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*("[^"]+"|<[^>]+>)' "$dir" \
                 --include='*.h' --include='*.cpp' --include='*.c' --include='*.rc' --include='*.rc2' 2>/dev/null |
             sed -E 's/^([^:]+):([0-9]+):[^"<]*(["<].*)$/\1:\2:\3/')
done
if [ $bad -ne 0 ]; then
    echo "layer check failed: a folder includes one above it or beside it" >&2
    exit 1
fi
echo "layer check passed"
