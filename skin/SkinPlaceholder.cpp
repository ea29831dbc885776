#include "skin/SkinPlaceholder.h"

#include <strings.h>

#include <deque>

#include "skin/SkinElementReader.h"
#include "skin/SkinMessages.h"
#include "skin/SkinNode.h"

namespace tonilo {

ElementClass& SkinPlaceholder::ClassFor(const std::string& tag) {
    static std::deque<ElementClass> classes; // addresses stay put as it grows
    for (ElementClass& known : classes)
        if (strcasecmp(known.tagName.c_str(), tag.c_str()) == 0)
            return known;
    return classes.emplace_back(tag, &SkinPlaceholder::Create, &SkinPlaceholder::Handle);
}

bool SkinPlaceholder::Create(const SkinDocument&, const SkinNode& node, SkinSystem* owner,
                             SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                             SkinElement** out) {
    auto* element = new SkinPlaceholder(owner, frame);
    element->Init(&ClassFor(node.GetName() ? node.GetName() : ""), parent, ReadElementName(node));
    // Placed as the application's own elements place themselves: by their edges.
    SkinRect rect;
    if (!ReadEdges(node, &rect)) {
        element->Release();
        return false;
    }
    element->AddLayer(rect, nullptr);
    if (templateElement)
        element->CopyCommonState(*templateElement);
    *out = element;
    return true;
}

bool SkinPlaceholder::Handle(SkinElement*, uint32_t message, uintptr_t, intptr_t, intptr_t*) {
    return message == kSkinPaint;
}

} // namespace tonilo
