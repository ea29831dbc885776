#include "app/SettingsStore.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "platform/RegistryKey.h"
#include "platform/RegistryStore.h"
#include "platform/TextEncoding.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

const char* const kKey = "\\Software\\Zelto\\Tonilo";

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { RegistryStore::UseDatabase(folder_ / "registry.db"); }

    void WriteValue(const char* name, uint32_t type, const std::string& data) {
        ASSERT_TRUE(RegistryStore::Instance().CreateKey(HKEY_LOCAL_MACHINE, kKey));
        ASSERT_TRUE(RegistryStore::Instance().SetValue(HKEY_LOCAL_MACHINE, kKey, name, type, data));
    }

    test::ScratchFolder folder_;
};

std::string Utf16(const char* text) {
    std::string data;
    AppendUtf16Le(&data, Utf8ToUtf16(text), true);
    return data;
}

TEST_F(SettingsStoreTest, FirstStartWithoutAKeyHoldsEveryDefault) {
    SettingsStore settings;
    ASSERT_TRUE(settings.Load(kKey));
    EXPECT_FALSE(RegistryStore::Instance().KeyExists(HKEY_LOCAL_MACHINE, kKey));

    std::string text;
    ASSERT_TRUE(settings.GetString("RecDir", &text));
    EXPECT_EQ(text, "\\My Documents");
    uint32_t number = 0;
    ASSERT_TRUE(settings.GetNumber("Volume", &number));
    EXPECT_EQ(number, 65535u);

    const uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_TRUE(settings.GetBinary("SpeechHigh", &data, &size));
    ASSERT_EQ(size, 84u);
    const std::string wav = "W\0A\0V\0 \0e\0n\0c\0o\0d\0e\0r\0\0\0";
    EXPECT_EQ(std::memcmp(data, wav.data(), wav.size() + 1), 0);
}

TEST_F(SettingsStoreTest, SettersGettersAndTheirRefusals) {
    SettingsStore settings;
    EXPECT_FALSE(settings.Load(nullptr));
    EXPECT_FALSE(settings.Save(nullptr));
    settings.Load(kKey);
    std::string text;
    EXPECT_FALSE(settings.GetString("NoSuchValue", &text));
    EXPECT_FALSE(settings.GetString("RecDir", nullptr));
    EXPECT_FALSE(settings.SetNumber("RecDir", 3)); // wrong type
    EXPECT_FALSE(settings.SetString("RecID", "3"));
    EXPECT_FALSE(settings.ResetToDefault("Nope"));

    ASSERT_TRUE(settings.SetString("recdir", "/data/rec")); // names ignore case
    settings.GetString("RecDir", &text);
    EXPECT_EQ(text, "/data/rec");
    ASSERT_TRUE(settings.SetString("RecDir", nullptr));
    settings.GetString("RecDir", &text);
    EXPECT_EQ(text, "\\My Documents");

    const uint8_t bytes[3] = {1, 2, 3};
    ASSERT_TRUE(settings.SetBinary("MusicLow", bytes, 0));
    const uint8_t* data = bytes;
    uint32_t size = 9;
    settings.GetBinary("MusicLow", &data, &size);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
    ASSERT_TRUE(settings.SetBinary("MusicLow", bytes, 3));
    settings.GetBinary("MusicLow", &data, &size);
    ASSERT_EQ(size, 3u);
    EXPECT_NE(data, bytes); // a copy
    EXPECT_EQ(data[2], 3);
    ASSERT_TRUE(settings.ResetToDefault("MusicLow"));
    settings.GetBinary("MusicLow", &data, &size);
    EXPECT_EQ(size, 84u);
}

TEST_F(SettingsStoreTest, SaveAndLoadRoundTrip) {
    SettingsStore saved;
    saved.Load(kKey);
    saved.SetString("FileName", "Zäpfchen %Y");
    saved.SetNumber("TurnOffAfter", 20);
    QualityPreset preset = QualityPreset::FromFormat("MP3 encoder", 22050, 16, 2, 4);
    PresetRecord record = preset.Encode();
    saved.SetBinary("MusicHigh", record.data(), static_cast<uint32_t>(record.size()));
    ASSERT_TRUE(saved.Save(kKey));

    SettingsStore loaded;
    ASSERT_TRUE(loaded.Load(kKey));
    for (size_t i = 0; i < SettingsStore::kEntryCount; ++i)
        EXPECT_EQ(loaded.FormatValue(i), saved.FormatValue(i))
            << SettingsStore::DefinitionAt(i).name;
    EXPECT_EQ(loaded.FormatValue(7), "encoder=MP3 encoder rate=22050 bits=16 channels=2 quality=4");
}

TEST_F(SettingsStoreTest, ValuesOfTheWrongTypeOrSizeFallBack) {
    WriteValue("RecID", REG_BINARY, std::string("\x03\x00", 2));         // a number of 2 bytes
    WriteValue("Volume", REG_SZ, Utf16("loud"));                         // text where a number is
    WriteValue("RecDir", REG_DWORD, std::string("\x01\x02\x03\x04", 4)); // a number as text
    WriteValue("SpeechLow", REG_BINARY, "");                             // an empty preset
    WriteValue("SpeechMid", REG_BINARY, std::string(10, 'x'));           // a short preset
    WriteValue("FileName", REG_SZ, Utf16(std::string(300, 'a').c_str()));
    SettingsStore settings;
    ASSERT_TRUE(settings.Load(kKey));

    uint32_t number = 0;
    settings.GetNumber("RecID", &number);
    EXPECT_EQ(number, 1u);
    settings.GetNumber("Volume", &number);
    EXPECT_EQ(number, 65535u);
    std::string text;
    settings.GetString("RecDir", &text);
    EXPECT_EQ(text, "\\My Documents");
    settings.GetString("FileName", &text);
    EXPECT_EQ(text, std::string(259, 'a')); // at most 260 units with the terminator

    const uint8_t* data = nullptr;
    uint32_t size = 0;
    settings.GetBinary("SpeechLow", &data, &size);
    EXPECT_EQ(size, 84u); // replaced by the factory preset
    settings.GetBinary("SpeechMid", &data, &size);
    EXPECT_EQ(size, 10u); // kept as read; selection replaces it

    QualityPreset preset;
    std::string name;
    ASSERT_TRUE(settings.SelectRecordingPreset(nullptr, &preset, &name));
    EXPECT_EQ(name, "SpeechMid");
    EXPECT_EQ(preset.encoderName, "MP3 encoder");
    EXPECT_EQ(preset.quality, 2);
    settings.GetBinary("SpeechMid", &data, &size);
    EXPECT_EQ(size, 84u);
}

TEST_F(SettingsStoreTest, PresetSelectionFallsBackForUnknownEncoders) {
    SettingsStore settings;
    settings.Load(kKey);
    QualityPreset custom = QualityPreset::FromFormat("OGG encoder", 48000, 16, 2, 1);
    PresetRecord record = custom.Encode();
    settings.SetBinary("MusicLow", record.data(), 84);
    settings.SetNumber("RecID", 3);

    auto knowsOgg = [](const std::string& name) { return name == "OGG encoder"; };
    auto knowsNothingButMp3 = [](const std::string& name) { return name == "MP3 encoder"; };
    QualityPreset chosen;
    ASSERT_TRUE(settings.SelectRecordingPreset(knowsOgg, &chosen));
    EXPECT_EQ(chosen, custom);
    ASSERT_TRUE(settings.SelectRecordingPreset(knowsNothingButMp3, &chosen));
    EXPECT_EQ(chosen.encoderName, "MP3 encoder");
    EXPECT_EQ(chosen.samplesPerSecond, 44100u);
    EXPECT_EQ(settings.FormatValue(6), chosen.Describe()); // the entry itself was reset

    // RecID picks the preset; one out of range means SpeechMid.
    const std::pair<uint32_t, const char*> byRecId[] = {
        {0, "SpeechLow"}, {2, "SpeechHigh"}, {3, "MusicLow"},          {4, "MusicHigh"},
        {5, "SpeechMid"}, {7, "SpeechMid"},  {0xFFFFFFFF, "SpeechMid"}};
    for (const auto& [recId, expected] : byRecId) {
        settings.SetNumber("RecID", recId);
        std::string name;
        settings.SelectRecordingPreset(nullptr, &chosen, &name);
        EXPECT_EQ(name, expected) << recId;
    }
}

// Which folder's settings the key names; tonilo-tool's contract tests show two
// folders keeping their settings apart.
TEST(SettingsKeyPath, NamedAfterTheProgramFolder) {
    EXPECT_EQ(SettingsKeyPath("Rec"), "\\Software\\Zelto\\Rec");
    EXPECT_EQ(SettingsKeyPathForFolder("/media/card/Rec/"), "\\Software\\Zelto\\Rec");
    EXPECT_EQ(SettingsKeyPathForFolder("/opt/Tonilo"), "\\Software\\Zelto\\Tonilo");
}

TEST_F(SettingsStoreTest, FirstRunWritesVersionAndLanguageAndExitClearsTheMark) {
    SettingsStore settings;
    settings.Load(kKey);
    EXPECT_FALSE(settings.WriteFirstRunValues(kKey, "English")); // FirstTime is 0

    WriteValue("FirstTime", REG_DWORD, std::string("\x01\0\0\0", 4));
    settings.Load(kKey);
    ASSERT_TRUE(settings.WriteFirstRunValues(kKey, "English"));
    RegistryKey key(kKey, HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(key.Open());
    uint32_t version = 0;
    ASSERT_TRUE(key.ReadNumber("Version", &version));
    EXPECT_EQ(version, 460u);
    std::string language;
    ASSERT_TRUE(key.ReadString("Language", &language));
    EXPECT_EQ(language, "English");

    key.DeleteValue("Language");
    ASSERT_TRUE(settings.WriteFirstRunValues(kKey)); // named by the language resources
    ASSERT_TRUE(key.ReadString("Language", &language));
    EXPECT_EQ(language, "English");

    uint32_t firstTime = 0;
    settings.GetNumber("FirstTime", &firstTime);
    EXPECT_EQ(firstTime, 1u); // stays set for the whole run
    settings.PrepareForExit();
    ASSERT_TRUE(settings.Save(kKey));
    ASSERT_TRUE(key.ReadNumber("FirstTime", &firstTime));
    EXPECT_EQ(firstTime, 0u);
}

// A process killed at any moment of a save leaves the previous or the new table,
// never a mixture of the two.
TEST(SettingsStoreCrashTest, AKilledSaveLeavesOneWholeGeneration) {
    test::ScratchFolder folder;
    const std::string database = folder / "registry.db";
    auto fill = [](SettingsStore* settings, uint32_t generation) {
        for (size_t i = 0; i < SettingsStore::kEntryCount; ++i) {
            const SettingDefinition& definition = SettingsStore::DefinitionAt(i);
            if (definition.type == SettingType::Number)
                settings->SetNumber(definition.name, generation);
            else if (definition.type == SettingType::String)
                settings->SetString(definition.name, std::to_string(generation).c_str());
        }
    };
    int checkedRounds = 0;
    for (int round = 0; round < 12; ++round) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RegistryStore::UseDatabase(database);
            SettingsStore settings;
            for (uint32_t generation = 1;; ++generation) {
                fill(&settings, generation);
                settings.Save(kKey);
            }
        }
        ::usleep(20000 + round * 7000);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        RegistryStore::UseDatabase(database);
        if (!RegistryStore::Instance().KeyExists(HKEY_LOCAL_MACHINE, kKey))
            continue; // killed before its first save
        ++checkedRounds;
        SettingsStore loaded;
        ASSERT_TRUE(loaded.Load(kKey));
        uint32_t generation = 0;
        loaded.GetNumber("DateDir", &generation);
        for (size_t i = 0; i < SettingsStore::kEntryCount; ++i) {
            const SettingDefinition& definition = SettingsStore::DefinitionAt(i);
            if (definition.type != SettingType::Block) {
                EXPECT_EQ(loaded.FormatValue(i), std::to_string(generation)) << definition.name;
            }
        }
    }
    EXPECT_GT(checkedRounds, 6);
}

} // namespace
} // namespace tonilo
