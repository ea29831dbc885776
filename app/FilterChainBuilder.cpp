#include "app/FilterChainBuilder.h"

#include <utility>

#include "Libs/ToniloLib/Src/components/FilterTable.h"
#include "Libs/ToniloLib/Src/filters/EqualizerFilter.h"
#include "Libs/ToniloLib/Src/filters/GainControlFilter.h"
#include "Libs/ToniloLib/Src/filters/LevelMeterFilter.h"
#include "Libs/ToniloLib/Src/filters/NoiseFilter.h"
#include "Libs/ToniloLib/Src/filters/ResampleFilter.h"

namespace tonilo {
namespace {

AudioFilter* CreateFilter(const char* name) {
    uint32_t count = 0;
    const FormatRecord* table = GetFilterTable(&count);
    for (uint32_t i = 0; i < count; ++i) {
        if (std::string(table[i].name) == name) {
            void* object = nullptr;
            table[i].factory(&object, &table[i]);
            return static_cast<AudioFilter*>(object);
        }
    }
    return nullptr;
}

std::string Describe(const WAVEFORMATEX& format) {
    return std::to_string(format.nSamplesPerSec) + " Hz " + std::to_string(format.wBitsPerSample) +
           "-bit " + std::to_string(format.nChannels) + "-channel";
}

} // namespace

FilterChainBuilder::FilterChainBuilder(const ConvertFilterOptions& options)
    : recording_(false), convert_(options) {}

FilterChainBuilder::FilterChainBuilder(const RecordingFilterOptions& options, LevelsReceiver levels)
    : recording_(true), record_(options), levels_(std::move(levels)) {}

FilterChainBuilder::~FilterChainBuilder() {
    if (tail_)
        tail_->Release(); // releases the whole chain
}

AudioFilter* FilterChainBuilder::Append(const char* name, const WAVEFORMATEX& format) {
    AudioFilter* filter = CreateFilter(name);
    if (!filter) {
        problem_ = std::string("cannot create the ") + name;
        return nullptr;
    }
    filter->SetSource(tail_); // hands our reference on the old tail to the new one
    tail_ = filter;
    if (!filter->SetInputFormat(&format)) {
        problem_ = std::string("the ") + name + " does not take " + Describe(format) + " audio";
        return nullptr;
    }
    return filter;
}

bool FilterChainBuilder::Prepare(const WAVEFORMATEX& input, WAVEFORMATEX* output) {
    if (tail_) {
        tail_->Release();
        tail_ = nullptr;
    }
    problem_.clear();
    if (!(recording_ ? PrepareRecording(input) : PrepareConvert(input)))
        return false;
    *output = input;
    if (tail_)
        tail_->GetOutputFormat(output);
    return true;
}

bool FilterChainBuilder::PrepareConvert(const WAVEFORMATEX& input) {
    WAVEFORMATEX target = MakePcmFormat(convert_.rate ? convert_.rate : input.nSamplesPerSec,
                                        convert_.bits ? convert_.bits : input.wBitsPerSample,
                                        convert_.channels ? convert_.channels : input.nChannels);
    const bool resample = target.nSamplesPerSec != input.nSamplesPerSec ||
                          target.wBitsPerSample != input.wBitsPerSample ||
                          target.nChannels != input.nChannels;
    auto addEqualizer = [&](const WAVEFORMATEX& format) {
        auto* eq = static_cast<EqualizerFilter*>(Append("Eq Audio Filter", format));
        if (!eq)
            return false;
        eq->Control(CTL_BYPASS, 0, 0);
        eq->Control(CTL_EQ_SET_PREAMP, 0, static_cast<uint8_t>(convert_.preamp));
        for (uint32_t band = 0; band < 10; ++band)
            eq->Control(CTL_EQ_SET_BAND, band, static_cast<uint8_t>(convert_.bands[band]));
        return true;
    };
    // The equalizer works on 16-bit audio: before the format change when the
    // source has it, otherwise after.
    const bool equalizeFirst = convert_.equalize && input.wBitsPerSample == 16;
    if (equalizeFirst && !addEqualizer(input))
        return false;
    if (resample) {
        auto* resampler = static_cast<ResampleFilter*>(Append("Resample Audio Filter", input));
        if (!resampler)
            return false;
        resampler->SetQuality(convert_.resampleQuality);
        if (!resampler->SetOutputFormat(target)) {
            problem_ = "cannot convert to " + Describe(target) + " audio";
            return false;
        }
    }
    if (convert_.equalize && !equalizeFirst) {
        if (target.wBitsPerSample != 16) {
            problem_ = "the equalizer needs 16-bit audio";
            return false;
        }
        return addEqualizer(target);
    }
    return true;
}

bool FilterChainBuilder::PrepareRecording(const WAVEFORMATEX& input) {
    WAVEFORMATEX working = input;
    if (input.wBitsPerSample == 8) {
        if (!Append("816 Audio Filter", input))
            return false;
        working = MakePcmFormat(input.nSamplesPerSec, 16, input.nChannels);
    }
    AudioFilter* noise = Append("Noise Audio Filter", working);
    AudioFilter* vas = noise ? Append("VAS Audio Filter", working) : nullptr;
    AudioFilter* gain = vas ? Append("Gain Audio Filter", working) : nullptr;
    levelMeter_ = gain ? Append("Volume Audio Filter", working) : nullptr;
    if (!levelMeter_)
        return false;
    if (record_.noise >= 0)
        noise->Control(CTL_NOISE_SET_STRENGTH, kNoiseStrengths[record_.noise], 0);
    noise->Control(CTL_BYPASS, record_.noise >= 0 ? 0 : 1, 0);
    vas->Control(CTL_BYPASS, record_.voiceActivation ? 0 : 1, 0);
    if (record_.gain >= 0)
        gain->Control(CTL_GAIN_SET_STRENGTH, kGainSettingValues[record_.gain], 0);
    gain->Control(CTL_BYPASS, record_.gain >= 0 ? 0 : 1, 0);
    // Levels come out as fast as the file is read: none is ever late.
    levelMeter_->Control(CTL_LEVEL_DELAY, 0x7FFFFFFF, 0);
    return true;
}

uint32_t FilterChainBuilder::OutputBytesFor(uint32_t inputBytes) {
    return tail_ ? tail_->Control(CTL_SRC_TO_OUT, inputBytes, 0) : inputBytes;
}

bool FilterChainBuilder::Process(AudioBuffer* buffer) {
    if (!tail_)
        return true;
    bool processed = tail_->Process(buffer);
    if (levelMeter_ && levels_) {
        uint8_t levels[LevelMeterFilter::kCapacity];
        levels_(levels,
                static_cast<LevelMeterFilter*>(levelMeter_)->ReadLevels(levels, sizeof levels));
    }
    return processed;
}

} // namespace tonilo
