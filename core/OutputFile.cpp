// Saving, loading and showing the output text file.
#include "core/OutputFile.h"

#include "core/SafeFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

namespace {
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

// Eight bytes at a time (the C library's memchr may well go byte by byte): the high bit
// of each byte of the result is set where that byte of v equals c, and only there.
constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;

uint64_t BytesEqual(uint64_t v, char c)
{
    const uint64_t x = v ^ (kOnes * static_cast<unsigned char>(c));
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// The eight bytes at p, the first in the lowest byte (every target here is little-endian).
uint64_t Word(const char* p)
{
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The first CR, LF or NUL in [p, end), or end.
char* FindSpecial(char* p, char* const end)
{
    for (; end - p >= 8; p += 8) {
        const uint64_t v = Word(p);
        if (const uint64_t m = BytesEqual(v, '\r') | BytesEqual(v, '\n') | BytesEqual(v, '\0'))
            return p + __builtin_ctzll(m) / 8;
    }
    while (p != end && *p != '\r' && *p != '\n' && *p != '\0')
        ++p;
    return p;
}

// The number of CR LF pairs.
size_t CountLineEnds(const char* data, size_t size)
{
    size_t n = 0;
    uint64_t crBefore = 0;  // the high bit of byte 0 set when the byte before this word is CR
    size_t i = 0;
    for (; size - i >= 8; i += 8) {
        const uint64_t v = Word(data + i);
        const uint64_t cr = BytesEqual(v, '\r');
        n += static_cast<size_t>(__builtin_popcountll(BytesEqual(v, '\n') & (cr << 8 | crBefore)));
        crBefore = cr >> 56;
    }
    for (; i < size; ++i)
        n += data[i] == '\n' && i > 0 && data[i - 1] == '\r';
    return n;
}

// Splits the file's bytes into lines where they lie: only CR LF ends a line. The usual
// line (no stray CR, LF or NUL) is found in one scan and not moved at all: its CR
// becomes its 0 byte. Other lines go through StoreLine.
bool SplitLines(char* data, size_t size, CLineStore& lines)
{
    char* const end = data + size;
    // Count the line ends first: the offsets then take one allocation of the right
    // size, which matters where address space is short.
    if (!lines.ReserveLines(CountLineEnds(data, size) + 1))
        return false;
    char* p = data;
    while (p != end) {
        char* special = FindSpecial(p, end);
        if (special == end)
            break;
        if (special[0] == '\r' && end - special >= 2 && special[1] == '\n') {
            *special = '\0';
            if (!lines.Commit(static_cast<size_t>(p - data), static_cast<size_t>(special - p)))
                return false;
            p = special + 2;
            continue;
        }
        // A NUL, or a CR or LF that does not end the line: find the CR LF that does.
        char* lf = special;
        while ((lf = static_cast<char*>(std::memchr(lf, '\n', static_cast<size_t>(end - lf)))) &&
               (lf == data || lf[-1] != '\r'))
            ++lf;
        if (!lf)
            break;
        if (!StoreLine(data, p, lf - 1, lines))
            return false;
        p = lf + 1;
    }
    // The text after the last CR LF is a line only when more than CR and LF bytes remain.
    if (std::find_if_not(p, end, IsLineBreak) != end)
        return StoreLine(data, p, end, lines);
    return true;
}

template <typename Lines>
OutputResult WriteLines(const std::string& path, const Lines& lines, size_t count)
{
    CSafeFileWriter file;
    // An earlier dump that this save replaces is kept beside it.
    if (!file.Open(path, true))
        return OutputResult::CannotCreate;
    for (size_t i = 0; i < count; ++i) {
        const std::string_view line = lines[i];
        if (!file.Write(line.data(), line.size()) || !file.Write("\r\n", 2))
            return OutputResult::WriteFailed;
    }
    return file.Commit() ? OutputResult::Ok : OutputResult::WriteFailed;
}
}  // namespace

OutputResult WriteTextLines(const std::string& path, const std::vector<std::string>& lines, size_t count)
{
    return WriteLines(path, lines, count < lines.size() ? count : lines.size());
}

OutputResult WriteTextLines(const std::string& path, const CLineStore& lines)
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
    bool ok = false;
    try {
        // The file goes straight into the store's block, one byte more for the 0 byte
        // after a last line without CR LF; a file too large for memory is a failure.
        size_t got = 0;
        char* data = nullptr;
        ok = ReadRegularFile(path, SIZE_MAX - 1,
                             [&](size_t size) { return data = lines.Buffer(size + 1); }, got) &&
             (SplitLines(data, got, lines) || NoteFileError(OutOfMemoryError()));
    } catch (const std::bad_alloc&) {
        ok = NoteFileError(OutOfMemoryError());
    } catch (const std::length_error&) {
        ok = NoteFileError(OutOfMemoryError());
    }
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
