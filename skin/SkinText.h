#pragma once
// A line of text in a box. A text wider than its box can scroll by itself on the
// frame's shared 150 ms tick: it pauses 9 ticks, slides left 3 pixels a tick until
// its end shows, pauses, slides back, and so on. Dragging scrolls it by hand; a
// short tap stops or restarts the scrolling. User-interface thread only.
#include <memory>
#include <string>

#include "skin/ElementClass.h"
#include "skin/SkinCompositor.h"

namespace tonilo {

class SkinFont;

class SkinText : public SkinElement {
public:
    static ElementClass& Class();
    static constexpr size_t kMaxLength = 259;
    enum Alignment : uint32_t { kCenter = 1, kRight = 2, kVCenter = 4, kBottom = 8 };

    SkinText(SkinSystem* owner, SkinFrame* frame);
    ~SkinText() override;
    void Show(int32_t command) override;

    // A text of more than 259 characters is ignored.
    void SetText(const std::string& text);
    const std::string& GetText() const { return text_; }
    int32_t GetTextWidth() const { return textWidth_; }
    int32_t GetOffset() const { return offset_; }
    bool IsScrollRunning() const { return scrollRunning_; }
    bool HasTimer() const { return timerId_ != 0; }
    uint32_t GetAlignment() const { return alignment_; }
    // One step of the animation in the given direction (the phase counter on a tick).
    void ScrollStep(int32_t direction);

private:
    static bool Create(const SkinDocument& document, const SkinNode& node, SkinSystem* owner,
                       SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                       SkinElement** out);
    static bool Handle(SkinElement* element, uint32_t message, uintptr_t wParam, intptr_t lParam,
                       intptr_t* result);
    void ResetScroll();
    void StartTimer();
    void StopTimer();
    bool Wider() const { return textWidth_ > width_; }

    std::string text_;
    int32_t textWidth_ = 0;
    SkinTextBitmap rendered_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::unique_ptr<SkinFont> font_;
    uint16_t color_ = 0;
    uint32_t alignment_ = 0;
    bool scrollEnabled_ = false;
    bool scrollRunning_ = false;
    int32_t offset_ = 0;
    int32_t counter_ = -10;
    int32_t timerId_ = 0;
    bool dragging_ = false;
    int32_t lastX_ = 0;
    uint32_t pressTime_ = 0;
};

} // namespace tonilo
