#include "scheduler/ScheduleEvent.h"

#include "platform/TextCompare.h"

namespace tonilo {

ScheduleEvent ScheduleEvent::New(const LocalTime& now) {
    ScheduleEvent event;
    event.start = now;
    return event;
}

bool SameEventName(const std::string& left, const std::string& right) {
    return EqualIgnoringCase(left, right);
}

int EventList::IndexOf(const std::string& name) const {
    for (size_t index = 0; index < events_.size(); ++index) {
        if (SameEventName(events_[index].name, name))
            return static_cast<int>(index);
    }
    return -1;
}

void EventList::Append(const ScheduleEvent& event) {
    events_.push_back(event);
    dirty_ = true;
}

void EventList::Replace(size_t index, const ScheduleEvent& event) {
    events_.at(index) = event;
    dirty_ = true;
}

void EventList::Erase(size_t index) {
    events_.erase(events_.begin() + static_cast<std::ptrdiff_t>(index));
    dirty_ = true;
}

void EventList::Clear() {
    events_.clear();
    dirty_ = true;
}

uint32_t EventList::TakeLastError() {
    uint32_t error = lastError_;
    lastError_ = 0;
    return error;
}

} // namespace tonilo
