#pragma once
#include <cstdint>

namespace tonilo {

// Engine results: callback(engine, event, result, argument, context), result 1 for
// success and 0 for failure. Called on the engine's worker thread (or the caller's
// thread for an engine without a worker), so receivers post rather than act.
typedef void (*EngineCallbackFunction)(void* engine, uint32_t event, uint32_t result,
                                       uint32_t argument, uintptr_t context);

struct EngineCallback {
    EngineCallbackFunction function = nullptr;
    uintptr_t context = 0;

    void Notify(void* engine, uint32_t event, bool success, uint32_t argument = 0) const {
        if (function)
            function(engine, event, success ? 1 : 0, argument, context);
    }
};

// Events. Player and recorder share 1..4; the rest differ.
constexpr uint32_t EVENT_OPENED = 1;
constexpr uint32_t EVENT_CLOSED = 2;
constexpr uint32_t EVENT_STARTED = 3; // play / start or resume recording
constexpr uint32_t EVENT_PAUSED = 4;
constexpr uint32_t EVENT_STOPPED = 5;            // player: argument 1 at the end of the stream
constexpr uint32_t EVENT_FILE_SIZE_PREPARED = 5; // recorder
constexpr uint32_t EVENT_FAST_FORWARD = 6;       // player: argument 1 on, 0 off
constexpr uint32_t EVENT_REWIND = 7;             // player: argument 1 on, 0 off
constexpr uint32_t EVENT_SEEK_FINISHED = 8;      // player

} // namespace tonilo
