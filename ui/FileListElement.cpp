#include "ui/FileListElement.h"

#include <algorithm>
#include <cstring>

#include "platform/ProgramPaths.h"
#include "platform/Tick.h"
#include "skin/SkinElementReader.h"
#include "skin/SkinFrame.h"
#include "skin/SkinMessages.h"
#include "skin/SkinNode.h"
#include "skin/SkinSystem.h"
#include "skin/SkinTextRenderer.h"
#include "ui/ListPainter.h"

namespace tonilo {
namespace {

constexpr uint16_t kBorderColor = ((0x3A >> 3) << 11) | ((0x40 >> 2) << 5) | (0x4A >> 3);
constexpr size_t kMaxCachedTexts = 512;

} // namespace

ElementClass& FileListElement::Class() {
    static ElementClass elementClass("filelist", &FileListElement::Create,
                                     &FileListElement::Handle);
    return elementClass;
}

void FileListElement::ParseStyle(const std::string& style, bool* border, uint32_t* exStyle) {
    *border = style.find("NOT WS_BORDER") == std::string::npos;
    uint32_t ex = TouchList::kExDefault;
    if (style.find("LVS_EX_NOFILTER") != std::string::npos)
        ex |= TouchList::kExNoFilter;
    if (style.find("NOT LVS_EX_STRIPPEDLIST") != std::string::npos)
        ex &= ~TouchList::kExStriped;
    if (style.find("NOT LVS_EX_LETTERBAR") != std::string::npos)
        ex &= ~TouchList::kExLetterBar;
    if (style.find("NOT LVS_EX_AUTOHIDESCROLLER") != std::string::npos)
        ex &= ~TouchList::kExAutoHideScroller;
    if (style.find("WS_EX_NOTOUCHSCROLL") != std::string::npos)
        ex |= TouchList::kExNoTouchScroll;
    *exStyle = ex;
}

FileListElement::FileListElement(SkinSystem* owner, SkinFrame* frame)
    : SkinElement(owner, frame), styles_(DefaultListStyles()), clock_(&GetTickCount) {}

FileListElement::~FileListElement() {
    KillTimer(&frameTimer_);
    KillTimer(&waitTimer_);
    KillTimer(&holdTimer_);
    if (GetFrame() && GetFrame()->GetCaptured() == this)
        GetFrame()->ReleaseCapture();
}

FileListElement* FileListElement::Make(SkinSystem* owner, SkinFrame* frame, SkinElement* parent,
                                       const std::string& name, const SkinRect& rect,
                                       const std::string& style) {
    auto* list = new FileListElement(owner, frame);
    list->Init(&Class(), parent, name);
    list->Setup(rect, style);
    return list;
}

bool FileListElement::Create(const SkinDocument&, const SkinNode& node, SkinSystem* owner,
                             SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                             SkinElement** out) {
    SkinRect rect;
    if (!ReadEdges(node, &rect))
        return false;
    const SkinAttribute* style = node.Find("style", kSkinString);
    FileListElement* list = Make(owner, frame, parent, ReadElementName(node), rect,
                                 style && style->text ? *style->text : std::string());
    if (auto* from = dynamic_cast<FileListElement*>(templateElement)) {
        list->CopyCommonState(*from);
        list->TakeStateFrom(*from);
    }
    *out = list;
    return true;
}

void FileListElement::Setup(const SkinRect& rect, const std::string& style) {
    uint32_t exStyle = 0;
    ParseStyle(style, &border_, &exStyle);
    list_.SetExStyle(exStyle);
    inset_ = border_ ? 1 : 0;
    width_ = std::max(0, rect.Width());
    height_ = std::max(0, rect.Height());
    AddLayer(rect, nullptr);
    // Sizes follow the screen: 240 pixels on the short side is the unit.
    if (SkinCompositor* compositor = GetCompositor())
        scale_ = std::max(1, std::min(compositor->Width(), compositor->Height()) / 240);
    fontHeight_ = 6 + 5 * scale_;
    detailFontHeight_ = std::max(10, fontHeight_ * 3 / 4);
    if (SkinSystem* owner = GetOwner())
        if (SkinTextRenderer* renderer = owner->GetTextRenderer()) {
            font_ = renderer->CreateFont({"DejaVu Sans", fontHeight_, 400, true});
            detailFont_ = renderer->CreateFont({"DejaVu Sans", detailFontHeight_, 400, true});
        }
    Layout();
}

void FileListElement::Layout() {
    list_.SetGeometry(width_ - 2 * inset_, height_ - 2 * inset_, fontHeight_ * 9 / 4, 10 * scale_,
                      6 * scale_);
    SkinPoint origin = ElementToWindow({inset_, inset_});
    list_.SetOrigin(origin.x, origin.y);
    texts_.clear();
}

void FileListElement::SetModel(TouchListModel* model) {
    list_.SetModel(model);
    texts_.clear();
    Invalidate(nullptr);
}

void FileListElement::Reload() {
    list_.Reload();
    texts_.clear();
    Invalidate(nullptr);
}

void FileListElement::Select(int32_t row) {
    list_.Select(row);
    Invalidate(nullptr);
}

void FileListElement::EnsureVisible(int32_t row) {
    list_.EnsureVisible(row);
    ScheduleTimers();
    Invalidate(nullptr);
}

bool FileListElement::SelectedRange(int32_t* first, int32_t* last) const {
    return list_.SelectedRange(first, last);
}

void FileListElement::SetSearchText(const std::string& text) {
    list_.SetSearchText(text);
    Invalidate(nullptr);
}

void FileListElement::ApplyStyleSheet(const StyleSheet& sheet) {
    ::tonilo::ApplyStyleSheet(sheet, ProgramFolder(), &styles_);
    Invalidate(nullptr);
}

void FileListElement::SetStyle(int32_t slot, uint32_t color) {
    ::tonilo::SetStyle(&styles_, slot, color);
    Invalidate(nullptr);
}

void FileListElement::SetColumnWidths(const std::vector<int32_t>& widths) {
    columnWidths_ = widths;
    texts_.clear();
    Invalidate(nullptr);
}

void FileListElement::StopInput() {
    KillTimer(&holdTimer_);
    if (GetFrame() && GetFrame()->GetCaptured() == this)
        GetFrame()->ReleaseCapture();
}

void FileListElement::SetFocus(bool focus) {
    if (!focus)
        StopInput();
    list_.SetFocus(focus);
    ScheduleTimers();
    Invalidate(nullptr);
}

void FileListElement::Show(int32_t command) {
    if (command == 0) {
        StopInput();
        list_.Stop(Now());
        KillTimer(&frameTimer_);
        KillTimer(&waitTimer_);
    }
    SkinElement::Show(command);
}

void FileListElement::Wheel(int32_t delta) {
    list_.ScrollBy(-static_cast<double>(delta) * 3 * list_.RowHeight() / 120, Now());
    ScheduleTimers();
    Invalidate(nullptr);
}

bool FileListElement::KeyDown(uint32_t key) {
    bool used = list_.KeyDown(key, Now());
    ScheduleTimers();
    Invalidate(nullptr);
    return used;
}

void FileListElement::KeyUp(uint32_t key) {
    list_.KeyUp(key, Now());
    ScheduleTimers();
    Invalidate(nullptr);
}

bool FileListElement::Char(uint32_t character, int32_t repeat) {
    return list_.Char(character, repeat);
}

void FileListElement::TakeStateFrom(const FileListElement& old) {
    styles_ = old.styles_;
    columnWidths_ = old.columnWidths_;
    clock_ = old.clock_;
    list_.TakeStateFrom(old.list_);
    texts_.clear();
    Invalidate(nullptr);
}

void FileListElement::KillTimer(int32_t* id) {
    if (*id && GetFrame())
        GetFrame()->KillTimer(*id);
    *id = 0;
}

void FileListElement::ScheduleTimers() {
    const int32_t wake = list_.NextWakeMs(Now());
    if (wake == KineticScroller::kFramePeriodMs) {
        KillTimer(&waitTimer_);
        if (!frameTimer_ && GetFrame())
            frameTimer_ = std::max(0, GetFrame()->SetTimer(this, wake));
        return;
    }
    KillTimer(&frameTimer_);
    KillTimer(&waitTimer_);
    if (wake > 0 && GetFrame())
        waitTimer_ = std::max(0, GetFrame()->SetTimer(this, wake));
}

void FileListElement::OnTimer(uint32_t id) {
    if (holdTimer_ && id == static_cast<uint32_t>(holdTimer_)) {
        KillTimer(&holdTimer_);
        if (list_.CheckHold(Now()))
            Invalidate(nullptr);
        return;
    }
    if (waitTimer_ && id == static_cast<uint32_t>(waitTimer_))
        KillTimer(&waitTimer_);
    list_.Frame(Now());
    Invalidate(nullptr);
    ScheduleTimers();
}

void FileListElement::OnPointer(uint32_t message, int32_t x, int32_t y) {
    SkinFrame* frame = GetFrame();
    const int32_t vx = x - inset_, vy = y - inset_;
    switch (message) {
    case kSkinButtonDown:
        if (frame)
            frame->SetCapture(this);
        list_.PointerDown(vx, vy, Now());
        KillTimer(&holdTimer_);
        if (frame)
            holdTimer_ = std::max(0, frame->SetTimer(this, TouchList::kHoldMs));
        ScheduleTimers();
        Invalidate(nullptr);
        break;
    case kSkinMouseMove: {
        if (!list_.IsPressed())
            return;
        const double before = list_.ScrollY();
        list_.PointerMove(vx, vy, Now());
        if (list_.ScrollY() != before)
            Invalidate(nullptr);
        break;
    }
    case kSkinButtonUp:
        if (frame && frame->GetCaptured() == this)
            frame->ReleaseCapture();
        KillTimer(&holdTimer_);
        list_.PointerUp(vx, vy, Now());
        ScheduleTimers();
        Invalidate(nullptr);
        break;
    default:
        break;
    }
}

bool FileListElement::Handle(SkinElement* element, uint32_t message, uintptr_t wParam,
                             intptr_t lParam, intptr_t* result) {
    auto* list = static_cast<FileListElement*>(element);
    switch (message) {
    case kSkinPaint:
        if (wParam)
            list->Paint(*reinterpret_cast<const SkinRect*>(wParam));
        return true;
    case kSkinButtonDown:
    case kSkinMouseMove:
    case kSkinButtonUp:
        list->OnPointer(message, PointX(lParam), PointY(lParam));
        return true;
    case kSkinTimer:
        if (wParam == kSharedTickId)
            return false;
        list->OnTimer(static_cast<uint32_t>(wParam));
        return true;
    case kWheelMessage:
        list->Wheel(static_cast<int16_t>((wParam >> 16) & 0xFFFF));
        return true;
    case kKeyDownMessage:
    case kKeyUpMessage:
    case kCharMessage: {
        SkinCompositor* compositor = list->GetCompositor();
        if (!list->list_.HasFocus() || !compositor || !compositor->IsLayerVisible(list))
            return false;
        bool used = true;
        if (message == kKeyDownMessage)
            used = list->KeyDown(static_cast<uint32_t>(wParam));
        else if (message == kKeyUpMessage)
            list->KeyUp(static_cast<uint32_t>(wParam));
        else
            used = list->Char(static_cast<uint32_t>(wParam), static_cast<int32_t>(lParam & 0xFFFF));
        *result = used ? 0 : 1;
        return used;
    }
    default:
        return false;
    }
}

int32_t FileListElement::ColumnWidth(int32_t column) const {
    const int32_t columns = list_.Model() ? std::clamp(list_.Model()->ColumnCount(), 1, 2) : 1;
    const int32_t total = list_.ViewWidth();
    if (columns == 1)
        return column == 0 ? total : 0;
    int32_t widths[2] = {0, 60 * scale_}; // the first takes the rest
    for (int32_t i = 0; i < 2 && static_cast<size_t>(i) < columnWidths_.size(); ++i)
        widths[i] = columnWidths_[i] > 0 ? columnWidths_[i] * scale_ : 0;
    if (widths[0] > 0 && widths[1] > 0)
        return std::min(widths[column], total);
    int32_t fixed = std::min(total, widths[0] + widths[1]);
    return widths[column] > 0 ? fixed : total - fixed;
}

const SkinTextBitmap& FileListElement::CellBitmap(int32_t row, int32_t column, int32_t width) {
    const int64_t key = static_cast<int64_t>(row) * 2 + column;
    auto found = texts_.find(key);
    if (found != texts_.end())
        return found->second;
    if (texts_.size() >= kMaxCachedTexts)
        texts_.clear(); // a flick has moved on; the rows on screen come back at once
    SkinTextBitmap& bitmap = texts_[key];
    SkinFont* font = column == 0 ? font_.get() : detailFont_.get();
    if (font && list_.Model() && width > 0) {
        std::string text = FitText(*font, list_.Model()->CellText(row, column), width, false);
        if (!text.empty())
            font->RenderText(text, &bitmap);
    }
    return bitmap;
}

void FileListElement::PaintRow(int32_t row, const SkinRect& view) {
    ListPainter painter(GetCompositor(), this, GetOwner());
    const int32_t rowHeight = list_.RowHeight();
    const int32_t top = list_.RowTop(row) + inset_;
    const SkinRect rect = SkinRect{view.left, top, view.right, top + rowHeight - 1}.Intersect(view);
    const bool selected = list_.IsSelected(row);
    const auto& body = styles_.body;
    const ListStyleEntry& fill =
        selected ? body[list_.HasFocus() ? kListFocusedFill : kListUnfocusedFill]
        : ((list_.ExStyle() & TouchList::kExStriped) && (row & 1)) ? body[kListStripeFill]
                                                                   : body[kListRowFill];
    painter.Fill(fill, rect, &images_);
    const uint16_t text = ColorTo565(body[selected ? kListSelectedText : kListText].Color());
    const int32_t pad = 3 * scale_;
    const int32_t glyph = fontHeight_;
    SkinRect glyphBox =
        SkinRect::FromSize(view.left + pad, top + (rowHeight - glyph) / 2, glyph, glyph);
    if (!glyphBox.Intersect(view).IsEmpty()) {
        if (list_.Model()->IsFolder(row))
            painter.FolderGlyph(glyphBox, text);
        else
            painter.FileGlyph(glyphBox, ColorTo565(body[kListDetailsText].Color()));
    }
    const int32_t textLeft = glyphBox.right + 1 + 2 * pad;
    const int32_t first = ColumnWidth(0);
    SkinRect box{textLeft, rect.top, view.left + first - pad - 1, rect.bottom};
    const SkinTextBitmap& name = CellBitmap(row, 0, box.Width());
    painter.Text(name, {textLeft, top + (rowHeight - name.height) / 2}, box, text);
    const int32_t second = ColumnWidth(1);
    if (second > 0) {
        SkinRect detail{view.left + first, rect.top, view.left + first + second - pad - 1,
                        rect.bottom};
        const SkinTextBitmap& value = CellBitmap(row, 1, detail.Width());
        painter.Text(value, {detail.right + 1 - value.width, top + (rowHeight - value.height) / 2},
                     detail,
                     ColorTo565(body[selected ? kListSelectedText : kListDetailsText].Color()));
    }
}

void FileListElement::PaintBar() {
    const ListScrollBar& bar = list_.VerticalBar();
    const uint8_t opacity = bar.Opacity(Now());
    if (opacity == 0)
        return;
    ListPainter painter(GetCompositor(), this, GetOwner());
    const int32_t width = 4 * scale_;
    const int32_t left = inset_ + list_.ViewWidth() - width - 2 * scale_;
    auto fill = [&](const ListStyleEntry& entry, const SkinRect& rect) {
        if (entry.hasBrush && !entry.IsGradient())
            painter.Solid(rect, ColorTo565(entry.Color()), opacity);
        else
            painter.Fill(entry, rect, &images_);
    };
    fill(styles_.bar[kBarTrack], {left, inset_, left + width - 1, inset_ + list_.ViewHeight() - 1});
    const int32_t top = inset_ + bar.ThumbStart();
    const SkinRect thumb{left, top, left + width - 1, top + bar.ThumbLength() - 1};
    fill(styles_.bar[bar.IsDragging() ? kBarPressed : kBarThumb], thumb);
    const std::string indicator = list_.IndicatorText();
    if (indicator.empty() || !font_)
        return;
    // The value popup: two lines beside the thumb.
    const size_t split = indicator.find('\n');
    SkinTextBitmap lines[2];
    font_->RenderText(indicator.substr(0, split), &lines[0]);
    if (split != std::string::npos)
        font_->RenderText(indicator.substr(split + 1), &lines[1]);
    const int32_t pad = 4 * scale_;
    const int32_t boxWidth = std::max(lines[0].width, lines[1].width) + 2 * pad;
    const int32_t boxHeight = lines[0].height + lines[1].height + 2 * pad;
    const int32_t boxTop = std::clamp(top + bar.ThumbLength() / 2 - boxHeight / 2, inset_,
                                      std::max(inset_, inset_ + list_.ViewHeight() - boxHeight));
    const SkinRect box = SkinRect::FromSize(left - pad - boxWidth, boxTop, boxWidth, boxHeight);
    painter.Fill(styles_.bar[kBarPressed], box, &images_);
    const uint16_t color = ColorTo565(styles_.bar[kBarPressedText].Color());
    int32_t y = box.top + pad;
    for (const SkinTextBitmap& line : lines) {
        painter.Text(line, {box.left + (boxWidth - line.width) / 2, y}, box, color);
        y += line.height;
    }
}

void FileListElement::PaintBanner() {
    ListPainter painter(GetCompositor(), this, GetOwner());
    const SkinRect view = SkinRect::FromSize(inset_, inset_, list_.ViewWidth(), list_.ViewHeight());
    painter.Solid(view, ColorTo565(SystemColor(7)));
    if (!font_)
        return;
    SkinTextBitmap text;
    font_->RenderText(FitText(*font_, list_.NoMatchText(), view.Width() - 4 * scale_, false),
                      &text);
    painter.Text(
        text,
        {view.left + (view.Width() - text.width) / 2, view.top + (view.Height() - text.height) / 2},
        view, ColorTo565(SystemColor(5)));
}

void FileListElement::Paint(const SkinRect& area) {
    SkinCompositor* compositor = GetCompositor();
    if (!compositor)
        return;
    ListPainter painter(compositor, this, GetOwner());
    const SkinRect view = SkinRect::FromSize(inset_, inset_, list_.ViewWidth(), list_.ViewHeight());
    if (border_)
        painter.Outline(SkinRect::FromSize(0, 0, width_, height_), kBorderColor);
    if (list_.ShowsNoMatch()) {
        PaintBanner();
        return;
    }
    const SkinRect part = area.Intersect(view);
    if (part.IsEmpty())
        return;
    painter.Fill(styles_.body[kListBackground], part, &images_);
    if (list_.Model() && list_.RowCount() > 0) {
        const int32_t rowHeight = list_.RowHeight();
        const double scroll = list_.ScrollY();
        int32_t first = static_cast<int32_t>((part.top - inset_ + scroll) / rowHeight);
        first = std::clamp(first - 1, 0, list_.RowCount() - 1);
        for (int32_t row = first; row < list_.RowCount(); ++row) {
            const int32_t top = list_.RowTop(row) + inset_;
            if (top > part.bottom)
                break;
            if (top + rowHeight - 1 >= part.top)
                PaintRow(row, view);
        }
    }
    PaintBar();
}

} // namespace tonilo
