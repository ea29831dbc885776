#pragma once
// The scheduler's event list dialog, apart from its drawing: one row per event
// with its enabled check box and time text, the list commands with their
// questions, and what OK writes: the schedule file when the list changed, then
// every notification armed again. Cancel keeps the changes in memory only.
//
// Threads: the user-interface thread only.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/window/WindowHost.h"
#include "scheduler/Scheduler.h"
#include "ui/EventEditorModel.h"

namespace tonilo {

// Arms the schedule's notifications again after the list was confirmed.
class ScheduleArming {
public:
    virtual ~ScheduleArming() = default;
    virtual void Rearm(Scheduler& scheduler) = 0;
};

// The platform's timed notifications at the local clock.
class NotificationArming : public ScheduleArming {
public:
    void Rearm(Scheduler& scheduler) override;
};

constexpr uint32_t kSchedulerCommand = 13016;
constexpr uint32_t kNewEventCommand = 24001;
constexpr uint32_t kEditEventCommand = 24012;
constexpr uint32_t kDeleteEventCommand = 24009;
constexpr uint32_t kDeleteAllEventsCommand = 24014;
constexpr uint32_t kDisableAllEventsCommand = 24016;

struct EventRow {
    std::string name;
    std::string time;
    bool checked = false;
    size_t index = 0; // the event's place in the schedule
};

// What the drawer does after a command or an answer.
enum class ListStep {
    None,        // nothing to do (or the rows changed: draw them again)
    OpenEditor,  // TakeEditor() holds the editor to show
    ShowMessage, // Message() with the error icon and the title Title()
    Ask,         // Message() as a Yes/No question titled Title(); answer to Answer()
};

class EventListModel {
public:
    static constexpr uint32_t kTitle = 24020;       // "Scheduler"
    static constexpr uint32_t kEventColumn = 24008; // "Event"
    static constexpr uint32_t kTimeColumn = 24011;  // "Time"
    static constexpr uint32_t kFullMessage = 24033;
    static constexpr uint32_t kDeleteQuestion = 24027;
    static constexpr uint32_t kDeleteAllQuestion = 24028;

    // Both must outlive the model.
    EventListModel(Scheduler& scheduler, ScheduleArming& arming);

    // Loads the schedule (once), drops past one-time events and events that
    // cannot run, and fills the rows.
    void Open();
    const std::vector<EventRow>& Rows() const { return rows_; }
    void Select(int row);
    int Selected() const { return selected_; }
    // A row's check box: the event's enabled value follows it at once.
    void SetChecked(size_t row, bool checked);

    bool Enabled(uint32_t command) const;
    // The four commands, enabled by the rules above (the list's context menu).
    Menu ContextMenu() const;

    ListStep Command(uint32_t command);
    ListStep Answer(QuestionAnswer answer);
    // The editor the last OpenEditor step made; the list keeps no reference.
    std::unique_ptr<EventEditorModel> TakeEditor() { return std::move(editor_); }
    // After the editor closed with OK (and also after Cancel, harmlessly).
    void EditorClosed() { Fill(); }

    const std::string& Message() const { return message_; }
    static std::string Title();

    // "Done": saves a changed schedule, then arms again. False when saving failed.
    bool Ok();
    void Cancel() {}

private:
    void Fill();
    ListStep Ask(uint32_t question);

    Scheduler& scheduler_;
    ScheduleArming& arming_;
    std::vector<EventRow> rows_;
    int selected_ = -1;
    uint32_t pending_ = 0;
    std::unique_ptr<EventEditorModel> editor_;
    std::string message_;
};

} // namespace tonilo
