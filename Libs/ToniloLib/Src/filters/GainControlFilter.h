#pragma once
// "Gain Audio Filter": automatic gain control. An integer gain of 1..100 follows
// the signal's peak with a 5 ms attack and, after a 0.5 s hold, a 5 s release so
// that the amplified peak stays between 15000 and 22000; the amplified signal is
// mixed with the input in the proportion of the strength.
#include <cstdint>
#include <vector>

#include "Libs/ToniloLib/Src/components/AudioFilter.h"

namespace tonilo {

constexpr uint32_t CTL_GAIN_SET_STRENGTH = 17; // a: setting value, 50..250 in the application

// Setting values of "1 - Soft" to "5 - Full".
constexpr uint32_t kGainSettingValues[5] = {50, 100, 150, 200, 250};

class GainControlFilter : public AudioFilter {
public:
    enum State : uint32_t { kRelease = 0, kAttack = 1, kHold = 2, kWait = 3 };

    static constexpr int32_t kLowTarget = 15000;
    static constexpr int32_t kHighTarget = 22000;
    static constexpr int32_t kPassThreshold = 32000;

    // The strength a setting value gives: 2^(v/40) / 64 * 255, clamped.
    static uint32_t StrengthForSetting(uint32_t value);
    // Gain tables for a rate: attack falls from 100 towards 1 over 5 ms, release
    // rises from 1 to 100 over five seconds.
    static std::vector<uint8_t> BuildAttackTable(uint32_t rate);
    static std::vector<uint8_t> BuildReleaseTable(uint32_t rate);

    uint32_t CurrentGain() const { return gain_; }
    State CurrentState() const { return state_; }
    uint32_t Strength() const { return strength_; }

protected:
    bool AcceptsFormat(const WAVEFORMATEX& format) override;
    void ResetState() override;
    bool Transform(AudioBuffer& buffer) override;
    uint32_t ControlParameter(uint32_t command, uint32_t a, uint32_t b) override;
    bool InitialBypass() const override { return true; }

private:
    void FollowLevel(int32_t level);
    void EnterAttack();
    uint32_t FirstAttackEntryBelowGain() const;
    uint32_t FirstReleaseEntryAboveGain() const;

    State state_ = kRelease;
    uint32_t index_ = 0; // table index, or frames waited
    uint32_t gain_ = 100;
    std::vector<uint8_t> attack_;
    std::vector<uint8_t> release_;
    uint32_t waitFrames_ = 0;
    uint32_t strength_ = 0;
};

} // namespace tonilo
