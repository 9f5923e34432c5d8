// Built with ThreadSanitizer: an acquisition run as the window starts it, while the
// window's thread changes the settings and loads other tables meanwhile. The worker
// works only on its own copies of the tables and reads the line format through the
// shared atomic word; TSan must find no race, every line must keep the run's tables,
// and no line may see half of a format change.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/AppSettings.h"
#include "core/LineAssembler.h"
#include "core/LineQueue.h"
#include "core/TranslationTables.h"

namespace {

// A translation file: lower-case letters to the given letter case, the rest unchanged.
std::string TableFile(const std::string& name, bool upper)
{
    std::string text = "header\n";
    for (int row = 0; row < 16; ++row) {
        text += "r" + std::to_string(row);
        for (int col = 0; col < 16; ++col) {
            const int b = row * 16 + col;
            text += ";" + std::to_string(b >= 'a' && b <= 'z' ? (upper ? b - 32 : '#') : b);
        }
        text += "\n";
    }
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string InvalidFile(const std::string& name, const std::string& values)
{
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << values;
    return path;
}

}  // namespace

TEST(SettingsChange, ARunKeepsItsTablesAndReadsTheLineFormatWithoutARace)
{
    // The window opens: its tables, loaded on its own thread.
    TranslationTables loaded;
    std::vector<uint8_t> translationArray;
    LoadTranslationTable(loaded, TableFile("korvex_tsan_upper.txt", true), translationArray);
    ASSERT_EQ(translationArray.size(), 256u);
    TranslationTables windowInvalid;
    ASSERT_TRUE(windowInvalid.LoadInvalidCharFile(InvalidFile("korvex_tsan_invalid.txt", "0x7E")));  // '~'

    // Start: the run's own copies, then the worker.
    AppSettings settings;
    settings.indent = 0;
    settings.updateListPosition = 0;
    CSharedLineFormat format;
    format.Store(LineFormat{settings.indent, settings.updateListPosition != 0});
    const TranslationTables runTranslation = TranslationWith(loaded, translationArray);
    const TranslationTables runInvalid = windowInvalid;
    CLineQueue queue;
    const int kLines = 20000;
    std::thread worker([&] {
        CLineAssembler assembler(
            runInvalid, runTranslation, [&] { return format.Load(); },
            [&](std::string&& text, bool follow) { queue.PushLine(std::move(text), follow); });
        const std::string line = "ab~c\r";
        for (int i = 0; i < kLines; ++i)
            assembler.Feed(reinterpret_cast<const uint8_t*>(line.data()), line.size(), line.size());
        queue.PushRunEnded("");
    });

    // Meanwhile the window's thread changes the settings as the controls do, and loads
    // other tables (a font change, a new table file: whatever it does on its own).
    std::vector<std::pair<std::string, bool>> received;
    int change = 0;
    for (bool ended = false; !ended;) {
        std::vector<LineQueueItem> items;
        queue.TakeAll(items);
        for (LineQueueItem& item : items) {
            if (item.kind == LineQueueItem::Kind::RunEnded)
                ended = true;
            else
                received.emplace_back(std::move(item.text), item.follow);
        }
        ++change;
        settings.indent = change % 7;
        settings.updateListPosition = change % 7 % 2;  // odd indentations follow
        settings.listFontSize = 8 + change % 5;
        format.Store(LineFormat{settings.indent, settings.updateListPosition != 0});
        if (change % 50 == 0) {
            LoadTranslationTable(loaded, TableFile("korvex_tsan_hash.txt", false), translationArray);
            windowInvalid.LoadInvalidCharFile(InvalidFile("korvex_tsan_invalid2.txt", "0x61;0x62"));
            EXPECT_EQ(TranslateText(loaded, "ab", translationArray), "##");
        }
        std::this_thread::yield();
    }
    worker.join();

    ASSERT_EQ(received.size(), static_cast<size_t>(kLines));
    for (const auto& [text, follow] : received) {
        const size_t indent = text.find_first_not_of(' ');
        ASSERT_NE(indent, std::string::npos);
        ASSERT_LT(indent, 7u);
        ASSERT_EQ(text.substr(indent), "ABC") << "the run's own tables, whatever was loaded since";
        ASSERT_EQ(follow, indent % 2 == 1) << "a line saw half of a format change";
    }
    EXPECT_GT(change, 1);
}
