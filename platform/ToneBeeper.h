#pragma once
// The begin and end beeps (sounds 1216 and 1217): short tones generated here
// and played through the process's wave output. Play returns when the tone has
// been played, so a beep delays what follows by the tone's length, not more.
#include <cstdint>

namespace tonilo {

constexpr uint32_t kBeginBeepSound = 1216;
constexpr uint32_t kEndBeepSound = 1217;
constexpr uint32_t kBeepMilliseconds = 120;

// False when there is no output device or the sound is not one of the two.
bool PlayBeep(uint32_t sound);

} // namespace tonilo
