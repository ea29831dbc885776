// Drives one filter of the table with formats, commands and buffers taken from
// the fuzzer's bytes: nothing may read or write outside a buffer, whatever the
// format, size, used count or alignment.
#include <cstdint>
#include <cstring>
#include <vector>

#include "Libs/ToniloLib/Src/components/FilterTable.h"
#include "Libs/ToniloLib/Src/filters/ResampleFilter.h"

namespace {

struct Reader {
    const uint8_t* data;
    size_t size;
    uint32_t Take(uint32_t bytes) {
        uint32_t value = 0;
        for (uint32_t i = 0; i < bytes && size > 0; ++i, ++data, --size)
            value |= static_cast<uint32_t>(*data) << (8 * i);
        return value;
    }
};

tonilo::WAVEFORMATEX Format(Reader& in) {
    const uint32_t rates[] = {1, 8000, 11025, 16000, 22050, 44100, 48000, 96000};
    uint32_t pick = in.Take(1);
    uint32_t rate = pick < 8 ? rates[pick] : pick * 397;
    uint16_t bits =
        static_cast<uint16_t>(in.Take(1) % 3 == 0 ? 8 : (in.Take(1) % 7 == 0 ? 24 : 16));
    uint16_t channels = static_cast<uint16_t>(in.Take(1) % 4);
    return tonilo::MakePcmFormat(rate, bits, channels);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in{data, size};
    uint32_t count = 0;
    const tonilo::FormatRecord* table = tonilo::GetFilterTable(&count);
    const tonilo::FormatRecord& entry = table[in.Take(1) % count];
    void* object = nullptr;
    entry.factory(&object, &entry);
    auto* filter = static_cast<tonilo::AudioFilter*>(object);
    if (!filter)
        return 0;
    tonilo::WAVEFORMATEX format = Format(in);
    filter->SetInputFormat(&format);
    std::vector<uint8_t> memory;
    for (int step = 0; step < 24 && in.size > 0; ++step) {
        switch (in.Take(1) % 6) {
        case 0: {
            // A buffer of random content at a random offset.
            uint32_t capacity = in.Take(2) % 12000;
            uint32_t used = capacity ? in.Take(2) % (capacity + 1) : 0;
            uint32_t offset = in.Take(1) % 3;
            memory.assign(capacity + offset, 0);
            for (uint32_t i = 0; i < capacity && in.size > 0; i += 97)
                memory[offset + i] = static_cast<uint8_t>(in.Take(1));
            tonilo::AudioBuffer buffer{memory.data() + offset, capacity, used};
            bool ok = filter->Process(&buffer);
            if (ok && buffer.used > buffer.size)
                __builtin_trap();
            break;
        }
        case 1: {
            uint32_t command = 2 + in.Take(1) % 20;
            if (command == 17 && entry.name == std::string("Volume Audio Filter"))
                break; // a pointer argument
            if (command == 18 && entry.name == std::string("Resample Audio Filter"))
                break;
            if (command == 21)
                break;
            filter->Control(command, in.Take(4), in.Take(4));
            break;
        }
        case 2:
            format = Format(in);
            filter->SetInputFormat(&format);
            break;
        case 3:
            if (auto* resampler = dynamic_cast<tonilo::ResampleFilter*>(filter)) {
                resampler->SetQuality(in.Take(1) % 3);
                resampler->SetOutputFormat(Format(in));
            }
            break;
        case 4:
            filter->Control(tonilo::CTL_BYPASS, in.Take(1) & 1, 0);
            break;
        default: {
            tonilo::WAVEFORMATEX out{};
            filter->GetOutputFormat(&out);
            break;
        }
        }
    }
    filter->Release();
    return 0;
}
