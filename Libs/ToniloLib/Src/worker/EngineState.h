#pragma once
#include <cstdint>

namespace tonilo {

// The Recorder's and the Player's state word: bit 0 opened, bits 1..3 the mode.
constexpr uint32_t STATE_OPENED = 1;
constexpr uint32_t STATE_MODE_MASK = 14;
constexpr uint32_t MODE_STOPPED = 0;
constexpr uint32_t MODE_RUNNING = 2;          // playing or recording
constexpr uint32_t MODE_PAUSED = 4;           // player
constexpr uint32_t MODE_FAST_FORWARD = 6;     // player
constexpr uint32_t MODE_RECORDER_PAUSED = 6;  // recorder
constexpr uint32_t MODE_REWIND = 8;           // player

inline uint32_t ModeOf(uint32_t state) { return state & STATE_MODE_MASK; }
inline bool IsOpened(uint32_t state) { return (state & STATE_OPENED) != 0; }

} // namespace tonilo
