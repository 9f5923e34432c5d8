// Arbitrary bytes as an output file: the fast line reader against a byte-by-byte one,
// then written and read back; the bytes also serve as a path to shorten.
#include "core/OutputFile.h"

#include "tests/fuzz/FuzzInput.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// The rule as plainly as it can be written: CR LF ends a line, other CR and LF vanish,
// and a line ends at its first NUL.
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
    for (std::string& l : lines)
        l.resize(std::strlen(l.c_str()));
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const CFuzzFile s_file("korvex_text_lines_fuzz");
    if (!s_file.Put(data, size))
        return 0;

    CLineStore lines;
    Check(ReadTextLines(s_file.Path(), lines));
    const std::vector<std::string> expected = ReferenceLines(data, size);
    Check(lines.Count() == static_cast<int>(expected.size()));
    for (int i = 0; i < lines.Count(); ++i)
        Check(lines.Line(i) == expected[static_cast<size_t>(i)] && lines.Line(i).data()[lines.Line(i).size()] == '\0');

    Check(WriteTextLines(s_file.Path(), lines) == OutputResult::Ok);
    CLineStore back;
    Check(ReadTextLines(s_file.Path(), back));
    Check(back.Count() == lines.Count());
    for (int i = 0; i < lines.Count(); ++i)
        Check(back.Line(i) == lines.Line(i));

    const std::string path(reinterpret_cast<const char*>(data), size < 300 ? size : 300);
    const int limit = size > 0 ? data[0] : 0;
    const auto width = [](const std::string& text) { return static_cast<int>(text.size()); };
    const std::string shown = ShortenPath(path, limit, width);
    Check(shown == path || static_cast<int>(shown.size()) <= limit);
    return 0;
}
