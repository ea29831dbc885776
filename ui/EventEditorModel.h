#pragma once
// The two-page event editor of the scheduler, apart from its drawing: it works
// on a copy of the event (a new one, or the one being edited) and writes it to
// the scheduler only when OK passes the schedule's own checks. A refusal names
// the page that shows it and the control that takes the focus.
//
// Threads: the user-interface thread only.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scheduler/Scheduler.h"
#include "ui/ScheduleTexts.h"

namespace tonilo {

// Where the drawer shows a refusal (error icon, title "Scheduler").
enum class EditorStep {
    Closed,          // stored; the list rebuilds its rows
    ShowOnEventPage, // Event page to the front, message shown, focus on the name
    ShowOnTimePage,  // Time page to the front, message shown; FocusDate() for 24026
    ShowOnSheet,     // the sheet itself shows the message (0: nothing to show)
};

class EventEditorModel {
public:
    static constexpr size_t kNameLimit = 259; // UTF-16 units
    static constexpr int kMaxNameNumber = 99; // "Record1" .. "Record99"

    // The string-table ids of the editor's own labels.
    static constexpr uint32_t kNameLabel = 32400;
    static constexpr uint32_t kActionLabel = 32401;
    static constexpr uint32_t kDisableLabel = 32402;
    static constexpr uint32_t kPropertiesButton = 32403;
    static constexpr uint32_t kStartLabel = 32404;
    static constexpr uint32_t kLengthLabel = 32405;
    static constexpr uint32_t kRepeatLabel = 32406;
    static constexpr uint32_t kPlayPropertiesTitle = 32407;
    static constexpr uint32_t kFileToPlayLabel = 32408;
    static constexpr uint32_t kTitle = 24008;    // "Event"
    static constexpr uint32_t kTimePage = 24011; // "Time"
    static constexpr uint32_t kDoneText = 32117;

    // `edited` null: a new event starting now. The scheduler must outlive this.
    EventEditorModel(Scheduler& scheduler, const ScheduleEvent* edited);
    bool IsNew() const { return editedName_.empty(); }

    // Event page.
    const std::string& Name() const { return name_; }
    // Kept to kNameLimit units.
    void SetName(const std::string& name);
    // The registered actions in registration order.
    const std::vector<ScheduleAction>& Actions() const { return scheduler_.Actions(); }
    int SelectedAction() const { return selected_; }
    // A fresh properties object, the Properties... button and a name proposal.
    void SelectAction(int index);
    bool Disabled() const { return disabled_; }
    void SetDisabled(bool disabled) { disabled_ = disabled; }
    bool PropertiesShown() const;
    // The selected action's properties ("Properties..." edits them); null for none.
    ActionProperties* Properties() { return properties_.get(); }
    // The Play action's file, as "Play event properties" edits it. False (nothing
    // changes) for a path of 260 units or more, or when Play is not selected.
    std::string PlayFile() const;
    bool SetPlayFile(const std::string& path);

    // Time page.
    const LocalTime& Start() const { return start_; }
    void SetStartDate(uint16_t year, uint16_t month, uint16_t day);
    // Seconds are not shown, so they start at 0.
    void SetStartTime(uint16_t hour, uint16_t minute);
    uint32_t LengthHours() const { return lengthMinutes_ / 60; }
    uint32_t LengthMinutes() const { return lengthMinutes_ % 60; }
    void SetLength(uint32_t hours, uint32_t minutes);
    uint8_t Repeat() const { return repeat_; }
    void SetDay(uint8_t bit, bool ticked);
    bool DayTicked(uint8_t bit) const { return (repeat_ & bit) != 0; }
    std::vector<WeekdayBox> DayBoxes() const { return LocaleWeekdayBoxes(); }
    // The date picker hides while a weekday is ticked; the length shows only for
    // actions with a length.
    bool DateShown() const { return repeat_ == kRepeatOnce; }
    bool LengthShown() const;

    // The event OK would store.
    ScheduleEvent Result() const;
    // The message id OK would show, 0 when it would store (or refuse silently).
    uint32_t Validate();
    // Validates and stores (update in place, or add).
    EditorStep Ok();
    uint32_t Message() const { return message_; }
    bool FocusDate() const { return message_ == kEventTimeInPast; }
    // Nothing is written.
    void Cancel() {}

private:
    std::string ProposedName(const ScheduleAction& action);

    Scheduler& scheduler_;
    ScheduleEvent original_;
    std::string editedName_;
    std::string name_;
    int selected_ = -1;
    bool disabled_ = false;
    std::unique_ptr<ActionProperties> properties_;
    LocalTime start_;
    uint32_t lengthMinutes_ = 0;
    uint32_t keptLength_ = 0; // seconds, for actions without a length
    uint8_t repeat_ = kRepeatOnce;
    uint32_t message_ = 0;
};

} // namespace tonilo
