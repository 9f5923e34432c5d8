#!/usr/bin/env bash
# Builds what an operator on Windows gets, into build/dist/:
#   Korvex-VERSION-setup.exe     the installer (per user; /S silent, /D=FOLDER)
#   Korvex-VERSION-portable.zip  the same files in a folder Korvex\, to unzip and run
#   SHA256SUMS                   the sums of both
# The files are the 32-bit program and our Quorlink.dll as built, the sample
# translation and invalid-character tables, the English and Italian language files, and
# a configuration that names them.
set -euo pipefail
trap 'echo "package.sh: failed at line $LINENO" >&2' ERR
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" i686

KORVEX_ROOT=$root
source "$root/scripts/program-dir.sh"

version=$(korvex_version)

dist="$root/build/dist"
stage="$dist/stage/Korvex"
rm -rf "$dist"
make_program_dir "$stage" i686 TAB_FILE=Korvex_Tab.txt INVALID_CHAR_FILE=Korvex_Invalid.txt \
    OUTPUT_FILE=Out.txt LANGUAGE_FILE=Korvex_Language_Eng.txt UPDATE_LIST_POSITION=1
cp samples/Korvex_Tab.txt samples/Korvex_Invalid.txt res/lang/Korvex_Language_*.txt "$stage/"
# The symbols of the static runtime are half the size of the files.
i686-w64-mingw32-strip "$stage/Korvex.exe" "$stage/Quorlink.dll"

# One File line per staged file, and its line for the uninstaller. The operator's files
# are never replaced: a table is installed only where none is, and the uninstaller
# removes it only while it is the one shipped. The configuration is the installer's own
# business (a fresh install adds the output file in Documents\Korvex; the uninstaller
# keeps it): it has no line here.
files="$dist/stage/files.nsh" unfiles="$dist/stage/unfiles.nsh"
config="$dist/stage/Korvex_Config.txt"
: >"$files"; : >"$unfiles"
for f in "$stage"/*; do
    name=$(basename "$f")
    case $name in
    Korvex_Config.txt) ;;
    *.txt)
        printf 'SetOverwrite off\nFile "%s"\nSetOverwrite on\n' "$f" >>"$files"
        printf '!insertmacro UN_DELETE_IF_SHIPPED "%s" "%s"\n' "$name" "$f" >>"$unfiles" ;;
    *)
        printf 'File "%s"\n' "$f" >>"$files"
        printf 'Delete "$INSTDIR\\%s"\n' "$name" >>"$unfiles" ;;
    esac
done
# The installer's configuration: the zip's, without its OUTPUT_FILE and LANGUAGE_FILE
# records (the installer writes both).
python3 - "$stage/Korvex_Config.txt" "$config" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
records = [r for r in data.split(b'\x03\r\n\r\n') if r]
kept = [r for r in records if not r.startswith((b'\x01OUTPUT_FILE\x02', b'\x01LANGUAGE_FILE\x02'))]
open(sys.argv[2], 'wb').write(b''.join(r + b'\x03\r\n\r\n' for r in kept))
PY

setup="Korvex-$version-setup.exe" portable="Korvex-$version-portable.zip"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DFILES="$files" -DUNFILES="$unfiles" \
    -DCONFIG="$config" -DOUTFILE="$dist/$setup" installer/Korvex.nsi
(cd "$dist/stage" && zip -q -X -r "$dist/$portable" Korvex)
(cd "$dist" && sha256sum "$setup" "$portable" >SHA256SUMS)
rm -rf "$dist/stage"
echo "packaged Korvex $version:"
sed 's/^/  /' "$dist/SHA256SUMS"
