#include "platform/ThreadMessages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/Event.h"

namespace tonilo {
namespace {

// Runs a thread with a queue and hands its id back once the queue exists.
class QueueThread {
public:
    explicit QueueThread(std::function<void()> body) {
        thread_ = std::thread([this, body] {
            id_ = GetCurrentThreadId();
            ready_.Set();
            body();
        });
        ready_.Wait();
    }
    ~QueueThread() { thread_.join(); }
    ThreadId Id() const { return id_; }

private:
    Event ready_{true};
    ThreadId id_ = 0;
    std::thread thread_;
};

TEST(ThreadMessages, DeliversInOrderAndEndsAtQuit) {
    std::vector<uint32_t> received;
    {
        QueueThread worker([&] {
            ThreadMessage message;
            while (GetMessage(&message))
                received.push_back(message.message);
        });
        for (uint32_t number = 1024; number < 1030; ++number)
            ASSERT_TRUE(PostThreadMessage(worker.Id(), number, 0, 0));
        PostThreadMessage(worker.Id(), WM_QUIT, 0, 0);
    }
    EXPECT_EQ(received, (std::vector<uint32_t>{1024, 1025, 1026, 1027, 1028, 1029}));
}

TEST(ThreadMessages, PostingToAnEndedThreadFails) {
    ThreadId ended = 0;
    std::thread([&] { ended = GetCurrentThreadId(); }).join();
    EXPECT_NE(ended, 0u);
    EXPECT_FALSE(PostThreadMessage(ended, 1024, 0, 0));
    EXPECT_FALSE(PostThreadMessage(0, 1024, 0, 0));
}

TEST(ThreadMessages, PeekFindsOneNumberWithoutRemovingUnlessAsked) {
    PostThreadMessage(GetCurrentThreadId(), 1024, 1, 0);
    PostThreadMessage(GetCurrentThreadId(), 1027, 2, 0);
    ThreadMessage found;
    ASSERT_TRUE(PeekMessageFor(1027, &found, false));
    EXPECT_EQ(found.wParam, 2u);
    EXPECT_EQ(QueuedMessageCount(), 2u);
    EXPECT_FALSE(PeekMessageFor(1030, &found, false));
    ASSERT_TRUE(PeekMessageFor(1027, &found, true));
    EXPECT_EQ(QueuedMessageCount(), 1u);
    ThreadMessage first;
    ASSERT_TRUE(GetMessage(&first));
    EXPECT_EQ(first.message, 1024u);
}

TEST(ThreadMessages, RemoveAheadDiscardsOnlyWhatPrecedesTheTarget) {
    PostThreadMessage(GetCurrentThreadId(), 1024, 10, 0);
    PostThreadMessage(GetCurrentThreadId(), 1028, 11, 0);
    PostThreadMessage(GetCurrentThreadId(), 1027, 12, 0);
    PostThreadMessage(GetCurrentThreadId(), 1029, 13, 0);
    std::vector<uintptr_t> discarded;
    size_t removed =
        RemoveMessagesAhead(1027, [&](const ThreadMessage& m) { discarded.push_back(m.wParam); });
    EXPECT_EQ(removed, 2u);
    EXPECT_EQ(discarded, (std::vector<uintptr_t>{10, 11}));
    ThreadMessage message;
    ASSERT_TRUE(GetMessage(&message));
    EXPECT_EQ(message.message, 1027u);
    ASSERT_TRUE(GetMessage(&message));
    EXPECT_EQ(message.message, 1029u);
    // No target queued: nothing is touched.
    PostThreadMessage(GetCurrentThreadId(), 1024, 0, 0);
    EXPECT_EQ(RemoveMessagesAhead(1027, nullptr), 0u);
    EXPECT_EQ(QueuedMessageCount(), 1u);
    GetMessage(&message);
}

TEST(ThreadMessages, GetWithTimeoutTellsTimeOutFromQuit) {
    ThreadMessage message;
    EXPECT_FALSE(GetMessageTimeout(&message, 10));
    EXPECT_EQ(message.message, 0u);
    PostThreadMessage(GetCurrentThreadId(), WM_QUIT, 0, 0);
    EXPECT_FALSE(GetMessageTimeout(&message, 10));
    EXPECT_EQ(message.message, WM_QUIT);
}

TEST(ThreadMessages, ManyPostersLoseNothing) {
    constexpr int kPosters = 4, kEach = 2000;
    std::atomic<int> sum{0};
    {
        QueueThread worker([&] {
            ThreadMessage message;
            while (GetMessage(&message))
                sum += static_cast<int>(message.wParam);
        });
        std::vector<std::thread> posters;
        for (int p = 0; p < kPosters; ++p)
            posters.emplace_back([&] {
                for (int i = 0; i < kEach; ++i)
                    PostThreadMessage(worker.Id(), 1024, 1, 0);
            });
        for (auto& poster : posters)
            poster.join();
        PostThreadMessage(worker.Id(), WM_QUIT, 0, 0);
    } // joins the worker
    EXPECT_EQ(sum.load(), kPosters * kEach);
}

TEST(ThreadMessages, WakeHookRunsForEveryPostFromAnyThreadUntilRemoved) {
    std::atomic<int> wakes{0};
    ThreadId self = GetCurrentThreadId();
    SetThreadMessageWakeHook([&] { ++wakes; });
    std::thread poster([self] {
        for (int i = 0; i < 3; ++i)
            PostThreadMessage(self, 1024, static_cast<uintptr_t>(i), 0);
    });
    poster.join();
    EXPECT_EQ(wakes.load(), 3);
    EXPECT_EQ(QueuedMessageCount(), 3u); // the hook only signals; the messages wait
    SetThreadMessageWakeHook(nullptr);
    PostThreadMessage(self, 1024, 9, 0);
    EXPECT_EQ(wakes.load(), 3);
    ThreadMessage message;
    while (QueuedMessageCount() > 0)
        GetMessageTimeout(&message, 0);
}

} // namespace
} // namespace tonilo
