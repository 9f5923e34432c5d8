// Arbitrary bytes as translation and invalid-character files, then as received data.
#include "core/LineAssembler.h"
#include "core/TranslationTables.h"

#include "tests/fuzz/FuzzInput.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const CFuzzFile s_file("korvex_table_fuzz");
    if (!s_file.Put(data, size))
        return 0;

    TranslationTables tables;
    const bool translationLoaded = tables.LoadTranslationFile(s_file.Path());
    const int translationCount = tables.GetTranslationCount();
    Check(translationCount >= 0 && translationCount <= TranslationTables::kTableSize);
    Check(translationLoaded == (translationCount > 0));
    std::vector<uint8_t> table;
    Check(tables.CopyTranslationTable(table));
    Check(table.size() == static_cast<size_t>(translationCount));

    const bool invalidLoaded = tables.LoadInvalidCharFile(s_file.Path());
    const int invalidCount = tables.GetInvalidCount();
    Check(invalidCount >= 0 && invalidCount <= TranslationTables::kTableSize);
    Check(invalidLoaded == (invalidCount > 0));
    // Every value file has at least as many values read as invalid chars as as translations.
    Check(!translationLoaded || invalidCount == 0 || invalidCount >= translationCount);
    if (!invalidLoaded)
        for (int b = 0; b < 256; ++b)
            Check(!tables.IsInvalidChar(static_cast<uint8_t>(b)));

    // The same bytes as received data, through the tables just loaded, in reads of up to 512.
    CLineAssembler assembler(
        tables, table, [] { return LineFormat{3, false}; },
        [](std::string&& text, bool) {
            Check(text.size() >= 3 && text.find('\0') == std::string::npos);
        });
    for (size_t pos = 0; pos < size; pos += 512)
        assembler.Feed(data + pos, size - pos < 512 ? size - pos : 512, 512);
    return 0;
}
