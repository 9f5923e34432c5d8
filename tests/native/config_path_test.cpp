// Path settings between the program's UTF-8 and the configuration file's single-byte
// code page, with the short-name fallback, through a code page that stands in for the
// system's: Latin-1, short names from a table of existing files and folders.
#include "core/AppSettings.h"
#include "core/ConfigPath.h"

#include "tests/native/TestFiles.h"

#include <map>
#include <string>
#include <vector>

namespace {

class Latin1Codec : public ConfigPathCodec {
public:
    std::map<std::string, std::string> shortForms;  // existing file or folder -> short form
    std::map<std::string, std::string> longForms;   // more spellings with short names in them

    std::string ToPath(const std::string& stored) const override
    {
        std::string out;
        for (unsigned char c : stored) {
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else {
                out += static_cast<char>(0xC0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return out;
    }
    bool ToStored(const std::string& path, std::string& stored) const override
    {
        stored.clear();
        for (size_t i = 0; i < path.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(path[i]);
            if (c < 0x80) {
                stored += static_cast<char>(c);
            } else if ((c == 0xC2 || c == 0xC3) && i + 1 < path.size()) {
                stored += static_cast<char>(((c & 0x03) << 6) | (path[++i] & 0x3F));
            } else {
                return false;
            }
        }
        return true;
    }
    std::string ShortForm(const std::string& path) const override
    {
        const auto it = shortForms.find(path);
        return it == shortForms.end() ? std::string() : it->second;
    }
    std::string LongForm(const std::string& path) const override
    {
        const auto it = longForms.find(path);
        if (it != longForms.end())
            return it->second;
        for (const auto& entry : shortForms) {
            if (entry.second == path)
                return entry.first;
        }
        return std::string();
    }
};

const std::string kOmegaDir = "C:\\\xCE\xA9mega\\";   // C:\Ωmega\ .
const std::string kCafe = "D:\\Caf\xC3\xA9\\Tab.txt";  // D:\Café\Tab.txt, in the code page

std::string Rec(const std::string& key, const std::string& value)
{
    return std::string("\x01") + key + "\x02" + "\r\n" + value + "\x03" + "\r\n\r\n";
}

class ConfigPathTest : public TempFolderTest
{
protected:
    ConfigPathTest() : TempFolderTest("Korvex_Config.txt") {}
    // The value of one key as the file holds it.
    std::string Stored(const std::string& key) const
    {
        const std::string text = Get();
        const std::string head = "\x01" + key + "\x02\r\n";
        const size_t at = text.find(head);
        if (at == std::string::npos)
            return "<none>";
        const size_t from = at + head.size();
        return text.substr(from, text.find('\x03', from) - from);
    }
    Latin1Codec m_codec;
};

TEST_F(ConfigPathTest, CodePageTextIsReadAsUtf8AndWrittenBackAsItWasUnderAFolderOutsideTheCodePage)
{
    Put(Rec("LANGUAGE_FILE", "Korvex_Language_Eng.txt") + Rec("OUTPUT_FILE", "dumps\\Out.txt") +
        Rec("TAB_FILE", "D:\\Caf\xE9\\Tab.txt") + Rec("INVALID_CHAR_FILE", "\\\\srv\\\xC4nd\\Bad.txt"));
    AppSettings s;
    ASSERT_TRUE(LoadSettings(m_path, s, kOmegaDir, m_codec));
    EXPECT_EQ(s.languageFile, kOmegaDir + "Korvex_Language_Eng.txt");
    EXPECT_EQ(s.outputFile, kOmegaDir + "dumps\\Out.txt");
    EXPECT_EQ(s.tabFile, kCafe);
    EXPECT_EQ(s.invalidCharFile, "\\\\srv\\\xC3\x84nd\\Bad.txt");

    std::vector<std::string> notKept;
    ASSERT_TRUE(SaveSettings(m_path, s, kOmegaDir, &notKept, m_codec));
    EXPECT_TRUE(notKept.empty());
    EXPECT_EQ(Stored("LANGUAGE_FILE"), "Korvex_Language_Eng.txt");
    EXPECT_EQ(Stored("OUTPUT_FILE"), "dumps\\Out.txt");
    EXPECT_EQ(Stored("TAB_FILE"), "D:\\Caf\xE9\\Tab.txt");
    EXPECT_EQ(Stored("INVALID_CHAR_FILE"), "\\\\srv\\\xC4nd\\Bad.txt");
}

TEST_F(ConfigPathTest, ANameOutsideTheCodePageIsKeptByItsShortFormOrNotAtAll)
{
    const std::string sigmaDir = "E:\\\xCE\xA3ums\\";  // E:\Σums\ .
    m_codec.shortForms = {
        {sigmaDir + "dump.txt", "E:\\SUMS~1\\DUMP~1.TXT"},
        {sigmaDir + "\xCE\xA9x.txt", "E:\\SUMS~1\\X~1.TXT"},
        {sigmaDir, "E:\\SUMS~1\\"},
        {kOmegaDir, "C:\\MEGA~1\\"},
        {kOmegaDir + "\xCE\xA3ub\\x.txt", "C:\\MEGA~1\\SUB~2\\x.txt"},
        {"F:\\\xCE\xA6\\y.txt", "F:\\\xCE\xA6~1\\y.txt"},  // a short form that is no better
    };
    m_codec.longForms = {{kOmegaDir + "SUB~2\\x.txt", kOmegaDir + "\xCE\xA3ub\\x.txt"}};
    std::string stored = "untouched";
    // The folder's short form and the file's own name, whether the file exists or not
    // (so that a file deleted and made anew is still the one named).
    ASSERT_TRUE(PathToConfig(sigmaDir + "dump.txt", kOmegaDir, m_codec, stored));
    EXPECT_EQ(stored, "E:\\SUMS~1\\dump.txt");
    ASSERT_TRUE(PathToConfig(sigmaDir + "new.txt", kOmegaDir, m_codec, stored));
    EXPECT_EQ(stored, "E:\\SUMS~1\\new.txt");
    // A file whose own name the code page lacks: its own short form while it exists.
    ASSERT_TRUE(PathToConfig(sigmaDir + "\xCE\xA9x.txt", kOmegaDir, m_codec, stored));
    EXPECT_EQ(stored, "E:\\SUMS~1\\X~1.TXT");
    // Under the program's folder: relative to the folder's short form, and read back
    // under the folder's own name.
    ASSERT_TRUE(PathToConfig(kOmegaDir + "\xCE\xA3ub\\x.txt", kOmegaDir, m_codec, stored));
    EXPECT_EQ(stored, "SUB~2\\x.txt");
    // Read back, the short names get their long form again: of the file while it exists,
    // else of its folder; a name that is no short one of anything stays as it is.
    EXPECT_EQ(PathFromConfig(stored, kOmegaDir, m_codec), kOmegaDir + "\xCE\xA3ub\\x.txt");
    EXPECT_EQ(PathFromConfig("E:\\SUMS~1\\X~1.TXT", kOmegaDir, m_codec), sigmaDir + "\xCE\xA9x.txt");
    EXPECT_EQ(PathFromConfig("E:\\SUMS~1\\new.txt", kOmegaDir, m_codec), sigmaDir + "new.txt");
    EXPECT_EQ(PathFromConfig("E:\\SUMS~2\\new.txt", kOmegaDir, m_codec), "E:\\SUMS~2\\new.txt");
    // Nothing to fall back on: a new file whose own name the code page lacks, a folder
    // that does not exist, a short form with the same fault.
    EXPECT_FALSE(PathToConfig(sigmaDir + "\xCE\xA9.txt", kOmegaDir, m_codec, stored));
    EXPECT_FALSE(PathToConfig("G:\\\xCE\xA3\\z.txt", kOmegaDir, m_codec, stored));
    EXPECT_FALSE(PathToConfig("F:\\\xCE\xA6\\y.txt", kOmegaDir, m_codec, stored));
    // What fits the code page goes as it is, and nothing is looked up for it.
    ASSERT_TRUE(PathToConfig(kCafe, kOmegaDir, m_codec, stored));
    EXPECT_EQ(stored, "D:\\Caf\xE9\\Tab.txt");
    ASSERT_TRUE(PathToConfig("", kOmegaDir, m_codec, stored));
    EXPECT_EQ(stored, "");
}

TEST_F(ConfigPathTest, APathThatCannotBeKeptLeavesTheEarlierValueAndIsReported)
{
    Put(Rec("OUTPUT_FILE", "D:\\Old\\Out.txt") + Rec("TAB_FILE", "Tab.txt") + Rec("COM_PORT", "4"));
    AppSettings s;
    ASSERT_TRUE(LoadSettings(m_path, s, kOmegaDir, m_codec));
    s.outputFile = "H:\\\xCE\xA9\\new.txt";
    s.invalidCharFile = "H:\\\xCE\xA9\\bad.txt";  // the file had no such key: it stays empty
    s.tabFile = kCafe;
    std::vector<std::string> notKept;
    ASSERT_TRUE(SaveSettings(m_path, s, kOmegaDir, &notKept, m_codec));
    EXPECT_EQ(notKept, (std::vector<std::string>{"OUTPUT_FILE", "INVALID_CHAR_FILE"}));
    EXPECT_EQ(Stored("OUTPUT_FILE"), "D:\\Old\\Out.txt");
    EXPECT_EQ(Stored("INVALID_CHAR_FILE"), "");
    EXPECT_EQ(Stored("TAB_FILE"), "D:\\Caf\xE9\\Tab.txt");
    EXPECT_EQ(Stored("COM_PORT"), "4");

    const std::string one = NotRememberedMessage({"OUTPUT_FILE"});
    EXPECT_NE(one.find("The name of the output file has"), std::string::npos) << one;
    EXPECT_NE(one.find("not remember it "), std::string::npos) << one;
    const std::string three = NotRememberedMessage({"OUTPUT_FILE", "TAB_FILE", "INVALID_CHAR_FILE"});
    EXPECT_NE(three.find("the output file, the translation table and the invalid-character table"),
              std::string::npos)
        << three;
    EXPECT_NE(three.find("not remember them "), std::string::npos) << three;

    // In a language file's words, the list joined as that language joins it.
    UiTextTable texts;
    texts[TXT_NOT_KEPT_MANY] = "Nomi non salvati: %s.";
    texts[TXT_OUTPUT_FILE] = "uscita";
    texts[TXT_TRANSLATION_TABLE] = "tabella";
    texts[TXT_LANGUAGE_FILE] = "lingua";
    texts[TXT_LIST_COMMA] = "; ";
    texts[TXT_LIST_AND] = " e ";
    EXPECT_EQ(NotRememberedMessage({"OUTPUT_FILE", "TAB_FILE", "LANGUAGE_FILE"}, texts),
              "Nomi non salvati: uscita; tabella e lingua.");
}

}  // namespace
