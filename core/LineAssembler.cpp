// Cuts the bytes of an acquisition run into CR-terminated lines and turns each into display text.
#include "core/LineAssembler.h"

#include <utility>

namespace {
int HeldIndent(int indent)
{
    return indent < 0 ? 0 : indent > CLineAssembler::kMaxIndent ? CLineAssembler::kMaxIndent : indent;
}
}  // namespace

void CSharedLineFormat::Store(const LineFormat& format)
{
    m_packed.store((static_cast<uint32_t>(HeldIndent(format.indent)) << 1) | (format.follow ? 1u : 0u));
}

LineFormat CSharedLineFormat::Load() const
{
    const uint32_t packed = m_packed.load();
    return LineFormat{static_cast<int>(packed >> 1), (packed & 1u) != 0};
}

CLineAssembler::CLineAssembler(const TranslationTables& invalidChars, const TranslationTables& translation,
                               FormatSource format, LineSink sink)
    : m_invalidChars(invalidChars),
      m_translation(translation),
      m_format(std::move(format)),
      m_sink(std::move(sink))
{
}

CLineAssembler::CLineAssembler(const TranslationTables& invalidChars,
                               const std::vector<uint8_t>& translation, FormatSource format,
                               LineSink sink)
    : CLineAssembler(invalidChars, TranslationWith(TranslationTables(), translation), std::move(format), std::move(sink))
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
    std::string text(static_cast<size_t>(HeldIndent(format.indent)), ' ');
    text += m_translation.Translate(m_line.c_str());
    // The view takes NUL-terminated text: a translation entry of 0 ends the visible line.
    const size_t nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);
    m_line.clear();
    if (m_sink)
        m_sink(std::move(text), format.follow);
}
