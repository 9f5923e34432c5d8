// The main window's title: a run's state, its counts as the operator reads them, and
// the title of a run and of a loaded file, in English and in another table's words.
#include "core/RunTitle.h"
#include "core/UiText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

TEST(RunTitle, CountsAndTimesAsTheOperatorReadsThem)
{
    const struct {
        uint64_t value;
        const char* grouped;
    } groups[] = {
        {0, "0"},           {7, "7"},           {999, "999"},
        {1000, "1 000"},    {12345, "12 345"},  {999999, "999 999"},
        {1000000, "1 000 000"}, {4294967296ull, "4 294 967 296"},
    };
    for (const auto& g : groups) {
        EXPECT_EQ(GroupedDigits(g.value, " "), g.grouped) << g.value;
    }
    EXPECT_EQ(GroupedDigits(1234567, "'."), "1'.234'.567") << "the separator is taken as it is";

    const struct {
        uint64_t bytes, kb;
    } sizes[] = {
        {0, 0},          {1, 1},          {511, 1},        {1023, 1},
        {1535, 1},       {1536, 2},       {493568, 482},   {493568 + 511, 482},
        {493568 + 512, 483}, {1023999, 1000}, {1048575, 1024},
    };
    for (const auto& s : sizes) {
        EXPECT_EQ(RoundedKilobytes(s.bytes), s.kb) << s.bytes;
    }

    const struct {
        uint64_t ms;
        const char* text;
    } times[] = {
        {0, "0:00:00"},         {999, "0:00:00"},        {1000, "0:00:01"},         {492999, "0:08:12"},
        {3599000, "0:59:59"},   {3600000, "1:00:00"},    {35999000, "9:59:59"},     {36000000, "10:00:00"},
        {446461000, "124:01:01"},
    };
    for (const auto& t : times) {
        EXPECT_EQ(ElapsedText(t.ms), t.text) << t.ms;
    }
}

TEST(RunTitle, StateFollowsTheRunAndTheLastByte)
{
    const struct {
        bool running;
        uint64_t bytes, msSinceLastByte;
        RunState state;
    } cases[] = {
        {true, 0, 0, RunState::Waiting},         {true, 0, 90000, RunState::Waiting},
        {true, 1, 0, RunState::Receiving},       {true, 1, kQuietAfterMs - 1, RunState::Receiving},
        {true, 300, kQuietAfterMs, RunState::Quiet}, {true, 300, 3600000, RunState::Quiet},
        {false, 0, 0, RunState::Stopped},        {false, 300, 10, RunState::Stopped},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunStateOf(c.running, c.bytes, c.msSinceLastByte), c.state)
            << c.running << " " << c.bytes << " " << c.msSinceLastByte;
    }
}

TEST(RunTitle, TitlesOfARunAndOfAFile)
{
    const UiTextTable english;
    // Another table's words, order and digit grouping: every word comes from it.
    UiTextTable other;
    other[TXT_TITLE_RUN] = "K [COM%s@%s] %s | %s | %s | %s";
    other[TXT_TITLE_FILE] = "%s: %s";
    other[TXT_RUN_WAITING] = "attesa";
    other[TXT_RUN_RECEIVING] = "ricezione";
    other[TXT_RUN_QUIET] = "silenzio da %s s";
    other[TXT_RUN_STOPPED] = "fermo";
    other[TXT_COUNT_LINE] = "%s riga";
    other[TXT_COUNT_LINES] = "%s righe";
    other[TXT_COUNT_KB] = "%s kB";
    other[TXT_DIGIT_GROUP] = ".";

    const struct {
        RunFacts run;
        const char* english;
        const char* other;
    } runs[] = {
        {{5, 115200, RunState::Receiving, 400, 12345, 493568 + 300, 492400},
         "Korvex - COM5 115200 - receiving - 12 345 lines, 482 KB - 0:08:12",
         "K [COM5@115200] ricezione | 12.345 righe | 482 kB | 0:08:12"},
        {{17, 9600, RunState::Waiting, 0, 0, 0, 2900},
         "Korvex - COM17 9600 - waiting for data - 0 lines, 0 KB - 0:00:02",
         "K [COM17@9600] attesa | 0 righe | 0 kB | 0:00:02"},
        {{3, 1200, RunState::Quiet, 2999, 1, 700, 36001000},
         "Korvex - COM3 1200 - quiet for 2 s - 1 line, 1 KB - 10:00:01",
         "K [COM3@1200] silenzio da 2 s | 1 riga | 1 kB | 10:00:01"},
        {{3, 1200, RunState::Quiet, 1234999, 2, 1100, 1240000},
         "Korvex - COM3 1200 - quiet for 1 234 s - 2 lines, 1 KB - 0:20:40",
         "K [COM3@1200] silenzio da 1.234 s | 2 righe | 1 kB | 0:20:40"},
        {{12, 250000, RunState::Stopped, 0, 1000000, 1048576000, 3599999},
         "Korvex - COM12 250000 - stopped - 1 000 000 lines, 1 024 000 KB - 0:59:59",
         "K [COM12@250000] fermo | 1.000.000 righe | 1.024.000 kB | 0:59:59"},
    };
    for (const auto& r : runs) {
        EXPECT_EQ(RunTitle(english, r.run), r.english);
        EXPECT_EQ(RunTitle(other, r.run), r.other);
    }

    // A file's name is shown as it is, a %s or a % in it too.
    EXPECT_EQ(FileTitle(english, "Out.txt", 999), "Korvex - Out.txt - 999 lines");
    EXPECT_EQ(FileTitle(english, "100% %s dump.txt", 1000), "Korvex - 100% %s dump.txt - 1 000 lines");
    EXPECT_EQ(FileTitle(other, "%s.txt", 1), "%s.txt: 1 riga");
    EXPECT_EQ(english[TXT_TITLE_IDLE], "Korvex");
}
