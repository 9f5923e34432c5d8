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

struct FreeBuffer
{
    void operator()(char* p) const { std::free(p); }
};
using Buffer = std::unique_ptr<char, FreeBuffer>;

// The file's bytes as they are now. malloc rather than a container, so that a file
// too large for memory is a null pointer and not an exception deep in the library.
bool ReadWholeFile(std::FILE* file, Buffer& data, size_t& size)
{
    const int64_t length = FileSize(file);
    if (length < 0 || static_cast<uint64_t>(length) > SIZE_MAX - 1)
        return false;
    data.reset(static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1)));
    if (!data)
        return false;
    size = std::fread(data.get(), 1, static_cast<size_t>(length), file);
    return !std::ferror(file);
}

// Adds the bytes of [from, to) to the line, leaving out CR bytes.
void AppendWithoutCr(std::string& line, const char* from, const char* to)
{
    while (from != to) {
        const char* cr = static_cast<const char*>(std::memchr(from, '\r', static_cast<size_t>(to - from)));
        const char* stop = cr ? cr : to;
        line.append(from, stop);
        from = cr ? cr + 1 : to;
    }
}

// Works a stretch between LF bytes at a time: memchr finds them far faster than a
// byte loop, and the usual line (no stray CR or LF) goes into the list in one copy.
void SplitLines(const char* begin, size_t size, std::vector<std::string>& lines)
{
    const char* const end = begin + size;
    // Only CR LF ends a line: count those, or a file of bare LFs would reserve a
    // string per byte for lines that never come.
    size_t lineEnds = 0;
    for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)))); ++p)
        lineEnds += p != begin && p[-1] == '\r';
    lines.reserve(lineEnds + 1);

    std::string line;  // a line that a stray LF or CR has split
    const char* p = begin;
    while (p != end) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        const char* stop = lf ? lf : end;
        const bool endsLine = lf && lf != begin && lf[-1] == '\r';
        const char* text = endsLine ? stop - 1 : stop;
        if (endsLine && line.empty() && !std::memchr(p, '\r', static_cast<size_t>(text - p))) {
            lines.emplace_back(p, text);
        } else {
            AppendWithoutCr(line, p, stop);
            if (endsLine) {
                lines.push_back(std::move(line));
                line.clear();
            }
        }
        p = lf ? lf + 1 : end;
    }
    if (!line.empty())
        lines.push_back(std::move(line));
}
}  // namespace

int WriteTextLines(const std::string& path, const std::vector<std::string>& lines, size_t count)
{
    CSafeFileWriter file;
    // An earlier dump that this save replaces is kept beside it.
    if (!file.Open(path, true))
        return OUTPUT_CANNOT_CREATE;
    if (count > lines.size())
        count = lines.size();
    for (size_t i = 0; i < count; ++i) {
        if (!file.Write(lines[i]) || !file.Write("\r\n", 2))
            return OUTPUT_WRITE_FAILED;
    }
    return file.Commit() ? OUTPUT_OK : OUTPUT_WRITE_FAILED;
}

bool ReadTextLines(const std::string& path, std::vector<std::string>& lines)
{
    lines.clear();
    if (path.empty())
        return false;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    bool ok = false;
    try {
        Buffer data;
        size_t size = 0;
        ok = ReadWholeFile(file, data, size);
        if (ok)
            SplitLines(data.get(), size, lines);
    } catch (const std::bad_alloc&) {
        ok = false;
    } catch (const std::length_error&) {
        ok = false;
    }
    std::fclose(file);
    if (!ok)
        lines.clear();
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
