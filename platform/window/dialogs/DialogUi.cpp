#include "platform/window/dialogs/DialogUi.h"

#include <imgui.h>

#include <algorithm>

namespace tonilo {
namespace {

// ImGui needs an id per control; the label's text after "##" is hidden.
std::string Hidden(const std::string& label) {
    return "##" + label;
}

// Days of a month, February of leap years included.
int32_t DaysIn(int32_t year, int32_t month) {
    static const int32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[(month + 11) % 12];
}

// A label on its own line above a control that takes the whole width, so a
// narrow phone screen keeps long labels readable.
void LabelAbove(const std::string& label) {
    if (!label.empty() && label.compare(0, 2, "##") != 0)
        ImGui::TextUnformatted(label.c_str());
}

// A text in a buffer of `limit` bytes and the terminator: ImGui takes no
// character past it, so an edit beyond the limit never happens.
std::vector<char> EditBuffer(const std::string& text, size_t limit) {
    std::vector<char> buffer(limit + 1, '\0');
    std::copy_n(text.begin(), std::min(text.size(), limit), buffer.begin());
    return buffer;
}

// The width of each of `parts` numbers with - and + buttons side by side; 0
// when one of them would not show four digits: they then go one a row.
float PartWidth(int parts) {
    const ImGuiStyle& style = ImGui::GetStyle();
    float width =
        (ImGui::GetContentRegionAvail().x - style.ItemSpacing.x * static_cast<float>(parts - 1)) /
        static_cast<float>(parts);
    float needed = ImGui::GetFrameHeight() * 2 + style.ItemInnerSpacing.x * 2 +
                   style.FramePadding.x * 2 + ImGui::CalcTextSize("0000").x;
    return width >= needed ? width : 0;
}

// One part of a date or time; `width` 0 puts it on a row of its own.
void StepPart(const char* id, int32_t* value, float width, bool after) {
    if (after && width > 0)
        ImGui::SameLine();
    ImGui::SetNextItemWidth(width > 0 ? width : -1);
    ImGui::InputInt(id, value, 1, 1);
}

class Disabled {
public:
    explicit Disabled(bool disabled) : disabled_(disabled) {
        if (disabled_)
            ImGui::BeginDisabled();
    }
    ~Disabled() {
        if (disabled_)
            ImGui::EndDisabled();
    }
    Disabled(const Disabled&) = delete;
    Disabled& operator=(const Disabled&) = delete;

private:
    bool disabled_;
};

} // namespace

void DialogUi::Text(const std::string& text) {
    ImGui::PushTextWrapPos(0);
    ImGui::TextUnformatted(text.c_str());
    ImGui::PopTextWrapPos();
}

void DialogUi::DisabledText(const std::string& text) {
    ImGui::PushStyleColor(ImGuiCol_Text, ImGui::GetStyleColorVec4(ImGuiCol_TextDisabled));
    Text(text);
    ImGui::PopStyleColor();
}

void DialogUi::Heading(const std::string& text) {
    ImGui::Spacing();
    ImGui::TextUnformatted(text.c_str());
    ImGui::Separator();
}

void DialogUi::Separator() {
    ImGui::Separator();
}
void DialogUi::SameLine() {
    ImGui::SameLine();
}
void DialogUi::Spacing() {
    ImGui::Spacing();
}

void DialogUi::FocusNext() {
    focusNext_ = true;
}

float DialogUi::RemainingHeight() const {
    return ImGui::GetContentRegionAvail().y;
}

// Before each control that takes the keyboard: a refused field gets it.
void DialogUi::TakeFocus() {
    if (focusNext_) {
        ImGui::SetKeyboardFocusHere();
        focusNext_ = false;
    }
}

namespace {

// A box or dot with its label: a label too long for the row wraps beside it
// and, when tapped, counts as a tap on the control. `control` draws the box
// or dot under the id it is given and tells whether it was pressed.
template <typename Control>
bool LabelledToggle(const std::string& label, bool enabled, Control control) {
    const ImGuiStyle& style = ImGui::GetStyle();
    float room =
        ImGui::GetContentRegionAvail().x - ImGui::GetFrameHeight() - style.ItemInnerSpacing.x;
    if (ImGui::CalcTextSize(label.c_str(), nullptr, true).x <= room)
        return control(label);
    bool pressed = control(Hidden(label));
    ImGui::SameLine(0, style.ItemInnerSpacing.x);
    ImGui::AlignTextToFramePadding();
    ImGui::PushTextWrapPos(0);
    ImGui::TextUnformatted(label.substr(0, label.find("##")).c_str());
    ImGui::PopTextWrapPos();
    return pressed || (enabled && ImGui::IsItemClicked());
}

} // namespace

bool DialogUi::Check(const std::string& label, bool* value, bool enabled) {
    Disabled off(!enabled);
    TakeFocus();
    // The box grows with the font so a finger can hit it.
    bool before = *value;
    bool pressed = LabelledToggle(
        label, enabled, [&](const std::string& id) { return ImGui::Checkbox(id.c_str(), value); });
    // A tap on a wrapped label toggles as the box would have.
    if (pressed && *value == before)
        *value = !*value;
    return pressed;
}

bool DialogUi::Radio(const std::string& label, bool active, bool enabled) {
    Disabled off(!enabled);
    TakeFocus();
    return LabelledToggle(label, enabled, [&](const std::string& id) {
        return ImGui::RadioButton(id.c_str(), active);
    });
}

bool DialogUi::Button(const std::string& label, bool enabled, float width) {
    Disabled off(!enabled);
    TakeFocus();
    return ImGui::Button(label.c_str(), ImVec2(width, RowHeight()));
}

bool DialogUi::Edit(const std::string& label, std::string* text, size_t limit, bool enabled) {
    LabelAbove(label);
    Disabled off(!enabled);
    TakeFocus();
    ImGui::SetNextItemWidth(-1);
    std::vector<char> buffer = EditBuffer(*text, limit);
    if (!ImGui::InputText(Hidden(label).c_str(), buffer.data(), buffer.size()))
        return false;
    *text = buffer.data();
    return true;
}

bool DialogUi::EditLines(const std::string& label, std::string* text, size_t limit, float height,
                         bool enabled) {
    LabelAbove(label);
    Disabled off(!enabled);
    TakeFocus();
    std::vector<char> buffer = EditBuffer(*text, limit);
    if (!ImGui::InputTextMultiline(Hidden(label).c_str(), buffer.data(), buffer.size(),
                                   ImVec2(-1, height)))
        return false;
    *text = buffer.data();
    return true;
}

bool DialogUi::Number(const std::string& label, int32_t* value, int32_t min, int32_t max,
                      bool enabled) {
    LabelAbove(label);
    Disabled off(!enabled);
    TakeFocus();
    ImGui::PushID(label.c_str());
    int32_t before = *value;
    float button = RowHeight();
    if (ImGui::Button("-", ImVec2(button, button)))
        --*value;
    ImGui::SameLine();
    ImGui::SetNextItemWidth(std::max(font_ * 4, ImGui::GetContentRegionAvail().x - button -
                                                    ImGui::GetStyle().ItemSpacing.x));
    ImGui::InputInt("##value", value, 0, 0);
    ImGui::SameLine();
    if (ImGui::Button("+", ImVec2(button, button)))
        ++*value;
    ImGui::PopID();
    *value = std::clamp(*value, min, max);
    return *value != before;
}

bool DialogUi::Combo(const std::string& label, const std::vector<std::string>& items,
                     int32_t* index, bool enabled) {
    LabelAbove(label);
    Disabled off(!enabled);
    TakeFocus();
    ImGui::SetNextItemWidth(-1);
    const char* shown = *index >= 0 && static_cast<size_t>(*index) < items.size()
                            ? items[static_cast<size_t>(*index)].c_str()
                            : "";
    bool changed = false;
    // The list may take most of the screen: a long one scrolls.
    ImGui::SetNextWindowSizeConstraints(ImVec2(0, 0), ImVec2(width_, height_ * 0.7f));
    if (ImGui::BeginCombo(Hidden(label).c_str(), shown, ImGuiComboFlags_HeightLargest)) {
        for (size_t i = 0; i < items.size(); ++i) {
            bool selected = static_cast<int32_t>(i) == *index;
            if (ImGui::Selectable(items[i].c_str(), selected, 0, ImVec2(0, RowHeight() * 0.8f)) &&
                !selected) {
                *index = static_cast<int32_t>(i);
                changed = true;
            }
            if (selected)
                ImGui::SetItemDefaultFocus();
        }
        ImGui::EndCombo();
    }
    return changed;
}

SliderChange DialogUi::VerticalSlider(const std::string& id, const std::string& caption,
                                      int32_t* position, int32_t max, float height, bool enabled) {
    Disabled off(!enabled);
    ImGui::BeginGroup();
    TakeFocus();
    float width = std::max(RowHeight() * 0.9f, ImGui::CalcTextSize(caption.c_str()).x);
    int value = *position;
    bool moved = ImGui::VSliderInt(Hidden(id).c_str(), ImVec2(width, height), &value, 0, max, "");
    bool released = ImGui::IsItemDeactivatedAfterEdit();
    // Keys step one position and count as a release: the value applies at once.
    bool keyed = ImGui::IsItemFocused() && !ImGui::IsItemActive() && moved;
    ImGui::TextUnformatted(caption.c_str());
    ImGui::EndGroup();
    *position = value;
    if (released || keyed)
        return SliderChange::Released;
    return moved ? SliderChange::Moved : SliderChange::None;
}

SliderChange DialogUi::Slider(const std::string& label, int32_t* value, int32_t min, int32_t max,
                              bool enabled) {
    LabelAbove(label);
    Disabled off(!enabled);
    TakeFocus();
    ImGui::SetNextItemWidth(-1);
    int edited = *value;
    bool moved = ImGui::SliderInt(Hidden(label).c_str(), &edited, min, max);
    *value = edited;
    if (ImGui::IsItemDeactivatedAfterEdit())
        return SliderChange::Released;
    return moved ? SliderChange::Moved : SliderChange::None;
}

void DialogUi::Tabs(const std::vector<std::string>& titles, int32_t* selected) {
    if (!ImGui::BeginTabBar("##tabs", ImGuiTabBarFlags_FittingPolicyScroll))
        return;
    // The tab shown last frame, kept with the tab bar, tells a tap on a tab from
    // a change the program made.
    ImGuiStorage* storage = ImGui::GetStateStorage();
    ImGuiID key = ImGui::GetID("##shown");
    int32_t shown = storage->GetInt(key, -1);
    // Ctrl+Page Down and Ctrl+Page Up turn the pages, as in a property sheet.
    const auto count = static_cast<int32_t>(titles.size());
    if (ImGui::GetIO().KeyCtrl && count > 0 && shown == *selected) {
        if (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_PageDown)))
            *selected = (*selected + 1) % count;
        else if (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_PageUp)))
            *selected = (*selected + count - 1) % count;
    }
    for (size_t i = 0; i < titles.size(); ++i) {
        ImGuiTabItemFlags flags = 0;
        if (static_cast<int32_t>(i) == *selected && shown != *selected)
            flags |= ImGuiTabItemFlags_SetSelected;
        if (ImGui::BeginTabItem(titles[i].c_str(), nullptr, flags)) {
            if (!(flags & ImGuiTabItemFlags_SetSelected) && shown == *selected)
                *selected = static_cast<int32_t>(i);
            ImGui::EndTabItem();
        }
    }
    storage->SetInt(key, *selected);
    ImGui::EndTabBar();
}

DialogListEvent DialogUi::List(const std::string& id, const std::vector<std::string>& headers,
                               std::vector<DialogListRow>& rows, bool checkBoxes, float height) {
    DialogListEvent event;
    int columns = static_cast<int>(std::max<size_t>(headers.size(), 1)) + (checkBoxes ? 1 : 0);
    ImGuiTableFlags flags = ImGuiTableFlags_ScrollY | ImGuiTableFlags_RowBg |
                            ImGuiTableFlags_BordersOuter | ImGuiTableFlags_Resizable;
    if (!ImGui::BeginTable(Hidden(id).c_str(), columns, flags, ImVec2(0, height)))
        return event;
    ImGui::TableSetupScrollFreeze(0, 1);
    if (checkBoxes)
        ImGui::TableSetupColumn("", ImGuiTableColumnFlags_WidthFixed, RowHeight() * 0.8f);
    for (const std::string& header : headers)
        ImGui::TableSetupColumn(header.c_str());
    if (!headers.empty())
        ImGui::TableHeadersRow();
    for (size_t i = 0; i < rows.size(); ++i) {
        DialogListRow& row = rows[i];
        ImGui::TableNextRow(0, RowHeight() * 0.8f);
        ImGui::PushID(static_cast<int>(i));
        if (checkBoxes) {
            ImGui::TableNextColumn();
            if (ImGui::Checkbox("##check", &row.checked))
                event.toggled = static_cast<int32_t>(i);
        }
        ImGui::TableNextColumn();
        const std::string first = row.cells.empty() ? std::string() : row.cells[0];
        if (ImGui::Selectable((first + "##row").c_str(), row.selected,
                              ImGuiSelectableFlags_SpanAllColumns |
                                  ImGuiSelectableFlags_AllowDoubleClick,
                              ImVec2(0, RowHeight() * 0.6f))) {
            for (DialogListRow& other : rows)
                other.selected = false;
            row.selected = true;
            event.clicked = static_cast<int32_t>(i);
            if (ImGui::IsMouseDoubleClicked(0))
                event.activated = static_cast<int32_t>(i);
        }
        if (ImGui::IsItemFocused() && ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter)))
            event.activated = static_cast<int32_t>(i);
        for (size_t cell = 1; cell < row.cells.size(); ++cell) {
            ImGui::TableNextColumn();
            ImGui::TextUnformatted(row.cells[cell].c_str());
        }
        ImGui::PopID();
    }
    ImGui::EndTable();
    return event;
}

bool DialogUi::Date(const std::string& label, DialogDate* date, bool enabled) {
    LabelAbove(label);
    Disabled off(!enabled);
    ImGui::PushID(label.c_str());
    DialogDate before = *date;
    float width = PartWidth(3);
    TakeFocus();
    StepPart("##day", &date->day, width, false);
    StepPart("##month", &date->month, width, true);
    StepPart("##year", &date->year, width, true);
    ImGui::PopID();
    // Stepping past the end of a month wraps as a calendar does.
    date->year = std::clamp(date->year, 1970, 9999);
    if (date->month < 1)
        date->month = 12;
    if (date->month > 12)
        date->month = 1;
    date->day = date->day < 1 ? DaysIn(date->year, date->month)
                              : (date->day > DaysIn(date->year, date->month) ? 1 : date->day);
    return date->year != before.year || date->month != before.month || date->day != before.day;
}

bool DialogUi::Time(const std::string& label, DialogTime* time, bool withSeconds, bool enabled) {
    LabelAbove(label);
    Disabled off(!enabled);
    ImGui::PushID(label.c_str());
    DialogTime before = *time;
    float width = PartWidth(withSeconds ? 3 : 2);
    TakeFocus();
    StepPart("##hour", &time->hour, width, false);
    StepPart("##minute", &time->minute, width, true);
    if (withSeconds)
        StepPart("##second", &time->second, width, true);
    ImGui::PopID();
    // A clock wraps round.
    time->hour = (time->hour % 24 + 24) % 24;
    time->minute = (time->minute % 60 + 60) % 60;
    time->second = (time->second % 60 + 60) % 60;
    return time->hour != before.hour || time->minute != before.minute ||
           time->second != before.second;
}

void DialogUi::Progress(float fraction, const std::string& text) {
    ImGui::ProgressBar(std::clamp(fraction, 0.0f, 1.0f), ImVec2(-1, RowHeight()), text.c_str());
}

// Equalizer

void DialogUi::BeginSideScroll(const std::string& id, float height) {
    // A scroll bar a finger can take when the strip does not fit.
    ImGui::PushStyleVar(ImGuiStyleVar_ScrollbarSize, RowHeight() * 0.5f);
    ImGui::BeginChild(Hidden(id).c_str(), ImVec2(0, height), false,
                      ImGuiWindowFlags_HorizontalScrollbar);
}

void DialogUi::EndSideScroll() {
    ImGui::EndChild();
    ImGui::PopStyleVar();
}

// --- Settings sheet

void DialogUi::Pane(const std::string& id, const std::function<void()>& content) {
    ImGui::BeginChild(Hidden(id).c_str(), ImVec2(0, 0), false, ImGuiWindowFlags_NavFlattened);
    content();
    ImGui::EndChild();
}

} // namespace tonilo

// Scheduler and bookmark manager --------------------------------------------

namespace tonilo {
namespace {

// Buttons a row for the widest label; rows are then filled evenly.
int32_t ButtonsPerRow(const std::vector<std::string>& labels, float available) {
    const ImGuiStyle& style = ImGui::GetStyle();
    float widest = 0;
    for (const std::string& label : labels)
        widest = std::max(widest, ImGui::CalcTextSize(label.c_str()).x);
    float button = widest + style.FramePadding.x * 2;
    int32_t fit =
        static_cast<int32_t>((available + style.ItemSpacing.x) / (button + style.ItemSpacing.x));
    int32_t count = static_cast<int32_t>(labels.size());
    fit = std::clamp(fit, 1, std::max(count, 1));
    int32_t rows = (count + fit - 1) / fit;
    return (count + rows - 1) / std::max(rows, 1);
}

} // namespace

int32_t DialogUi::ButtonRow(const std::vector<std::string>& labels,
                            const std::vector<bool>& enabled) {
    int32_t tapped = -1;
    float available = ImGui::GetContentRegionAvail().x;
    int32_t perRow = ButtonsPerRow(labels, available);
    float spacing = ImGui::GetStyle().ItemSpacing.x;
    float width =
        (available - spacing * static_cast<float>(perRow - 1)) / static_cast<float>(perRow);
    for (size_t i = 0; i < labels.size(); ++i) {
        if (i % static_cast<size_t>(perRow) != 0)
            ImGui::SameLine();
        bool on = i < enabled.size() ? enabled[i] : true;
        if (Button(labels[i], on, width))
            tapped = static_cast<int32_t>(i);
    }
    return tapped;
}

float DialogUi::ButtonRowHeight(const std::vector<std::string>& labels) const {
    int32_t perRow = ButtonsPerRow(labels, ImGui::GetContentRegionAvail().x);
    int32_t rows = (static_cast<int32_t>(labels.size()) + perRow - 1) / perRow;
    return static_cast<float>(rows) * (RowHeight() + ImGui::GetStyle().ItemSpacing.y);
}

} // namespace tonilo
