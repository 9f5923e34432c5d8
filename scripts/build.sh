#!/usr/bin/env bash
# Builds everything: the portable code natively (with sanitizers), the fuzzers and the
# ThreadSanitizer stress test with clang, and the Windows program, library and tests
# for i686 and x86_64.
# Usage: scripts/build.sh [native|fuzz|tsan|i686|x86_64]...   (no argument: all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
targets=("$@"); [ ${#targets[@]} -gt 0 ] || targets=(native fuzz tsan i686 x86_64)
# A compiler cache, where one is installed, makes rebuilds in other checkouts cheap.
# It takes the precompiled headers too when told that they are built the same way.
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$root"
    export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
              -DCMAKE_CXX_FLAGS=-fpch-preprocess)
fi

for t in "${targets[@]}"; do
    case $t in
    native) cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" >/dev/null ;;
    fuzz)   CXX=clang++-14 CC=clang-14 cmake -S . -B build/fuzz -G Ninja -DKORVEX_FUZZ=ON \
                -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]:0:2}" >/dev/null ;;
    tsan)   CXX=clang++-14 CC=clang-14 cmake -S . -B build/tsan -G Ninja -DKORVEX_TSAN=ON \
                -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]:0:2}" >/dev/null ;;
    i686|x86_64) cmake -S . -B "build/$t" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
                -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$t.cmake" >/dev/null ;;
    *) echo "unknown build: $t" >&2; exit 2 ;;
    esac
    if ! cmake --build "build/$t" -- -j"$(nproc)" >"build/$t.log" 2>&1; then
        grep -vE '^\[[0-9]+/[0-9]+\] ' "build/$t.log" | tail -60 >&2
        echo "build $t failed (full log: build/$t.log)" >&2; exit 1
    fi
    echo "built $t"
done
