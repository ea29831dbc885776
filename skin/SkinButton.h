#pragma once
// A push button drawn from a strip of state cells. A press takes the pointer
// capture and notifies 1, a release notifies 2 and, when the pointer is still on
// the button, 0 (the click). Children are drawn inside it and their pointer input
// goes to the button. User-interface thread only.
#include "skin/ElementClass.h"
#include "skin/SkinCompositor.h"

namespace tonilo {

class SkinButton : public SkinElement {
public:
    static ElementClass& Class();

    SkinButton(SkinSystem* owner, SkinFrame* frame) : SkinElement(owner, frame) {}
    void OnChildrenCreated() override;

    // As a pointer press or release; notifications only when notify is true.
    void SetPressed(bool pressed, bool notify, intptr_t lParam);
    // Selects the pair of cells drawn: 2 * index, and 2 * index + 1 when pressed.
    void SetState(int32_t index);
    int32_t GetState() const { return state_; }
    bool IsPressed() const { return pressed_; }
    bool IsInside() const { return inside_; }

private:
    static bool Create(const SkinDocument& document, const SkinNode& node, SkinSystem* owner,
                       SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                       SkinElement** out);
    static bool Handle(SkinElement* element, uint32_t message, uintptr_t wParam, intptr_t lParam,
                       intptr_t* result);
    static bool ForwardFromChild(SkinElement* element, uint32_t message, uintptr_t wParam,
                                 intptr_t lParam, intptr_t* result);
    void Paint();

    SkinImage image_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t state_ = 0;
    bool pressed_ = false;
    bool inside_ = false;
    int32_t imageWidth_ = -1; // read from the compositor on first paint
    int32_t imageHeight_ = -1;
};

} // namespace tonilo
