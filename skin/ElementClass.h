#pragma once
// A kind of skin element: its tag name, the function that builds an element from a
// skin node, and the handler elements of the class start with.
#include <string>

#include "skin/SkinElement.h"

namespace tonilo {

class SkinDocument;
class SkinNode;

// Builds the element for node inside frame under parent; a template element of the
// same name, when given, supplies the state to continue from. Calls Init on the
// element. On failure releases what it made and returns false.
using ElementCreateFunction = bool (*)(const SkinDocument& document, const SkinNode& node,
                                       SkinSystem* owner, SkinFrame* frame, SkinElement* parent,
                                       SkinElement* templateElement, SkinElement** out);

class ElementClass {
public:
    ElementClass(std::string tag, ElementCreateFunction create, SkinMessageHandler handler)
        : tagName(std::move(tag)), createFunction(create), defaultHandler(handler) {}

    const std::string tagName;
    const ElementCreateFunction createFunction;
    const SkinMessageHandler defaultHandler;
};

} // namespace tonilo
