// The filters dialog's model over a settings table loaded from a real registry
// file: what it shows for stored values (also damaged ones), what OK writes and
// that nothing is written without OK.
#include <gtest/gtest.h>

#include "tests/ui/SettingsTestFixture.h"
#include "ui/FiltersDialogModel.h"

namespace tonilo {
namespace {

struct Values {
    uint32_t noiseOn, noise, gainOn, gain, vasOn;
};

class FiltersDialog : public test::SettingsFixture {
protected:
    void Store(const Values& v) {
        WriteNumber("NoiseOn", v.noiseOn);
        WriteNumber("Noise", v.noise);
        WriteNumber("GainOn", v.gainOn);
        WriteNumber("Gain", v.gain);
        WriteNumber("VASOn", v.vasOn);
        Load();
    }
    Values Table() const {
        Values v{};
        settings_.GetNumber("NoiseOn", &v.noiseOn);
        settings_.GetNumber("Noise", &v.noise);
        settings_.GetNumber("GainOn", &v.gainOn);
        settings_.GetNumber("Gain", &v.gain);
        settings_.GetNumber("VASOn", &v.vasOn);
        return v;
    }
};

TEST_F(FiltersDialog, ComboEntriesAreTheLevelNames) {
    EXPECT_EQ(FiltersDialogModel::NoiseLevelNames(),
              (std::vector<std::string>{"1 - Soft", "2 - Moderate", "3 - Strong", "4 - Stronger",
                                        "5 - Full"}));
    EXPECT_EQ(FiltersDialogModel::GainLevelNames(),
              (std::vector<std::string>{"1 - Soft", "2 - Moderate", "3 - Loud", "4 - Louder",
                                        "5 - Full"}));
}

TEST_F(FiltersDialog, ShowsStoredValuesAndOkWritesEdits) {
    struct Case {
        const char* what;
        Values stored;
        bool shownNoiseOn, shownGainOn, shownVasOn;
        int32_t shownNoise, shownGain;
        // -1 leaves a combo alone; a box is flipped when its flag is set.
        int32_t pickNoise, pickGain;
        bool flipNoise, flipGain, flipVas;
        Values written;
    };
    // One case a line, columns as in Case.
    // clang-format off
    const Case cases[] = {
        {"untouched defaults",
         {0, 0, 0, 0, 0}, false, false, false, 0, 0, -1, -1, false, false, false, {0, 0, 0, 0, 0}},
        {"all switched on, strongest",
         {0, 0, 0, 0, 0}, false, false, false, 0, 0, 4, 4, true, true, true, {1, 4, 1, 4, 1}},
        {"stored values shown, switched off",
         {1, 2, 1, 3, 1}, true, true, true, 2, 3, -1, -1, true, true, true, {0, 2, 0, 3, 0}},
        {"damaged indexes show the first entry and survive OK",
         {1, 7, 0, 200, 0}, true, false, false, 0, 0, -1, -1, false, false, false, {1, 7, 0, 200, 0}},
        {"picking the first entry replaces a damaged index",
         {0, 9, 0, 9, 0}, false, false, false, 0, 0, 0, 0, false, false, false, {0, 0, 0, 0, 0}},
        {"any non-zero switch reads as on",
         {5, 1, 2, 1, 0xFFFFFFFF}, true, true, true, 1, 1, -1, -1, false, false, false, {1, 1, 1, 1, 1}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Store(c.stored);
        FiltersDialogModel model(settings_);
        EXPECT_EQ(model.NoiseOn(), c.shownNoiseOn);
        EXPECT_EQ(model.GainOn(), c.shownGainOn);
        EXPECT_EQ(model.VasOn(), c.shownVasOn);
        EXPECT_EQ(model.NoiseLevel(), c.shownNoise);
        EXPECT_EQ(model.GainLevel(), c.shownGain);
        if (c.pickNoise >= 0) {
            EXPECT_TRUE(model.SetNoiseLevel(c.pickNoise));
        }
        if (c.pickGain >= 0) {
            EXPECT_TRUE(model.SetGainLevel(c.pickGain));
        }
        if (c.flipNoise)
            model.SetNoiseOn(!model.NoiseOn());
        if (c.flipGain)
            model.SetGainOn(!model.GainOn());
        if (c.flipVas)
            model.SetVasOn(!model.VasOn());
        model.Ok(settings_);
        Values v = Table();
        EXPECT_EQ(v.noiseOn, c.written.noiseOn);
        EXPECT_EQ(v.noise, c.written.noise);
        EXPECT_EQ(v.gainOn, c.written.gainOn);
        EXPECT_EQ(v.gain, c.written.gain);
        EXPECT_EQ(v.vasOn, c.written.vasOn);
    }
}

TEST_F(FiltersDialog, LevelsOutsideTheCombosAreRefused) {
    Store({1, 3, 1, 2, 0});
    FiltersDialogModel model(settings_);
    for (int32_t index : {-1, 5, 255}) {
        EXPECT_FALSE(model.SetNoiseLevel(index)) << index;
        EXPECT_FALSE(model.SetGainLevel(index)) << index;
    }
    EXPECT_EQ(model.NoiseLevel(), 3);
    EXPECT_EQ(model.GainLevel(), 2);
}

TEST_F(FiltersDialog, WithoutOkNothingIsWritten) {
    Store({1, 3, 0, 1, 1});
    const std::vector<std::string> table = TableSnapshot();
    const std::vector<std::string> registry = RegistrySnapshot();
    {
        FiltersDialogModel model(settings_);
        model.SetNoiseOn(false);
        model.SetGainLevel(4);
        model.SetVasOn(false);
    } // Cancel: the model goes without OK
    EXPECT_EQ(TableSnapshot(), table);
    EXPECT_EQ(RegistrySnapshot(), registry);
}

} // namespace
} // namespace tonilo
