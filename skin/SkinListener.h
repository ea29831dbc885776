#pragma once
// Receives the notifications of skin elements: the application for top-level
// elements, a parent element for nested ones. Called on the user-interface thread.
#include <cstdint>

namespace tonilo {

class SkinElement;

class SkinListener {
public:
    virtual ~SkinListener() = default;
    virtual intptr_t OnNotify(SkinElement* from, int32_t code, intptr_t p1, intptr_t p2) {
        return 0;
    }
};

} // namespace tonilo
