// Built with ThreadSanitizer: the received bytes cross three threads as in the program:
// the library's reader fills the byte ring, the acquisition worker takes them, cuts
// lines and queues them, and the window's thread drains the queue while it changes the
// indentation setting that the worker reads for every line. Every line must arrive
// once, in order, and TSan must find no race on the way.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/LineAssembler.h"
#include "core/LineQueue.h"
#include "core/TranslationTables.h"
#include "quorlink/ByteRing.h"

TEST(HandOff, BytesToLinesAcrossThreeThreads)
{
    std::mt19937 rng(7);
    std::string stream;
    for (int i = 0; i < 1000000; ++i) {
        const unsigned r = rng() % 100;
        stream.push_back(r < 5 ? '\r' : r < 7 ? '\n' : r < 9 ? '\0' : static_cast<char>(0x20 + rng() % 0xDF));
    }
    stream.push_back('\r');

    static unsigned char storage[4096];
    CByteRing ring(storage, sizeof storage);
    ring.Discard(1);
    std::thread reader([&] {
        size_t sent = 0;
        while (sent < stream.size()) {
            uint32_t space = 0;
            unsigned char* target = ring.WriteSpace(&space);
            const size_t n = std::min<size_t>({space, 1 + rng() % 700, stream.size() - sent});
            std::memcpy(target, stream.data() + sent, n);
            if (n && ring.Commit(static_cast<uint32_t>(n), 1))
                sent += n;
            else
                std::this_thread::yield();
        }
    });

    std::vector<uint8_t> identity(256);
    for (int i = 0; i < 256; ++i)
        identity[i] = static_cast<uint8_t>(i);
    TranslationTables noInvalid;
    std::atomic<int> indent{0};
    std::vector<int> indents;  // the worker's own record of what it read per line
    CLineQueue queue;
    std::thread worker([&] {
        CLineAssembler assembler(
            noInvalid, identity,
            [&] {
                indents.push_back(indent.load());
                return LineFormat{indents.back(), false};
            },
            [&](std::string&& text, bool follow) { queue.PushLine(std::move(text), follow); });
        uint8_t buffer[512];
        size_t taken = 0;
        while (taken < stream.size()) {
            const uint32_t n = ring.Take(buffer, sizeof buffer);
            assembler.Feed(buffer, sizeof buffer, n);
            taken += n;
            if (n == 0)
                std::this_thread::yield();
        }
        queue.PushRunEnded("");
    });

    std::vector<std::string> received;
    for (bool ended = false; !ended;) {
        std::vector<LineQueueItem> items;
        queue.TakeAll(items);
        for (LineQueueItem& item : items) {
            if (item.kind == LineQueueItem::Kind::RunEnded)
                ended = true;
            else
                received.push_back(std::move(item.text));
        }
        indent.store(static_cast<int>(received.size() % 4));
        std::this_thread::yield();
    }
    reader.join();
    worker.join();

    std::vector<std::string> expected;
    std::string line;
    for (char c : stream) {
        if (c == '\r') {
            expected.push_back(std::string(static_cast<size_t>(indents[expected.size()]), ' ') + line);
            line.clear();
        } else if (c != '\n' && c != '\0') {
            line.push_back(c);
        }
    }
    ASSERT_EQ(received.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(received[i], expected[i]) << "line " << i;
}
