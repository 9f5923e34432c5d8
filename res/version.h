// The program's version, in one place: the resources of Korvex.exe and Quorlink.dll,
// the application's version text (and so the registry key and the About title), the
// installer and the package names all take it from here (scripts read it with
// korvex_version).
#pragma once

#define KORVEX_VERSION_MAJOR 1
#define KORVEX_VERSION_MINOR 0

#define KORVEX_VERSION_STR_(n) #n
#define KORVEX_VERSION_STR(n) KORVEX_VERSION_STR_(n)
// "1.0"
#define KORVEX_VERSION_TEXT KORVEX_VERSION_STR(KORVEX_VERSION_MAJOR) "." KORVEX_VERSION_STR(KORVEX_VERSION_MINOR)
