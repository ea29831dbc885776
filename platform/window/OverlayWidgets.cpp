#include "platform/window/OverlayWidgets.h"

#include <imgui.h>

namespace tonilo {

int ButtonRow(const std::vector<RowButton>& buttons, float height) {
    if (buttons.empty())
        return -1;
    float count = static_cast<float>(buttons.size());
    float width =
        (ImGui::GetContentRegionAvail().x - ImGui::GetStyle().ItemSpacing.x * (count - 1)) / count;
    int pressed = -1;
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (i)
            ImGui::SameLine();
        if (!buttons[i].enabled)
            ImGui::BeginDisabled();
        // The index keeps two buttons of the same text apart.
        ImGui::PushID(static_cast<int>(i));
        if (ImGui::Button(buttons[i].text->c_str(), ImVec2(width, height)))
            pressed = static_cast<int>(i);
        ImGui::PopID();
        if (!buttons[i].enabled)
            ImGui::EndDisabled();
    }
    return pressed;
}

void QuestionText(const std::string& title, const std::string& text) {
    ImGui::PushTextWrapPos(0);
    ImGui::TextUnformatted(title.c_str());
    ImGui::Separator();
    ImGui::TextUnformatted(text.c_str());
    ImGui::PopTextWrapPos();
    ImGui::Spacing();
}

} // namespace tonilo
