#!/usr/bin/env bash
# Runs a Windows program under the project's Wine prefix: 32-bit programs with wine,
# 64-bit ones with wine64 (the PE header tells which).
set -e
: "${WINEPREFIX:?WINEPREFIX must point at the test prefix (scripts/wine-env.sh sets it)}"
export WINEDEBUG=${WINEDEBUG:--all}
exe=$1
if [ "$(od -An -tx1 -j "$(( $(od -An -tu4 -j60 -N4 "$exe") + 4 ))" -N2 "$exe" | tr -d ' ')" = "4c01" ]; then
    exec /usr/lib/wine/wine "$@"
fi
exec /usr/lib/wine/wine64 "$@"
