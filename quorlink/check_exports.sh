#!/usr/bin/env bash
# Checks a built Quorlink.dll: its export table holds exactly the names of its .def
# file, all undecorated, and the .def's library names match the C++ list in table order.
# Usage: check_exports.sh OBJDUMP DLL DEF EXPORTS_HEADER
set -euo pipefail
objdump=$1 dll=$2 def=$3 header=$4
fail() { echo "FAIL: $*" >&2; exit 1; }

tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
# Export names from the "[Ordinal/Name Pointer] Table": lines such as "[   3] Open".
"$objdump" -p "$dll" | tr -d '\r' \
    | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
    | sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*\(.*\)$/\1/p' \
    | awk '{print $NF}' | sort >"$tmp/dll"
sed -e 's/;.*//' -e '1,/^EXPORTS/d' "$def" | awk 'NF {print $1}' >"$tmp/def"
sort "$tmp/def" >"$tmp/def.sorted"

[ -s "$tmp/dll" ] || fail "no export table found in $dll"
if grep -q '@' "$tmp/dll"; then fail "decorated export names in $dll: $(grep '@' "$tmp/dll" | head -3 | tr '\n' ' ')"; fi
diff -u "$tmp/def.sorted" "$tmp/dll" >"$tmp/diff" || fail "exports of $dll differ from $def:
$(cat "$tmp/diff")"

# The library's part of the .def (everything but the test hooks) against the C++ list.
sed -n '/^#define QUORLINK_EXPORTS/,/^$/p' "$header" | grep -o '\(USED\|OTHER\)([A-Za-z0-9_]*)' \
    | sed 's/.*(\(.*\))/\1/' >"$tmp/header"
[ "$(wc -l <"$tmp/header")" -eq 126 ] || fail "$header lists $(wc -l <"$tmp/header") names, not 126"
grep -v '^Test_' "$tmp/def" >"$tmp/def.lib" || true
if [ "$(wc -l <"$tmp/def.lib")" -eq 126 ]; then
    diff -u "$tmp/header" "$tmp/def.lib" >"$tmp/diff" || fail "$def and $header disagree:
$(cat "$tmp/diff")"
else
    # The "missing" variant: the list without its last name.
    head -n 125 "$tmp/header" | diff -u - "$tmp/def.lib" >"$tmp/diff" || fail "$def is not the list minus its last name:
$(cat "$tmp/diff")"
fi
echo "OK: $(wc -l <"$tmp/dll") exports in $dll"
