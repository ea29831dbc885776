#pragma once
// One named, scheduled run of an action, and the list that holds them.
#include <cstdint>
#include <string>
#include <vector>

#include "scheduler/LocalTime.h"

namespace tonilo {

// Repeat mask: bit 0 Monday .. bit 6 Sunday; 0 runs once.
constexpr uint8_t kRepeatOnce = 0;
constexpr uint32_t kDefaultEventLength = 1800;

struct ScheduleEvent {
    std::string name;     // unique without regard to case, at most 259 UTF-16 units
    uint32_t enabled = 0; // 1 = armed
    LocalTime start;      // repeating events use only its time of day
    uint32_t length = kDefaultEventLength; // seconds, for actions with a length
    uint8_t repeat = kRepeatOnce;
    uint32_t action = 0;
    std::vector<uint8_t> properties; // the action's serialised properties

    // Starts now, 30 minutes long, once, disabled, without an action.
    static ScheduleEvent New(const LocalTime& now);
};

class EventList {
public:
    static constexpr size_t kCapacity = 32;

    const std::vector<ScheduleEvent>& Events() const { return events_; }
    size_t Size() const { return events_.size(); }
    bool Full() const { return events_.size() >= kCapacity; }
    // Index of the event of that name (without regard to case), or -1.
    int IndexOf(const std::string& name) const;

    void Append(const ScheduleEvent& event);
    void Replace(size_t index, const ScheduleEvent& event);
    void Erase(size_t index);
    void Clear();

    bool Dirty() const { return dirty_; }
    void MarkSaved() { dirty_ = false; }

    // The string id of the last refusal, 0 for none; reading clears it.
    uint32_t TakeLastError();
    void SetLastError(uint32_t stringId) { lastError_ = stringId; }

private:
    std::vector<ScheduleEvent> events_;
    bool dirty_ = false;
    uint32_t lastError_ = 0;
};

// Event names compare without regard to case.
bool SameEventName(const std::string& left, const std::string& right);

} // namespace tonilo
