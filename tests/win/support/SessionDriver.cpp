// An acquisition session driven without a window.
#include "support/SessionDriver.h"

#include "core/TranslationTables.h"
#include "support/WinTestSupport.h"

namespace wintest {

bool SessionDriver::Start(int port, int baud, const std::string& tabFile, const std::string& invalidFile,
                          const std::string& recordFolder)
{
    AcquisitionRun run;
    run.port = port;
    run.baud = baud;
    TranslationTables loaded;
    std::vector<uint8_t> table;
    if (!tabFile.empty())
        LoadTranslationTable(loaded, tabFile, table);
    run.translation = TranslationWith(loaded, table);
    if (!invalidFile.empty())
        run.invalidChars.LoadInvalidCharFile(invalidFile);
    run.library = &m_library;
    run.openErrorText = "port refused";
    run.libraryAnsweredText = "library said %s";
    return session.Start(std::move(run), recordFolder);
}

void SessionDriver::Stop()
{
    session.Stop();
    Drain();
}

bool SessionDriver::DrainUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    return PumpUntil(
        [&] {
            Drain();
            return done();
        },
        timeoutMs);
}

bool SessionDriver::OnLine(const std::string& text, bool)
{
    if (lines.size() >= capacity)
        return false;
    lines.push_back(text);
    return true;
}

}  // namespace wintest
