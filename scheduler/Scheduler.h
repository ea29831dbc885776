#pragma once
// The scheduler's model: named events that run a registered action at a start
// time, once or on chosen weekdays; their validation and collision rules; and the
// schedule file, read once on first use. It reads the local clock and nothing
// else of the platform, so it builds and tests alone. The file's layout is in
// ScheduleFile.h.
//
// Threads: the user-interface thread only.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "scheduler/ScheduleAction.h"
#include "scheduler/ScheduleEvent.h"

namespace tonilo {

// Validation refusals (string ids).
constexpr uint32_t kEventNameTaken = 24018;
constexpr uint32_t kEventLengthNotPositive = 24023;
constexpr uint32_t kEventNameEmpty = 24024;
constexpr uint32_t kEventCollides = 24025;
constexpr uint32_t kEventTimeInPast = 24026;

// What running an event needs: its length and its action's filled properties.
struct ScheduledRun {
    uint32_t action = 0;
    uint32_t length = 0;
    std::unique_ptr<ActionProperties> properties;
};

class Scheduler {
public:
    using Clock = std::function<LocalTime()>;

    Scheduler() = default;
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    // Both may be empty: the program's own path, and that path with its extension
    // replaced by "sch" (added when it has none). Nothing else works before this.
    void Initialise(const std::string& applicationPath, const std::string& scheduleFilePath);
    bool Initialised() const { return initialised_; }
    const std::string& ScheduleFilePath() const { return schedulePath_; }
    const std::string& ApplicationPath() const { return applicationPath_; }
    // Tests and tools give their own clock; the local clock otherwise.
    void SetClock(Clock clock) { clock_ = std::move(clock); }

    // Fails for id 0 and for an id already registered.
    bool RegisterAction(const ScheduleAction& action);
    const ScheduleAction* FindAction(uint32_t id) const;
    // In registration order, as the event dialog lists them.
    const std::vector<ScheduleAction>& Actions() const { return actions_; }

    // Reads the schedule file the first time only; later calls do nothing.
    void Load();
    // Deletes the file for an empty list, else replaces it whole. The list counts
    // as saved afterwards even when writing failed.
    bool Save();
    bool Dirty();

    size_t Count();
    // Name of the event at the index; empty outside the list.
    std::string EventAt(size_t index);
    const ScheduleEvent* Find(const std::string& name);

    // Validates (time check on unless the event comes from the file) and appends
    // a copy. Fails when 32 events exist, and (24026) for a start date or time
    // outside the calendar, which Update refuses as well.
    bool Add(const ScheduleEvent& event, bool fromFile);
    bool Update(const std::string& name, const ScheduleEvent& event);
    bool Remove(const std::string& name);
    // The string id of the last refusal (0 for none); reading clears it.
    uint32_t LastError();

    // Checks in this order, stopping at the first refusal: unique name, non-empty
    // name, then (with the time check) a registered action, a one-time start in
    // the future and a positive length, then the collision test. `editedName` is
    // the name the event is edited under, empty for a new event.
    bool Validate(const ScheduleEvent& event, const std::string& editedName, bool skipNameChecks,
                  bool timeCheck);
    // Removes the events that fail the time checks (past one-time events, events
    // of unknown actions, events without length); returns how many.
    size_t PurgePastEvents();

    bool FindEventAction(const std::string& name, ScheduledRun* run);

    // The file format in memory, for load and save and for tests.
    void Parse(const uint8_t* bytes, size_t size);
    std::string Serialise() const;

private:
    bool Collides(const ScheduleEvent& event, const std::string& editedName) const;
    bool PassesTimeChecks(const ScheduleEvent& event, uint32_t* error) const;
    bool FitsTheFile(const ScheduleEvent& event) const;
    // False, with 24026 as the last error, for a start outside the calendar.
    bool HasCalendarStart(const ScheduleEvent& event);
    LocalTime Now() const;

    bool initialised_ = false;
    bool loaded_ = false;
    std::string applicationPath_;
    std::string schedulePath_;
    Clock clock_;
    EventList list_;
    std::vector<ScheduleAction> actions_;
};

// The schedule file beside an executable: its extension replaced by "sch".
std::string ScheduleFilePathFor(const std::string& applicationPath);
// The program's schedule file in the folder of its data ("tonilo.sch").
std::string ScheduleFileIn(const std::string& dataFolder);

// The scheduler of the running program, created on first request.
Scheduler& GetScheduler();

} // namespace tonilo
