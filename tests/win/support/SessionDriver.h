// An acquisition session driven as the main window drives it, but without a window:
// what it delivers is collected here, and waiting drains it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "link/AcquisitionSession.h"

class CommLibrary;

namespace wintest {

class SessionDriver : public IAcquisitionSink {
public:
    explicit SessionDriver(CommLibrary& library) : m_library(library) {}

    // A run on the port, its lines through the translation file (none: every byte
    // translates to 0) and the invalid-character file, its record in recordFolder.
    bool Start(int port, int baud, const std::string& tabFile, const std::string& invalidFile = std::string(),
               const std::string& recordFolder = std::string());
    // Stop, and what it left queued is delivered.
    void Stop();
    // Drains until done says so; false when it did not in time.
    bool DrainUntil(const std::function<bool()>& done, DWORD timeoutMs);
    // Drains until at least n lines, or n runs' ends, were delivered.
    bool WaitLines(size_t n, DWORD timeoutMs)
    {
        return DrainUntil([&] { return lines.size() >= n; }, timeoutMs);
    }
    bool WaitEnded(size_t n, DWORD timeoutMs)
    {
        return DrainUntil([&] { return ends.size() >= n; }, timeoutMs);
    }
    void Drain() { session.Drain(this); }

    CAcquisitionSession session;
    std::vector<std::string> lines;
    std::vector<std::string> ends;  // the error text of each run's end
    // The document refuses lines once it holds this many.
    size_t capacity = static_cast<size_t>(-1);
    int fullTold = 0;

private:
    bool OnLine(const std::string& text, bool follow) override;
    void OnDocumentFull() override { ++fullTold; }
    void OnRunEnded(const std::string& errorText) override { ends.push_back(errorText); }

    CommLibrary& m_library;
};

}  // namespace wintest
