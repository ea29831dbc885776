// The recording format dialog without a window, over the real codecs: the
// encoders, quality levels and formats it offers, the lines below them and
// the preset it gives back.
#include <gtest/gtest.h>

#include <algorithm>

#include "codecs/include/ToniloPlugin.h"
#include "platform/LanguageResources.h"
#include "tests/ui/SettingsTestFixture.h"
#include "ui/FormatDialogModel.h"

namespace tonilo::test {
namespace {

class FormatDialogModelTest : public SettingsFixture {
protected:
    std::unique_ptr<FormatDialogModel> Open(const QualityPreset& preset) {
        return std::make_unique<FormatDialogModel>(
            registry_, preset, documents_, [this](const std::string& folder, uint64_t* bytes) {
                askedFor_ = folder;
                *bytes = freeBytes_;
                return freeBytes_ != 0;
            });
    }
    static QualityPreset Factory(size_t index) {
        QualityPreset preset;
        const PresetRecord& record = SettingsStore::FactoryPreset(index);
        EXPECT_TRUE(QualityPreset::Decode(record.data(), record.size(), &preset));
        return preset;
    }
    int32_t IndexOf(const FormatDialogModel& dialog, const std::string& encoder) {
        const auto& names = dialog.Encoders();
        const auto found = std::find(names.begin(), names.end(), encoder);
        return found == names.end() ? -1 : static_cast<int32_t>(found - names.begin());
    }
    // What the encoder itself says, asked directly.
    uint32_t EncoderCommand(const std::string& encoder, uint32_t command, uintptr_t a,
                            uintptr_t b) {
        AudioEncoder* object = nullptr;
        EXPECT_TRUE(registry_->CreateEncoder(&object, "", encoder.c_str()));
        if (object == nullptr)
            return 0;
        const uint32_t result = object->Command(command, a, b);
        object->Release();
        return result;
    }

    uint64_t freeBytes_ = 0;
    std::string askedFor_;
};

TEST_F(FormatDialogModelTest, EveryEncoderIsOfferedAndThePresetsIsChosen) {
    const char* const encoders[] = {"ZAF encoder", "MP3 encoder", "WAV encoder"};
    for (size_t i = 0; i < 3; ++i) {
        auto dialog = Open(Factory(i));
        for (const char* name : encoders)
            EXPECT_GE(IndexOf(*dialog, name), 0) << name;
        EXPECT_EQ(dialog->SelectedEncoder(), IndexOf(*dialog, encoders[i]));
        EXPECT_TRUE(dialog->CanAccept());
        EXPECT_TRUE(dialog->Enabled(FormatDialogModel::Field::Encoder));
        // Decoders and filters are no choice here.
        for (const std::string& name : dialog->Encoders())
            EXPECT_TRUE(
                registry_->FindByNameOfKind(name.c_str(), FORMAT_KIND_ENCODER, nullptr, nullptr))
                << name;
    }
    // A preset naming no known encoder starts on the first one.
    QualityPreset unknown = Factory(0);
    unknown.encoderName = "wav encoder";
    auto dialog = Open(unknown);
    EXPECT_EQ(dialog->SelectedEncoder(), 0);
    EXPECT_EQ(dialog->Result().encoderName, dialog->Encoders()[0]);
    EXPECT_FALSE(dialog->SelectEncoder(-1));
    EXPECT_FALSE(dialog->SelectEncoder(static_cast<int32_t>(dialog->Encoders().size())));
}

TEST_F(FormatDialogModelTest, QualityLevelsNameTheirEnds) {
    for (const char* encoder : {"ZAF encoder", "MP3 encoder", "WAV encoder"}) {
        auto dialog = Open(Factory(0));
        ASSERT_TRUE(dialog->SelectEncoder(IndexOf(*dialog, encoder)));
        const uint32_t levels = EncoderCommand(encoder, ENCODER_QUALITY_LEVELS, 0, 0);
        const auto& texts = dialog->Qualities();
        ASSERT_EQ(texts.size(), levels) << encoder;
        EXPECT_EQ(dialog->Enabled(FormatDialogModel::Field::Quality), levels > 0) << encoder;
        if (levels > 0)
            EXPECT_EQ(texts.front(), "1 Lowest") << encoder;
        if (levels > 2)
            EXPECT_EQ(texts[1], "2") << encoder;
        if (levels > 1)
            EXPECT_EQ(texts.back(), std::to_string(levels) + " Highest") << encoder;
        if (levels == 0) {
            EXPECT_EQ(dialog->SelectedQuality(), -1);
            EXPECT_FALSE(dialog->SelectQuality(0));
            EXPECT_EQ(dialog->Result().quality, 0);
        }
        EXPECT_FALSE(dialog->SelectQuality(static_cast<int32_t>(levels)));
    }
    // MP3 lists levels, and the preset's index is the one chosen.
    auto mp3 = Open(Factory(1));
    ASSERT_GT(mp3->Qualities().size(), 2u);
    EXPECT_EQ(mp3->SelectedQuality(), 2);
    const uint32_t before = mp3->BitrateKbps();
    ASSERT_TRUE(mp3->SelectQuality(static_cast<int32_t>(mp3->Qualities().size()) - 1));
    EXPECT_NE(mp3->BitrateKbps(), before);
    EXPECT_EQ(mp3->Result().quality, mp3->Qualities().size() - 1);
}

TEST_F(FormatDialogModelTest, FormatsOfferedWithAndWithoutAll) {
    const uint32_t rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100};
    for (const char* encoder : {"ZAF encoder", "MP3 encoder", "WAV encoder"}) {
        auto dialog = Open(Factory(2));
        ASSERT_TRUE(dialog->SelectEncoder(IndexOf(*dialog, encoder)));
        for (bool all : {false, true}) {
            dialog->SetAll(all);
            EXPECT_EQ(dialog->All(), all);
            ASSERT_FALSE(dialog->Formats().empty()) << encoder;
            size_t previous = 0;
            for (const OfferedFormat& format : dialog->Formats()) {
                const size_t rateIndex =
                    std::find(std::begin(rates), std::end(rates), format.rate) - std::begin(rates);
                ASSERT_LT(rateIndex, 8u) << format.text;
                EXPECT_GE(rateIndex, previous) << format.text; // rising rates
                previous = rateIndex;
                if (!all) {
                    EXPECT_EQ(format.bits, 16) << format.text;
                    EXPECT_EQ(format.channels, 1) << format.text;
                }
                const WAVEFORMATEX pcm = MakePcmFormat(format.rate, format.bits, format.channels);
                EXPECT_NE(EncoderCommand(encoder, ENCODER_ACCEPTS_FORMAT,
                                         reinterpret_cast<uintptr_t>(&pcm), 0),
                          0u)
                    << encoder << " " << format.text;
            }
        }
    }
    // WAV takes every format tried: the whole list and its texts.
    auto wav = Open(Factory(2));
    EXPECT_EQ(wav->Formats().size(), 8u);
    EXPECT_EQ(wav->Formats()[1].text, "11025 Hz   -   16 bits   -   1 channel");
    EXPECT_EQ(wav->Formats()[wav->SelectedFormat()].text, "22050 Hz   -   16 bits   -   1 channel");
    wav->SetAll(true);
    ASSERT_EQ(wav->Formats().size(), 32u);
    EXPECT_EQ(wav->Formats()[0].text, "8000 Hz   -   8 bits   -   1 channel");
    EXPECT_EQ(wav->Formats()[31].text, "44100 Hz   -   16 bits   -   2 channels");
    EXPECT_EQ(wav->Formats()[wav->SelectedFormat()].text, "22050 Hz   -   16 bits   -   1 channel");
    EXPECT_FALSE(wav->SelectFormat(32));
    EXPECT_FALSE(wav->SelectFormat(-1));
}

TEST_F(FormatDialogModelTest, AStereoPresetOpensWithAllAndNarrowsToItsRate) {
    const QualityPreset stereo = QualityPreset::FromFormat("WAV encoder", 32000, 8, 2, 0);
    auto dialog = Open(stereo);
    EXPECT_TRUE(dialog->All());
    ASSERT_GE(dialog->SelectedFormat(), 0);
    EXPECT_EQ(dialog->Formats()[dialog->SelectedFormat()].text,
              "32000 Hz   -   8 bits   -   2 channels");
    dialog->SetAll(false);
    ASSERT_GE(dialog->SelectedFormat(), 0);
    EXPECT_EQ(dialog->Formats()[dialog->SelectedFormat()].text,
              "32000 Hz   -   16 bits   -   1 channel");
    EXPECT_EQ(dialog->Result(), QualityPreset::FromFormat("WAV encoder", 32000, 16, 1, 0));
}

TEST_F(FormatDialogModelTest, BitrateAndMaximalRecordingTime) {
    auto dialog = Open(Factory(4)); // 44100 Hz 16-bit mono WAV
    EXPECT_EQ(dialog->BitrateKbps(), 705u);
    EXPECT_EQ(dialog->BitrateText(), " : 705 kbps");
    struct Case {
        uint64_t freeBytes;
        const char* text;
    };
    // 705 kbps: 88125 bytes a second.
    const Case cases[] = {
        {88125ull * (5 * 3600 + 7 * 60 + 9), " : 5h 07m 09s"},
        {88125ull * 59, " : 0h 00m 59s"},
        {88125ull * 100 * 3600, " : 100h 00m 00s"},
        {88124, " : 0h 00m 00s"},
        {0, ""},
    };
    for (const Case& c : cases) {
        freeBytes_ = c.freeBytes;
        EXPECT_EQ(dialog->MaxRecordingTimeText(), c.text) << c.freeBytes;
    }
    EXPECT_EQ(askedFor_, documents_);
    // Another format, another rate.
    dialog->SetAll(true);
    ASSERT_TRUE(dialog->SelectFormat(FormatIndex(*dialog, 8000, 8, 1)));
    EXPECT_EQ(dialog->BitrateText(), " : 64 kbps");
}

TEST_F(FormatDialogModelTest, AnUntouchedDialogGivesThePresetBackByteForByte) {
    for (size_t i = 0; i < SettingsStore::kPresetCount; ++i) {
        auto dialog = Open(Factory(i));
        EXPECT_EQ(dialog->Result().Encode(), SettingsStore::FactoryPreset(i)) << i;
        // Switching away and back changes nothing either.
        const int32_t chosen = dialog->SelectedEncoder();
        ASSERT_TRUE(dialog->SelectEncoder(IndexOf(*dialog, "WAV encoder")));
        ASSERT_TRUE(dialog->SelectEncoder(chosen));
        EXPECT_EQ(dialog->Result().Encode(), SettingsStore::FactoryPreset(i)) << i;
    }
    // A changed format gets fresh block-align and byte-rate fields.
    auto dialog = Open(Factory(1)); // MP3, 11025 Hz; carries 88200 bytes a second
    dialog->SetAll(true);
    ASSERT_TRUE(dialog->SelectFormat(FormatIndex(*dialog, 22050, 16, 2)));
    const QualityPreset result = dialog->Result();
    EXPECT_EQ(result, QualityPreset::FromFormat("MP3 encoder", 22050, 16, 2, 2));
    EXPECT_EQ(result.blockAlign, 4);
    EXPECT_EQ(result.averageBytesPerSecond, 88200u);
    EXPECT_EQ(result.extraSize, 18);
}

} // namespace
} // namespace tonilo::test
