// Finding a text in the view's lines: direction, start line, going round the end, letter
// case, and texts that no line can hold.
#include "core/LineFind.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CLineStore Store(const std::vector<std::string>& lines)
{
    CLineStore store;
    EXPECT_TRUE(store.AddLines(lines));
    return store;
}

// Finds from every start line at once: "1 1 2 4 ..." is the line found from start 0, 1, ...
std::string FromEachStart(const CLineFinder& finder, const CLineStore& store, bool down)
{
    std::string found;
    for (int start = 0; start < store.Count(); ++start)
        found += (start ? " " : "") + std::to_string(finder.Find(store, start, down));
    return found;
}

}  // namespace

TEST(LineFind, DownAndUpFromTheStartLineGoRoundTheEndOnce)
{
    const CLineStore store = Store({"Z-report 0001", "TOTAL 12.50", "total 7.00", "", "Subtotal 3.10", "VAT 22%"});

    const CLineFinder anyCase("ToTaL", false);
    EXPECT_EQ(FromEachStart(anyCase, store, true), "1 1 2 4 4 1");
    EXPECT_EQ(FromEachStart(anyCase, store, false), "4 1 2 2 4 4");

    const CLineFinder lower("total", true);
    EXPECT_EQ(FromEachStart(lower, store, true), "2 2 2 4 4 2");
    EXPECT_EQ(FromEachStart(lower, store, false), "4 4 2 2 4 4");
    // The one matching line is found again from itself, from either side.
    const CLineFinder upper("TOTAL", true);
    EXPECT_EQ(FromEachStart(upper, store, true), "1 1 1 1 1 1");
    EXPECT_EQ(FromEachStart(upper, store, false), "1 1 1 1 1 1");

    // A start beyond the lines goes round: the count is the first line, -1 the last.
    EXPECT_EQ(anyCase.Find(store, 6, true), 1);
    EXPECT_EQ(anyCase.Find(store, -1, false), 4);
    EXPECT_EQ(anyCase.Find(store, 13, true), 1);
    EXPECT_EQ(anyCase.Find(store, -8, false), 4);

    EXPECT_EQ(CLineFinder("Totale", false).Find(store, 0, true), -1);
    EXPECT_EQ(CLineFinder("vat 22%", true).Find(store, 3, false), -1);
    EXPECT_EQ(CLineFinder("vat 22%", false).Find(store, 3, false), 5);
    EXPECT_EQ(CLineFinder("", false).Find(store, 0, true), -1) << "an empty text is in no line";
    EXPECT_EQ(CLineFinder(std::string("TOTAL\0 12", 9), true).Find(store, 0, true), -1);
    EXPECT_EQ(anyCase.Find(CLineStore(), 0, true), -1);
    EXPECT_EQ(anyCase.Find(CLineStore(), -1, false), -1);
}

TEST(LineFind, AMatchLiesWithinOneLine)
{
    const CLineStore store = Store({"ab", "cd", "", "xabcd", std::string(5000, 'q') + "tail"});
    // Nothing joins the end of one line to the start of the next.
    EXPECT_EQ(CLineFinder("bc", true).Find(store, 0, true), 3);
    EXPECT_EQ(CLineFinder("dx", true).Find(store, 0, true), -1);
    EXPECT_EQ(CLineFinder("b\nc", true).Find(store, 0, true), -1);
    EXPECT_EQ(CLineFinder("dq", false).Find(store, 0, true), -1);
    // A text longer than every line, a text that is a whole line, one at a line's end.
    EXPECT_EQ(CLineFinder("xabcde", true).Find(store, 0, true), -1);
    EXPECT_EQ(CLineFinder("CD", false).Find(store, 0, true), 1);
    EXPECT_EQ(CLineFinder("cd", true).Find(store, 2, true), 3);
    EXPECT_EQ(CLineFinder("qTAIL", false).Find(store, 0, true), 4);
    EXPECT_EQ(CLineFinder("qtai", true).Find(store, 0, false), 4);

    // Bytes of the text where no match can start, and near misses before a match, do not
    // hide it.
    const CLineFinder digitLast("ab1", false);
    EXPECT_FALSE(digitLast.Matches("1ab"));
    EXPECT_FALSE(digitLast.Matches("ab"));
    EXPECT_TRUE(digitLast.Matches("1AB1"));
    const CLineFinder letters("zq", false);
    EXPECT_TRUE(letters.Matches("zaZQ"));
    EXPECT_TRUE(letters.Matches("ZzQ"));
    EXPECT_FALSE(letters.Matches("zZ q"));
    EXPECT_TRUE(CLineFinder("a", true).Matches("ba"));
    EXPECT_FALSE(CLineFinder("a", true).Matches(""));
}

TEST(LineFind, CaseFollowsTheGivenFoldForEveryByte)
{
    // A code page where 0xC9 and 0xE9 are one letter, and 0xDD is one more form of i.
    CaseFold fold = AsciiCaseFold();
    fold[0xC9] = 0xE9;
    fold[0xDD] = 'i';

    const CLineStore store = Store({"CAF\xC9 2,50", "caf\xE9 1,20", "\xFF\x80 end", "x\xDDiI"});
    EXPECT_EQ(CLineFinder("caf\xE9", false, fold).Find(store, 0, true), 0);
    EXPECT_EQ(CLineFinder("caf\xE9", false, fold).Find(store, 0, false), 0);
    EXPECT_EQ(CLineFinder("Caf\xE9", false).Find(store, 0, true), 1) << "ASCII folding leaves 0xC9 alone";
    EXPECT_EQ(CLineFinder("CAF\xE9", true, fold).Find(store, 0, true), -1) << "with case the fold plays no part";
    EXPECT_EQ(CLineFinder("F\xC9", true, fold).Find(store, 1, true), 0);
    EXPECT_EQ(CLineFinder("\xFF\x80", true).Find(store, 0, true), 2);
    EXPECT_EQ(CLineFinder("\x80 END", false, fold).Find(store, 3, false), 2);
    // Every byte of the text has other forms; one of them has three.
    EXPECT_EQ(CLineFinder("IIi", false, fold).Find(store, 0, true), 3);
    EXPECT_EQ(CLineFinder("iiI", false, fold).Find(store, 0, true), 3);
    EXPECT_EQ(CLineFinder("IIi", false).Find(store, 0, true), -1);
    EXPECT_TRUE(CLineFinder("\xDD", false, fold).Matches("abI"));
}
