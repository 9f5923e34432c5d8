// Hand-off of lines from the acquisition worker to the window's thread.
#include "core/LineQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

using Kind = LineQueueItem::Kind;

TEST(LineQueue, WakeUpOnlyWhenEmptyAndArrivalOrder)
{
    CLineQueue queue;
    EXPECT_TRUE(queue.IsEmpty());
    EXPECT_TRUE(queue.PushLine("one", true));
    EXPECT_FALSE(queue.PushLine("two", false));
    EXPECT_FALSE(queue.PushRunEnded("ERROR open COM port."));
    EXPECT_FALSE(queue.IsEmpty());

    std::vector<LineQueueItem> items{LineQueueItem{Kind::Line, "kept", false}};
    EXPECT_EQ(queue.TakeAll(items), 3u);
    ASSERT_EQ(items.size(), 4u);  // appended after what was there
    EXPECT_EQ(items[0].text, "kept");
    EXPECT_EQ(items[1].text, "one");
    EXPECT_TRUE(items[1].follow);
    EXPECT_EQ(items[2].text, "two");
    EXPECT_FALSE(items[2].follow);
    EXPECT_EQ(items[3].kind, Kind::RunEnded);
    EXPECT_EQ(items[3].text, "ERROR open COM port.");

    EXPECT_TRUE(queue.IsEmpty());
    EXPECT_EQ(queue.TakeAll(items), 0u);
    EXPECT_TRUE(queue.PushRunEnded(""));  // empty again: the next push wakes the consumer

    // Items still queued when the queue goes away are freed (the leak checker watches this).
    CLineQueue abandoned;
    abandoned.PushLine(std::string(1000, 'x'), false);
    abandoned.PushLine("y", false);
}

// Two runs, one after the other, while the window's thread drains whenever it is woken, as
// it would on the posted message. Every line arrives once, in order, and no wake-up is lost
// or wasted.
TEST(LineQueue, WorkerToWindowUnderLoad)
{
    const int kLines = 20000;
    CLineQueue queue;
    std::atomic<int> posted{0};
    std::atomic<bool> consumerFailed{false};
    std::vector<LineQueueItem> received;
    int emptyWakeUps = 0;

    std::thread window([&] {
        int handled = 0;
        int runsEnded = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (runsEnded < 2) {
            if (handled == posted.load()) {
                if (std::chrono::steady_clock::now() > deadline) {
                    consumerFailed = true;
                    return;
                }
                std::this_thread::yield();
                continue;
            }
            ++handled;
            const size_t before = received.size();
            if (queue.TakeAll(received) == 0)
                ++emptyWakeUps;
            for (size_t i = before; i < received.size(); ++i)
                runsEnded += received[i].kind == Kind::RunEnded;
        }
    });

    auto run = [&](const std::string& prefix, const std::string& error) {
        for (int i = 0; i < kLines; ++i)
            if (queue.PushLine(prefix + std::to_string(i), i % 3 == 0))
                ++posted;
        if (queue.PushRunEnded(error))
            ++posted;
    };
    std::thread first(run, "A", "ERROR open COM port.");
    first.join();
    std::thread second(run, "B", "");
    second.join();
    window.join();

    ASSERT_FALSE(consumerFailed) << "a wake-up was lost";
    EXPECT_EQ(emptyWakeUps, 0);
    ASSERT_EQ(received.size(), static_cast<size_t>(2 * kLines + 2));
    size_t at = 0;
    for (const char* prefix : {"A", "B"}) {
        for (int i = 0; i < kLines; ++i, ++at) {
            ASSERT_EQ(received[at].kind, Kind::Line);
            ASSERT_EQ(received[at].text, prefix + std::to_string(i));
            ASSERT_EQ(received[at].follow, i % 3 == 0);
        }
        EXPECT_EQ(received[at].kind, Kind::RunEnded);
        EXPECT_EQ(received[at].text, prefix[0] == 'A' ? "ERROR open COM port." : "");
        ++at;
    }
    EXPECT_TRUE(queue.IsEmpty());
}
