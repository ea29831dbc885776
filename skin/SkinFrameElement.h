#pragma once
// The element of a "frame" node: a name and the parent of the frame's elements, with
// no layer and no drawing. Notifications of its children stop here.
#include "skin/ElementClass.h"

namespace tonilo {

class SkinFrameElement : public SkinElement {
public:
    static ElementClass& Class();
    SkinFrameElement(SkinSystem* owner, SkinFrame* frame) : SkinElement(owner, frame) {}

private:
    static bool Create(const SkinDocument& document, const SkinNode& node, SkinSystem* owner,
                       SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                       SkinElement** out);
};

} // namespace tonilo
