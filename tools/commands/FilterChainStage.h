#pragma once
// Filter chains for tonilo-tool's convert and filter commands: a TranscodeStage
// over a chain of the engine's filters, built once the decoded format is known,
// and the parsing of the filter options both commands take.
#include <cstdint>
#include <string>
#include <vector>

#include "Libs/ToniloLib/Src/components/AudioFilter.h"
#include "formats/Transcoder.h"

namespace tonilo::tool {

// What convert may do to the audio between decoder and encoder.
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

// What the filter command runs: the recording chain.
struct RecordingFilterOptions {
    int noise = -1; // 0..4, -1: off
    int gain = -1;  // 0..4, -1: off
    bool voiceActivation = false;
    bool printLevels = false;
};

// Takes one convert option at arguments[*index] (--rate, --bits, --channels,
// --resample-quality, --eq, --preamp) with its value, advancing *index: 1 when
// taken, 0 when the argument is not one of them, -1 for a missing or bad value.
int ParseConvertFilterOption(const std::vector<std::string>& arguments, size_t* index,
                             ConvertFilterOptions* options);
// Parses "--eq NAME" (a preset name, any case) or "--eq v1,...,v10".
bool ParseEqualizerBands(const std::string& text, int8_t bands[10]);
// Parses a whole number within [low, high].
bool ParseNumber(const std::string& text, long low, long high, long* value);

class FilterChainStage : public TranscodeStage {
public:
    explicit FilterChainStage(const ConvertFilterOptions& options);
    explicit FilterChainStage(const RecordingFilterOptions& options);
    ~FilterChainStage() override;
    FilterChainStage(const FilterChainStage&) = delete;
    FilterChainStage& operator=(const FilterChainStage&) = delete;

    bool Prepare(const WAVEFORMATEX& input, WAVEFORMATEX* output) override;
    uint32_t OutputBytesFor(uint32_t inputBytes) override;
    bool Process(AudioBuffer* buffer) override;

    // Why Prepare failed, for the user.
    const std::string& Problem() const { return problem_; }

private:
    bool PrepareConvert(const WAVEFORMATEX& input);
    bool PrepareRecording(const WAVEFORMATEX& input);
    // Creates the named filter, gives it `format` and links it after the tail.
    AudioFilter* Append(const char* name, const WAVEFORMATEX& format);
    void PrintLevels();

    bool recording_;
    ConvertFilterOptions convert_;
    RecordingFilterOptions record_;
    AudioFilter* tail_ = nullptr;
    AudioFilter* levelMeter_ = nullptr; // inside the chain, not owned separately
    std::string problem_;
};

} // namespace tonilo::tool
