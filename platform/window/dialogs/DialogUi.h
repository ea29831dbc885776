#pragma once
// The controls a dialog draws with, sized for a finger at the window's height,
// over Dear ImGui; and what a dialog may ask of the window while it is open
// (questions, folder and file choosers, another dialog on top). Every label
// comes from the caller (the string table). Controls report a change through
// their return value on the frame the user made it. Keyboard: Tab and the
// arrows move between controls, Space toggles, Enter is OK, Escape Cancel.
// User-interface thread only, inside Dialog::Draw (or Ok).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/window/WindowHost.h"

namespace tonilo {

class Dialog;

// A row of a list view: its cells (one a column), its check box and selection.
struct DialogListRow {
    std::vector<std::string> cells;
    bool checked = false;
    bool selected = false;
};

// What happened in a list view this frame.
struct DialogListEvent {
    int32_t toggled = -1;   // the row whose box changed (rows[i].checked is new)
    int32_t clicked = -1;   // the row tapped (now the only one selected)
    int32_t activated = -1; // the row double-tapped or given Enter
};

// What happened to a slider this frame.
enum class SliderChange { None, Moved, Released };

// A calendar date and a time of day as the pickers edit them.
struct DialogDate {
    int32_t year = 2000, month = 1, day = 1; // month 1..12
};
struct DialogTime {
    int32_t hour = 0, minute = 0, second = 0;
};

// Services of the window a dialog calls; the overlay implements them.
class DialogServices {
public:
    virtual ~DialogServices() = default;
    virtual void Ask(const std::string& text, const std::string& title, QuestionButtons buttons,
                     std::function<void(QuestionAnswer)> answered) = 0;
    virtual void ChooseFolder(const std::string& title, const std::string& start,
                              std::function<void(const std::string&)> chosen) = 0;
    // A file to open (an existing one) or to save (a name typed in a folder);
    // `extensions` ("wav", "mp3") narrow the list, none shows every file. An
    // empty path means cancelled.
    virtual void ChooseFile(const std::string& title, const std::string& start, bool save,
                            const std::vector<std::string>& extensions,
                            std::function<void(const std::string&)> chosen) = 0;
    // Another dialog on top of this one; it returns here when it closes.
    virtual void OpenDialog(std::unique_ptr<Dialog> dialog) = 0;
};

class DialogUi {
public:
    DialogUi(DialogServices& services, float fontPixels, float width, float height)
        : services_(services), font_(fontPixels), width_(width), height_(height) {}

    DialogServices& Services() { return services_; }
    // A row a finger can hit; the body's size in window pixels.
    float RowHeight() const { return font_ * 2.0f; }
    float FontPixels() const { return font_; }
    float Width() const { return width_; }
    float Height() const { return height_; }

    void Text(const std::string& text);         // wrapped
    void DisabledText(const std::string& text); // greyed, wrapped
    void Heading(const std::string& text);      // a group's caption with a rule
    void Separator();
    void SameLine();
    void Spacing();

    bool Check(const std::string& label, bool* value, bool enabled = true);
    bool Radio(const std::string& label, bool active, bool enabled = true);
    bool Button(const std::string& label, bool enabled = true, float width = 0);
    // A text line; an edit that would pass `limit` bytes is refused. Enter in
    // the field is OK of the dialog.
    bool Edit(const std::string& label, std::string* text, size_t limit, bool enabled = true);
    // A text of several lines.
    bool EditLines(const std::string& label, std::string* text, size_t limit, float height,
                   bool enabled = true);
    // A whole number with - and + buttons, held within min..max.
    bool Number(const std::string& label, int32_t* value, int32_t min, int32_t max,
                bool enabled = true);
    bool Combo(const std::string& label, const std::vector<std::string>& items, int32_t* index,
               bool enabled = true);
    // A slider standing up: 0 at the bottom, `max` at the top. `caption` goes
    // under it. Moved while dragging, Released when let go (or a key step).
    SliderChange VerticalSlider(const std::string& id, const std::string& caption,
                                int32_t* position, int32_t max, float height, bool enabled = true);
    SliderChange Slider(const std::string& label, int32_t* value, int32_t min, int32_t max,
                        bool enabled = true);
    // The pages of a property sheet as tabs; `selected` follows the tapped tab
    // (or Ctrl+Page Down / Ctrl+Page Up) and a change made by the program (a
    // refused page) brings that tab up.
    void Tabs(const std::vector<std::string>& titles, int32_t* selected);
    // A list view with column headers, optional check boxes, `height` pixels
    // tall (0: the rest of the body), scrolling.
    DialogListEvent List(const std::string& id, const std::vector<std::string>& headers,
                         std::vector<DialogListRow>& rows, bool checkBoxes, float height = 0);
    bool Date(const std::string& label, DialogDate* date, bool enabled = true);
    bool Time(const std::string& label, DialogTime* time, bool withSeconds, bool enabled = true);
    // 0..1, with a text on the bar.
    void Progress(float fraction, const std::string& text);

    // Keyboard focus to the next control drawn (a refused field).
    void FocusNext();
    // The room left in the body below the last control.
    float RemainingHeight() const;

    // Equalizer
    // A strip `height` pixels tall for controls side by side (SameLine between
    // them); it scrolls sideways when they are wider than the body.
    void BeginSideScroll(const std::string& id, float height);
    void EndSideScroll();

    // --- Settings sheet
    // The rest of the body as a region of its own that `content` draws into and
    // that scrolls by itself, so what was drawn above it (a sheet's tabs) stays
    // in sight. A finger drags it as it drags the body.
    void Pane(const std::string& id, const std::function<void()>& content);

    // Scheduler and bookmark manager: the list's commands as a block of buttons
    // of equal width, as many a row as their labels allow. The index of the one
    // tapped, -1 for none.
    int32_t ButtonRow(const std::vector<std::string>& labels, const std::vector<bool>& enabled);
    // Its height in pixels for the body's width, to leave room for it below a list.
    float ButtonRowHeight(const std::vector<std::string>& labels) const;

private:
    void TakeFocus();

    DialogServices& services_;
    float font_, width_, height_;
    bool focusNext_ = false;
};

} // namespace tonilo
