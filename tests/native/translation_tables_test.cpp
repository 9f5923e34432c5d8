// Value files, table operations and the shared-instance helpers of the translation tables.
#include "core/TranslationTables.h"

#include "tests/native/TestFiles.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string WriteFile(const std::string& name, const std::string& content)
{
    return PutTempFile("korvex_tt_" + name, content);
}

std::vector<uint8_t> Translation(const TranslationTables& tables)
{
    std::vector<uint8_t> out;
    tables.CopyTranslationTable(out);
    return out;
}

// The invalid table's values, read back through IsInvalidChar for a file of single values.
uint8_t InvalidValue(const std::string& field)
{
    TranslationTables tables;
    if (!tables.LoadInvalidCharFile(WriteFile("value", field)) || tables.GetInvalidCount() != 1)
        return 0xAA;  // sentinel that none of the callers expects
    for (int b = 0; b < 256; ++b)
        if (tables.IsInvalidChar(static_cast<uint8_t>(b)))
            return static_cast<uint8_t>(b);
    return 0xAA;
}

// Loads via the translation path and returns the stored values (header line "H").
std::vector<uint8_t> TranslationValues(const std::string& body)
{
    TranslationTables tables;
    tables.LoadTranslationFile(WriteFile("tab", "H\n" + body));
    return Translation(tables);
}

}  // namespace

TEST(TranslationTables, HeaderAndRowLabelsAreSkippedOnlyInTranslationFiles)
{
    const std::string path = WriteFile("grid", "H\n00;65;66\n01;0x43;0x44");
    TranslationTables tables;
    EXPECT_TRUE(tables.LoadTranslationFile(path));
    EXPECT_EQ(Translation(tables), (std::vector<uint8_t>{65, 66, 0x43, 0x44}));

    EXPECT_TRUE(tables.LoadInvalidCharFile(path));
    EXPECT_EQ(tables.GetInvalidCount(), 7);
    for (int b : {0, 65, 66, 1, 0x43, 0x44})
        EXPECT_TRUE(tables.IsInvalidChar(static_cast<uint8_t>(b))) << b;
    EXPECT_FALSE(tables.IsInvalidChar(2));
    EXPECT_FALSE(tables.IsInvalidChar(0x45));
}

TEST(TranslationTables, SeparatedFieldsAndTail)
{
    TranslationTables tables;
    EXPECT_TRUE(tables.LoadTranslationFile(WriteFile("f1", "H\nR;1;;2\nR;3;4;\n7\n7;\n\n")));
    // Empty separated field counts as 0, a trailing ';' has no tail value, a lone field is a value.
    EXPECT_EQ(Translation(tables), (std::vector<uint8_t>{1, 0, 2, 3, 4, 7}));

    EXPECT_TRUE(tables.LoadInvalidCharFile(WriteFile("f2", "1;;2\n1;2;\n")));
    EXPECT_EQ(tables.GetInvalidCount(), 5);  // 1, 0, 2, 1, 2
    EXPECT_TRUE(tables.IsInvalidChar(0));

    // A line of only spaces is a non-empty tail: value 0.
    EXPECT_EQ(TranslationValues("   \n"), (std::vector<uint8_t>{0}));
}

TEST(TranslationTables, FieldValues)
{
    EXPECT_EQ(InvalidValue("   0x41"), 0x41);
    EXPECT_EQ(InvalidValue("\t0x41"), 0);  // the tab stays, atoi stops at the 'x'
    EXPECT_EQ(InvalidValue("0X4142"), 0x41);
    EXPECT_EQ(InvalidValue("0x4"), 0);
    EXPECT_EQ(InvalidValue("0x"), 0);
    EXPECT_EQ(InvalidValue("0xFF"), 255);
    EXPECT_EQ(InvalidValue("0x7f"), 0x7F);  // lower-case hex letters read as upper case
    EXPECT_EQ(InvalidValue("0xaB"), 0xAB);
    EXPECT_EQ(InvalidValue("256"), 0);
    EXPECT_EQ(InvalidValue("300"), 44);
    EXPECT_EQ(InvalidValue("-1"), 255);
    EXPECT_EQ(InvalidValue("+65xyz"), 65);
    EXPECT_EQ(InvalidValue("\t 12"), 12);  // atoi skips white space of its own
    EXPECT_EQ(InvalidValue("abc"), 0);
    EXPECT_EQ(InvalidValue("99999999999999999999"), 255);  // saturates like strtol
    EXPECT_EQ(InvalidValue("-99999999999999999999"), 0);

    // Every hex digit in both places, the other digit 0, so that neither can hide a wrong
    // value of the other.
    const std::string digits = "0123456789ABCDEFabcdef";
    for (size_t i = 0; i < digits.size(); ++i) {
        const int value = static_cast<int>(i < 16 ? i : i - 6);
        EXPECT_EQ(InvalidValue(std::string("0x") + digits[i] + "0"), value * 16) << digits[i] << " high";
        EXPECT_EQ(InvalidValue(std::string("0x0") + digits[i]), value) << digits[i] << " low";
    }
}

TEST(TranslationTables, LimitsAndFailures)
{
    std::string values512;
    for (int i = 0; i < 512; ++i)
        values512 += std::to_string(i % 256) + (i % 16 == 15 ? "\n" : ";");
    TranslationTables tables;
    EXPECT_TRUE(tables.LoadInvalidCharFile(WriteFile("v512", values512)));
    EXPECT_EQ(tables.GetInvalidCount(), 512);

    EXPECT_FALSE(tables.LoadInvalidCharFile(WriteFile("v513", values512 + "9")));
    EXPECT_EQ(tables.GetInvalidCount(), 0);
    EXPECT_FALSE(tables.IsInvalidChar(9));

    // An overflowing translation file keeps its first 512 values in the table, count 0.
    std::string grid = "H\n";
    for (int i = 0; i < 513; ++i)
        grid += "L;" + std::to_string(i % 256 == 0 ? 1 : i % 256) + "\n";
    EXPECT_FALSE(tables.LoadTranslationFile(WriteFile("t513", grid)));
    EXPECT_EQ(tables.GetTranslationCount(), 0);
    EXPECT_EQ(tables.Translate("\x01\x41\xFF"), "\x01\x41\xFF");

    EXPECT_FALSE(tables.LoadTranslationFile(WriteFile("header", "H;1;2;3\n")));
    EXPECT_FALSE(tables.LoadInvalidCharFile(WriteFile("blank", "\n\r\n\n")));
    EXPECT_FALSE(tables.LoadInvalidCharFile(WriteFile("empty", "")));
    EXPECT_FALSE(tables.LoadInvalidCharFile(""));
    EXPECT_FALSE(tables.LoadTranslationFile(::testing::TempDir() + "korvex_tt_missing/none"));
    EXPECT_EQ(tables.GetTranslationCount(), 0);
    // Every load attempt clears the table first.
    EXPECT_EQ(tables.Translate("\x01\x41"), std::string("\0\0", 2));
}

TEST(TranslationTables, LineEndsAndLongLines)
{
    // The CR of a CR LF goes with the LF, so "1;" keeps no tail; a CR without LF stays in the
    // line as a tail of its own (value 0).
    EXPECT_EQ(TranslationValues("R;1;\r\nR;3\r\nR;5;\r"), (std::vector<uint8_t>{1, 3, 5, 0}));
    // 0x1A is an ordinary byte, not the end of the file.
    EXPECT_EQ(TranslationValues("R;1\n\x1A\nR;2\n"), (std::vector<uint8_t>{1, 0, 2}));

    std::string longLine = "R;" + std::string(100000, ' ') + "5;";
    longLine += std::string(200000, 'x') + ";0x42";
    EXPECT_EQ(TranslationValues(longLine), (std::vector<uint8_t>{5, 0, 0x42}));
}

TEST(TranslationTables, SetCopyTranslate)
{
    TranslationTables tables;
    EXPECT_EQ(tables.GetTranslationCount(), 0);
    EXPECT_EQ(tables.GetInvalidCount(), 0);
    EXPECT_FALSE(tables.IsInvalidChar(0));
    EXPECT_EQ(tables.Translate(nullptr), "");
    EXPECT_EQ(tables.Translate(""), "");

    std::vector<uint8_t> identity(256);
    for (int i = 0; i < 256; ++i)
        identity[i] = static_cast<uint8_t>(i);
    EXPECT_TRUE(tables.SetTranslationTable(identity.data(), 256));
    EXPECT_EQ(tables.Translate("Az\x80\xFF"), "Az\x80\xFF");

    const uint8_t upper[] = {'X', 'Y'};
    EXPECT_FALSE(tables.SetTranslationTable(nullptr, 2));
    EXPECT_FALSE(tables.SetTranslationTable(upper, -1));
    EXPECT_FALSE(tables.SetTranslationTable(upper, 513));
    EXPECT_EQ(tables.GetTranslationCount(), 256);

    // A shorter set keeps the entries beyond it.
    EXPECT_TRUE(tables.SetTranslationTable(upper, 2));
    EXPECT_EQ(tables.GetTranslationCount(), 2);
    EXPECT_EQ(tables.Translate("\x01\x02" "A"), "Y\x02" "A");

    std::vector<uint8_t> copy{9, 9, 9, 9, 9};
    EXPECT_TRUE(tables.CopyTranslationTable(copy));
    EXPECT_EQ(copy, (std::vector<uint8_t>{'X', 'Y'}));
}

TEST(TranslationTables, LoadedTablesHelpers)
{
    TranslationTables loaded;
    std::vector<uint8_t> table{7};
    LoadTranslationTable(loaded, WriteFile("bad", "H\n"), table);
    EXPECT_EQ(table, (std::vector<uint8_t>{7}));  // left as it was on failure

    LoadTranslationTable(loaded, WriteFile("good", "H\nR;0x61;0x62;0x63\n"), table);
    EXPECT_EQ(table, (std::vector<uint8_t>{'a', 'b', 'c'}));
    EXPECT_EQ(TranslateText(loaded, "\x02\x01\x00", table), "cb");
    EXPECT_EQ(TranslateText(loaded, nullptr, table), "");

    // The array goes over the loaded table's first entries for this translation only;
    // an empty array or one that is too long leaves the loaded table as it was.
    EXPECT_EQ(TranslateText(loaded, "\x01", std::vector<uint8_t>()), "b");
    EXPECT_EQ(TranslateText(loaded, "\x01\x02", std::vector<uint8_t>{'Q', 'R'}), "Rc");
    EXPECT_EQ(TranslateText(loaded, "\x01", std::vector<uint8_t>(600, 'Z')), "b");
    EXPECT_EQ(TranslationWith(loaded, std::vector<uint8_t>{'Q', 'R'}).Translate("\x02\x01"), "cR");
    EXPECT_EQ(loaded.Translate("\x02\x01"), "cb") << "no translation writes the loaded table";
}
