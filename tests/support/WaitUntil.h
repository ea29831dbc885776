#pragma once
// Waiting for something another thread or process brings about. The time-out
// only bounds a test that would otherwise hang, so it is generous.
#include <chrono>
#include <thread>

namespace tonilo::test {

// Checks the predicate until it holds or the time-out passes; its last answer.
template <typename Predicate>
bool WaitUntil(Predicate predicate, std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return predicate();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace tonilo::test
