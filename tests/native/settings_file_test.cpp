// Record file: framing, cuts, lookups, number conversion and the exact bytes written.
#include "core/SettingsFile.h"

#include "tests/native/TestFiles.h"

#include <string>

namespace {

using namespace std::string_literals;

class SettingsFileTest : public TempFolderTest
{
protected:
    SettingsFileTest() : TempFolderTest("cfg.txt") {}
};

// The record layout written out by hand, independent of the code under test.
std::string Rec(const std::string& key, const std::string& value)
{
    return std::string("\x01") + key + "\x02" + "\r\n" + value + "\x03" + "\r\n\r\n";
}

TEST_F(SettingsFileTest, FilesWithoutRecordsReadAsEmptyLists)
{
    CSettingsFile file;
    Put("COM_PORT=1\r\nBAUD_RATE=9600\r\n");
    EXPECT_TRUE(file.Read(m_path));
    EXPECT_TRUE(file.Entries().empty());

    Put("");
    EXPECT_TRUE(file.Read(m_path));
    EXPECT_TRUE(file.Entries().empty());

    // A failed read keeps what was there.
    file.SetString("KEEP", "me");
    EXPECT_FALSE(file.Read(m_dir + "/missing.txt"));
    EXPECT_FALSE(file.Read(""));
    ASSERT_EQ(file.Entries().size(), 1u);
    EXPECT_EQ(file.Entries()[0].key, "KEEP");
}

TEST_F(SettingsFileTest, FramingBytesDelimitKeysAndValues)
{
    Put("junk" + Rec("A", "1") + "\r\n between \x03\x02" +
        Rec("B", "\r\n\r\n  two\r\nlines  ") +  // only the separator CR LF comes off
        "\x01K\x01\x03Y\x02\r\nv\x01\x02w\x03" +  // SOH/ETX in a key, SOH/STX in a value
        "\x01" "C\x02" "no separator\x03" +
        "\x01\x02\r\nx\x03" +                     // empty key
        "\x01Z\0ZZ\x02\r\nab\0cd\x03"s +           // a zero byte ends a text
        "\x01" "CUT\x02\r\npartial");             // record cut off by the end of the file
    CSettingsFile file;
    ASSERT_TRUE(file.Read(m_path));
    ASSERT_EQ(file.Entries().size(), 6u);
    EXPECT_EQ(file.Entries()[0].key, "A");
    EXPECT_EQ(file.Entries()[0].value, "1");
    EXPECT_EQ(file.Entries()[1].value, "\r\n\r\n  two\r\nlines  ");
    EXPECT_EQ(file.Entries()[2].key, "K\x01\x03Y");
    EXPECT_EQ(file.Entries()[2].value, "v\x01\x02w");
    EXPECT_EQ(file.Entries()[3].value, "no separator");
    EXPECT_EQ(file.Entries()[4].key, "");
    EXPECT_EQ(file.Entries()[4].value, "x");
    EXPECT_EQ(file.Entries()[5].key, "Z");
    EXPECT_EQ(file.Entries()[5].value, "ab");
    ASSERT_NE(file.Find(""), nullptr);
    EXPECT_EQ(file.Find("")->value, "x");
    EXPECT_EQ(file.Find("CUT"), nullptr);
}

TEST_F(SettingsFileTest, LongKeysAndValuesAreCut)
{
    const std::string key60(60, 'K');
    const std::string value3000(3000, 'v');
    Put(Rec(key60, "1") + Rec("LONG", value3000) + Rec("CRLF", "\r\n" + value3000));
    CSettingsFile file;
    ASSERT_TRUE(file.Read(m_path));
    ASSERT_EQ(file.Entries().size(), 3u);
    EXPECT_EQ(file.Entries()[0].key, key60.substr(0, 50));
    EXPECT_TRUE(file.Entries()[1].value == value3000.substr(0, 2048));
    // The separator comes off before the cut, a line break of the value itself after it.
    EXPECT_TRUE(file.Entries()[2].value == "\r\n" + value3000.substr(0, 2046));

    EXPECT_EQ(file.Find(key60), nullptr);
    EXPECT_NE(file.Find(key60.substr(0, 50)), nullptr);
    // The full key isn't found, so a setter adds a second record under the cut key.
    file.SetInt(key60, 2);
    ASSERT_EQ(file.Entries().size(), 4u);
    EXPECT_EQ(file.Entries()[3].key, key60.substr(0, 50));

    file.SetString("NEW", value3000);
    EXPECT_EQ(file.Find("NEW")->value.size(), 2048u);
    file.SetString(std::string(50, 'K') + "\0tail"s, "zero ends the key");
    EXPECT_EQ(file.Entries()[0].value, "zero ends the key");
}

TEST_F(SettingsFileTest, LookupsIgnoreCaseAndFindTheFirstRecord)
{
    Put(Rec("COM_PORT", "1") + Rec("com_port", "2") + Rec("COM_PORT", "3"));
    CSettingsFile file;
    ASSERT_TRUE(file.Read(m_path));
    EXPECT_EQ(file.Entries().size(), 3u);
    int32_t port = 0;
    EXPECT_TRUE(file.GetInt("Com_Port", port));
    EXPECT_EQ(port, 1);

    // The setter changes the first record in place and keeps its spelling.
    file.SetInt("com_PORT", 7);
    EXPECT_EQ(file.Entries()[0].key, "COM_PORT");
    EXPECT_EQ(file.Entries()[0].value, "7");
    EXPECT_EQ(file.Entries()[1].value, "2");
    EXPECT_EQ(file.Entries().size(), 3u);
    // Case folding is ASCII only.
    file.SetString("\xC4", "a");
    EXPECT_EQ(file.Find("\xE4"), nullptr);

    // Both ends of the alphabet fold; the bytes beside them, 0x20 apart as the two cases
    // are, do not.
    const struct {
        const char* stored;
        const char* asked;
        bool found;
    } keys[] = {{"AZ", "az", true}, {"az", "AZ", true}, {"aZ_Y", "Az_y", true},
                {"@", "`", false},  {"[", "{", false},  {"`{", "@[", false}};
    for (const auto& k : keys) {
        CSettingsFile one;
        one.SetString(k.stored, "v");
        EXPECT_EQ(one.Find(k.asked) != nullptr, k.found) << k.stored << " asked as " << k.asked;
    }
}

TEST_F(SettingsFileTest, NumbersConvertWithoutValidation)
{
    CSettingsFile file;
    file.SetString("N", "abc");
    int32_t n = 99;
    EXPECT_TRUE(file.GetInt("N", n));
    EXPECT_EQ(n, 0);
    n = 99;
    EXPECT_FALSE(file.GetInt("MISSING", n));
    EXPECT_EQ(n, 99);
    uint8_t b = 9;
    EXPECT_FALSE(file.GetByte("MISSING", b));
    EXPECT_EQ(b, 9);

    EXPECT_EQ(CSettingsFile::ToNumber("12abc"), 12);
    EXPECT_EQ(CSettingsFile::ToNumber(" -5"), -5);
    EXPECT_EQ(CSettingsFile::ToNumber("\t\r\n+42"), 42);
    EXPECT_EQ(CSettingsFile::ToNumber("- 5"), 0);
    EXPECT_EQ(CSettingsFile::ToNumber(""), 0);
    EXPECT_EQ(CSettingsFile::ToNumber("-2147483648"), INT32_MIN);
    EXPECT_EQ(CSettingsFile::ToNumber("99999999999999999999"), INT32_MAX);
    EXPECT_EQ(CSettingsFile::ToNumber("-99999999999999999999"), INT32_MIN);

    file.SetByte("B", 200);
    EXPECT_EQ(file.Find("B")->value, "200");
    file.SetString("B", "300");
    EXPECT_TRUE(file.GetByte("B", b));
    EXPECT_EQ(b, 44);
    file.SetString("B", "-1");
    EXPECT_TRUE(file.GetByte("B", b));
    EXPECT_EQ(b, 255);
    file.SetInt("I", -123);
    file.SetLong("L", INT32_MIN);
    EXPECT_EQ(file.Find("I")->value, "-123");
    EXPECT_EQ(file.Find("L")->value, "-2147483648");
    std::string s = "untouched";
    EXPECT_FALSE(file.GetString("NOPE", s));
    EXPECT_EQ(s, "untouched");
}

TEST_F(SettingsFileTest, WriteProducesTheExactRecordsAndReadsBack)
{
    CSettingsFile file;
    file.SetInt("COM_PORT", 1);
    file.SetString("", "skipped");
    file.SetString("TEXT", "line1\r\nline2");
    file.SetString("LEAD", "\r\nstarts with a break");
    file.SetString("EMPTY", "");
    ASSERT_TRUE(file.Write(m_path));
    EXPECT_EQ(Get(), Rec("COM_PORT", "1") + Rec("TEXT", "line1\r\nline2") +
                         Rec("LEAD", "\r\nstarts with a break") + Rec("EMPTY", ""));
    // The record of COM_PORT with 1 is the 18 bytes listed for the format.
    EXPECT_EQ(Rec("COM_PORT", "1").size(), 18u);
    EXPECT_EQ(file.Entries().size(), 5u);  // writing leaves the list alone

    CSettingsFile back;
    ASSERT_TRUE(back.Read(m_path));
    ASSERT_EQ(back.Entries().size(), 4u);
    EXPECT_EQ(back.Find("TEXT")->value, "line1\r\nline2");
    EXPECT_EQ(back.Find("LEAD")->value, "\r\nstarts with a break");
    EXPECT_EQ(back.Find("EMPTY")->value, "");

    // Rewriting replaces a longer file completely.
    CSettingsFile small;
    small.SetInt("A", 1);
    ASSERT_TRUE(small.Write(m_path));
    EXPECT_EQ(Get(), Rec("A", "1"));

    EXPECT_FALSE(small.Write(""));
    EXPECT_FALSE(small.Write(m_dir + "/no/such/dir/cfg.txt"));
}

}  // namespace
