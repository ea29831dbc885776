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
#include "tests/support/WaitUntil.h"

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
    std::atomic<bool> holding{false};

    void Handle(const ThreadMessage& message) {
        if (message.message == kOpen && message.wParam == 1) {
            holding = true;
            gate.Wait(); // the first open blocks until the test has queued more
        }
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

intptr_t Block(const char* name) {
    return reinterpret_cast<intptr_t>(new std::string(name));
}

TEST(EngineWorker, QueuedCloseOvertakesAndFreesWhatWasAhead) {
    auto journal = std::make_shared<Journal>();
    EngineWorker worker;
    ASSERT_TRUE(worker.Start(Handle(journal), Discard(journal)));
    ASSERT_TRUE(worker.Post(kOpen, 1, Block("first.wav")));
    ASSERT_TRUE(test::WaitUntil([&] { return journal->holding.load(); }));
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
    ASSERT_TRUE(test::WaitUntil([&] { return journal->holding.load(); }));
    auto before = std::chrono::steady_clock::now();
    testing::internal::CaptureStderr();
    worker->Shutdown(100);
    std::string said = testing::internal::GetCapturedStderr();
    auto waited = std::chrono::steady_clock::now() - before;
    EXPECT_GE(waited, std::chrono::milliseconds(100));
    EXPECT_NE(said.find("did not end"), std::string::npos);
    worker.reset();
    journal->gate.Set(); // let the abandoned thread finish before the test ends
    // It is done with the journal once it has dropped its handlers.
    EXPECT_TRUE(test::WaitUntil([&] { return journal.use_count() == 1; }));
}

// An engine as the Recorder and the Player are: it owns its worker, and its
// last release hands its own deletion to Finish.
struct Lifetime {
    Event entered{true, false};
    Event gate{true, false};
    Event destroyed{true, false};
    std::atomic<bool> alive{true};
    std::atomic<bool> aliveAtClose{false};
    std::atomic<int> closes{0};
};

class FakeEngine {
public:
    FakeEngine(std::shared_ptr<Lifetime> lifetime, uint32_t waitMs) : lifetime_(lifetime) {
        worker_.SetShutdownWait(waitMs);
        worker_.Start([this](const ThreadMessage& m) { Handle(m); }, nullptr);
    }
    ~FakeEngine() {
        lifetime_->alive = false;
        lifetime_->destroyed.Set();
    }
    void Post(uint32_t message) { worker_.Post(message); }
    void Release() {
        worker_.Finish(
            ENGINE_COMMAND_CLOSE, [] {}, [this] { delete this; });
    }

private:
    void Handle(const ThreadMessage& message) {
        if (message.message == kOpen) {
            lifetime_->entered.Set();
            lifetime_->gate.Wait(); // a codec that hangs
        } else if (message.message == ENGINE_COMMAND_CLOSE) {
            // Touches the engine's own members, as a real close does.
            lifetime_->aliveAtClose = lifetime_->alive.load() && closes_ == 0;
            ++closes_;
            ++lifetime_->closes;
        }
    }

    std::shared_ptr<Lifetime> lifetime_;
    int closes_ = 0;
    EngineWorker worker_;
};

TEST(EngineWorker, AnAbandonedWorkerKeepsItsEngineUntilItEnds) {
    auto lifetime = std::make_shared<Lifetime>();
    auto* engine = new FakeEngine(lifetime, 50);
    engine->Post(kOpen);
    ASSERT_TRUE(lifetime->entered.Wait(10000));
    testing::internal::CaptureStderr();
    engine->Release(); // gives up after 50 ms: the open still hangs
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("abandoned"), std::string::npos) << said;
    EXPECT_TRUE(lifetime->alive) << "deleted under its running worker";
    lifetime->gate.Set(); // the codec comes back
    ASSERT_TRUE(lifetime->destroyed.Wait(10000)) << "never deleted";
    EXPECT_EQ(lifetime->closes, 1);
    EXPECT_TRUE(lifetime->aliveAtClose);
}

TEST(EngineWorker, AWorkerEndingInTimeDeletesItsEngineBeforeFinishReturns) {
    auto lifetime = std::make_shared<Lifetime>();
    lifetime->gate.Set();
    auto* engine = new FakeEngine(lifetime, 10000);
    engine->Post(kOpen);
    engine->Release();
    EXPECT_TRUE(lifetime->destroyed.IsSet());
    EXPECT_EQ(lifetime->closes, 1);
    EXPECT_TRUE(lifetime->aliveAtClose);
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
        // A window for a command that wrongly runs past the parked worker to
        // show; an event that must not happen cannot be waited for.
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
