#pragma once
// A clock of digit cells drawn from a 12-cell strip (0-9, minus, separator) taken
// from its child sprite. It holds up to three times; a tap shows the next one.
// Unused cells above the value show a dimmed 0, separators dim when nothing beyond
// them is significant.
#include <array>
#include <vector>

#include "skin/ElementClass.h"

namespace tonilo {

class SkinSprite;

class SkinTime : public SkinElement {
public:
    static ElementClass& Class();
    static constexpr int32_t kDimmed = 180;

    SkinTime(SkinSystem* owner, SkinFrame* frame) : SkinElement(owner, frame) {}
    void OnChildrenCreated() override;

    void SetTime(int32_t index, int32_t milliseconds);
    void SelectTime(int32_t index);
    int32_t GetShown() const { return shown_; }
    int32_t GetCountSet() const { return count_; }

private:
    struct Value {
        int32_t milliseconds = 0;
        std::array<uint8_t, 8> digits{};
        bool negative = false;
    };

    static bool Create(const SkinDocument& document, const SkinNode& node, SkinSystem* owner,
                       SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                       SkinElement** out);
    static bool Handle(SkinElement* element, uint32_t message, uintptr_t wParam, intptr_t lParam,
                       intptr_t* result);
    void Paint();
    void DrawCell(int32_t x, int32_t cell, int32_t transparency);

    std::vector<int32_t> digits_;
    std::vector<int32_t> ticks_;
    std::array<Value, 3> values_{};
    int32_t count_ = 0;
    int32_t shown_ = 0;
    SkinSprite* strip_ = nullptr;
    int32_t cellWidth_ = 0;
    int32_t cellHeight_ = 0;
};

} // namespace tonilo
