// Arbitrary bytes as a language file: the marked texts and the all-or-nothing replacement.
#include "app/UiText.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// A memory-backed folder where there is one: the file writers sync every file to disk.
std::string TempDir()
{
    return access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/";
}

struct TempFile {
    std::string path = TempDir() + "korvex_language_fuzz_" + std::to_string(getpid());
    ~TempFile() { std::remove(path.c_str()); }
};

const std::string& TempPath()
{
    static const TempFile file;
    return file.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(TempPath().c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    std::vector<std::string> texts;
    Check(ReadMarkedEntries(TempPath(), texts));
    // Each text costs its two markers, and no escape yields more bytes than it takes.
    size_t total = 0;
    for (const std::string& text : texts)
        total += text.size() + 6;
    Check(total <= size);

    ResetUiText();
    const std::string before = UiText[TXT_START];
    LoadLanguage(TempPath());
    if (texts.size() == TXT_COUNT) {
        for (int i = 0; i < TXT_COUNT; ++i)
            Check(UiText[i] == texts[static_cast<size_t>(i)]);
    } else {
        Check(UiText[TXT_START] == before);
    }
    return 0;
}
