// Cutting received bytes into indented, translated lines, across reads of any size.
#include "core/LineAssembler.h"

#include "tests/native/TestFiles.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

struct Line {
    std::string text;
    bool follow;
    bool operator==(const Line& other) const { return text == other.text && follow == other.follow; }
};

std::ostream& operator<<(std::ostream& os, const Line& line)
{
    return os << '"' << line.text << '"' << (line.follow ? " follow" : "");
}

std::vector<uint8_t> Identity()
{
    std::vector<uint8_t> table(256);
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<uint8_t>(i);
    return table;
}

TranslationTables InvalidChars(const std::string& values)
{
    TranslationTables tables;
    if (!values.empty()) {
        EXPECT_TRUE(tables.LoadInvalidCharFile(PutTempFile("korvex_la_invalid", values)));
    }
    return tables;
}

// An assembler whose indentation and follow flag can be changed between lines.
struct Rig {
    explicit Rig(std::vector<uint8_t> table, const std::string& invalid = "")
        : translation(std::move(table)),
          invalidChars(InvalidChars(invalid)),
          assembler(
              invalidChars, translation, [this] { return LineFormat{indent, follow}; },
              [this](std::string&& text, bool f) { lines.push_back(Line{text, f}); })
    {
    }

    void Feed(const std::string& bytes)
    {
        assembler.Feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), bytes.size());
    }

    std::vector<uint8_t> translation;
    TranslationTables invalidChars;
    int indent = 0;
    bool follow = false;
    std::vector<Line> lines;
    CLineAssembler assembler;
};

}  // namespace

TEST(LineAssembler, CarriageReturnEndsLinesAcrossReads)
{
    Rig rig(Identity());
    rig.Feed(std::string("AB\r\nCD\r", 7));
    EXPECT_EQ(rig.lines, (std::vector<Line>{{"AB", false}, {"CD", false}}));

    rig.lines.clear();
    rig.Feed("AB");
    EXPECT_TRUE(rig.lines.empty());
    EXPECT_EQ(rig.assembler.PendingLine(), "AB");
    rig.Feed("\r");
    rig.Feed("\r\r");  // two CRs in a row: empty lines
    EXPECT_EQ(rig.lines, (std::vector<Line>{{"AB", false}, {"", false}, {"", false}}));

    rig.lines.clear();
    rig.Feed("EF");
    rig.assembler.Reset();  // a stop drops the partial line
    rig.Feed("G\r");
    EXPECT_EQ(rig.lines, (std::vector<Line>{{"G", false}}));
}

TEST(LineAssembler, IndentationAndFollowAreReadPerLine)
{
    Rig rig(Identity());
    rig.indent = 3;
    rig.follow = true;
    rig.Feed("AB\r");
    rig.indent = 0;
    rig.follow = false;
    rig.Feed("CD\r");
    rig.indent = -4;
    rig.Feed("E\r");
    rig.indent = 1000;
    rig.Feed("F\r");
    EXPECT_EQ(rig.lines, (std::vector<Line>{{"   AB", true},
                                            {"CD", false},
                                            {"E", false},
                                            {std::string(50, ' ') + "F", false}}));

    // A change made while lines of the same read are being delivered applies to the next one.
    Rig live(Identity());
    CLineAssembler assembler(
        live.invalidChars, live.translation, [&live] { return LineFormat{live.indent, false}; },
        [&live](std::string&& text, bool) {
            live.lines.push_back(Line{text, false});
            live.indent += 2;
        });
    const std::string bytes = "a\rb\rc\r";
    assembler.Feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), bytes.size());
    EXPECT_EQ(live.lines, (std::vector<Line>{{"a", false}, {"  b", false}, {"    c", false}}));
}

TEST(LineAssembler, DroppedBytes)
{
    Rig rig(Identity(), "0x41;0x7F");
    rig.indent = 2;
    rig.Feed(std::string("XA\0Y\x7F\nZ\r", 8));
    // A line made only of dropped bytes still gives its indentation.
    rig.Feed(std::string("A\0\n\x7F\r", 5));
    EXPECT_EQ(rig.lines, (std::vector<Line>{{"  XYZ", false}, {"  ", false}}));
}

TEST(LineAssembler, ZeroTranslationEndsTheVisibleLine)
{
    std::vector<uint8_t> table = Identity();
    table['C'] = 0;
    Rig rig(table);
    rig.indent = 3;
    rig.Feed("ABCD\rCx\r");
    EXPECT_EQ(rig.lines, (std::vector<Line>{{"   AB", false}, {"   ", false}}));

    // Without any table every byte translates to 0 and only the indentation is left.
    Rig bare(std::vector<uint8_t>(256, 0));
    bare.indent = 1;
    bare.Feed("hello\r");
    EXPECT_EQ(bare.lines, (std::vector<Line>{{" ", false}}));
}

TEST(LineAssembler, ReportedCountIsHeldToTheBuffer)
{
    Rig rig(Identity());
    // Exactly-sized heap buffer: reading past it would trip the address sanitizer.
    std::vector<uint8_t> buffer{'A', 'B', '\r', 'C'};
    rig.assembler.Feed(buffer.data(), buffer.size(), 100000);
    rig.assembler.Feed(buffer.data(), buffer.size(), 0);
    rig.assembler.Feed(nullptr, 512, 512);
    EXPECT_EQ(rig.lines, (std::vector<Line>{{"AB", false}}));
    EXPECT_EQ(rig.assembler.PendingLine(), "C");
    rig.assembler.Feed(buffer.data(), buffer.size(), 3);
    EXPECT_EQ(rig.lines, (std::vector<Line>{{"AB", false}, {"CAB", false}}));
}

// Random dumps split at random read boundaries give exactly the lines of a whole-buffer decoder.
TEST(LineAssembler, MatchesWholeBufferDecoding)
{
    std::mt19937 rng(20240611);
    const uint8_t invalid[] = {0x01, 0x1B, 0x41, 0xFE};
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> table(256);
        for (auto& entry : table)
            entry = (rng() % 20 == 0) ? 0 : static_cast<uint8_t>(rng() % 255 + 1);
        Rig rig(table, round % 3 == 0 ? "" : "1;0x1B;65;-2");
        const bool useInvalid = round % 3 != 0;
        int lineNo = 0;
        auto indentOf = [](int n) { return (n * 7) % 61 - 5; };  // runs below 0 and above 50
        CLineAssembler assembler(
            rig.invalidChars, rig.translation,
            [&] { return LineFormat{indentOf(lineNo), lineNo % 2 == 1}; },
            [&](std::string&& text, bool follow) {
                rig.lines.push_back(Line{text, follow});
                ++lineNo;
            });

        std::vector<uint8_t> dump(rng() % 4000);
        for (auto& b : dump) {
            const unsigned pick = rng() % 10;
            b = pick == 0 ? 0x0D : pick == 1 ? 0x0A : pick == 2 ? 0x00
              : pick == 3 ? invalid[rng() % 4] : static_cast<uint8_t>(rng());
        }

        // Reference: split the whole dump at every CR.
        std::vector<Line> expected;
        std::string current;
        for (uint8_t b : dump) {
            if (b == 0x0D) {
                const int n = static_cast<int>(expected.size());
                std::string text(static_cast<size_t>(std::min(50, std::max(0, indentOf(n)))), ' ');
                for (char c : current) {
                    const uint8_t t = table[static_cast<uint8_t>(c)];
                    if (t == 0)
                        break;
                    text.push_back(static_cast<char>(t));
                }
                expected.push_back(Line{text, n % 2 == 1});
                current.clear();
                continue;
            }
            const bool dropped = b == 0x00 || b == 0x0A ||
                                 (useInvalid && (b == 0x01 || b == 0x1B || b == 0x41 || b == 0xFE));
            if (!dropped)
                current.push_back(static_cast<char>(b));
        }

        for (size_t pos = 0; pos < dump.size();) {
            const size_t chunk = std::min<size_t>(dump.size() - pos, rng() % 600);
            std::vector<uint8_t> read(dump.begin() + pos, dump.begin() + pos + chunk);
            assembler.Feed(read.data(), read.size(), read.size());
            pos += chunk;
        }
        ASSERT_EQ(rig.lines, expected) << "round " << round;
        ASSERT_EQ(assembler.PendingLine(), current) << "round " << round;
    }
}
