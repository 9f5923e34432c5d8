// The command line: Windows quoting, every option in both spellings, and an error that
// names what is wrong for each kind of mistake.
#include "core/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using Args = std::vector<std::string>;

std::string ErrorOf(const char* tail)
{
    const CommandLineResult r = ParseCommandLine(tail);
    return r.ok ? "(accepted)" : r.error;
}
}  // namespace

TEST(CommandLine, ArgumentsSplitAsWindowsProgramsSplitThem)
{
    EXPECT_EQ(SplitCommandLine("  /port\t3   dump.txt "), (Args{"/port", "3", "dump.txt"}));
    EXPECT_EQ(SplitCommandLine("\"C:\\My Dumps\\z 1.txt\" /save C:\\out\\b.txt"),
              (Args{"C:\\My Dumps\\z 1.txt", "/save", "C:\\out\\b.txt"}));
    // Quotes may open and close inside a word.
    EXPECT_EQ(SplitCommandLine("/save C:\\Prog\"ram Files\"\\k.txt"), (Args{"/save", "C:\\Program Files\\k.txt"}));
    // Backslashes count only before a quote: 2n give n and a quote that opens or closes,
    // 2n+1 give n and a plain quote.
    EXPECT_EQ(SplitCommandLine("\"C:\\dir\\\\\" next"), (Args{"C:\\dir\\", "next"}));
    EXPECT_EQ(SplitCommandLine("a\\\\\\\"b c\\\\d"), (Args{"a\\\"b", "c\\\\d"}));
    EXPECT_EQ(SplitCommandLine("\"say \"\"hi\"\"\" x"), (Args{"say \"hi\"", "x"}));
    EXPECT_EQ(SplitCommandLine("\"\" \"open end"), (Args{"", "open end"}));
    EXPECT_EQ(SplitCommandLine(""), Args{});
    EXPECT_EQ(SplitCommandLine(" \t "), Args{});

    EXPECT_EQ(CommandLineTail("\"C:\\Program Files\\Korvex\\Korvex.exe\"  /start x"), "/start x");
    EXPECT_EQ(CommandLineTail("Korvex.exe /exit"), "/exit");
    EXPECT_EQ(CommandLineTail("C:\\a\\\"b c\"\\Korvex.exe"), "c\"\\Korvex.exe") << "the name takes no quoting inside";
    EXPECT_EQ(CommandLineTail("Korvex.exe"), "");
}

TEST(CommandLine, EveryOptionAndBothPortForms)
{
    const CommandLineResult all =
        ParseCommandLine("/PORT com12 /baud 115200 /Start /wait 1 /idle-stop 45 /save \"D:\\r 2\\out.txt\" /exit "
                         "\"E:\\dumps\\z 7.txt\"");
    ASSERT_TRUE(all.ok) << all.error;
    EXPECT_EQ(all.options.port, 12);
    EXPECT_EQ(all.options.baud, 115200);
    EXPECT_TRUE(all.options.start);
    EXPECT_EQ(all.options.waitSeconds, 1);
    EXPECT_EQ(all.options.idleStopSeconds, 45);
    EXPECT_EQ(all.options.savePath, std::string("D:\\r 2\\out.txt"));
    EXPECT_TRUE(all.options.exit);
    EXPECT_EQ(all.options.file, "E:\\dumps\\z 7.txt");

    const CommandLineResult number = ParseCommandLine("dump.txt /port 7");
    ASSERT_TRUE(number.ok) << number.error;
    EXPECT_EQ(number.options.port, 7);
    EXPECT_EQ(number.options.file, "dump.txt");

    const CommandLineResult none = ParseCommandLine("");
    ASSERT_TRUE(none.ok);
    EXPECT_FALSE(none.options.port || none.options.baud || none.options.waitSeconds ||
                 none.options.idleStopSeconds || none.options.savePath);
    EXPECT_FALSE(none.options.start || none.options.exit);
    EXPECT_EQ(none.options.file, "");

    // A save path may start with a slash when it names no option.
    const CommandLineResult slash = ParseCommandLine("/save /tmp/k.txt");
    ASSERT_TRUE(slash.ok) << slash.error;
    EXPECT_EQ(slash.options.savePath, std::string("/tmp/k.txt"));
}

TEST(CommandLine, EachMistakeIsNamed)
{
    EXPECT_EQ(ErrorOf("/prot 3"), "Unknown option /prot.");
    EXPECT_EQ(ErrorOf("/port"), "The option /port needs a value.");
    EXPECT_EQ(ErrorOf("/save /exit"), "The option /save needs a value.");
    EXPECT_EQ(ErrorOf("/baud /start"), "The option /baud needs a value.");
    EXPECT_EQ(ErrorOf("/port COMX"), "The port \"COMX\" is neither a number nor COMn.");
    EXPECT_EQ(ErrorOf("/port COM"), "The port \"COM\" is neither a number nor COMn.");
    EXPECT_EQ(ErrorOf("/port 0"), "The port \"0\" is neither a number nor COMn.");
    EXPECT_EQ(ErrorOf("/port -3"), "The port \"-3\" is neither a number nor COMn.");
    EXPECT_EQ(ErrorOf("/port LPT1"), "The port \"LPT1\" is neither a number nor COMn.");
    EXPECT_EQ(ErrorOf("/baud 96OO"), "The baud rate \"96OO\" is not a number.");
    EXPECT_EQ(ErrorOf("/baud 1234567890"), "The baud rate \"1234567890\" is not a number.");
    EXPECT_EQ(ErrorOf("/wait 2.5"), "The time \"2.5\" of /wait is not a whole number of seconds from 1 to 86400.");
    EXPECT_EQ(ErrorOf("/idle-stop x"),
              "The time \"x\" of /idle-stop is not a whole number of seconds from 1 to 86400.");
    EXPECT_EQ(ErrorOf("/save \"\""), "The option /save needs a file name.");
    EXPECT_EQ(ErrorOf("a.txt \"b c.txt\""), "Only one file can be given: \"b c.txt\" is a second one after \"a.txt\".");
    EXPECT_EQ(ErrorOf("\"\""), "An empty file name was given.");
    EXPECT_EQ(ErrorOf("/port 3 /Port 4"), "The option /port is given twice.");
    EXPECT_NE(std::string(CommandLineUsage()).find("/idle-stop S"), std::string::npos);

    // In a language file's words, with the values where its %s stand.
    UiTextTable texts;
    texts[TXT_CMD_BAD_TIME] = "%s: %s non va (1-%s).";
    texts[TXT_CMD_UNKNOWN] = "Opzione %s sconosciuta.";
    texts[TXT_USAGE] = "Uso: Korvex.exe";
    EXPECT_EQ(ParseCommandLine("/wait 0", texts).error, "\"0\": /wait non va (1-86400).");
    EXPECT_EQ(ParseCommandLine("/x%s", texts).error, "Opzione /x%s sconosciuta.");
    EXPECT_EQ(CommandLineUsage(texts), "Uso: Korvex.exe");
}

TEST(CommandLine, TimesAreWholeSecondsFromOneToADay)
{
    // Both ends of the range are taken, each as itself; a millisecond count of the
    // values past it would wrap 32 bits (4294968 to 0.7 s, 4294969 to 1.7 s, which
    // looks like a fair time) or run for days (5000000).
    for (const char* option : {"/wait", "/idle-stop"}) {
        for (int seconds : {1, 86400, 37}) {
            const CommandLineResult r = ParseCommandLine(std::string(option) + " " + std::to_string(seconds));
            ASSERT_TRUE(r.ok) << option << " " << seconds << ": " << r.error;
            const std::optional<int>& taken =
                std::string(option) == "/wait" ? r.options.waitSeconds : r.options.idleStopSeconds;
            const std::optional<int>& other =
                std::string(option) == "/wait" ? r.options.idleStopSeconds : r.options.waitSeconds;
            EXPECT_EQ(taken, seconds) << option;
            EXPECT_FALSE(other) << option;
        }
        for (const char* value : {"0", "00", "86401", "4294968", "4294969", "5000000", "999999999", "-1"}) {
            const std::string tail = std::string(option) + " " + value;
            EXPECT_EQ(ErrorOf(tail.c_str()), "The time \"" + std::string(value) + "\" of " + option +
                                                  " is not a whole number of seconds from 1 to 86400.")
                << tail;
        }
    }
}
