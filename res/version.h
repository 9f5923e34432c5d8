// The program's version, in one place: the resources of Korvex.exe and Quorlink.dll,
// g_Version (and so the registry key and the About title), the installer and the
// package names all take it from here. scripts/package.sh reads the text line.
#pragma once

#define KORVEX_VERSION_MAJOR 1
#define KORVEX_VERSION_MINOR 0
#define KORVEX_VERSION_TEXT "1.0"
