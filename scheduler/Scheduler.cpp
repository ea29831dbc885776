#include "scheduler/Scheduler.h"

#include <cstdint>
#include <fstream>
#include <iterator>

#include "platform/AtomicFile.h"
#include "platform/PathParts.h"
#include "platform/ProgramPaths.h"
#include "platform/TextEncoding.h"
#include "scheduler/ScheduleFile.h"

namespace tonilo {
namespace {

constexpr size_t kMaxNameUnits = 259;
constexpr size_t kMaxPropertiesSize = 0xFFFF; // one chunk

int64_t FileTimeOf(const LocalTime& time) {
    int64_t fileTime = 0;
    return LocalTimeToFileTime(time, &fileTime) ? fileTime : -1;
}

// The repeat mask, or for a one-time event the bit of its start's weekday.
uint8_t DaysOf(const ScheduleEvent& event) {
    return event.repeat != kRepeatOnce ? event.repeat : WeekdayBit(event.start);
}

bool Within(int64_t value, int64_t from, int64_t to) {
    return from <= value && value <= to;
}

// Start plus a length in seconds; file times near the calendar's end saturate.
int64_t EndOf(int64_t start, uint32_t seconds) {
    const int64_t length = int64_t{seconds} * kFileTimeUnitsPerSecond;
    return start > INT64_MAX - length ? INT64_MAX : start + length;
}

} // namespace

std::string ScheduleFilePathFor(const std::string& applicationPath) {
    size_t dot = ExtensionDot(applicationPath);
    if (dot == std::string::npos)
        return applicationPath + ".sch";
    return applicationPath.substr(0, dot + 1) + "sch";
}

std::string ScheduleFileIn(const std::string& dataFolder) {
    return ScheduleFilePathFor(dataFolder + "/tonilo");
}

void Scheduler::Initialise(const std::string& applicationPath,
                           const std::string& scheduleFilePath) {
    applicationPath_ = applicationPath.empty() ? ExecutablePath() : applicationPath;
    schedulePath_ =
        scheduleFilePath.empty() ? ScheduleFilePathFor(applicationPath_) : scheduleFilePath;
    initialised_ = true;
}

LocalTime Scheduler::Now() const {
    return clock_ ? clock_() : CurrentLocalTime();
}

bool Scheduler::RegisterAction(const ScheduleAction& action) {
    if (!initialised_ || action.id == 0 || FindAction(action.id))
        return false;
    actions_.push_back(action);
    return true;
}

const ScheduleAction* Scheduler::FindAction(uint32_t id) const {
    for (const ScheduleAction& action : actions_) {
        if (action.id == id)
            return &action;
    }
    return nullptr;
}

size_t Scheduler::Count() {
    Load();
    return list_.Size();
}

std::string Scheduler::EventAt(size_t index) {
    Load();
    return index < list_.Size() ? list_.Events()[index].name : std::string();
}

const ScheduleEvent* Scheduler::Find(const std::string& name) {
    Load();
    int index = list_.IndexOf(name);
    return index < 0 ? nullptr : &list_.Events()[index];
}

bool Scheduler::Dirty() {
    return list_.Dirty();
}

uint32_t Scheduler::LastError() {
    return list_.TakeLastError();
}

bool Scheduler::FitsTheFile(const ScheduleEvent& event) const {
    return Utf8ToUtf16(event.name).size() <= kMaxNameUnits &&
           event.properties.size() <= kMaxPropertiesSize;
}

bool Scheduler::Add(const ScheduleEvent& event, bool fromFile) {
    if (!initialised_)
        return false;
    Load();
    if (list_.Full() || !FitsTheFile(event))
        return false;
    if (!Validate(event, std::string(), false, !fromFile))
        return false;
    list_.Append(event);
    return true;
}

bool Scheduler::Update(const std::string& name, const ScheduleEvent& event) {
    if (!initialised_)
        return false;
    Load();
    int index = list_.IndexOf(name);
    if (index < 0 || !FitsTheFile(event))
        return false;
    list_.Replace(static_cast<size_t>(index), event);
    return true;
}

bool Scheduler::Remove(const std::string& name) {
    if (!initialised_)
        return false;
    Load();
    int index = list_.IndexOf(name);
    if (index < 0)
        return false;
    list_.Erase(static_cast<size_t>(index));
    return true;
}

bool Scheduler::PassesTimeChecks(const ScheduleEvent& event, uint32_t* error) const {
    *error = 0;
    const ScheduleAction* action = FindAction(event.action);
    if (!action)
        return false;
    int64_t start = FileTimeOf(event.start);
    if (start < 0 || (event.repeat == kRepeatOnce && start <= FileTimeOf(Now()))) {
        *error = kEventTimeInPast;
        return false;
    }
    if (action->hasLength && event.length == 0) {
        *error = kEventLengthNotPositive;
        return false;
    }
    return true;
}

bool Scheduler::Validate(const ScheduleEvent& event, const std::string& editedName,
                         bool skipNameChecks, bool timeCheck) {
    if (!initialised_)
        return false;
    Load();
    auto refuse = [this](uint32_t error) {
        list_.SetLastError(error);
        return false;
    };
    if (!skipNameChecks) {
        bool renamed = editedName.empty() || !SameEventName(event.name, editedName);
        if (renamed && list_.IndexOf(event.name) >= 0)
            return refuse(kEventNameTaken);
        if (event.name.empty())
            return refuse(kEventNameEmpty);
    }
    uint32_t error = 0;
    if (timeCheck && !PassesTimeChecks(event, &error))
        return refuse(error);
    if (!skipNameChecks && Collides(event, editedName))
        return refuse(kEventCollides);
    return true;
}

bool Scheduler::Collides(const ScheduleEvent& event, const std::string& editedName) const {
    const ScheduleAction* action = FindAction(event.action);
    const bool hasLength = action && action->hasLength;
    const int64_t t1 = FileTimeOf(event.start);
    if (t1 < 0)
        return false;
    const int64_t e1 = EndOf(t1, event.length);
    const uint8_t daysN = DaysOf(event);

    for (const ScheduleEvent& other : list_.Events()) {
        if (!editedName.empty() && SameEventName(other.name, editedName))
            continue;
        const ScheduleAction* otherAction = FindAction(other.action);
        if (!otherAction)
            continue;
        int64_t s2 = -1;
        if (event.repeat == kRepeatOnce && other.repeat == kRepeatOnce) {
            s2 = FileTimeOf(other.start);
        } else if (daysN & DaysOf(other)) {
            // Compare on one day: the new event's date at the other's time of day.
            LocalTime sameDay = event.start;
            sameDay.hour = other.start.hour;
            sameDay.minute = other.start.minute;
            sameDay.second = other.start.second;
            sameDay.milliseconds = other.start.milliseconds;
            s2 = FileTimeOf(sameDay);
        } else {
            continue;
        }
        if (s2 < 0)
            continue;
        const int64_t e2 = EndOf(s2, other.length);
        if (hasLength && Within(s2, t1, e1))
            return true;
        if (otherAction->hasLength && hasLength && (Within(e2, t1, e1) || Within(t1, s2, e2)))
            return true;
        if (otherAction->hasLength && !hasLength && Within(t1, s2, e2))
            return true;
    }
    return false;
}

size_t Scheduler::PurgePastEvents() {
    if (!initialised_)
        return 0;
    Load();
    size_t removed = 0;
    for (size_t index = 0; index < list_.Size();) {
        uint32_t error = 0;
        if (PassesTimeChecks(list_.Events()[index], &error)) {
            ++index;
        } else {
            list_.Erase(index);
            ++removed;
        }
    }
    return removed;
}

bool Scheduler::FindEventAction(const std::string& name, ScheduledRun* run) {
    const ScheduleEvent* event = Find(name);
    if (!event || !run)
        return false;
    const ScheduleAction* action = FindAction(event->action);
    if (!action)
        return false;
    std::unique_ptr<ActionProperties> properties =
        action->createProperties ? action->createProperties() : nullptr;
    if (properties && !event->properties.empty() &&
        !properties->Deserialise(event->properties.data(), event->properties.size()))
        return false;
    run->action = action->id;
    run->length = event->length;
    run->properties = std::move(properties);
    return true;
}

Scheduler& GetScheduler() {
    static Scheduler scheduler;
    return scheduler;
}

void Scheduler::Parse(const uint8_t* bytes, size_t size) {
    // Duplicates, empty names and collisions are dropped; the rest stays.
    for (const ScheduleEvent& event : ReadScheduleFile(bytes, size))
        Add(event, true);
}

std::string Scheduler::Serialise() const {
    return WriteScheduleFile(list_.Events());
}

void Scheduler::Load() {
    if (!initialised_ || loaded_)
        return;
    loaded_ = true;
    std::ifstream in(schedulePath_, std::ios::binary);
    if (!in)
        return;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    list_.MarkSaved();
}

bool Scheduler::Save() {
    if (!initialised_)
        return false;
    Load();
    bool written = list_.Size() == 0 ? RemoveFileIfPresent(schedulePath_)
                                     : WriteFileAtomically(schedulePath_, Serialise());
    list_.MarkSaved();
    return written;
}

} // namespace tonilo
