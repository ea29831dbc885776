#include "Libs/ToniloLib/Src/filters/GainControlFilter.h"

#include <cmath>
#include <cstdlib>

#include "Libs/ToniloLib/Src/filters/SampleAccess.h"

namespace tonilo {
namespace {

// Exponent of the step between neighbouring table entries for a table of
// `length` entries spanning a factor of 100.
double StepExponent(uint32_t length) {
    return std::log(100.0) / (length * std::log(2.0) - 1.0);
}

uint8_t ToTableByte(double value) {
    // Entries beyond 100 (the ends of the tables) are held at 100.
    if (!(value < 101.0))
        return 100;
    int32_t whole = static_cast<int32_t>(value);
    return static_cast<uint8_t>(whole > 100 ? 100 : whole);
}

} // namespace

uint32_t GainControlFilter::StrengthForSetting(uint32_t value) {
    double strength = std::pow(2.0, static_cast<double>(value / 40)) / 64.0 * 255.0;
    if (strength >= 255.0)
        return 255;
    return strength <= 0.0 ? 0 : static_cast<uint32_t>(strength);
}

std::vector<uint8_t> GainControlFilter::BuildAttackTable(uint32_t rate) {
    uint32_t length = static_cast<uint32_t>(static_cast<uint64_t>(rate) * 5 / 1000);
    if (length < 2)
        length = 2;
    const double exponent = StepExponent(length);
    const double step = std::pow(2.0, exponent);
    std::vector<uint8_t> table(length);
    double value = std::pow(2.0, exponent * (length - 1));
    for (uint32_t i = 0; i < length; ++i) {
        table[i] = ToTableByte(value);
        value /= step;
    }
    return table;
}

std::vector<uint8_t> GainControlFilter::BuildReleaseTable(uint32_t rate) {
    uint64_t frames = static_cast<uint64_t>(rate) * 500 / 100;
    uint32_t length = frames < 2 ? 2 : static_cast<uint32_t>(frames);
    const double step = std::pow(2.0, StepExponent(length));
    std::vector<uint8_t> table(length);
    double value = 1.0;
    for (uint32_t i = 0; i < length; ++i) {
        table[i] = ToTableByte(value);
        value *= step;
    }
    return table;
}

bool GainControlFilter::AcceptsFormat(const WAVEFORMATEX& format) {
    return format.wBitsPerSample == 16 && format.nChannels >= 1 && format.nChannels <= 2 &&
           !attack_.empty();
}

void GainControlFilter::ResetState() {
    attack_.clear();
    release_.clear();
    // Rates beyond what a recorder delivers would need tables of gigabytes.
    if (inputFormat_.nSamplesPerSec <= 1000000) {
        attack_ = BuildAttackTable(inputFormat_.nSamplesPerSec);
        release_ = BuildReleaseTable(inputFormat_.nSamplesPerSec);
    }
    waitFrames_ =
        static_cast<uint32_t>(static_cast<uint64_t>(inputFormat_.nSamplesPerSec) * 500 / 1000);
    state_ = kRelease;
    index_ = release_.empty() ? 0 : static_cast<uint32_t>(release_.size()) - 1;
    gain_ = 100;
    strength_ = 0;
}

uint32_t GainControlFilter::FirstAttackEntryBelowGain() const {
    for (uint32_t i = 0; i < attack_.size(); ++i)
        if (attack_[i] < gain_)
            return i;
    return 0;
}

uint32_t GainControlFilter::FirstReleaseEntryAboveGain() const {
    for (uint32_t i = 0; i < release_.size(); ++i)
        if (release_[i] > gain_)
            return i;
    return static_cast<uint32_t>(release_.size()) - 1;
}

void GainControlFilter::EnterAttack() {
    state_ = kAttack;
    index_ = FirstAttackEntryBelowGain();
}

void GainControlFilter::FollowLevel(int32_t level) {
    const int32_t amplified = static_cast<int32_t>(gain_) * level;
    switch (state_) {
    case kRelease:
        if (amplified >= kHighTarget) {
            EnterAttack();
        } else if (amplified >= kLowTarget) {
            state_ = kHold;
            index_ = 0;
        } else if (index_ < release_.size() - 1) {
            gain_ = release_[++index_];
        }
        break;
    case kAttack:
        if (amplified < kHighTarget) {
            index_ = 0;
            state_ = amplified < kLowTarget ? kWait : kHold;
        } else if (index_ < attack_.size() - 1) {
            gain_ = attack_[++index_];
        }
        break;
    case kHold:
        if (amplified >= kHighTarget) {
            EnterAttack();
        } else if (amplified < kLowTarget) {
            state_ = kWait;
            index_ = 0;
        }
        break;
    case kWait:
        if (amplified >= kHighTarget) {
            EnterAttack();
        } else if (amplified >= kLowTarget) {
            state_ = kHold;
            index_ = 0;
        } else if (index_ + 1 >= waitFrames_) {
            state_ = kRelease;
            index_ = FirstReleaseEntryAboveGain();
        } else {
            ++index_;
        }
        break;
    }
}

bool GainControlFilter::Transform(AudioBuffer& buffer) {
    const uint32_t channels = inputFormat_.nChannels;
    if (strength_ == 0 || attack_.empty() || channels < 1 || channels > 2)
        return true;
    const uint32_t frames = buffer.used / (2 * channels);
    const int32_t strength = static_cast<int32_t>(strength_);
    for (uint32_t frame = 0; frame < frames; ++frame) {
        const uint32_t first = frame * channels;
        int32_t level = std::abs(static_cast<int32_t>(LoadSample(buffer.data, first)));
        if (channels == 2) {
            int32_t right = std::abs(static_cast<int32_t>(LoadSample(buffer.data, first + 1)));
            level = right > level ? right : level;
        }
        FollowLevel(level);
        const int32_t gain = static_cast<int32_t>(gain_);
        for (uint32_t channel = 0; channel < channels; ++channel) {
            const int32_t s = LoadSample(buffer.data, first + channel);
            int32_t y = gain * s;
            // A peak the gain would push past 32000 passes at its own level.
            if (std::abs(y) >= kPassThreshold)
                y = s * 32000 / 32767;
            if (y > 32767)
                y = 32767;
            if (y < -32767)
                y = -32767;
            const int32_t mixed = ((255 - strength) * s + strength * y) / 255;
            StoreSample(buffer.data, first + channel, static_cast<int16_t>(mixed));
        }
    }
    return true;
}

uint32_t GainControlFilter::ControlParameter(uint32_t command, uint32_t a, uint32_t b) {
    if (command == CTL_GAIN_SET_STRENGTH)
        strength_ = StrengthForSetting(a);
    return 0;
}

} // namespace tonilo
