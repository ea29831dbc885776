#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "Libs/ToniloLib/Src/filters/EqPresets.h"
#include "Libs/ToniloLib/Src/filters/EqualizerFilter.h"
#include "platform/RegistryKey.h"
#include "platform/RegistryStore.h"
#include "tests/support/FilterTestSupport.h"

namespace tonilo::test {
namespace {

const char kKey[] = "Software\\Zelto\\ToniloTest";

class EqPresetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("tonilo-eqpresets-" + std::to_string(getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        RegistryStore::UseDatabase((folder_ / "registry.db").string());
        WAVEFORMATEX format = Pcm(44100, 16, 2);
        ASSERT_TRUE(filter_->SetInputFormat(&format));
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    int32_t Band(uint32_t band) {
        return static_cast<int32_t>(filter_->Control(CTL_EQ_GET_BAND, band, 0));
    }

    std::filesystem::path folder_;
    FilterRef<EqualizerFilter> filter_;
};

TEST_F(EqPresetsTest, NamesAndValues) {
    EXPECT_EQ(EqPresets::GetPresetCount(), 18u);
    EXPECT_STREQ(EqPresets::GetPresetName(0), "Custom");
    EXPECT_STREQ(EqPresets::GetPresetName(17), "Techno");
    EXPECT_EQ(EqPresets::GetPresetName(18), nullptr);
    const int8_t techno[10] = {30, 25, 0, -25, -25, 0, 25, 50, 50, 50};
    EXPECT_EQ(0, std::memcmp(EqPresets::GetBuiltInValues(17), techno, 10));
    EXPECT_EQ(EqPresets::GetBuiltInValues(0), nullptr);

    EqPresets* presets = filter_->CreatePresets(kKey);
    ASSERT_NE(presets, nullptr);
    presets->SetActive(17);
    uint32_t count = 0;
    EXPECT_EQ(0, std::memcmp(presets->GetPresetValues(&count), techno, 10));
    EXPECT_EQ(count, 10u);
    presets->SetActive(40); // ignored
    EXPECT_EQ(presets->GetActive(), 17u);
    presets->Destroy();
}

TEST_F(EqPresetsTest, MissingKeyReadsAsZerosAndApplyDrivesTheFilter) {
    EqPresets* presets = filter_->CreatePresets(kKey);
    EXPECT_FALSE(presets->GetEnabled());
    EXPECT_EQ(presets->GetPreamp(), 0);
    EXPECT_EQ(presets->GetActive(), 0u);
    presets->SetEnabled(true);
    presets->SetActive(4); // "Full Bass"
    presets->SetPreamp(-60);
    presets->Apply();
    const int8_t* values = EqPresets::GetBuiltInValues(4);
    for (uint32_t band = 0; band < 10; ++band)
        EXPECT_EQ(Band(band), values[band]) << band;
    EXPECT_EQ(filter_->PreampGain(), EqualizerFilter::GainForValue(-60, true));
    // Enabled: the filter now changes the sound.
    std::vector<int16_t> signal = Noise(4000, 8000, 1);
    EXPECT_NE(RunOnce(filter_.get(), signal), signal);
    presets->SetEnabled(false);
    presets->Apply();
    EXPECT_EQ(RunOnce(filter_.get(), signal), signal) << "disabled: bypassed";
    presets->Destroy();
}

TEST_F(EqPresetsTest, SettingsSurviveInTheRegistry) {
    const int8_t custom[10] = {-127, 127, 5, -5, 0, 64, -64, 100, -100, 1};
    {
        EqPresets* presets = filter_->CreatePresets(kKey);
        presets->SetCustom(custom);
        presets->SetPreamp(-32);
        presets->SetEnabled(true);
        presets->SetActive(0);
        presets->Destroy(); // saves
    }
    RegistryKey key(kKey, HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(key.Open(nullptr, false));
    uint32_t number = 0;
    ASSERT_TRUE(key.ReadNumber("EqPreamp", &number));
    EXPECT_EQ(number, 224u) << "the preamp byte, zero-extended";
    ASSERT_TRUE(key.ReadNumber("EqEnabled", &number));
    EXPECT_EQ(number, 1u);
    std::string raw;
    uint32_t size = 64;
    ASSERT_TRUE(key.ReadRaw("EqCustom", &raw, &size));
    EXPECT_EQ(key.LastType(), REG_BINARY);
    ASSERT_EQ(raw.size(), 10u);
    EXPECT_EQ(0, std::memcmp(raw.data(), custom, 10));

    EqPresets* again = filter_->CreatePresets(kKey);
    EXPECT_TRUE(again->GetEnabled());
    EXPECT_EQ(again->GetPreamp(), -32);
    EXPECT_EQ(again->GetActive(), 0u);
    EXPECT_EQ(0, std::memcmp(again->GetPresetValues(nullptr), custom, 10));
    again->Apply();
    for (uint32_t band = 0; band < 10; ++band)
        EXPECT_EQ(Band(band), custom[band]);
    // -128 is not a value: it is kept as -127.
    const int8_t low[10] = {-128, -128, -128, -128, -128, -128, -128, -128, -128, -128};
    again->SetCustom(low);
    EXPECT_EQ(again->GetCustom()[0], -127);
    again->SetCustom(nullptr);
    EXPECT_EQ(again->GetCustom()[9], 0);
    again->Destroy();
}

TEST_F(EqPresetsTest, DamagedValuesFallBackAndUnloadedObjectsDoNotOverwrite) {
    {
        RegistryKey key(kKey, HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(key.Open(nullptr, true));
        ASSERT_TRUE(key.WriteNumber("EqActive", 99));                // no such preset
        ASSERT_TRUE(key.WriteBinary("EqPreamp", "\x01\x02", 2));     // not a number
        ASSERT_TRUE(key.WriteBinary("EqCustom", "\x05\x06\x07", 3)); // short
        ASSERT_TRUE(key.WriteNumber("EqEnabled", 7));
    }
    EqPresets* presets = filter_->CreatePresets(kKey);
    EXPECT_EQ(presets->GetActive(), 0u);
    EXPECT_EQ(presets->GetPreamp(), 0);
    EXPECT_TRUE(presets->GetEnabled());
    EXPECT_EQ(presets->GetCustom()[0], 5);
    EXPECT_EQ(presets->GetCustom()[2], 7);
    EXPECT_EQ(presets->GetCustom()[3], 0);
    presets->Destroy();

    // An object that never loaded must not wipe stored settings on destruction.
    {
        RegistryKey key(kKey, HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(key.Open(nullptr, true));
        ASSERT_TRUE(key.WriteNumber("EqActive", 3));
    }
    filter_->CreatePresets(kKey)->Destroy();
    EqPresets* check = filter_->CreatePresets(kKey);
    EXPECT_EQ(check->GetActive(), 3u);
    check->Destroy();
}

TEST_F(EqPresetsTest, PresetsKeepTheFilterAlive) {
    EqualizerFilter* filter = new EqualizerFilter();
    filter->AddRef();
    EqPresets* presets = filter->CreatePresets(kKey);
    EXPECT_EQ(filter->ReferenceCount(), 2u);
    filter->Release();
    presets->SetActive(2);
    presets->Apply(); // the filter is still there
    presets->Destroy();
}

} // namespace
} // namespace tonilo::test
