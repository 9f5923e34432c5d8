# Shared part of the two mingw-w64 toolchains: posix thread model, static runtime,
# tests run through Wine.
set(CMAKE_C_COMPILER ${KORVEX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVEX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVEX_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KORVEX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
