#include "platform/input/SdlKeyMap.h"

#include <SDL2/SDL_keycode.h>

namespace tonilo {
namespace {

struct KeyPair {
    SDL_Keycode sdl;
    uint32_t virtualKey;
};

const KeyPair kKeys[] = {
    {SDLK_F13, 193},
    {SDLK_AUDIOPLAY, 194},
    {SDLK_AUDIOSTOP, 195},
    {SDLK_AUDIOPREV, 196},
    {SDLK_AUDIONEXT, 197},
    {SDLK_AUDIOREWIND, 198},
    {SDLK_AUDIOFASTFORWARD, 199},
    {SDLK_AUDIOMUTE, 200},
    {SDLK_F14, 201},
    {SDLK_APP1, 202},
    {SDLK_APP2, 203},
    {SDLK_MEDIASELECT, 204},
    {SDLK_MAIL, 205},
    {SDLK_CALCULATOR, 206},
    {SDLK_COMPUTER, 207},
    {SDLK_LEFT, 37},
    {SDLK_UP, 38},
    {SDLK_RIGHT, 39},
    {SDLK_DOWN, 40},
    {SDLK_RETURN, 13},
    {SDLK_KP_ENTER, 134},
    {SDLK_BACKSPACE, 8},
    {SDLK_TAB, 9},
    {SDLK_SPACE, 32},
    {SDLK_ASTERISK, 119},
    {SDLK_KP_MULTIPLY, 119},
    {SDLK_HASH, 120},
};

} // namespace

uint32_t VirtualKeyForSdl(int32_t sdlKeycode) {
    if (sdlKeycode >= SDLK_0 && sdlKeycode <= SDLK_9)
        return static_cast<uint32_t>('0' + (sdlKeycode - SDLK_0));
    if (sdlKeycode >= SDLK_KP_1 && sdlKeycode <= SDLK_KP_9)
        return static_cast<uint32_t>('1' + (sdlKeycode - SDLK_KP_1));
    if (sdlKeycode == SDLK_KP_0)
        return '0';
    if (sdlKeycode >= SDLK_a && sdlKeycode <= SDLK_z)
        return static_cast<uint32_t>('A' + (sdlKeycode - SDLK_a));
    for (const KeyPair& pair : kKeys) {
        if (pair.sdl == sdlKeycode)
            return pair.virtualKey;
    }
    return 0;
}

} // namespace tonilo
