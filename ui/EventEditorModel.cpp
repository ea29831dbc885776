#include "ui/EventEditorModel.h"

#include <cstdio>

#include "platform/TextEncoding.h"
#include "ui/TextLimit.h"

namespace tonilo {

EventEditorModel::EventEditorModel(Scheduler& scheduler, const ScheduleEvent* edited)
    : scheduler_(scheduler), original_(edited ? *edited : ScheduleEvent::New(CurrentLocalTime())) {
    if (edited)
        editedName_ = edited->name;
    name_ = original_.name;
    start_ = original_.start;
    lengthMinutes_ = original_.length / 60;
    keptLength_ = original_.length;
    repeat_ = original_.repeat;
    disabled_ = edited && original_.enabled == 0;
    int first = Actions().empty() ? -1 : 0;
    if (edited) {
        for (size_t index = 0; index < Actions().size(); ++index)
            if (Actions()[index].id == original_.action)
                first = static_cast<int>(index);
    }
    SelectAction(first);
}

void EventEditorModel::SetName(const std::string& name) {
    name_ = ClipToUnits(name, kNameLimit);
}

void EventEditorModel::SelectAction(int index) {
    if (index < 0 || static_cast<size_t>(index) >= Actions().size()) {
        selected_ = -1;
        properties_.reset();
        return;
    }
    selected_ = index;
    const ScheduleAction& action = Actions()[static_cast<size_t>(index)];
    properties_ = action.createProperties ? action.createProperties() : nullptr;
    if (properties_ && !IsNew() && action.id == original_.action && !original_.properties.empty())
        properties_->Deserialise(original_.properties.data(), original_.properties.size());
    name_ = ProposedName(action);
    if (!IsNew())
        name_ = editedName_;
}

std::string EventEditorModel::ProposedName(const ScheduleAction& action) {
    if (!scheduler_.Find(action.name))
        return action.name;
    for (int number = 1; number <= kMaxNameNumber; ++number) {
        char suffix[16];
        std::snprintf(suffix, sizeof(suffix), "%d", number);
        std::string name = action.name + suffix;
        if (!scheduler_.Find(name))
            return name;
    }
    return action.name;
}

bool EventEditorModel::PropertiesShown() const {
    return selected_ >= 0 && Actions()[static_cast<size_t>(selected_)].hasProperties;
}

bool EventEditorModel::LengthShown() const {
    return selected_ >= 0 && Actions()[static_cast<size_t>(selected_)].hasLength;
}

std::string EventEditorModel::PlayFile() const {
    auto* play = dynamic_cast<const PlayProperties*>(properties_.get());
    return play ? play->path : std::string();
}

bool EventEditorModel::SetPlayFile(const std::string& path) {
    auto* play = dynamic_cast<PlayProperties*>(properties_.get());
    if (!play || Utf8ToUtf16(path).size() >= PlayProperties::kPathUnits)
        return false;
    play->path = path;
    return true;
}

void EventEditorModel::SetStartDate(uint16_t year, uint16_t month, uint16_t day) {
    start_.year = year;
    start_.month = month;
    start_.day = day;
    start_.dayOfWeek = static_cast<uint16_t>(WeekdayOf(start_));
}

void EventEditorModel::SetStartTime(uint16_t hour, uint16_t minute) {
    start_.hour = hour;
    start_.minute = minute;
    start_.second = 0;
    start_.milliseconds = 0;
}

void EventEditorModel::SetLength(uint32_t hours, uint32_t minutes) {
    lengthMinutes_ = hours * 60 + minutes;
}

void EventEditorModel::SetDay(uint8_t bit, bool ticked) {
    bit &= 0x7F;
    repeat_ = static_cast<uint8_t>(ticked ? repeat_ | bit : repeat_ & ~bit);
}

ScheduleEvent EventEditorModel::Result() const {
    ScheduleEvent event = original_;
    event.name = name_;
    event.enabled = disabled_ ? 0 : 1;
    event.action = selected_ >= 0 ? Actions()[static_cast<size_t>(selected_)].id : 0;
    event.properties = properties_ ? SerialiseProperties(*properties_) : std::vector<uint8_t>();
    event.start = start_;
    event.length = LengthShown() ? lengthMinutes_ * 60 : keptLength_;
    event.repeat = repeat_;
    return event;
}

uint32_t EventEditorModel::Validate() {
    scheduler_.LastError(); // a stale refusal must not show for this one
    scheduler_.Validate(Result(), editedName_, false, true);
    message_ = scheduler_.LastError();
    return message_;
}

EditorStep EventEditorModel::Ok() {
    ScheduleEvent event = Result();
    scheduler_.LastError();
    bool stored = scheduler_.Validate(event, editedName_, false, true) &&
                  (IsNew() ? scheduler_.Add(event, false) : scheduler_.Update(editedName_, event));
    message_ = scheduler_.LastError();
    if (stored)
        return EditorStep::Closed;
    switch (message_) {
    case kEventNameTaken:
    case kEventNameEmpty:
        return EditorStep::ShowOnEventPage;
    case kEventLengthNotPositive:
    case kEventCollides:
    case kEventTimeInPast:
        return EditorStep::ShowOnTimePage;
    default:
        return EditorStep::ShowOnSheet;
    }
}

} // namespace tonilo
