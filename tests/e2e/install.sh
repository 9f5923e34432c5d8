#!/usr/bin/env bash
# End to end under Wine, the packages as an operator meets them. In a fresh Wine prefix
# the installer runs silently; the installed program, started from its Start-menu
# shortcut with the configuration the installer laid down, records the sample dump from
# a simulated register on COM1 and saves it into Documents\Korvex; the version resources
# and the uninstall entry are checked. A table the operator edited survives installing
# again and uninstalling; the uninstaller must leave no other program file. A folder
# holding another program's files is refused. The same recording then runs from the
# unzipped portable folder.
source "$(dirname "$0")/e2e-common.bash"

work="$root/build/e2e/install"
rm -rf "$work"; mkdir -p "$work"
export WINEPREFIX="$work/prefix"
reg_value() {  # key value: prints the value's data, nothing when it is absent
    "$WINE64" reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
unix_path() { local p=${1#[Cc]:\\}; echo "$WINEPREFIX/drive_c/${p//\\//}"; }
wait_until() { timeout "$1" bash -c "until $2; do sleep 0.2; done"; }

"$root/scripts/package.sh" >"$work/package.log" 2>&1; packaged=$?
check "package script ($(grep -c . "$root/build/dist/SHA256SUMS" 2>/dev/null) sums)" $packaged
dist="$root/build/dist"
version=$(korvex_version)
setup="$dist/Korvex-$version-setup.exe" portable="$dist/Korvex-$version-portable.zip"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS)
check "sums of the installer and the zip" $?
mapfile -t shipped < <(unzip -Z1 "$portable" | sed -n 's|^Korvex/\(.\)|\1|p')

[ -n "${DISPLAY:-}" ] || xvfb_up
trap 'regsim_stop "$work/com1"; wine_env_down' EXIT
# A fresh prefix: the prepared one, copied before anything was installed into it.
(export WINEPREFIX="$root/build/wineprefix"; wine_prefix_init)
wine_prefix_copy "$root/build/wineprefix" "$WINEPREFIX"
wine_server_up

# record NAME DIR OUTDIR STARTER...: the operator presses Start, lets the register send
# its dump, presses Stop and Save, and closes the program; OUTDIR\Out.txt must be the
# decoded dump, and the settings must have been written back beside the program in DIR.
record() {
    local name=$1 dir=$2 outdir=$3; shift 3
    regsim_up 1 "$work/com1" --file "$root/samples/fiscal_dump.bin" --wait-open --bps 0 --chunk 1:64 ||
        { check "$name: simulator" 1; return; }
    "$@" </dev/null >/dev/null 2>&1
    korvex_record i686 "$work/com1.log"
    regsim_stop "$work/com1"
    cmp -s "$outdir/Out.txt" "$root/samples/fiscal_dump.expected.txt"
    check "$name: the dump recorded on COM1 is saved byte-exact into $outdir" $?
    # The program writes them once its window is gone.
    wait_until 10 "grep -q LIST_FONT_NAME '$dir/Korvex_Config.txt'"
    check "$name: the settings are written back beside the program" $?
}

# The installed program.
/usr/lib/wine/wine "$setup" /S </dev/null >/dev/null 2>&1
check "silent install" $?
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvex'
inst_win=$(reg_value "$key" InstallLocation)
inst=$(unix_path "$inst_win")
[[ $inst_win == *\\AppData\\Local\\Programs\\Korvex ]] && [ -f "$inst/Korvex.exe" ]
check "installed per user in $inst_win" $?
[ "$(reg_value "$key" DisplayVersion)" = "$version" ] &&
    [ "$(reg_value "$key" UninstallString)" = "\"$inst_win\\Uninstall Korvex.exe\"" ] &&
    [ -f "$inst/Uninstall Korvex.exe" ] && [ ! -e "$inst/Uninstall.exe" ]
check "uninstall entry with version $version and the uninstaller named after the program" $?
for f in Korvex.exe Quorlink.dll; do
    [ "$(korvex_tool i686 korvexctl version "$inst_win\\$f")" = "Korvex $version $version.0.0" ]
    check "$f's version resource reads Korvex $version" $?
done
lnk=$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Korvex.lnk)
[ -f "$lnk" ]
check "Start-menu shortcut" $?
config_value() {  # file key: the record's value, nothing when the file has no such record
    python3 - "$1" "$2" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
head = b'\x01' + sys.argv[2].encode() + b'\x02\r\n'
at = data.find(head)
print(data[at + len(head):data.index(b'\x03', at)].decode('cp1252') if at >= 0 else '')
PY
}
# The configuration of a fresh install saves into Documents\Korvex, made by the installer,
# and reads in English unless the operator chose Italiano; both language files ship.
output_win=$(config_value "$inst/Korvex_Config.txt" OUTPUT_FILE)
[ "$(config_value "$inst/Korvex_Config.txt" LANGUAGE_FILE)" = Korvex_Language_Eng.txt ] &&
    [ -f "$inst/Korvex_Language_Eng.txt" ] && [ -f "$inst/Korvex_Language_Ita.txt" ]
check "a fresh install in English names Korvex_Language_Eng.txt, and both language files are there" $?
docs=$(dirname "$(unix_path "$output_win")")
[[ $output_win == 'C:\users\'*'\Documents\Korvex\Out.txt' ]] && [ -d "$docs" ]
check "a fresh install saves into Documents\\Korvex ($output_win)" $?
record "installed" "$inst" "$docs" /usr/lib/wine/wine start /unix "$lnk"

# The operator edits the translation table; installing again (an upgrade) keeps it and
# the settings.
printf '\r\n' >>"$inst/Korvex_Tab.txt"
cp "$inst/Korvex_Tab.txt" "$work/edited_tab.txt"
/usr/lib/wine/wine "$setup" /S </dev/null >/dev/null 2>&1
grep -q LIST_FONT_NAME "$inst/Korvex_Config.txt"
check "installing again keeps the operator's settings" $?
cmp -s "$inst/Korvex_Tab.txt" "$work/edited_tab.txt" && cmp -s "$inst/Korvex_Invalid.txt" "$root/samples/Korvex_Invalid.txt"
check "installing again keeps the edited table" $?

# The uninstaller runs on from a copy of itself, and removes itself last.
/usr/lib/wine/wine "$inst_win\\Uninstall Korvex.exe" /S </dev/null >/dev/null 2>&1
wait_until 30 "[ ! -e '$inst/Uninstall Korvex.exe' ]"
left=()
for f in "${shipped[@]}" "Uninstall Korvex.exe"; do
    case $f in Korvex_Config.txt | Korvex_Tab.txt) ;; *) [ -e "$inst/$f" ] && left+=("$f") ;; esac
done
# What stays is the operator's: the settings, the edited table and the record of the run.
[ ${#left[@]} -eq 0 ] && [ "$(LC_ALL=C ls "$inst" | grep -v '^Korvex_LastRun' | tr '\n' ' ')" = "Korvex_Config.txt Korvex_Tab.txt " ] &&
    cmp -s "$inst/Korvex_Tab.txt" "$work/edited_tab.txt" && cmp -s "$docs/Out.txt" "$root/samples/fiscal_dump.expected.txt"
check "uninstall leaves no program file, only the settings, the edited table, the run record and the saved dump (left: ${left[*]:-none})" $?
[ ! -e "$lnk" ] && [ -z "$(reg_value "$key" DisplayName)" ]
check "uninstall removes the shortcut and the uninstall entry" $?

# A folder of the operator's choice, with a space in its name: /D= takes the rest of
# the raw command line, so it goes through cmd, as an operator would type it.
cp "$setup" "$WINEPREFIX/drive_c/setup.exe"
"$WINE64" cmd /c 'C:\setup.exe /S /LANG=it /D=C:\Tools\Korvex Reader' </dev/null >/dev/null 2>&1
chosen="$WINEPREFIX/drive_c/Tools/Korvex Reader"
[ -f "$chosen/Korvex.exe" ] && [ "$(reg_value "$key" InstallLocation)" = 'C:\Tools\Korvex Reader' ] &&
    [ "$(config_value "$chosen/Korvex_Config.txt" LANGUAGE_FILE)" = Korvex_Language_Ita.txt ]
check "silent install in Italiano into a chosen folder names Korvex_Language_Ita.txt" $?
/usr/lib/wine/wine 'C:\Tools\Korvex Reader\Uninstall Korvex.exe' /S </dev/null >/dev/null 2>&1
wait_until 30 "[ ! -e '$chosen/Uninstall Korvex.exe' ]" && [ -z "$(reg_value "$key" DisplayName)" ] &&
    [ "$(ls "$chosen")" = Korvex_Config.txt ]
check "uninstall from the chosen folder removes all but the settings, and its entry" $?

# A folder with another program's files, its own Uninstall.exe among them, is refused.
shared="$WINEPREFIX/drive_c/Shared"
mkdir -p "$shared"
printf 'another program' >"$shared/Uninstall.exe"
printf "the folder owner's own data" >"$shared/ledger.txt"
"$WINE64" cmd /c 'C:\setup.exe /S /D=C:\Shared' </dev/null >/dev/null 2>&1
code=$?
[ "$code" -ne 0 ] && [ "$(LC_ALL=C ls "$shared" | tr '\n' ' ')" = "Uninstall.exe ledger.txt " ] &&
    [ "$(cat "$shared/Uninstall.exe")" = 'another program' ] && [ -z "$(reg_value "$key" DisplayName)" ]
check "a folder with another program's files is refused (exit code $code), nothing written there" $?

# The portable folder, unzipped to C:\Korvex.
unzip -q "$portable" -d "$WINEPREFIX/drive_c"
check "portable zip unpacks to C:\\Korvex" $?
record "portable" "$WINEPREFIX/drive_c/Korvex" "$WINEPREFIX/drive_c/Korvex" \
    bash -c "cd '$WINEPREFIX/drive_c/Korvex' && setsid /usr/lib/wine/wine Korvex.exe </dev/null >/dev/null 2>&1 &"

e2e_summary "install"
