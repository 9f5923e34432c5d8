// Arbitrary bytes as an output file: the fast line reader against a byte-by-byte one,
// then written and read back; the bytes also serve as a path to shorten.
#include "ui/OutputFile.h"

#include "tests/fuzz/FuzzInput.h"

#include <string>
#include <vector>

namespace {

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
    static const CFuzzFile s_file("korvex_text_lines_fuzz");
    if (!s_file.Put(data, size))
        return 0;

    std::vector<std::string> lines;
    Check(ReadTextLines(s_file.Path(), lines));
    Check(lines == ReferenceLines(data, size));

    Check(WriteTextLines(s_file.Path(), lines, lines.size()) == OUTPUT_OK);
    std::vector<std::string> back;
    Check(ReadTextLines(s_file.Path(), back));
    Check(back == lines);

    const std::string path(reinterpret_cast<const char*>(data), size < 300 ? size : 300);
    const int limit = size > 0 ? data[0] : 0;
    const auto width = [](const std::string& text) { return static_cast<int>(text.size()); };
    const std::string shown = ShortenPath(path, limit, width);
    Check(shown == path || static_cast<int>(shown.size()) <= limit);
    return 0;
}
