#pragma once
// What the overlay's popups share: their texts (from the string table), a row
// of equal buttons a finger can hit and a question's text above its answers.
// Inside an ImGui frame only.
#include <string>
#include <vector>

namespace tonilo {

struct OverlayTexts {
    std::string ok, yes, no, cancel, choose, title;
    // The file chooser: its buttons, the name line's label, and the question
    // before saving over a file ("%s" is the file's name).
    std::string open, save, fileName, replace;
};

// One button of a row; a disabled one is drawn greyed and cannot be pressed.
struct RowButton {
    const std::string* text = nullptr;
    bool enabled = true;
};

// Buttons side by side over the whole width, `height` pixels tall; the index
// of the one pressed this frame, -1 when none.
int ButtonRow(const std::vector<RowButton>& buttons, float height);

// A question's title, a rule and its text wrapped to the popup's width.
void QuestionText(const std::string& title, const std::string& text);

} // namespace tonilo
