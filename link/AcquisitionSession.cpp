// The acquisition run: its worker, the stop sequence and the drain on the window's thread.
#include "link/AcquisitionSession.h"

#include <new>
#include <utility>
#include <vector>

#include "core/UiText.h"
#include "fw/App.h"
#include "link/CommLibrary.h"

namespace {
const DWORD kStopWaitMs = 300;
const DWORD kReadPauseMs = 50;
const int kReceiveBufferSize = 512;

void Post(const AcquisitionRun& run, bool wasEmpty)
{
    if (wasEmpty && run.wakeWindow)
        ::PostMessageA(run.wakeWindow, run.wakeMessage, 0, 0);
}

// "ERROR open COM port." and, on its own line, "COM5: " with the system's reason, if the
// library left one, and the library's answer.
std::string OpenFailedText(const AcquisitionRun& run, const OpenResult& opened, DWORD systemError)
{
    const std::string answered = UiTextTable::Fill(run.libraryAnsweredText, {std::to_string(opened.code)});
    const std::string reason = SystemErrorText(systemError);
    return run.openErrorText + "\nCOM" + std::to_string(run.port) + ": " +
           (reason.empty() ? answered : reason + " (" + answered + ")");
}

// One whole run, on the worker: open, read until the stop flag, close.
void AcquireDump(const AcquisitionRun& run)
{
    CAcquisitionShared& shared = *run.shared;
    std::string errorText;
    CLineAssembler assembler(
        run.invalidChars, run.translation, [&shared] { return shared.lineFormat.Load(); },
        [&](std::string&& text, bool follow) { Post(run, shared.queue.PushLine(std::move(text), follow)); });
    uint8_t buffer[kReceiveBufferSize] = {};
    unsigned int count = 0;

    CommLibrary& library = *run.library;
    ::SetLastError(ERROR_SUCCESS);
    const OpenResult opened = library.Open(run.port, run.baud, 0);
    if (!opened.Opened()) {
        const DWORD systemError = ::GetLastError();
        try {
            errorText = OpenFailedText(run, opened, systemError);
        } catch (const std::bad_alloc&) {
            errorText = run.openErrorText;  // the first line, made before the run began
        }
    } else {
        Post(run, shared.queue.PushRunStarted());
        while (!shared.stopRequested) {
            if (library.ReadComBuffer(buffer, kReceiveBufferSize, &count, 0) != ReadResult::Delivered)
                continue;
            const size_t delivered = count < kReceiveBufferSize ? count : kReceiveBufferSize;
            if (delivered > 0) {
                shared.lastByteTick.store(::GetTickCount(), std::memory_order_relaxed);
                shared.bytesReceived.fetch_add(delivered, std::memory_order_release);
            }
            assembler.Feed(buffer, sizeof buffer, delivered);
            // A full buffer means more is waiting: read again at once, or a fast line
            // would outrun the polling and the driver's queue would overflow.
            if (delivered < static_cast<size_t>(kReceiveBufferSize))
                ::Sleep(kReadPauseMs);
        }
    }
    library.Close(0);
    shared.running = false;
    Post(run, shared.queue.PushRunEnded(errorText));
}

// The end of a run whose worker met an exception: as a failed read ends it.
void EndRunAfterFault(const AcquisitionRun& run)
{
    run.library->Close(0);
    run.shared->running = false;
    try {
        Post(run, run.shared->queue.PushRunEnded(run.faultText));
    } catch (...) {
        // Not even the message could be made: the run has ended all the same.
    }
}
}  // namespace

CAcquisitionSession::~CAcquisitionSession()
{
    Close();
}

void CAcquisitionSession::SetWakeUp(HWND window, UINT message)
{
    m_wakeWindow = window;
    m_wakeMessage = message;
}

void CAcquisitionSession::SetLineFormat(const LineFormat& format)
{
    m_shared.lineFormat.Store(format);
}

bool CAcquisitionSession::Start(AcquisitionRun run, const std::string& recordFolder)
{
    if (m_worker)
        Stop();
    m_recordFolder = recordFolder;
    m_recordPort = run.port;
    // No worker runs here: the counts start afresh for the new one.
    m_shared.bytesReceived = 0;
    m_shared.lastByteTick = 0;
    m_runLines = 0;
    auto worker = std::make_unique<Worker>();
    worker->run = std::make_unique<AcquisitionRun>(std::move(run));
    worker->run->shared = &m_shared;
    worker->run->wakeWindow = m_wakeWindow;
    worker->run->wakeMessage = m_wakeMessage;
    m_shared.running = true;
    worker->thread = ::CreateThread(nullptr, 0, &CAcquisitionSession::WorkerProc, worker->run.get(), 0, nullptr);
    if (!worker->thread) {
        m_shared.running = false;
        return false;
    }
    m_worker = std::move(worker);
    return true;
}

void CAcquisitionSession::Stop()
{
    if (m_worker) {
        m_shared.stopRequested = true;
        // The window's thread handles no messages during this wait; a worker that sees
        // the flag ends well inside it, so the wait ends as soon as the worker has.
        const bool forced = ::WaitForSingleObject(m_worker->thread, kStopWaitMs) == WAIT_TIMEOUT;
        if (forced) {
            ::TerminateThread(m_worker->thread, 0);
            ::WaitForSingleObject(m_worker->thread, INFINITE);
        }
        ::CloseHandle(m_worker->thread);
        m_worker.reset();
        m_shared.stopRequested = false;
        // A worker ended by force never queues its run's end: without it the record of
        // the run would stay held as if the run went on.
        if (forced)
            m_shared.queue.PushRunEnded(std::string());
        // A worker ended between queuing an item and posting its wake-up leaves the
        // queue non-empty with no wake-up on the way; later pushes would then never
        // post one.
        if (!m_shared.queue.IsEmpty())
            PostWakeUp();
    }
    m_shared.running = false;
}

void CAcquisitionSession::Close()
{
    Stop();
    m_wakeWindow = nullptr;  // the window is going: nothing more is posted to it
    // The lines that had not reached the window yet still reach the record.
    Drain(nullptr);
    m_record.EndRun();
}

void CAcquisitionSession::PostWakeUp()
{
    if (m_wakeWindow)
        ::PostMessageA(m_wakeWindow, m_wakeMessage, 0, 0);
}

void CAcquisitionSession::Drain(IAcquisitionSink* sink)
{
    std::vector<LineQueueItem> items;
    m_shared.queue.TakeAll(items);
    bool filled = false;
    for (LineQueueItem& item : items) {
        if (item.kind == LineQueueItem::Kind::Line) {
            // A document that could not take a line (no memory left for it) takes no
            // more in this run, so that it shows the run's start without gaps; the
            // record on disk goes on with every line.
            if (sink && !m_bDocumentFull && !sink->OnLine(item.text, item.follow))
                filled = m_bDocumentFull = true;
            m_record.AppendLine(item.text);
            if (sink) {
                ++m_runLines;
                m_lastLineTick = ::GetTickCount64();
            }
            continue;
        }
        // Only a run whose port opened starts a record: a failed Start must not push a
        // crashed run's record out of Korvex_LastRun.1.txt.
        if (item.kind == LineQueueItem::Kind::RunStarted) {
            m_bDocumentFull = false;
            m_runLines = 0;  // lines of an earlier run drained after Start are not this run's
            m_record.BeginRun(m_recordFolder, m_recordPort);
            continue;
        }
        m_record.EndRun();
        if (sink)
            sink->OnRunEnded(item.text);
    }
    // Told once, after every line taken here is delivered: telling may let further
    // drains run meanwhile, and they must not overtake these.
    if (sink && filled)
        sink->OnDocumentFull();
}

uint64_t CAcquisitionSession::MsSinceLastByte() const
{
    if (RunBytes() == 0)
        return 0;
    // Ticks wrap after 49 days; the difference is right across the wrap.
    return static_cast<uint32_t>(::GetTickCount() - m_shared.lastByteTick.load(std::memory_order_relaxed));
}

DWORD WINAPI CAcquisitionSession::WorkerProc(void* arg)
{
    // No owner window: a box owned by a window of another thread would tie the two
    // threads' input together.
    auto critical = [](const char* text) {
        ::MessageBoxA(nullptr, text, AfxGetApp() ? AfxGetApp()->AppName().c_str() : "", MB_OK);
    };
    auto* run = static_cast<const AcquisitionRun*>(arg);
    if (!run) {
        critical("CRITICAL ERROR ( 1 )!");
        return 0;
    }
    if (!run->shared || !run->library) {
        critical("CRITICAL ERROR ( 2 )!");
        return 0;
    }
    // An exception must not leave the thread (that would end the program): the run ends
    // as after a failed read, and the operator is told once.
    try {
        AcquireDump(*run);
    } catch (...) {
        EndRunAfterFault(*run);
    }
    return 0;
}
