// The simulated register's pseudo-terminal, pacing and reader tracking.
#include "tools/regsim/RegisterSimulator.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
volatile sig_atomic_t g_stopRequested = 0;
// The signal mask while the simulator sleeps: the stop signals are blocked at all other
// times, so none can slip in between a check and the sleep.
sigset_t g_waitMask;
bool g_signalsInstalled = false;

void OnStopSignal(int)
{
    g_stopRequested = 1;
}

long long NowNs()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

timespec Millis(int ms)
{
    timespec t;
    t.tv_sec = ms / 1000;
    t.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    return t;
}

const sigset_t* WaitMask()
{
    return g_signalsInstalled ? &g_waitMask : nullptr;
}

// Sleeps, waking early only for a stop signal; false when asked to stop.
bool SleepMs(int ms)
{
    const timespec t = Millis(ms);
    ppoll(nullptr, 0, &t, WaitMask());
    return !g_stopRequested;
}

// How often the simulator looks for a reader opening the port: Linux reports the
// closing of a pty's other end at once, but not its opening.
constexpr int kOpenPollMs = 20;
}  // namespace

void CRegisterSimulator::InstallSignalHandlers()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(s, &action, nullptr);
        sigaddset(&stopSignals, s);
    }
    signal(SIGPIPE, SIG_IGN);
    sigprocmask(SIG_BLOCK, &stopSignals, &g_waitMask);
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        sigdelset(&g_waitMask, s);
    g_signalsInstalled = true;
}

CRegisterSimulator::CRegisterSimulator(const SimOptions& options)
    : m_options(options), m_random(options.seed ? options.seed : 1)
{
    if (m_options.repeat)
        m_options.waitOpen = true;
    if (m_options.nulEvery <= 0) {
        m_stream = m_options.data;
        return;
    }
    m_stream.reserve(m_options.data.size() + m_options.data.size() / static_cast<size_t>(m_options.nulEvery));
    for (size_t i = 0; i < m_options.data.size(); ++i) {
        m_stream.push_back(m_options.data[i]);
        if (m_options.nulEvery > 0 && (i + 1) % static_cast<size_t>(m_options.nulEvery) == 0)
            m_stream.push_back('\0');
    }
}

CRegisterSimulator::~CRegisterSimulator()
{
    if (m_master >= 0)
        close(m_master);
}

void CRegisterSimulator::Log(const char* format, ...) const
{
    if (m_options.quiet)
        return;
    va_list args;
    va_start(args, format);
    std::fputs("korvex-regsim: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
}

bool CRegisterSimulator::CreatePty()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    char name[PATH_MAX];
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0 ||
        ptsname_r(m_master, name, sizeof name) != 0) {
        Log("cannot create a pseudo-terminal: %s", std::strerror(errno));
        return false;
    }
    m_slaveName = name;
    // Raw line on the reader's side (set through the master, it stays for every open):
    // no CR to LF mapping, no echo, no line editing, whatever the reader sets up.
    termios t;
    if (tcgetattr(m_master, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(m_master, TCSANOW, &t);
    }
    // Linux reports a hang-up on the master only once the other end has been closed;
    // open and close it once so that "no reader" shows from the start.
    const int slave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave >= 0)
        close(slave);
    return true;
}

bool CRegisterSimulator::Publish()
{
    const std::string temporary = m_options.link + ".tmp" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(m_slaveName.c_str(), temporary.c_str()) != 0 ||
        rename(temporary.c_str(), m_options.link.c_str()) != 0) {
        Log("cannot publish %s: %s", m_options.link.c_str(), std::strerror(errno));
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

void CRegisterSimulator::Unpublish()
{
    char target[PATH_MAX];
    const ssize_t n = readlink(m_options.link.c_str(), target, sizeof target - 1);
    if (n > 0 && m_slaveName == std::string(target, static_cast<size_t>(n)))
        unlink(m_options.link.c_str());
}

bool CRegisterSimulator::ReaderPresent() const
{
    pollfd p = {m_master, 0, 0};
    poll(&p, 1, 0);
    return (p.revents & POLLHUP) == 0;
}

bool CRegisterSimulator::Wait(short events, int timeoutMs, short* revents) const
{
    pollfd p = {m_master, events, 0};
    const timespec t = Millis(timeoutMs);
    const int r = ppoll(&p, 1, timeoutMs < 0 ? nullptr : &t, WaitMask());
    *revents = r > 0 ? p.revents : 0;
    return !g_stopRequested;
}

bool CRegisterSimulator::WaitForReader()
{
    while (!ReaderPresent()) {
        if (!SleepMs(kOpenPollMs))
            return false;
    }
    return true;
}

bool CRegisterSimulator::WaitWhileReaderStays(int timeoutMs)
{
    const long long end = NowNs() + static_cast<long long>(timeoutMs) * 1000000LL;
    for (long long now = NowNs(); now < end; now = NowNs()) {
        short revents = 0;
        if (!Wait(0, static_cast<int>((end - now + 999999) / 1000000), &revents))
            return false;
        if (revents & POLLHUP)
            return false;
    }
    return true;
}

int CRegisterSimulator::NextChunk()
{
    m_random ^= m_random << 13;
    m_random ^= m_random >> 17;
    m_random ^= m_random << 5;
    const int span = m_options.chunkMax - m_options.chunkMin + 1;
    return m_options.chunkMin + static_cast<int>(m_random % static_cast<uint32_t>(span));
}

CRegisterSimulator::SendResult CRegisterSimulator::SendDump()
{
    long long start = NowNs();
    size_t pos = 0;
    m_sent = 0;
    int chunkLeft = NextChunk();
    bool unplugged = m_options.unplugAt < 0;
    // Whether a reader closing the port ends this pass.
    bool watchReader = m_options.waitOpen;
    while (pos < m_stream.size()) {
        if (g_stopRequested)
            return SendResult::Stopped;
        if (!unplugged && pos >= static_cast<size_t>(m_options.unplugAt)) {
            unplugged = true;
            if (!Unplug(&pos))
                return SendResult::Stopped;
            // A register that did not wait for the reader to come back: the port is
            // watched again once the reader has it open.
            watchReader = m_options.waitOpen && !m_options.replugNoWait;
            if (m_options.bytesPerSecond > 0)  // go on at the pace, without a burst
                start = NowNs() - static_cast<long long>(pos) * 1000000000LL / m_options.bytesPerSecond;
            continue;  // the adapter may have come back holding all the rest
        }
        if (m_options.waitOpen && !watchReader)
            watchReader = ReaderPresent();
        else if (watchReader && !ReaderPresent())
            return SendResult::ReaderLeft;
        if (m_options.bytesPerSecond > 0) {
            const long long due =
                start + static_cast<long long>(pos) * 1000000000LL / m_options.bytesPerSecond;
            const long long now = NowNs();
            if (now < due) {
                const int ms = static_cast<int>((due - now + 999999) / 1000000);
                short revents = 0;
                // Sleeping on the master wakes at once if the reader closes; with nobody
                // there (no --wait-open) a hang-up is the normal state, so plain sleep.
                if (watchReader ? !Wait(0, ms, &revents) : !SleepMs(ms))
                    return SendResult::Stopped;
                continue;
            }
        }
        size_t n = std::min(static_cast<size_t>(chunkLeft), m_stream.size() - pos);
        if (!unplugged)
            n = std::min(n, static_cast<size_t>(m_options.unplugAt) - pos);
        const ssize_t written = write(m_master, m_stream.data() + pos, n);
        if (written > 0) {
            pos += static_cast<size_t>(written);
            m_sent = pos;
            chunkLeft -= static_cast<int>(written);
            if (chunkLeft == 0)
                chunkLeft = NextChunk();
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            Log("write: %s", std::strerror(errno));
        // The pty's buffer is full: wait for the reader to take some.
        short revents = 0;
        if (!Wait(POLLOUT, 100, &revents))
            return SendResult::Stopped;
        if ((revents & POLLHUP) && !SleepMs(kOpenPollMs))
            return SendResult::Stopped;
    }
    // Everything went out before the reader came back for it: the pass is not over (nor
    // the reader gone) until it has the port open again.
    if (m_options.waitOpen && !watchReader && !WaitForReader())
        return SendResult::Stopped;
    return SendResult::Complete;
}

void CRegisterSimulator::DiscardUnread()
{
    // Bytes left from an interrupted dump must not greet the next reader. Flushing the
    // master's output does not reach what the other end had already received, so
    // empty that end directly; the reader is gone, so opening it briefly is harmless.
    tcflush(m_master, TCOFLUSH);
    const int slave = open(m_slaveName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave < 0)
        return;
    tcflush(slave, TCIFLUSH);
    char buffer[4096];
    while (read(slave, buffer, sizeof buffer) > 0) {
    }
    close(slave);
}

int CRegisterSimulator::UnreadBytes() const
{
    const int slave = open(m_slaveName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave < 0)
        return -1;
    // A write reaches the reader's side a moment later, through a kernel worker; a poll
    // of that side finishes the hand-over, so that the count includes every byte written.
    pollfd p = {slave, POLLIN, 0};
    poll(&p, 1, 0);
    int n = -1;
    if (ioctl(slave, TIOCINQ, &n) != 0)
        n = -1;
    close(slave);
    return n;
}

bool CRegisterSimulator::WaitUntilTaken()
{
    // Closing the master hangs up the other end and throws away what it has not read,
    // so wait (5 s at most) until the reader has taken every byte written, or has gone.
    // A read at the moment of a check can empty that side just before the kernel hands
    // it the next bytes: it counts as empty only when it is so twice, 20 ms apart.
    for (int i = 0, empty = 0; i < 250; ++i) {
        if (m_options.waitOpen && !ReaderPresent())
            return true;
        empty = UnreadBytes() > 0 ? 0 : empty + 1;
        if (empty == 2)
            return true;
        if (!SleepMs(20))
            return false;
    }
    return true;
}

bool CRegisterSimulator::Unplug(size_t* pos)
{
    // What the reader has not taken yet would be lost with the pty: let it arrive first.
    if (!WaitUntilTaken())
        return false;
    // The adapter goes: the reader's end hangs up and the port's name disappears.
    Unpublish();
    close(m_master);
    m_master = -1;
    Log("unplugged");
    if (!SleepMs(m_options.unplugMs))
        return false;
    // It comes back as a new device under the same name, holding what the register sent
    // while it was away (written before the name is published, so that it is there
    // before anyone can open the port).
    if (!CreatePty())
        return false;
    const size_t held = std::min(static_cast<size_t>(m_options.replugHolding), m_stream.size() - *pos);
    for (const size_t end = *pos + held; *pos < end;) {
        const ssize_t n = write(m_master, m_stream.data() + *pos, end - *pos);
        if (n <= 0) {
            Log("the new pty does not take %zu bytes: %s", held, std::strerror(errno));
            return false;
        }
        *pos += static_cast<size_t>(n);
    }
    m_sent = *pos;
    if (!Publish())
        return false;
    Log("plugged in again, holding %zu bytes", held);
    if (!m_options.waitOpen || m_options.replugNoWait)
        return true;
    return WaitForReader() && (WaitWhileReaderStays(m_options.openDelayMs) || !g_stopRequested);
}

int CRegisterSimulator::Run()
{
    if (!CreatePty() || !Publish())
        return 1;
    Log("%s -> %s, %zu bytes per dump", m_options.link.c_str(), m_slaveName.c_str(), m_stream.size());
    int status = 0;
    for (;;) {
        if (m_options.waitOpen) {
            if (!WaitForReader())
                break;
            Log("port opened");
            if (!WaitWhileReaderStays(m_options.openDelayMs)) {
                if (g_stopRequested)
                    break;
                Log("port closed before the dump started");
                DiscardUnread();
                continue;
            }
        }
        const SendResult result = SendDump();
        if (result == SendResult::Stopped)
            break;
        if (result == SendResult::ReaderLeft) {
            // What the reader took: what was sent less what still waits in the pty.
            Log("port closed during the dump: %zu bytes sent, %d unread", m_sent, UnreadBytes());
            DiscardUnread();
            if (m_options.repeat)
                continue;
            if (m_options.onceThenExit) {
                status = 3;
                break;
            }
            while (SleepMs(1000)) {
            }
            break;
        }
        Log("dump sent");
        if (m_options.onceThenExit) {
            WaitUntilTaken();
            break;
        }
        if (!m_options.repeat) {
            while (SleepMs(1000)) {
            }
            break;
        }
        short revents = 0;
        while (ReaderPresent() && Wait(0, 1000, &revents)) {
        }
        if (g_stopRequested)
            break;
        Log("port closed");
        DiscardUnread();
    }
    Unpublish();
    return status;
}
