#include "scheduler/ScheduleFile.h"

#include <cstring>

#include "codecs/include/ByteOrder.h"
#include "platform/TextEncoding.h"

namespace tonilo {
namespace {

constexpr char kFileMagic[4] = {'S', 'C', 'H', '1'};
constexpr char kEventMagic[4] = {'E', 'V', 'T', '1'};
constexpr size_t kFixedBlockSize = 28;
constexpr size_t kMaxNameChunk = 520;

void PutChunk(std::string* out, const std::string& bytes) {
    AppendLe16(out, static_cast<uint16_t>(bytes.size()));
    *out += bytes;
}

class ChunkReader {
public:
    ChunkReader(const uint8_t* bytes, size_t size, size_t offset)
        : bytes_(bytes), size_(size), offset_(offset) {}

    // The next chunk; false when its length or its bytes run past the end.
    bool Next(const uint8_t** data, size_t* length) {
        if (size_ - offset_ < 2)
            return false;
        size_t chunk = ReadLe16(bytes_ + offset_);
        if (size_ - offset_ - 2 < chunk)
            return false;
        *data = bytes_ + offset_ + 2;
        *length = chunk;
        offset_ += 2 + chunk;
        return true;
    }

private:
    const uint8_t* bytes_;
    size_t size_;
    size_t offset_;
};

std::string FixedBlock(const ScheduleEvent& event) {
    std::string block;
    block.push_back(event.enabled == 1 ? 1 : 0);
    block.append(3, '\0');
    int64_t fileTime = 0;
    LocalTimeToFileTime(event.start, &fileTime);
    AppendLe32(&block, static_cast<uint32_t>(static_cast<uint64_t>(fileTime) & 0xFFFFFFFFu));
    AppendLe32(&block, static_cast<uint32_t>(static_cast<uint64_t>(fileTime) >> 32));
    AppendLe32(&block, event.length);
    block.push_back(static_cast<char>(event.repeat));
    block.append(3, '\0');
    AppendLe32(&block, event.action);
    AppendLe32(&block, static_cast<uint32_t>(event.properties.size()));
    return block;
}

} // namespace

std::vector<ScheduleEvent> ReadScheduleFile(const uint8_t* bytes, size_t size) {
    std::vector<ScheduleEvent> events;
    if (size < 5 || std::memcmp(bytes, kFileMagic, 4) != 0 || bytes[4] > EventList::kCapacity)
        return events;
    ChunkReader reader(bytes, size, 5);
    for (unsigned number = 0; number < bytes[4]; ++number) {
        const uint8_t* data = nullptr;
        size_t length = 0;
        // Only "EVT" is compared; the fourth byte is the format's revision.
        if (!reader.Next(&data, &length) || length != 4 || std::memcmp(data, kEventMagic, 3) != 0)
            return events;
        ScheduleEvent event;
        if (!reader.Next(&data, &length) || length > kMaxNameChunk)
            return events;
        event.name = Utf16ToUtf8(ReadUtf16Le(data, length));
        if (!reader.Next(&data, &length) || length != kFixedBlockSize)
            return events;
        event.enabled = data[0] != 0 ? 1 : 0;
        int64_t fileTime = static_cast<int64_t>(ReadLe32(data + 4) |
                                                (static_cast<uint64_t>(ReadLe32(data + 8)) << 32));
        if (!FileTimeToLocalTime(fileTime, &event.start))
            return events;
        event.length = ReadLe32(data + 12);
        event.repeat = data[16];
        event.action = ReadLe32(data + 20);
        uint32_t propertiesSize = ReadLe32(data + 24);
        if (propertiesSize != 0) {
            if (!reader.Next(&data, &length) || length != propertiesSize)
                return events;
            event.properties.assign(data, data + length);
        }
        events.push_back(std::move(event));
    }
    return events;
}

std::string WriteScheduleFile(const std::vector<ScheduleEvent>& events) {
    std::string out(kFileMagic, 4);
    out.push_back(static_cast<char>(events.size()));
    for (const ScheduleEvent& event : events) {
        PutChunk(&out, std::string(kEventMagic, 4));
        std::string name;
        AppendUtf16Le(&name, Utf8ToUtf16(event.name), true);
        PutChunk(&out, name);
        PutChunk(&out, FixedBlock(event));
        if (!event.properties.empty())
            PutChunk(&out, std::string(event.properties.begin(), event.properties.end()));
    }
    return out;
}

} // namespace tonilo
