#include "platform/window/dialogs/DialogStack.h"

#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace tonilo {
namespace {

constexpr ImGuiWindowFlags kDialogFlags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                                          ImGuiWindowFlags_NoSavedSettings |
                                          ImGuiWindowFlags_NoScrollWithMouse;

bool Pressed(ImGuiKey key) {
    return ImGui::IsKeyPressed(ImGui::GetKeyIndex(key), false);
}

bool AnyPopupOpen() {
    return ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel);
}

// Enter starts a new line in a text of several lines rather than pressing OK.
bool EditingLines() {
    ImGuiID active = ImGui::GetActiveID();
    const ImGuiInputTextState* state = active ? ImGui::GetInputTextState(active) : nullptr;
    return state && !state->Stb.single_line;
}

// The title on a band of its own across the window, wrapped when long.
void DrawTitle(const std::string& title, float width) {
    const ImGuiStyle& style = ImGui::GetStyle();
    ImVec2 origin = ImGui::GetWindowPos();
    float wrap = ImGui::GetContentRegionAvail().x;
    float bottom = ImGui::GetCursorScreenPos().y +
                   ImGui::CalcTextSize(title.c_str(), nullptr, false, wrap).y +
                   style.WindowPadding.y;
    // Past the window's padding, which clips its own drawing.
    ImGui::PushClipRect(origin, ImVec2(origin.x + width, bottom), false);
    ImGui::GetWindowDrawList()->AddRectFilled(origin, ImVec2(origin.x + width, bottom),
                                              ImGui::GetColorU32(ImGuiCol_TitleBgActive));
    ImGui::PopClipRect();
    ImGui::PushTextWrapPos(0);
    ImGui::TextUnformatted(title.c_str());
    ImGui::PopTextWrapPos();
    ImGui::SetCursorScreenPos(ImVec2(ImGui::GetCursorScreenPos().x, bottom + style.ItemSpacing.y));
}

} // namespace

void DialogStack::Open(std::unique_ptr<Dialog> dialog) {
    if (dialog)
        opening_.push_back(std::move(dialog));
}

DialogStack::Shown* DialogStack::TopShown() {
    for (auto it = shown_.rbegin(); it != shown_.rend(); ++it)
        if (!it->closing)
            return &*it;
    return nullptr;
}

Dialog* DialogStack::Top() const {
    Shown* top = const_cast<DialogStack*>(this)->TopShown();
    return top ? top->dialog.get() : nullptr;
}

uint32_t DialogStack::RefreshMilliseconds() const {
    Dialog* top = Top();
    return top ? top->RefreshMilliseconds() : 0;
}

void DialogStack::UiFor(Shown& shown, float width, float height, float fontPixels) {
    if (!shown.ui || shown.ui->Width() != width || shown.ui->Height() != height ||
        shown.ui->FontPixels() != fontPixels)
        shown.ui = std::make_unique<DialogUi>(*services_, fontPixels, width, height);
}

void DialogStack::Draw(float width, float height, float fontPixels, bool keys) {
    fontPixels_ = fontPixels;
    for (auto& dialog : opening_)
        shown_.push_back(Shown{std::move(dialog), nullptr, ++serial_});
    opening_.clear();
    bool popupOpen = AnyPopupOpen();
    Shown* top = TopShown();
    if (!top || !services_) {
        popupBefore_ = popupOpen;
        return;
    }
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(width, height));
    if (focused_ != top->serial) {
        // A dialog that comes up (or back) takes the keyboard.
        ImGui::SetNextWindowFocus();
        focused_ = top->serial;
    }
    std::string name = "##dialog" + std::to_string(top->serial);
    // Nothing of the skin shows through.
    ImVec4 background = ImGui::GetStyleColorVec4(ImGuiCol_WindowBg);
    background.w = 1;
    ImGui::PushStyleColor(ImGuiCol_WindowBg, background);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, 0);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0);
    ImGui::Begin(name.c_str(), nullptr, kDialogFlags);
    ImGui::PopStyleVar(2);
    ImGui::PopStyleColor();
    DrawTitle(top->dialog->Title(), width);
    ImGui::BeginChild("##body", ImVec2(0, 0), false, ImGuiWindowFlags_NavFlattened);
    ImVec2 room = ImGui::GetContentRegionAvail();
    UiFor(*top, room.x, room.y, fontPixels);
    top->dialog->Draw(*top->ui);
    ImGui::EndChild();
    FingerScroll(ImGui::GetCurrentWindow(), fontPixels);
    ImGui::End();
    if (keys && !popupOpen && !popupBefore_ && !top->dialog->TakesHardwareKeys()) {
        if (Pressed(ImGuiKey_Escape))
            Cancel();
        else if ((Pressed(ImGuiKey_Enter) || Pressed(ImGuiKey_KeyPadEnter)) && !EditingLines())
            Ok();
    }
    if (!top->closing && top->dialog->Finished())
        top->closing = true;
    popupBefore_ = AnyPopupOpen();
}

// A finger drags the body (or a list in it) the way it wants it to look. It
// may press on a button or a check box first: once it has moved up or down
// by more than a little, the press is no press and the drag scrolls what is
// under it. Text fields and sliders keep their own drags, as do scroll bars.
void DialogStack::FingerScroll(ImGuiWindow* dialog, float fontPixels) {
    ImGuiContext& g = *ImGui::GetCurrentContext();
    ImGuiIO& io = ImGui::GetIO();
    if (!io.MouseDown[ImGuiMouseButton_Left]) {
        drag_ = Drag{};
        return;
    }
    if (io.MouseClicked[ImGuiMouseButton_Left]) {
        drag_ = Drag{};
        ImGuiWindow* under = g.HoveredWindow;
        if (!under || under->RootWindow != dialog)
            return;
        // The nearest window that scrolls: a list, else the body.
        while (under != dialog && under->ScrollMax.y <= 0)
            under = under->ParentWindow;
        if (under->ScrollMax.y <= 0)
            return;
        drag_.window = under->ID;
        drag_.startY = io.MousePos.y;
        return;
    }
    ImGuiWindow* target = drag_.window ? ImGui::FindWindowByID(drag_.window) : nullptr;
    if (!target)
        return;
    if (!drag_.scrolling) {
        // A press on no control holds its window (ImGui's "moving" it).
        bool onVoid = g.ActiveIdWindow && g.ActiveId == g.ActiveIdWindow->MoveId;
        bool ownDrag =
            (!onVoid && g.ActiveIdUsingNavDirMask != 0) ||
            (g.ActiveId && g.ActiveId == ImGui::GetWindowScrollbarID(target, ImGuiAxis_Y));
        if (ownDrag || std::fabs(io.MousePos.y - drag_.startY) < fontPixels * 0.6f)
            return;
        drag_.scrolling = true;
        ImGui::ClearActiveID();
    }
    ImGui::SetScrollY(target, target->Scroll.y - io.MouseDelta.y);
}

void DialogStack::Ok() {
    Shown* top = TopShown();
    if (!top || !services_ || top->dialog->Keys() == DialogKeys::CancelOnly)
        return;
    if (!top->ui)
        UiFor(*top, ImGui::GetIO().DisplaySize.x, ImGui::GetIO().DisplaySize.y, fontPixels_);
    if (top->dialog->Ok(*top->ui))
        top->closing = true;
}

void DialogStack::Cancel() {
    Shown* top = TopShown();
    if (!top)
        return;
    bool staysOpen = top->dialog->CancelKeepsOpen();
    top->dialog->Cancel();
    top->closing = !staysOpen;
}

bool DialogStack::EndFrame() {
    size_t before = shown_.size();
    shown_.erase(std::remove_if(shown_.begin(), shown_.end(),
                                [](const Shown& shown) { return shown.closing; }),
                 shown_.end());
    return !opening_.empty() || shown_.size() != before;
}

void DialogStack::CloseAll() {
    opening_.clear();
    while (!shown_.empty())
        shown_.pop_back();
}

} // namespace tonilo
