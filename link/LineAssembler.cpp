// Cuts the bytes of an acquisition run into CR-terminated lines and turns each into display text.
#include "link/LineAssembler.h"

#include <utility>

CLineAssembler::CLineAssembler(const TranslationTables& invalidChars,
                               const std::vector<uint8_t>& translation, FormatSource format,
                               LineSink sink)
    : m_invalidChars(invalidChars),
      m_translation(translation),
      m_format(std::move(format)),
      m_sink(std::move(sink))
{
}

void CLineAssembler::Feed(const uint8_t* buffer, size_t bufferSize, size_t count)
{
    if (buffer == nullptr)
        return;
    // The library may report more than it could have written; never read past the buffer.
    const size_t n = count < bufferSize ? count : bufferSize;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t byte = buffer[i];
        if (byte == 0x0D)
            CompleteLine();
        else if (byte != 0x00 && byte != 0x0A && !m_invalidChars.IsInvalidChar(byte))
            m_line.push_back(static_cast<char>(byte));
    }
}

void CLineAssembler::Reset()
{
    m_line.clear();
}

void CLineAssembler::CompleteLine()
{
    LineFormat format{0, false};
    if (m_format)
        format = m_format();
    int indent = format.indent;
    if (indent < 0)
        indent = 0;
    if (indent > kMaxIndent)
        indent = kMaxIndent;

    std::string text(static_cast<size_t>(indent), ' ');
    text += TranslateText(m_line.c_str(), m_translation);
    // The view takes NUL-terminated text: a translation entry of 0 ends the visible line.
    const size_t nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);
    m_line.clear();
    if (m_sink)
        m_sink(std::move(text), format.follow);
}
