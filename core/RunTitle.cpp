// The main window's title of a run and of a loaded file, in the words of the text table.
#include "core/RunTitle.h"

#include <cstdio>

#include "core/UiText.h"

RunState RunStateOf(bool running, uint64_t bytes, uint64_t msSinceLastByte)
{
    if (!running)
        return RunState::Stopped;
    if (bytes == 0)
        return RunState::Waiting;
    return msSinceLastByte >= kQuietAfterMs ? RunState::Quiet : RunState::Receiving;
}

std::string GroupedDigits(uint64_t value, const std::string& separator)
{
    const std::string digits = std::to_string(value);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += separator;
        grouped += digits[i];
    }
    return grouped;
}

uint64_t RoundedKilobytes(uint64_t bytes)
{
    const uint64_t kb = bytes / 1024 + (bytes % 1024 >= 512 ? 1 : 0);
    return kb == 0 && bytes > 0 ? 1 : kb;
}

std::string ElapsedText(uint64_t ms)
{
    const uint64_t seconds = ms / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%llu:%02u:%02u", static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
    return text;
}

namespace {
std::string LinesText(const UiTextTable& texts, uint64_t lines)
{
    return texts.With(lines == 1 ? TXT_COUNT_LINE : TXT_COUNT_LINES, GroupedDigits(lines, texts[TXT_DIGIT_GROUP]));
}

std::string StateText(const UiTextTable& texts, const RunFacts& run)
{
    switch (run.state) {
    case RunState::Waiting:
        return texts[TXT_RUN_WAITING];
    case RunState::Receiving:
        return texts[TXT_RUN_RECEIVING];
    case RunState::Quiet:
        return texts.With(TXT_RUN_QUIET, GroupedDigits(run.msSinceLastByte / 1000, texts[TXT_DIGIT_GROUP]));
    case RunState::Stopped:
        break;
    }
    return texts[TXT_RUN_STOPPED];
}
}  // namespace

std::string RunTitle(const UiTextTable& texts, const RunFacts& run)
{
    const std::string& group = texts[TXT_DIGIT_GROUP];
    return texts.Format(TXT_TITLE_RUN, {std::to_string(run.port), std::to_string(run.baud), StateText(texts, run),
                                        LinesText(texts, run.lines),
                                        texts.With(TXT_COUNT_KB, GroupedDigits(RoundedKilobytes(run.bytes), group)),
                                        ElapsedText(run.elapsedMs)});
}

std::string FileTitle(const UiTextTable& texts, const std::string& fileName, uint64_t lines)
{
    return texts.Format(TXT_TITLE_FILE, {fileName, LinesText(texts, lines)});
}
