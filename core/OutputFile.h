// The output text file: the view's lines, each followed by CR LF.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/LineStore.h"

enum class OutputResult {
    Ok,
    CannotCreate,
    WriteFailed,  // an existing file keeps its old contents
};

// Writes the first count lines (at most lines.size()). A non-empty file that is replaced
// is kept as "<path>.bak" first. A failure leaves its cause in LastFileError.
OutputResult WriteTextLines(const std::string& path, const std::vector<std::string>& lines, size_t count);
// Writes every line of the store.
OutputResult WriteTextLines(const std::string& path, const CLineStore& lines);

// Reads the file's lines into the store: only CR LF ends a line, other CR and LF bytes
// are dropped, and a line ends at its first NUL. False, with the store empty, when the
// file can't be opened, read or held in memory (LastFileError then tells why).
bool ReadTextLines(const std::string& path, CLineStore& lines);

// The path, or the path with "..." after its drive prefix and characters cut from the
// front of the rest, whichever first fits in limit (client width less 3) as measured.
std::string ShortenPath(const std::string& path, int limit,
                        const std::function<int(const std::string&)>& measureWidth);
