// The main window's title, which tells the operator how a run goes even when the window
// is behind another or minimised (its taskbar button shows it): the port, whether bytes
// still arrive, how much has come and for how long. After a Load it names the file.
#pragma once

#include <cstdint>
#include <string>

class UiTextTable;

enum class RunState {
    Waiting,    // the port is open and nothing has come yet
    Receiving,  // bytes came within the last two seconds
    Quiet,      // bytes came, then none for two seconds or more
    Stopped,    // the run has ended
};

// No byte for this long, and a receiving run counts as quiet.
constexpr uint64_t kQuietAfterMs = 2000;

// The state of a run that `running` says is on or not, with `bytes` received so far,
// the last of them `msSinceLastByte` ago.
RunState RunStateOf(bool running, uint64_t bytes, uint64_t msSinceLastByte);

// What the title tells of a run.
struct RunFacts {
    int port = 0;
    int baud = 0;
    RunState state = RunState::Waiting;
    uint64_t msSinceLastByte = 0;  // the quiet time: whole seconds of it are shown
    uint64_t lines = 0;
    uint64_t bytes = 0;
    uint64_t elapsedMs = 0;  // since Start, up to now or to the stop
};

// 1234567 with `separator` between groups of three digits: "1 234 567".
std::string GroupedDigits(uint64_t value, const std::string& separator);
// Kilobytes rounded to the nearest, half up; never 0 once a byte came.
uint64_t RoundedKilobytes(uint64_t bytes);
// Hours, minutes and seconds as "0:08:12"; the hours take as many digits as they need.
std::string ElapsedText(uint64_t ms);

// "Korvex - COM5 115200 - receiving - 12 345 lines, 482 KB - 0:08:12".
std::string RunTitle(const UiTextTable& texts, const RunFacts& run);
// "Korvex - Out.txt - 1 200 lines": a loaded file, by its name without the folder.
std::string FileTitle(const UiTextTable& texts, const std::string& fileName, uint64_t lines);
