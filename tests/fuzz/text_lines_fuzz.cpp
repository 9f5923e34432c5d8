// Arbitrary bytes as an output file: the fast line reader against a byte-by-byte one,
// then written and read back; the bytes also serve as a path to shorten.
#include "ui/OutputFile.h"

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
    std::string path = TempDir() + "korvex_text_lines_fuzz_" + std::to_string(getpid());
    ~TempFile() { std::remove(path.c_str()); }
};

const std::string& TempPath()
{
    static const TempFile file;
    return file.path;
}

// The rule as plainly as it can be written: CR LF ends a line, other CR and LF vanish.
std::vector<std::string> ReferenceLines(const uint8_t* data, size_t size)
{
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < size; ++i) {
        if (i > 0 && data[i] == '\n' && data[i - 1] == '\r') {
            lines.push_back(line);
            line.clear();
        }
        if (data[i] != '\r' && data[i] != '\n')
            line += static_cast<char>(data[i]);
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(TempPath().c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    std::vector<std::string> lines;
    Check(ReadTextLines(TempPath(), lines));
    Check(lines == ReferenceLines(data, size));

    Check(WriteTextLines(TempPath(), lines, lines.size()) == OUTPUT_OK);
    std::vector<std::string> back;
    Check(ReadTextLines(TempPath(), back));
    Check(back == lines);

    const std::string path(reinterpret_cast<const char*>(data), size < 300 ? size : 300);
    const int limit = size > 0 ? data[0] : 0;
    const auto width = [](const std::string& text) { return static_cast<int>(text.size()); };
    const std::string shown = ShortenPath(path, limit, width);
    Check(shown == path || static_cast<int>(shown.size()) <= limit);
    return 0;
}
