#include "core/PathText.h"

#include <gtest/gtest.h>

TEST(PathText, RoundTripsEveryPlaneAndKeepsAsciiAsIs)
{
    // ASCII, Greek (two bytes), a CJK folder (three bytes) and an emoji (four bytes,
    // a surrogate pair in UTF-16).
    const std::string utf8 = "C:\\\xCE\xA9mega\\\xE6\x97\xA5\xE6\x9C\xAC\\\xF0\x9F\x93\x84 dump.txt";
    const std::u16string wide = PathToUtf16(utf8);
    const std::u16string expected = u"C:\\\u03A9mega\\\u65E5\u672C\\\U0001F4C4 dump.txt";
    EXPECT_EQ(wide, expected);
    EXPECT_EQ(PathFromUtf16(wide), utf8);
    EXPECT_EQ(PathToUtf16("C:\\Korvex\\Out.txt"), u"C:\\Korvex\\Out.txt");
}

TEST(PathText, MalformedInputBecomesReplacementCharacters)
{
    // A stray continuation byte, a truncated sequence at the end, an overlong '/', an
    // encoded surrogate, and a lone surrogate the other way.
    EXPECT_EQ(PathToUtf16("a\x80z"), u"a\uFFFDz");
    EXPECT_EQ(PathToUtf16("a\xE6\x97"), u"a\uFFFD\uFFFD");
    EXPECT_EQ(PathToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(PathToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(PathFromUtf16(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
}
