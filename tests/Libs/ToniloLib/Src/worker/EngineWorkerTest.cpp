#include "Libs/ToniloLib/Src/worker/EngineWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Libs/ToniloLib/Src/worker/StateRendezvous.h"

namespace tonilo {
namespace {

constexpr uint32_t kOpen = 1024, kPlay = 1028, kPause = 1029;

// What a worker saw, shared with the test thread.
struct Journal {
    std::mutex mutex;
    std::vector<uint32_t> handled;
    std::vector<uint32_t> discarded;
    int freedBlocks = 0;
    Event gate{true, false};

    void Handle(const ThreadMessage& message) {
        if (message.message == kOpen && message.wParam == 1)
            gate.Wait(); // the first open blocks until the test has queued more
        std::lock_guard<std::mutex> guard(mutex);
        handled.push_back(message.message);
        delete reinterpret_cast<std::string*>(message.lParam);
    }
    void Discard(const ThreadMessage& message) {
        std::lock_guard<std::mutex> guard(mutex);
        discarded.push_back(message.message);
        if (message.lParam) {
            delete reinterpret_cast<std::string*>(message.lParam);
            ++freedBlocks;
        }
    }
};

EngineWorker::Handler Handle(std::shared_ptr<Journal> journal) {
    return [journal](const ThreadMessage& m) { journal->Handle(m); };
}
EngineWorker::Handler Discard(std::shared_ptr<Journal> journal) {
    return [journal](const ThreadMessage& m) { journal->Discard(m); };
}

intptr_t Block(const char* name) { return reinterpret_cast<intptr_t>(new std::string(name)); }

TEST(EngineWorker, QueuedCloseOvertakesAndFreesWhatWasAhead) {
    auto journal = std::make_shared<Journal>();
    EngineWorker worker;
    ASSERT_TRUE(worker.Start(Handle(journal), Discard(journal)));
    ASSERT_TRUE(worker.Post(kOpen, 1, Block("first.wav")));
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // the worker holds the first open
    ASSERT_TRUE(worker.Post(kPlay));
    ASSERT_TRUE(worker.Post(kOpen, 2, Block("second.wav")));
    ASSERT_TRUE(worker.Post(ENGINE_COMMAND_CLOSE));
    ASSERT_TRUE(worker.Post(kPause));
    journal->gate.Set();
    worker.Shutdown();
    EXPECT_EQ(journal->handled, (std::vector<uint32_t>{kOpen, ENGINE_COMMAND_CLOSE, kPause}));
    EXPECT_EQ(journal->discarded, (std::vector<uint32_t>{kPlay, kOpen}));
    EXPECT_EQ(journal->freedBlocks, 1);
}

TEST(EngineWorker, WithoutACloseEverythingRunsInOrder) {
    auto journal = std::make_shared<Journal>();
    journal->gate.Set();
    EngineWorker worker;
    ASSERT_TRUE(worker.Start(Handle(journal), Discard(journal)));
    for (uint32_t message : {kOpen, kPlay, kPause, kPlay})
        worker.Post(message);
    worker.Shutdown();
    EXPECT_EQ(journal->handled, (std::vector<uint32_t>{kOpen, kPlay, kPause, kPlay}));
    EXPECT_TRUE(journal->discarded.empty());
    EXPECT_FALSE(worker.Post(kPlay)); // a stopped worker takes nothing
}

TEST(EngineWorker, MessagesLeftAfterQuitAreFreed) {
    auto journal = std::make_shared<Journal>();
    journal->gate.Set();
    EngineWorker worker;
    ASSERT_TRUE(worker.Start(
        [journal](const ThreadMessage& m) {
            if (m.message == kPlay) {
                PostThreadMessage(GetCurrentThreadId(), WM_QUIT, 0, 0);
                PostThreadMessage(GetCurrentThreadId(), kOpen, 9, Block("late.wav"));
            }
            journal->Handle(m);
        },
        Discard(journal)));
    worker.Post(kPlay);
    worker.Shutdown();
    EXPECT_EQ(journal->handled, (std::vector<uint32_t>{kPlay}));
    EXPECT_EQ(journal->freedBlocks, 1);
}

TEST(EngineWorker, ShutdownGivesUpOnAStuckThreadAfterItsWait) {
    auto journal = std::make_shared<Journal>();
    auto worker = std::make_unique<EngineWorker>();
    ASSERT_TRUE(worker->Start(Handle(journal), Discard(journal)));
    worker->Post(kOpen, 1, Block("stuck.wav"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    auto before = std::chrono::steady_clock::now();
    testing::internal::CaptureStderr();
    worker->Shutdown(100);
    std::string said = testing::internal::GetCapturedStderr();
    auto waited = std::chrono::steady_clock::now() - before;
    EXPECT_GE(waited, std::chrono::milliseconds(100));
    EXPECT_NE(said.find("did not end"), std::string::npos);
    worker.reset();
    journal->gate.Set(); // let the abandoned thread finish before the test ends
    for (int i = 0; i < 200; ++i) {
        {
            std::lock_guard<std::mutex> guard(journal->mutex);
            if (!journal->handled.empty())
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

TEST(StateRendezvous, CallerReadsWhileNoCommandRuns) {
    StateRendezvous rendezvous;
    std::atomic<int> state{0};
    EngineWorker worker;
    ASSERT_TRUE(worker.Start(
        [&](const ThreadMessage& m) {
            if (m.message == ENGINE_COMMAND_RENDEZVOUS)
                rendezvous.ParkWorker();
            else
                state = static_cast<int>(m.wParam);
        },
        nullptr));
    for (int round = 1; round <= 20; ++round) {
        ASSERT_TRUE(worker.Post(ENGINE_COMMAND_RENDEZVOUS));
        ASSERT_TRUE(rendezvous.WaitForWorker(5000));
        int seen = state;
        worker.Post(kPlay, static_cast<uintptr_t>(round)); // queued behind the parked worker
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_EQ(state.load(), seen);
        rendezvous.ReleaseWorker();
    }
    worker.Shutdown();
    EXPECT_EQ(state.load(), 20);
}

TEST(StateRendezvous, WaitTimesOutWhenTheWorkerNeverArrives) {
    StateRendezvous rendezvous;
    EXPECT_FALSE(rendezvous.WaitForWorker(20));
    rendezvous.ReleaseWorker(); // nobody parked: harmless
}

} // namespace
} // namespace tonilo
