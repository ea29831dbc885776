#pragma once
// An image holder without a layer: the digit strip of a clock, the thumb and mark
// of a slider. Its parent draws its image.
#include "skin/ElementClass.h"
#include "skin/SkinCompositor.h"

namespace tonilo {

class SkinSprite : public SkinElement {
public:
    static ElementClass& Class();
    SkinSprite(SkinSystem* owner, SkinFrame* frame) : SkinElement(owner, frame) {}

    const SkinImage& GetImage() const { return image_; }
    // Size of the registered picture; false when the sprite has none.
    bool GetImageSize(int32_t* width, int32_t* height) const;

private:
    static bool Create(const SkinDocument& document, const SkinNode& node, SkinSystem* owner,
                       SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                       SkinElement** out);
    static bool Handle(SkinElement* element, uint32_t message, uintptr_t wParam, intptr_t lParam,
                       intptr_t* result);

    SkinImage image_;
};

} // namespace tonilo
