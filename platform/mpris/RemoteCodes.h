#pragma once
// Remote-control codes: what a headset button or a desktop media key asks of
// the main window. They travel to the user-interface thread as thread message
// 33268 with the code as w; the window's double-press window turns two quick
// play/pause presses into "record".
#include <cstdint>
#include <functional>

#include "platform/ThreadMessages.h"

namespace tonilo {

constexpr uint32_t kRemoteControlMessage = 33268;

constexpr uint32_t kRemotePlayPause = 102; // the one button: play/pause, twice quickly: record
constexpr uint32_t kRemoteStop = 103;
constexpr uint32_t kRemoteNext = 104;           // next recording
constexpr uint32_t kRemotePrevious = 105;       // previous recording
constexpr uint32_t kRemoteTogglePlayback = 106; // play/pause without the double-press window

// A handler for MprisPlayer that posts each code to `uiThread`'s queue, so the
// window handles it on its own thread:
//     MprisPlayer mpris(PostRemoteCodesTo(GetCurrentThreadId()));
// A code is dropped when that thread has gone (the program is ending).
std::function<void(uint32_t code)> PostRemoteCodesTo(ThreadId uiThread);

} // namespace tonilo
