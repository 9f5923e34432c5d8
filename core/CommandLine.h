// The program's command line: Korvex.exe [options] [file]
//
//   file            a dump file
//   /port N         the COM port by number, or /port COMn by name
//   /baud N         the baud rate
//   /start          start recording
//   /wait S         a time in whole seconds, 1 to kMaxCommandLineSeconds
//   /idle-stop S    a time in whole seconds, 1 to kMaxCommandLineSeconds
//   /save PATH      an output file
//   /exit           close the program at the end
//
// Switches are matched without regard to letter case. The parser checks only the form of
// what it is given; whether the port exists or the baud rate is offered is for the caller.
#pragma once

#include "core/UiText.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The longest time /wait and /idle-stop take: a day.
constexpr int kMaxCommandLineSeconds = 86400;

struct CommandLineOptions {
    std::string file;  // empty when none is given
    std::optional<int> port;
    std::optional<int> baud;
    bool start = false;
    std::optional<int> waitSeconds;
    std::optional<int> idleStopSeconds;
    std::optional<std::string> savePath;
    bool exit = false;
};

struct CommandLineResult {
    bool ok = false;
    CommandLineOptions options;
    // When not ok: what is wrong, naming the option or the value.
    std::string error;
};

// The arguments after the program's name in a whole command line as GetCommandLineA gives
// it: the name is one word, or the text between its quotes, with no other quoting.
std::string_view CommandLineTail(std::string_view whole);

// Splits the arguments as Windows programs do: spaces and tabs separate them except
// between double quotes; 2n backslashes before a quote give n backslashes and the quote
// opens or closes quoting, 2n+1 give n backslashes and a plain quote; backslashes
// elsewhere are plain; two quotes inside quoting give one plain quote. "" is an empty
// argument.
std::vector<std::string> SplitCommandLine(std::string_view tail);

// Parses the arguments after the program's name; an error is in the words of `texts`.
CommandLineResult ParseCommandLine(std::string_view tail, const UiTextTable& texts = EnglishUiText());

// The usage text shown with an error.
inline const std::string& CommandLineUsage(const UiTextTable& texts = EnglishUiText())
{
    return texts[TXT_USAGE];
}
