#include "skin/Skin.h"

namespace tonilo {

Skin::~Skin() {
    // Later frames first, as they were made.
    while (!frames_.empty())
        frames_.pop_back();
}

bool Skin::GetFrame(size_t index, SkinFrame** frame) const {
    if (index >= frames_.size())
        return false;
    *frame = frames_[index].get();
    return true;
}

SkinElement* Skin::FindElement(const char* name) const {
    for (const auto& frame : frames_)
        if (SkinElement* element = frame->FindElement(name))
            return element;
    return nullptr;
}

} // namespace tonilo
