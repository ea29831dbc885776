#pragma once
// The skin element "filelist": the recording list drawn into the skin's picture.
// It shows a TouchListModel as header-less rows (a glyph, the name, an optional
// second column), stripes, the selection, the vertical scroll bar with its value
// popup and the no-match banner, in the default skins' colours unless a style
// sheet gives others. Pointer input drives the touch list; a flick or a fading bar
// runs on the frame's timers, one frame every 25 ms, and only the list's own
// rectangle is repainted. Keys arrive as the window's key messages.
// User-interface thread only.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "listctrl/ListStyle.h"
#include "listctrl/TouchList.h"
#include "skin/ElementClass.h"
#include "skin/SkinCompositor.h"

namespace tonilo {

class SkinFont;

class FileListElement : public SkinElement {
public:
    static ElementClass& Class();
    static constexpr int32_t kControlId = 1021;
    // Window key messages the element takes while it has the focus.
    static constexpr uint32_t kKeyDownMessage = 256;
    static constexpr uint32_t kKeyUpMessage = 257;
    static constexpr uint32_t kCharMessage = 258;  // lParam's low word: repeat count
    static constexpr uint32_t kWheelMessage = 522; // wParam's high word: signed 120ths

    // Builds a list outside a skin file; rect in the parent's coordinates, style
    // as the skin's "style" attribute.
    static FileListElement* Make(SkinSystem* owner, SkinFrame* frame, SkinElement* parent,
                                 const std::string& name, const SkinRect& rect,
                                 const std::string& style);
    // The "style" attribute's tokens: whether a border is drawn and the extended style.
    static void ParseStyle(const std::string& style, bool* border, uint32_t* exStyle);

    FileListElement(SkinSystem* owner, SkinFrame* frame);
    ~FileListElement() override;

    // Not owned: set another (or none) before the model goes away.
    void SetModel(TouchListModel* model);
    TouchListModel* Model() const { return list_.Model(); }
    // The model's rows changed.
    void Reload();
    void Select(int32_t row);
    void EnsureVisible(int32_t row);
    bool SelectedRange(int32_t* first, int32_t* last) const;
    // The search text the model keeps; with no rows the no-match banner shows it.
    void SetSearchText(const std::string& text);
    void ApplyStyleSheet(const StyleSheet& sheet);
    void SetStyle(int32_t slot, uint32_t color);
    // Column widths in pixels of a 240-pixel-wide screen (scaled to this one); a
    // width of 0 or less takes what the others leave.
    void SetColumnWidths(const std::vector<int32_t>& widths);
    // Losing the focus ends a drag.
    void SetFocus(bool focus);
    // Hiding the list stops its animation and timers.
    void Show(int32_t command) override;
    // A wheel's turn: 120 per notch, three rows a notch, positive towards the top.
    void Wheel(int32_t delta);
    bool KeyDown(uint32_t key);
    void KeyUp(uint32_t key);
    bool Char(uint32_t character, int32_t repeat);
    // Scroll position, selection, search text, model, styles and column widths of
    // the list this one replaces (after a skin change).
    void TakeStateFrom(const FileListElement& old);

    // The clock input times come from; the platform tick unless replaced.
    void SetClock(std::function<uint32_t()> clock) { clock_ = std::move(clock); }
    const TouchList& List() const { return list_; }
    const ListStyles& Styles() const { return styles_; }
    bool HasBorder() const { return border_; }
    int32_t RowHeight() const { return list_.RowHeight(); }
    // The frame's timer ids the list runs on, 0 while stopped: animation frames, the
    // wait before the bar fades, the tap-and-hold delay.
    int32_t FrameTimerId() const { return frameTimer_; }
    int32_t WaitTimerId() const { return waitTimer_; }
    int32_t HoldTimerId() const { return holdTimer_; }
    // Paints a part of the list (element coordinates); the skin's paint message.
    void Paint(const SkinRect& area);

private:
    static bool Create(const SkinDocument& document, const SkinNode& node, SkinSystem* owner,
                       SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                       SkinElement** out);
    static bool Handle(SkinElement* element, uint32_t message, uintptr_t wParam, intptr_t lParam,
                       intptr_t* result);
    void Setup(const SkinRect& rect, const std::string& style);
    void Layout();
    void OnPointer(uint32_t message, int32_t x, int32_t y);
    void OnTimer(uint32_t id);
    void StopInput();
    void ScheduleTimers();
    void KillTimer(int32_t* id);
    uint32_t Now() const { return clock_(); }
    const SkinTextBitmap& CellBitmap(int32_t row, int32_t column, int32_t width);
    void PaintRow(int32_t row, const SkinRect& area);
    void PaintBar();
    void PaintBanner();
    int32_t ColumnWidth(int32_t column) const;

    TouchList list_;
    ListStyles styles_;
    std::map<std::string, int32_t> images_;
    std::vector<int32_t> columnWidths_;
    bool border_ = true;
    int32_t width_ = 0, height_ = 0;
    int32_t inset_ = 1;
    int32_t scale_ = 1;
    std::unique_ptr<SkinFont> font_;
    std::unique_ptr<SkinFont> detailFont_;
    int32_t fontHeight_ = 11;
    int32_t detailFontHeight_ = 10;
    std::unordered_map<int64_t, SkinTextBitmap> texts_;
    std::function<uint32_t()> clock_;
    int32_t frameTimer_ = 0;
    int32_t waitTimer_ = 0;
    int32_t holdTimer_ = 0;
};

} // namespace tonilo
