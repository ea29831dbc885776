#pragma once
// A static image: the background and the decorations of a skin.
#include "skin/ElementClass.h"
#include "skin/SkinCompositor.h"

namespace tonilo {

class SkinPanel : public SkinElement {
public:
    static ElementClass& Class();
    SkinPanel(SkinSystem* owner, SkinFrame* frame) : SkinElement(owner, frame) {}

private:
    static bool Create(const SkinDocument& document, const SkinNode& node, SkinSystem* owner,
                       SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                       SkinElement** out);
    static bool Handle(SkinElement* element, uint32_t message, uintptr_t wParam, intptr_t lParam,
                       intptr_t* result);

    SkinImage image_;
};

} // namespace tonilo
