#pragma once
// What a scheduled event does. The application registers its actions at start-up
// (Record and Play); each action says whether an event's length matters and
// creates the properties object that holds the action's own settings.
//
// Properties travel inside the schedule file in the chunk form of that file: each
// piece is a 2-byte little-endian length followed by that many bytes.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tonilo {

constexpr uint32_t kRecordActionId = 1218;
constexpr uint32_t kPlayActionId = 1219;

class ActionProperties {
public:
    virtual ~ActionProperties() = default;
    // Writes the serialised form into the buffer when it has room and returns the
    // size it needs; call with no buffer to learn the size.
    virtual size_t Serialise(uint8_t* buffer, size_t capacity) const = 0;
    // False, leaving the object as it was, for data not in this action's form.
    virtual bool Deserialise(const uint8_t* data, size_t size) = 0;
    // The editing dialog; actions without one report false.
    virtual bool ShowDialog(void* parent) { return false; }
};

std::vector<uint8_t> SerialiseProperties(const ActionProperties& properties);

// Record: two one-byte chunks, exit after the recording, then switch the device
// off after it.
class RecordProperties : public ActionProperties {
public:
    size_t Serialise(uint8_t* buffer, size_t capacity) const override;
    bool Deserialise(const uint8_t* data, size_t size) override;

    uint8_t exitAfter = 0;
    uint8_t switchOffAfter = 0;
};

// Play: one chunk of exactly 520 bytes, the 260-unit UTF-16LE path buffer.
class PlayProperties : public ActionProperties {
public:
    static constexpr size_t kPathUnits = 260;

    size_t Serialise(uint8_t* buffer, size_t capacity) const override;
    bool Deserialise(const uint8_t* data, size_t size) override;

    std::string path; // at most 259 UTF-16 units are kept
};

struct ScheduleAction {
    uint32_t id = 0; // unique, non-zero
    std::string name;
    bool hasLength = false;
    bool hasProperties = false; // the event dialog offers "Properties..."
    std::function<std::unique_ptr<ActionProperties>()> createProperties;
};

// The two actions of the program, named from the language resources.
ScheduleAction MakeRecordAction();
ScheduleAction MakePlayAction();

} // namespace tonilo
