// Arbitrary bytes as a language file: the marked texts and the all-or-nothing replacement.
#include "core/UiText.h"

#include "tests/fuzz/FuzzInput.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const CFuzzFile s_file("korvex_language_fuzz");
    if (!s_file.Put(data, size))
        return 0;

    std::vector<std::string> texts;
    Check(ReadMarkedEntries(s_file.Path(), texts));
    // Each text costs its two markers, and no escape yields more bytes than it takes.
    size_t total = 0;
    for (const std::string& text : texts)
        total += text.size() + 6;
    Check(total <= size);

    UiTextTable uiText;
    const std::string before = uiText[TXT_START];
    uiText.LoadLanguage(s_file.Path());
    if (texts.size() >= size_t{TXT_BASE_COUNT} && texts.size() <= size_t{TXT_COUNT}) {
        for (size_t i = 0; i < texts.size(); ++i)
            Check(uiText[static_cast<int>(i)] == texts[i]);
    } else {
        Check(uiText[TXT_START] == before);
    }
    return 0;
}
