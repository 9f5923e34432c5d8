// Saving, loading and showing the output text file.
#include "ui/OutputFile.h"

#include "app/SafeFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

namespace {
// Size of an open file, or -1; the 64-bit calls, because output files may pass 2 GB.
int64_t FileSize(std::FILE* file)
{
#ifdef _WIN32
    if (_fseeki64(file, 0, SEEK_END) != 0)
        return -1;
    const int64_t size = _ftelli64(file);
    return _fseeki64(file, 0, SEEK_SET) == 0 ? size : -1;
#else
    if (fseeko(file, 0, SEEK_END) != 0)
        return -1;
    const int64_t size = ftello(file);
    return fseeko(file, 0, SEEK_SET) == 0 ? size : -1;
#endif
}

bool IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

// Turns the bytes of [from, to) into one stored line, in place: CR and LF bytes are
// dropped and the line ends at its first NUL, as text does everywhere else in the
// program. The 0 byte that ends it goes at most to `to`, which the caller owns.
bool StoreLine(char* base, char* from, char* to, CLineStore& lines)
{
    if (char* nul = static_cast<char*>(std::memchr(from, '\0', static_cast<size_t>(to - from))))
        to = nul;
    char* end = to;
    const size_t n = static_cast<size_t>(to - from);
    if (std::memchr(from, '\r', n) || std::memchr(from, '\n', n))
        end = std::remove_if(from, to, IsLineBreak);
    *end = '\0';
    return lines.Commit(static_cast<size_t>(from - base), static_cast<size_t>(end - from));
}

// Splits the file's bytes into lines where they lie: only CR LF ends a line. memchr
// finds the line ends far faster than a byte loop, and the usual line (no stray CR, LF
// or NUL) is not moved at all: its CR becomes its 0 byte.
bool SplitLines(char* data, size_t size, CLineStore& lines)
{
    char* const end = data + size;
    // Count the line ends first: the offsets then take one allocation of the right
    // size, which matters where address space is short.
    size_t lineEnds = 1;
    for (const char* q = data; (q = static_cast<const char*>(std::memchr(q, '\n', static_cast<size_t>(end - q)))); ++q)
        lineEnds += q != data && q[-1] == '\r';
    if (!lines.ReserveLines(lineEnds))
        return false;
    char* p = data;
    for (char* q = data; q != end;) {
        char* lf = static_cast<char*>(std::memchr(q, '\n', static_cast<size_t>(end - q)));
        if (!lf)
            break;
        q = lf + 1;
        if (lf == data || lf[-1] != '\r')
            continue;  // a stray LF: dropped, the line goes on
        if (!StoreLine(data, p, lf - 1, lines))
            return false;
        p = q;
    }
    // The text after the last CR LF is a line only when more than CR and LF bytes remain.
    if (std::find_if_not(p, end, IsLineBreak) != end)
        return StoreLine(data, p, end, lines);
    return true;
}

template <typename Lines>
int WriteLines(const std::string& path, const Lines& lines, size_t count)
{
    CSafeFileWriter file;
    if (!file.Open(path))
        return OUTPUT_CANNOT_CREATE;
    for (size_t i = 0; i < count; ++i) {
        const std::string_view line = lines[i];
        if (!file.Write(line.data(), line.size()) || !file.Write("\r\n", 2))
            return OUTPUT_WRITE_FAILED;
    }
    return file.Commit() ? OUTPUT_OK : OUTPUT_WRITE_FAILED;
}
}  // namespace

int WriteTextLines(const std::string& path, const std::vector<std::string>& lines, size_t count)
{
    return WriteLines(path, lines, count < lines.size() ? count : lines.size());
}

int WriteTextLines(const std::string& path, const CLineStore& lines)
{
    struct ByIndex {
        const CLineStore& store;
        std::string_view operator[](size_t i) const { return store.Line(static_cast<int>(i)); }
    };
    return WriteLines(path, ByIndex{lines}, static_cast<size_t>(lines.Count()));
}

bool ReadTextLines(const std::string& path, CLineStore& lines)
{
    lines.Reset();
    if (path.empty())
        return false;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    bool ok = false;
    try {
        // The file goes straight into the store's block, one byte more for the 0 byte
        // after a last line without CR LF; a file too large for memory is a failure.
        const int64_t length = FileSize(file);
        if (length >= 0 && static_cast<uint64_t>(length) < SIZE_MAX - 1) {
            const size_t size = static_cast<size_t>(length);
            if (char* data = lines.Buffer(size + 1)) {
                const size_t got = std::fread(data, 1, size, file);
                ok = !std::ferror(file) && SplitLines(data, got, lines);
            }
        }
    } catch (const std::bad_alloc&) {
        ok = false;
    } catch (const std::length_error&) {
        ok = false;
    }
    std::fclose(file);
    if (!ok)
        lines = CLineStore();
    return ok;
}

std::string ShortenPath(const std::string& path, int limit,
                        const std::function<int(const std::string&)>& measureWidth)
{
    if (path.empty() || measureWidth(path) < limit)
        return path;
    // The drive prefix (C:\) stays in front; characters go from the start of the rest.
    const size_t colon = path.find(':');
    const size_t split = colon == std::string::npos ? 0 : std::min(colon + 2, path.size());
    const std::string prefix = path.substr(0, split) + "...";
    std::string rest = path.substr(split);
    for (int removals = 0; removals < 1000; ++removals) {
        const std::string candidate = prefix + rest;
        if (measureWidth(candidate) <= limit)
            return candidate;
        if (rest.empty())
            break;
        rest.erase(0, 1);
    }
    return path;
}
