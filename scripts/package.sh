#!/usr/bin/env bash
# Builds what an operator on Windows gets, into build/dist/:
#   Korvex-VERSION-setup.exe     the installer (per user; /S silent, /D=FOLDER)
#   Korvex-VERSION-portable.zip  the same files in a folder Korvex\, to unzip and run
#   SHA256SUMS                   the sums of both
# The files are the 32-bit program and our Quorlink.dll as built, the sample
# translation and invalid-character tables, and a configuration that names them.
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
cp samples/Korvex_Tab.txt samples/Korvex_Invalid.txt "$stage/"
# The symbols of the static runtime are half the size of the files.
i686-w64-mingw32-strip "$stage/Korvex.exe" "$stage/Quorlink.dll"

# One File line per staged file, and its Delete line for the uninstaller. A new
# install over an old one keeps the operator's settings.
files="$dist/stage/files.nsh" unfiles="$dist/stage/unfiles.nsh"
: >"$files"; : >"$unfiles"
for f in "$stage"/*; do
    name=$(basename "$f")
    if [ "$name" = Korvex_Config.txt ]; then
        printf 'SetOverwrite off\nFile "%s"\nSetOverwrite on\n' "$f" >>"$files"
    else
        printf 'File "%s"\n' "$f" >>"$files"
    fi
    printf 'Delete "$INSTDIR\\%s"\n' "$name" >>"$unfiles"
done

setup="Korvex-$version-setup.exe" portable="Korvex-$version-portable.zip"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DFILES="$files" -DUNFILES="$unfiles" \
    -DOUTFILE="$dist/$setup" installer/Korvex.nsi
(cd "$dist/stage" && zip -q -X -r "$dist/$portable" Korvex)
(cd "$dist" && sha256sum "$setup" "$portable" >SHA256SUMS)
rm -rf "$dist/stage"
echo "packaged Korvex $version:"
sed 's/^/  /' "$dist/SHA256SUMS"
