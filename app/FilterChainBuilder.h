#pragma once
// A filter chain of the engine's filters, put together by name once the
// decoded format is known and run between decoder and encoder: the format
// and equalizer changes of a conversion, or a recording's chain applied to a
// file after the fact. It knows nothing of the transcoder, which sits above
// the application core; the caller hands it over as the transcoder's stage.
#include <cstdint>
#include <functional>
#include <string>

#include "Libs/ToniloLib/Src/components/AudioFilter.h"

namespace tonilo {

// What a conversion may do to the audio between decoder and encoder.
struct ConvertFilterOptions {
    uint32_t rate = 0;     // 0: keep
    uint16_t bits = 0;     // 0: keep
    uint16_t channels = 0; // 0: keep
    uint32_t resampleQuality = 2;
    bool equalize = false;
    int8_t bands[10] = {};
    int8_t preamp = 0;

    bool Any() const { return rate || bits || channels || equalize; }
};

// A recording's chain: noise, voice activation, gain and the level meter.
struct RecordingFilterOptions {
    int noise = -1; // 0..4, -1: off
    int gain = -1;  // 0..4, -1: off
    bool voiceActivation = false;
};

class FilterChainBuilder {
public:
    // Receives the level meter's bytes after each buffer of a recording's chain.
    using LevelsReceiver = std::function<void(const uint8_t* levels, uint32_t count)>;

    explicit FilterChainBuilder(const ConvertFilterOptions& options);
    FilterChainBuilder(const RecordingFilterOptions& options, LevelsReceiver levels);
    ~FilterChainBuilder();
    FilterChainBuilder(const FilterChainBuilder&) = delete;
    FilterChainBuilder& operator=(const FilterChainBuilder&) = delete;

    // Builds the chain for the decoded format and tells the format it hands on.
    bool Prepare(const WAVEFORMATEX& input, WAVEFORMATEX* output);
    // Bytes of output at most for this many bytes of input.
    uint32_t OutputBytesFor(uint32_t inputBytes);
    // Runs the chain over buffer->used bytes in place.
    bool Process(AudioBuffer* buffer);

    // Why Prepare failed, for the user; empty while it has not.
    const std::string& Problem() const { return problem_; }

private:
    bool PrepareConvert(const WAVEFORMATEX& input);
    bool PrepareRecording(const WAVEFORMATEX& input);
    // Creates the named filter, gives it `format` and links it after the tail.
    AudioFilter* Append(const char* name, const WAVEFORMATEX& format);

    bool recording_;
    ConvertFilterOptions convert_;
    RecordingFilterOptions record_;
    LevelsReceiver levels_;
    AudioFilter* tail_ = nullptr;
    AudioFilter* levelMeter_ = nullptr; // inside the chain, not owned separately
    std::string problem_;
};

} // namespace tonilo
