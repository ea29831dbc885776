#pragma once
// SDL key codes as virtual-key numbers, the numbers the hardware-button
// manager and its stored "HwKeys" table use.
//
// Application buttons 193..207 are the keys handhelds and Linux phones send
// for their extra buttons (media and launcher keys):
//
//   193 App Button 1   Record: KEY_RECORD has no SDL code; keymaps give it
//                      F13, so SDLK_F13 stands in
//   194 App Button 2   Play/Pause        SDLK_AUDIOPLAY
//   195 App Button 3   Stop              SDLK_AUDIOSTOP
//   196 App Button 4   Previous track    SDLK_AUDIOPREV
//   197 App Button 5   Next track        SDLK_AUDIONEXT
//   198 App Button 6   Rewind            SDLK_AUDIOREWIND
//   199 App Button 7   Fast forward      SDLK_AUDIOFASTFORWARD
//   200 App Button 8   Mute              SDLK_AUDIOMUTE
//   201 App Button 9   Camera / F14      SDLK_F14
//   202 App Button 10  Launch app 1      SDLK_APP1
//   203 App Button 11  Launch app 2      SDLK_APP2
//   204 App Button 12  Media select      SDLK_MEDIASELECT
//   205 App Button 13  Mail              SDLK_MAIL
//   206 App Button 14  Calculator        SDLK_CALCULATOR
//   207 App Button 15  Computer          SDLK_COMPUTER
//
// The volume keys stay the desktop's. Other keys: digits and letters as their
// upper-case character, arrows 37..40, Return 13, Backspace 8, Tab 9, Space
// 32, '*' 119 and '#' 120 as a phone keypad sends them, the keypad's Enter
// 134 (the action key).
#include <cstdint>

namespace tonilo {

// 0 for a key without a number.
uint32_t VirtualKeyForSdl(int32_t sdlKeycode);

} // namespace tonilo
