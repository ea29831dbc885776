#pragma once
// The Recorder's and the Player's state word: bit 0 opened, bits 1..3 the mode.
// A closed engine has state 0.
#include <cstdint>

namespace tonilo {

constexpr uint32_t STATE_CLOSED = 0;
constexpr uint32_t STATE_OPENED = 1;
constexpr uint32_t STATE_MODE_MASK = 14;

// Modes.
constexpr uint32_t MODE_STOPPED = 0;         // player stopped, recorder idle
constexpr uint32_t MODE_RUNNING = 2;         // playing or recording
constexpr uint32_t MODE_PAUSED = 4;          // player
constexpr uint32_t MODE_FAST_FORWARD = 6;    // player
constexpr uint32_t MODE_RECORDER_PAUSED = 6; // recorder
constexpr uint32_t MODE_REWIND = 8;          // player

// Whole words of the Player.
constexpr uint32_t PLAYER_STOPPED = STATE_OPENED | MODE_STOPPED;
constexpr uint32_t PLAYER_PLAYING = STATE_OPENED | MODE_RUNNING;
constexpr uint32_t PLAYER_PAUSED = STATE_OPENED | MODE_PAUSED;
constexpr uint32_t PLAYER_FAST_FORWARD = STATE_OPENED | MODE_FAST_FORWARD;
constexpr uint32_t PLAYER_REWINDING = STATE_OPENED | MODE_REWIND;

// Whole words of the Recorder.
constexpr uint32_t RECORDER_IDLE = STATE_OPENED | MODE_STOPPED;
constexpr uint32_t RECORDER_RECORDING = STATE_OPENED | MODE_RUNNING;
constexpr uint32_t RECORDER_PAUSED = STATE_OPENED | MODE_RECORDER_PAUSED;

inline uint32_t ModeOf(uint32_t state) {
    return state & STATE_MODE_MASK;
}
inline bool IsOpened(uint32_t state) {
    return (state & STATE_OPENED) != 0;
}

} // namespace tonilo
