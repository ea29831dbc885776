#include "ui/EventListModel.h"

#include "platform/LanguageResources.h"
#include "platform/TimedNotifications.h"
#include "scheduler/EventTriggering.h"
#include "ui/ScheduleTexts.h"

namespace tonilo {

void NotificationArming::Rearm(Scheduler& scheduler) {
    std::unique_ptr<TimedNotifications> notifications = MakeTimedNotifications();
    if (notifications)
        RearmAll(scheduler, *notifications, CurrentLocalTime());
}

EventListModel::EventListModel(Scheduler& scheduler, ScheduleArming& arming)
    : scheduler_(scheduler), arming_(arming) {}

void EventListModel::Open() {
    scheduler_.Load();
    scheduler_.PurgePastEvents();
    Fill();
}

void EventListModel::Fill() {
    rows_.clear();
    for (size_t index = 0; index < scheduler_.Count(); ++index) {
        const ScheduleEvent* event = scheduler_.Find(scheduler_.EventAt(index));
        if (!event)
            continue;
        rows_.push_back({event->name, EventTimeText(*event), event->enabled == 1, index});
    }
    if (selected_ >= static_cast<int>(rows_.size()))
        selected_ = -1;
}

void EventListModel::Select(int row) {
    selected_ = row >= 0 && static_cast<size_t>(row) < rows_.size() ? row : -1;
}

void EventListModel::SetChecked(size_t row, bool checked) {
    if (row >= rows_.size())
        return;
    const ScheduleEvent* event = scheduler_.Find(rows_[row].name);
    if (!event)
        return;
    ScheduleEvent changed = *event;
    changed.enabled = checked ? 1 : 0;
    if (scheduler_.Update(rows_[row].name, changed))
        rows_[row].checked = checked;
}

bool EventListModel::Enabled(uint32_t command) const {
    switch (command) {
    case kNewEventCommand:
        return true;
    case kEditEventCommand:
    case kDeleteEventCommand:
        return selected_ >= 0;
    case kDeleteAllEventsCommand:
    case kDisableAllEventsCommand:
        return !rows_.empty();
    default:
        return false;
    }
}

Menu EventListModel::ContextMenu() const {
    Menu menu;
    for (uint32_t command : {kEditEventCommand, kDeleteEventCommand, kDeleteAllEventsCommand,
                             kDisableAllEventsCommand}) {
        MenuItem item = MenuItem::Command(command, LoadResourceString(command));
        item.enabled = Enabled(command);
        menu.push_back(item);
    }
    return menu;
}

std::string EventListModel::Title() {
    return LoadResourceString(kTitle);
}

ListStep EventListModel::Ask(uint32_t question) {
    pending_ = question;
    message_ = LoadResourceString(question);
    return ListStep::Ask;
}

ListStep EventListModel::Command(uint32_t command) {
    if (!Enabled(command))
        return ListStep::None;
    switch (command) {
    case kNewEventCommand:
        if (scheduler_.Count() >= EventList::kCapacity) {
            message_ = LoadResourceString(kFullMessage);
            return ListStep::ShowMessage;
        }
        editor_ = std::make_unique<EventEditorModel>(scheduler_, nullptr);
        return ListStep::OpenEditor;
    case kEditEventCommand: {
        const ScheduleEvent* event = scheduler_.Find(rows_[static_cast<size_t>(selected_)].name);
        if (!event)
            return ListStep::None;
        editor_ = std::make_unique<EventEditorModel>(scheduler_, event);
        return ListStep::OpenEditor;
    }
    case kDeleteEventCommand:
        return Ask(kDeleteQuestion);
    case kDeleteAllEventsCommand:
        return Ask(kDeleteAllQuestion);
    case kDisableAllEventsCommand:
        for (size_t row = 0; row < rows_.size(); ++row)
            SetChecked(row, false);
        return ListStep::None;
    default:
        return ListStep::None;
    }
}

ListStep EventListModel::Answer(QuestionAnswer answer) {
    uint32_t question = pending_;
    pending_ = 0;
    if (answer != QuestionAnswer::Yes)
        return ListStep::None;
    if (question == kDeleteQuestion && selected_ >= 0) {
        scheduler_.Remove(rows_[static_cast<size_t>(selected_)].name);
        selected_ = -1;
    } else if (question == kDeleteAllQuestion) {
        while (scheduler_.Count() > 0)
            scheduler_.Remove(scheduler_.EventAt(0));
        selected_ = -1;
    }
    Fill();
    return ListStep::None;
}

bool EventListModel::Ok() {
    bool saved = true;
    if (scheduler_.Dirty())
        saved = scheduler_.Save();
    arming_.Rearm(scheduler_);
    return saved;
}

} // namespace tonilo
