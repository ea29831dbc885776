// tonilo-tool schedule: the scheduled events in the schedule file of the data
// folder, checked as the event dialog checks them.
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/LanguageResources.h"
#include "platform/TextEncoding.h"
#include "scheduler/EventTriggering.h"
#include "scheduler/Scheduler.h"
#include "tools/ToolCommand.h"
#include "tools/commands/OptionTable.h"

namespace tonilo::tool {
namespace {

const char* kUsage =
    "schedule list\n"
    "       tonilo-tool schedule add NAME --action record|play --start \"YYYY-MM-DD hh:mm\"\n"
    "                   [--length SECONDS] [--repeat MTWTFSS] [--file PATH] [--disabled]\n"
    "       tonilo-tool schedule remove NAME\n"
    "       tonilo-tool schedule arm\n"
    "--repeat names the weekdays Monday to Sunday in that order, '-' for a day left\n"
    "out (MTWTF-- is every working day); play needs --file";

constexpr const char* kWeekdayLetters = "MTWTFSS";

int Fail(const std::string& message) {
    std::fprintf(stderr, "tonilo-tool: %s\n", message.c_str());
    return kExitFailure;
}

std::string RepeatText(uint8_t repeat) {
    if (repeat == kRepeatOnce)
        return "once";
    std::string text;
    for (int day = 0; day < 7; ++day)
        text.push_back(repeat & (1 << day) ? kWeekdayLetters[day] : '-');
    return text;
}

bool ParseRepeat(const std::string& text, uint8_t* repeat) {
    if (text.size() != 7)
        return false;
    uint8_t mask = 0;
    for (int day = 0; day < 7; ++day) {
        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[day])));
        if (c == kWeekdayLetters[day])
            mask |= static_cast<uint8_t>(1 << day);
        else if (c != '-')
            return false;
    }
    *repeat = mask;
    return true;
}

void PrintEvent(Scheduler& scheduler, const ScheduleEvent& event) {
    const ScheduleAction* action = scheduler.FindAction(event.action);
    std::string file;
    if (event.action == kPlayActionId) {
        PlayProperties properties;
        if (properties.Deserialise(event.properties.data(), event.properties.size()))
            file = properties.path;
    }
    std::string length = action && !action->hasLength ? "-" : std::to_string(event.length);
    std::printf("%s\t%s\t%s\t%s\t%s\t%s%s%s\n", event.name.c_str(),
                action ? action->name.c_str() : std::to_string(event.action).c_str(),
                FormatLocalTime(event.start).c_str(), length.c_str(),
                RepeatText(event.repeat).c_str(), event.enabled == 1 ? "enabled" : "disabled",
                file.empty() ? "" : "\t", file.c_str());
}

int Add(Scheduler& scheduler, const Arguments& arguments) {
    ScheduleEvent event = ScheduleEvent::New(CurrentLocalTime());
    event.name = arguments[1];
    event.enabled = 1;
    bool haveStart = false;
    std::string file;
    const std::vector<Option> options = {
        {"--disabled", false,
         [&event](const std::string&) {
             event.enabled = 0;
             return true;
         }},
        {"--action", true,
         [&event](const std::string& value) {
             if (value != "record" && value != "play")
                 return false;
             event.action = value == "record" ? kRecordActionId : kPlayActionId;
             return true;
         }},
        {"--start", true,
         [&](const std::string& value) { return haveStart = ParseLocalTime(value, &event.start); }},
        NumberOption("--length", {0, kMaxUnsigned32, 10, NumberSign::None}, &event.length),
        {"--repeat", true,
         [&event](const std::string& value) { return ParseRepeat(value, &event.repeat); }},
        {"--file", true,
         [&file](const std::string& value) {
             file = value;
             return !value.empty();
         }},
    };
    if (!ParseOptions(arguments, 2, options, nullptr).Ok() || event.action == 0 || !haveStart ||
        (event.action == kPlayActionId) == file.empty())
        return UsageError(kUsage);

    if (event.action == kPlayActionId) {
        PlayProperties properties;
        std::error_code ignored;
        std::filesystem::path full = std::filesystem::absolute(file, ignored);
        properties.path = full.empty() ? file : full.lexically_normal().string();
        if (Utf8ToUtf16(properties.path).size() >= PlayProperties::kPathUnits)
            return Fail("the file's path is longer than 259 characters.");
        event.properties = SerialiseProperties(properties);
    } else {
        event.properties = SerialiseProperties(RecordProperties());
    }

    if (scheduler.Count() >= EventList::kCapacity)
        return Fail("the schedule already holds 32 events.");
    if (Utf8ToUtf16(event.name).size() > 259)
        return Fail("the event's name is longer than 259 characters.");
    if (!scheduler.Add(event, false)) {
        uint32_t error = scheduler.LastError();
        std::string message = error ? LoadResourceString(error) : std::string();
        return Fail(message.empty() ? "the event cannot be added." : message);
    }
    if (!scheduler.Save())
        return Fail("cannot write " + scheduler.ScheduleFilePath() +
                    "; it keeps its previous events.");
    return kExitOk;
}

} // namespace

int RunScheduleCommand(const ToolContext& context, const Arguments& arguments) {
    if (arguments.empty())
        return UsageError(kUsage);
    Scheduler scheduler;
    scheduler.Initialise(context.programFolder + "/tonilo", ScheduleFileIn(context.dataFolder));
    scheduler.RegisterAction(MakeRecordAction());
    scheduler.RegisterAction(MakePlayAction());

    const std::string& action = arguments[0];
    if (action == "list" && arguments.size() == 1) {
        for (size_t index = 0; index < scheduler.Count(); ++index)
            PrintEvent(scheduler, *scheduler.Find(scheduler.EventAt(index)));
        return kExitOk;
    }
    if (action == "arm" && arguments.size() == 1) {
        std::unique_ptr<TimedNotifications> notifications = MakeTimedNotifications();
        RearmResult result = RearmAll(scheduler, *notifications, CurrentLocalTime());
        if (!result.enumerated)
            return Fail(std::string("cannot read the armed notifications (") +
                        notifications->Name() + "); nothing was armed.");
        return kExitOk;
    }
    if (action == "add" && arguments.size() >= 2)
        return Add(scheduler, arguments);
    if (action == "remove" && arguments.size() == 2) {
        if (!scheduler.Remove(arguments[1]))
            return Fail("there is no event named '" + arguments[1] + "'.");
        if (!scheduler.Save())
            return Fail("cannot write " + scheduler.ScheduleFilePath() +
                        "; it keeps its previous events.");
        return kExitOk;
    }
    return UsageError(kUsage);
}

} // namespace tonilo::tool
