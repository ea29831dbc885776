#pragma once
// A level meter: the part of a full-scale picture up to the value. Horizontal
// meters fill from the left, vertical ones from the bottom.
#include "skin/ElementClass.h"
#include "skin/SkinCompositor.h"

namespace tonilo {

class SkinLevel : public SkinElement {
public:
    static ElementClass& Class();
    SkinLevel(SkinSystem* owner, SkinFrame* frame) : SkinElement(owner, frame) {}

    void SetRange(int32_t max);
    void SetValue(int32_t value);
    int32_t GetRange() const { return max_; }
    int32_t GetValue() const { return value_; }
    // Horizontal: the filled width; vertical: the empty height above the fill.
    int32_t GetFillExtent() const { return extent_; }
    bool IsHorizontal() const { return width_ > height_; }
    // The paint handler of the class, for a slider drawing its linked level.
    static bool Handle(SkinElement* element, uint32_t message, uintptr_t wParam, intptr_t lParam,
                       intptr_t* result);

private:
    static bool Create(const SkinDocument& document, const SkinNode& node, SkinSystem* owner,
                       SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                       SkinElement** out);
    void UpdateExtent();

    int32_t max_ = -1;
    int32_t value_ = 0;
    int32_t extent_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    SkinImage image_;
};

} // namespace tonilo
