#include "scheduler/ScheduleAction.h"

#include <cstring>

#include "codecs/include/ByteOrder.h"
#include "platform/LanguageResources.h"
#include "platform/TextEncoding.h"

namespace tonilo {
namespace {

constexpr uint32_t kRecordNameString = 13010;
constexpr uint32_t kPlayNameString = 30184;
constexpr size_t kPlayChunkBytes = PlayProperties::kPathUnits * 2;

std::string NameOr(uint32_t id, const char* fallback) {
    std::string text = LoadResourceString(id);
    return text.empty() ? fallback : text;
}

} // namespace

std::vector<uint8_t> SerialiseProperties(const ActionProperties& properties) {
    std::vector<uint8_t> bytes(properties.Serialise(nullptr, 0));
    properties.Serialise(bytes.data(), bytes.size());
    return bytes;
}

size_t RecordProperties::Serialise(uint8_t* buffer, size_t capacity) const {
    constexpr size_t kSize = 6;
    if (buffer && capacity >= kSize) {
        WriteLe16(buffer, 1);
        buffer[2] = exitAfter;
        WriteLe16(buffer + 3, 1);
        buffer[5] = switchOffAfter;
    }
    return kSize;
}

bool RecordProperties::Deserialise(const uint8_t* data, size_t size) {
    if (!data || size != 6 || ReadLe16(data) != 1 || ReadLe16(data + 3) != 1)
        return false;
    exitAfter = data[2];
    switchOffAfter = data[5];
    return true;
}

size_t PlayProperties::Serialise(uint8_t* buffer, size_t capacity) const {
    constexpr size_t kSize = 2 + kPlayChunkBytes;
    if (buffer && capacity >= kSize) {
        std::memset(buffer, 0, kSize);
        WriteLe16(buffer, static_cast<uint16_t>(kPlayChunkBytes));
        std::u16string units = Utf8ToUtf16(path);
        if (units.size() > kPathUnits - 1)
            units.resize(kPathUnits - 1);
        for (size_t i = 0; i < units.size(); ++i)
            WriteLe16(buffer + 2 + 2 * i, units[i]);
    }
    return kSize;
}

bool PlayProperties::Deserialise(const uint8_t* data, size_t size) {
    if (!data || size != 2 + kPlayChunkBytes || ReadLe16(data) != kPlayChunkBytes)
        return false;
    std::u16string units = ReadUtf16Le(data + 2, kPlayChunkBytes);
    if (units.size() > kPathUnits - 1)
        units.resize(kPathUnits - 1); // the buffer's last unit is its terminator
    path = Utf16ToUtf8(units);
    return true;
}

ScheduleAction MakeRecordAction() {
    ScheduleAction action;
    action.id = kRecordActionId;
    action.name = NameOr(kRecordNameString, "Record");
    action.hasLength = true;
    action.hasProperties = false;
    action.createProperties = [] { return std::make_unique<RecordProperties>(); };
    return action;
}

ScheduleAction MakePlayAction() {
    ScheduleAction action;
    action.id = kPlayActionId;
    action.name = NameOr(kPlayNameString, "Play");
    action.hasLength = false;
    action.hasProperties = true;
    action.createProperties = [] { return std::make_unique<PlayProperties>(); };
    return action;
}

} // namespace tonilo
