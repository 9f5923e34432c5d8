// Path parts and list-item numbers used by the main window.
#include <gtest/gtest.h>

#include "core/PathParts.h"
#include "core/DigitValue.h"
#include "core/PortList.h"

TEST(PathParts, SplitAtTheLastBackslash)
{
    EXPECT_EQ(DirectoryPart("C:\\Tools\\Reader.exe"), "C:\\Tools\\");
    EXPECT_EQ(FileNamePart("C:\\Tools\\Reader.exe"), "Reader.exe");
    EXPECT_EQ(DirectoryPart("D:\\x.txt"), "D:\\");
    EXPECT_EQ(FileNamePart("D:\\x.txt"), "x.txt");
    EXPECT_EQ(DirectoryPart("Out.txt"), "");
    EXPECT_EQ(FileNamePart("Out.txt"), "Out.txt");
    EXPECT_EQ(DirectoryPart("C:\\Data\\"), "C:\\Data\\");
    EXPECT_EQ(FileNamePart("C:\\Data\\"), "");
}

TEST(DigitValue, KeepsOnlyTheDigits)
{
    EXPECT_EQ(DigitValue("COM8"), 8);
    EXPECT_EQ(DigitValue("COM12"), 12);
    EXPECT_EQ(DigitValue("115200"), 115200);
    EXPECT_EQ(DigitValue("C1O2"), 12);
    EXPECT_EQ(DigitValue("COM"), 0);
    EXPECT_EQ(DigitValue(""), 0);
    EXPECT_EQ(DigitValue("99999999999999999999"), 2147483647);
}

TEST(PortList, ShowsThePortsPresentAndKeepsTheSelectedOneWhereItsNumberGoes)
{
    using Ports = std::vector<std::string>;
    const struct {
        Ports present;
        std::string selected;
        Ports shown;
    } cases[] = {
        {{"COM3", "COM1", "COM3"}, "", {"COM3", "COM1", "COM3"}},  // the library's order, duplicates too
        {{}, "", {}},
        {{"COM3", "COM1", "COM3"}, "COM1", {"COM3", "COM1", "COM3"}},  // present: nothing added
        {{"COM7", "COM12"}, "COM9", {"COM7", "COM9", "COM12"}},        // gone, kept between
        {{"COM2", "COM10"}, "COM1", {"COM1", "COM2", "COM10"}},        // before all
        {{"COM2", "COM10"}, "COM11", {"COM2", "COM10", "COM11"}},      // after all
        {{"COM9", "COM3"}, "COM5", {"COM5", "COM9", "COM3"}},          // before the first higher one
        {{}, "COM255", {"COM255"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FollowedPortList(c.present, c.selected), c.shown) << c.selected;
    EXPECT_EQ(ComPortName(1), "COM1");
    EXPECT_EQ(ComPortName(255), "COM255");
}
