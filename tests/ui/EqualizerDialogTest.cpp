// The equalizer dialog over a real equalizer filter and settings kept in the
// registry: what the controls show, what reaches the filter at once, and what
// OK and Cancel leave stored and applied.
#include <gtest/gtest.h>

#include "Libs/ToniloLib/Src/filters/EqPresets.h"
#include "Libs/ToniloLib/Src/filters/EqualizerFilter.h"
#include "platform/RegistryStore.h"
#include "tests/support/FilterTestSupport.h"
#include "tests/support/ScratchFolder.h"
#include "ui/EqualizerDialogModel.h"

namespace tonilo {
namespace {

using test::FilterRef;

const char kKey[] = "Software\\Zelto\\EqualizerDialogTest";
constexpr uint32_t kRock = 13;

struct Stored {
    bool enabled;
    int preamp;
    uint32_t active;
    std::vector<int> custom;
};

class EqualizerDialog : public ::testing::Test {
protected:
    void SetUp() override {
        RegistryStore::UseDatabase(folder_ / "registry.db");
        WAVEFORMATEX format = test::Pcm(44100, 16, 2);
        ASSERT_TRUE(filter_->SetInputFormat(&format));
        // Rock, +20 preamp, on, and custom values from an earlier session.
        EqPresets* presets = filter_->CreatePresets(kKey);
        const int8_t custom[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        presets->SetCustom(custom);
        presets->SetActive(kRock);
        presets->SetPreamp(20);
        presets->SetEnabled(true);
        presets->Destroy();
        presets_ = filter_->CreatePresets(kKey);
        presets_->Apply();
    }
    void TearDown() override {
        if (presets_)
            presets_->Destroy();
    }

    // What the registry holds once the settings object has gone.
    Stored ReadStored() {
        presets_->Destroy();
        presets_ = nullptr;
        EqPresets* reread = filter_->CreatePresets(kKey);
        Stored stored{reread->GetEnabled(), reread->GetPreamp(), reread->GetActive(), {}};
        for (int band = 0; band < 10; ++band)
            stored.custom.push_back(reread->GetCustom()[band]);
        reread->Destroy();
        return stored;
    }
    int FilterBand(uint32_t band) {
        return static_cast<int8_t>(filter_->Control(CTL_EQ_GET_BAND, band, 0));
    }
    // A bypassed filter hands the samples back untouched.
    bool FilterBypassed() {
        std::vector<int16_t> tone = test::Sine(1024, 1000, 44100, 8000, 2);
        return test::RunOnce(filter_.get(), tone) == tone;
    }

    test::ScratchFolder folder_;
    FilterRef<EqualizerFilter> filter_;
    EqPresets* presets_ = nullptr;
};

TEST_F(EqualizerDialog, OpensOnTheStoredSettings) {
    EqualizerDialogModel dialog(*presets_, filter_.get());
    const int8_t* rock = EqPresets::GetBuiltInValues(kRock);
    EXPECT_EQ(dialog.Preset(), kRock);
    for (int band = 0; band < 10; ++band)
        EXPECT_EQ(dialog.Position(band), 127 - rock[band]) << band;
    EXPECT_EQ(dialog.Position(EqualizerDialogModel::kPreampSlider), 107);
    EXPECT_TRUE(dialog.EqualizerOn());
    EXPECT_TRUE(dialog.ControlsEnabled());
    EXPECT_EQ(EqualizerDialogModel::PresetNames().size(), 18u);
}

TEST_F(EqualizerDialog, SlidersReachTheFilterOnlyWhenReleased) {
    EqualizerDialogModel dialog(*presets_, filter_.get());
    struct Case {
        int position;
        int value;
    };
    for (Case c : {Case{0, 127}, Case{254, -127}, Case{-9, 127}, Case{400, -127}, Case{100, 27}}) {
        dialog.SetPosition(3, c.position);
        EXPECT_EQ(dialog.Value(3), c.value) << c.position;
    }
    EXPECT_EQ(FilterBand(3), EqPresets::GetBuiltInValues(kRock)[3]); // still dragging
    EXPECT_EQ(dialog.Preset(), kRock);
    dialog.Released(3);
    EXPECT_EQ(FilterBand(3), 27);
    EXPECT_EQ(dialog.Preset(), 0u); // a band moved: "Custom"

    dialog.SelectPreset(kRock);
    dialog.SetPosition(EqualizerDialogModel::kPreampSlider, 127 + 40);
    uint16_t before = filter_->PreampGain();
    dialog.Released(EqualizerDialogModel::kPreampSlider);
    EXPECT_LT(filter_->PreampGain(), before);
    EXPECT_EQ(filter_->PreampGain(), EqualizerFilter::GainForValue(-40, true));
    EXPECT_EQ(dialog.Preset(), kRock); // the preamp is no band
}

TEST_F(EqualizerDialog, PresetAndResetApplyAllSliders) {
    EqualizerDialogModel dialog(*presets_, filter_.get());
    dialog.SelectPreset(17);
    const int8_t* techno = EqPresets::GetBuiltInValues(17);
    for (uint32_t band = 0; band < 10; ++band) {
        EXPECT_EQ(dialog.Value(static_cast<int>(band)), techno[band]);
        EXPECT_EQ(FilterBand(band), techno[band]) << band;
    }
    dialog.SelectPreset(0); // Custom shows the stored custom values
    EXPECT_EQ(dialog.Value(9), 10);
    EXPECT_EQ(FilterBand(9), 10);
    dialog.SelectPreset(18); // no such preset
    EXPECT_EQ(dialog.Preset(), 0u);

    dialog.SelectPreset(4);
    dialog.Reset();
    EXPECT_EQ(dialog.Preset(), 0u);
    for (int slider = 0; slider < EqualizerDialogModel::kSliders; ++slider)
        EXPECT_EQ(dialog.Position(slider), 127) << slider;
    for (uint32_t band = 0; band < 10; ++band)
        EXPECT_EQ(FilterBand(band), 0) << band;
    EXPECT_EQ(filter_->PreampGain(), EqualizerFilter::GainForValue(0, true));
}

TEST_F(EqualizerDialog, TheBoxBypassesAndLocksTheControls) {
    EqualizerDialogModel dialog(*presets_, filter_.get());
    EXPECT_FALSE(FilterBypassed());
    dialog.SetEqualizerOn(false);
    EXPECT_TRUE(FilterBypassed());
    EXPECT_FALSE(dialog.ControlsEnabled());
    // Locked controls change nothing.
    dialog.SetPosition(0, 0);
    dialog.Released(0);
    dialog.SelectPreset(2);
    dialog.Reset();
    EXPECT_EQ(dialog.Preset(), kRock);
    EXPECT_EQ(dialog.Value(0), EqPresets::GetBuiltInValues(kRock)[0]);
    dialog.SetEqualizerOn(true);
    EXPECT_FALSE(FilterBypassed());
}

TEST_F(EqualizerDialog, OkStoresTheChoiceAndCustomValuesOnlyForCustom) {
    {
        EqualizerDialogModel dialog(*presets_, filter_.get());
        dialog.SelectPreset(2);
        dialog.SetPosition(EqualizerDialogModel::kPreampSlider, 127 + 10);
        dialog.Released(EqualizerDialogModel::kPreampSlider);
        dialog.SetEqualizerOn(false);
        dialog.Ok();
    }
    Stored stored = ReadStored();
    EXPECT_FALSE(stored.enabled);
    EXPECT_EQ(stored.preamp, -10);
    EXPECT_EQ(stored.active, 2u);
    EXPECT_EQ(stored.custom, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    presets_ = filter_->CreatePresets(kKey);
    {
        EqualizerDialogModel dialog(*presets_, filter_.get());
        dialog.SetEqualizerOn(true);
        dialog.SetPosition(9, 127 + 127);
        dialog.Released(9);
        dialog.Ok();
    }
    stored = ReadStored();
    EXPECT_EQ(stored.active, 0u);
    // Club's values with the last band moved.
    EXPECT_EQ(stored.custom, (std::vector<int>{0, 0, 15, 40, 40, 40, 15, 0, 0, -127}));
}

TEST_F(EqualizerDialog, CancelPutsTheStoredSettingsBack) {
    {
        EqualizerDialogModel dialog(*presets_, filter_.get());
        dialog.SelectPreset(6);
        dialog.SetPosition(EqualizerDialogModel::kPreampSlider, 0);
        dialog.Released(EqualizerDialogModel::kPreampSlider);
        dialog.SetPosition(1, 254);
        dialog.Released(1);
        dialog.SetEqualizerOn(false);
        dialog.Cancel();
    }
    const int8_t* rock = EqPresets::GetBuiltInValues(kRock);
    for (uint32_t band = 0; band < 10; ++band)
        EXPECT_EQ(FilterBand(band), rock[band]) << band;
    EXPECT_EQ(filter_->PreampGain(), EqualizerFilter::GainForValue(20, true));
    EXPECT_FALSE(FilterBypassed());
    Stored stored = ReadStored();
    EXPECT_TRUE(stored.enabled);
    EXPECT_EQ(stored.preamp, 20);
    EXPECT_EQ(stored.active, kRock);
    EXPECT_EQ(stored.custom, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

} // namespace
} // namespace tonilo
