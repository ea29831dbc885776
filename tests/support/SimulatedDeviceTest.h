#pragma once
// Test support: a simulated wave device installed for each test, and PCM
// patterns that show where a byte came from.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/SimulatedWaveDevices.h"
#include "platform/ThreadMessages.h"

namespace tonilo::test {

class SimulatedDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetWaveDeviceProvider(&devices_);
        // Messages an earlier test's devices left for this thread.
        ThreadMessage stale;
        while (GetMessageTimeout(&stale, 0) || stale.message != 0) {
        }
    }
    void TearDown() override { SetWaveDeviceProvider(nullptr); }

    SimulatedWaveDevices devices_;
};

// 16-bit samples counting up from `first`, wrapping: every position differs
// from its neighbours, so lost, doubled or reordered bytes show.
inline std::vector<uint8_t> CountingPcm16(size_t samples, uint16_t first = 1) {
    std::vector<uint8_t> pcm(samples * 2);
    for (size_t i = 0; i < samples; ++i) {
        uint16_t value = static_cast<uint16_t>(first + i * 7);
        pcm[2 * i] = static_cast<uint8_t>(value & 0xFF);
        pcm[2 * i + 1] = static_cast<uint8_t>(value >> 8);
    }
    return pcm;
}

// Waits up to the time for a message numbered `number` for this thread.
inline bool WaitForMessage(uint32_t number, ThreadMessage* out, uint32_t milliseconds = 5000) {
    ThreadMessage message;
    while (GetMessageTimeout(&message, milliseconds) || message.message != 0) {
        if (message.message == number) {
            if (out)
                *out = message;
            return true;
        }
    }
    return false;
}

} // namespace tonilo::test
