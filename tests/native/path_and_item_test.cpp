// Path parts and list-item numbers used by the main window.
#include <gtest/gtest.h>

#include "core/PathParts.h"
#include "core/DigitValue.h"

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
