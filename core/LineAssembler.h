// Cuts the bytes of an acquisition run into CR-terminated lines and turns each into display text.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/TranslationTables.h"

// Per-line settings, read when the line's carriage return arrives.
struct LineFormat {
    int indent;   // spaces in front of the line; held to 0..50
    bool follow;  // the view scrolls to the new line
};

// The line format as the window's thread sets it whenever the operator changes it, for
// the worker to read at every line: one atomic word, so a line never sees half a change.
class CSharedLineFormat {
public:
    void Store(const LineFormat& format);
    LineFormat Load() const;

private:
    std::atomic<uint32_t> m_packed{0};  // indentation (held to 0..50) times 2, plus follow
};

class CLineAssembler {
public:
    static const int kMaxIndent = 50;

    using FormatSource = std::function<LineFormat()>;
    using LineSink = std::function<void(std::string&& text, bool follow)>;

    // The assembler keeps copies of both tables: it shares nothing with the thread that
    // made it. The invalid characters come from invalidChars' invalid table, the
    // translation from translation's translation table.
    CLineAssembler(const TranslationTables& invalidChars, const TranslationTables& translation, FormatSource format,
                   LineSink sink);
    // The translation of this array laid over empty tables (TranslationWith), taken now.
    CLineAssembler(const TranslationTables& invalidChars, const std::vector<uint8_t>& translation,
                   FormatSource format, LineSink sink);

    // Handles the first min(count, bufferSize) bytes of the buffer; every completed line goes
    // to the sink, in order. A line without its carriage return waits for the next Feed.
    void Feed(const uint8_t* buffer, size_t bufferSize, size_t count);
    // Drops the partial line.
    void Reset();
    const std::string& PendingLine() const { return m_line; }

private:
    void CompleteLine();

    const TranslationTables m_invalidChars;
    const TranslationTables m_translation;
    FormatSource m_format;
    LineSink m_sink;
    std::string m_line;
};
