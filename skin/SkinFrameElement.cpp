#include "skin/SkinFrameElement.h"

#include "skin/SkinElementReader.h"

namespace tonilo {

ElementClass& SkinFrameElement::Class() {
    static ElementClass elementClass("frame", &SkinFrameElement::Create, nullptr);
    return elementClass;
}

bool SkinFrameElement::Create(const SkinDocument&, const SkinNode& node, SkinSystem* owner,
                              SkinFrame* frame, SkinElement* parent, SkinElement*,
                              SkinElement** out) {
    auto* element = new SkinFrameElement(owner, frame);
    element->Init(&Class(), parent, ReadElementName(node));
    *out = element;
    return true;
}

} // namespace tonilo
